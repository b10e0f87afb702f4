// The manual-control window (form5) on a simulated machine, driven by object names,
// with a scripted UserDialogs and a configuration in a temporary program directory.
#include <QCheckBox>
#include <QSlider>

#include <filesystem>
#include <vector>

#include "app/programwindows.h"
#include "config/machineconfig.h"
#include "ui/manualwindow.h"
#include "uitesting.h"

namespace {

using tarvel::testing::named;

std::vector<std::uint8_t> repeated(std::uint8_t dirOnly, std::uint8_t full, int steps) {
    std::vector<std::uint8_t> v;
    for (int i = 0; i < steps; ++i) v.insert(v.end(), {dirOnly, full});
    return v;
}

}  // namespace

class ManualWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<tarvel::testing::Harness> h_;
    tarvel::testing::TempDir* tmp_ = nullptr;
    tarvel::testing::ScriptedDialogs* dialogs_ = nullptr;
    tarvel::SimulatedMachine* machine_ = nullptr;

    tarvel::WindowRegistry& windows() { return h_->windows(); }
    QWidget* openManual() { return windows().open(tarvel::kManualWindow); }
    std::string jogSettings() const { return tarvel::testing::TempDir::read(tmp_->file("tarvelman.cfg")); }

private slots:
    // The defaults: 20 steps per mm, coefficient 0,02, pins 2 to 7, tool descent 10.
    void init() {
        h_ = std::make_unique<tarvel::testing::Harness>(tarvel::SimulatedMachineSettings{});
        tmp_ = &h_->tmp;
        dialogs_ = &h_->dialogs;
        machine_ = h_->machine;
        machine_->setRecording(true);
        QVERIFY(!tarvel::saveMachineConfig(tarvel::MachineConfig::defaults(), tmp_->file("tarvel1.cfg")));
        QVERIFY(h_->show());
    }
    void cleanup() { h_.reset(); }

    void jogOfOneMmMakesTwentyStepsWithTheXRightArrow() {
        QWidget* manual = openManual();
        QCOMPARE(manual->windowTitle(), QString("Manettes virtuelles"));
        QCOMPARE(named<QLineEdit>(manual, "mmADeplacer")->text(), QString("1"));
        QCOMPARE(named<QLabel>(manual, "vitesse")->text(), QString("80"));
        QCOMPARE(jogSettings(), std::string("\"0\",\"0\",\"0\"\r\n"));

        named<QPushButton>(manual, "Command10")->click();
        QCOMPARE(machine_->recorded(), repeated(1, 3, 20));
        QCOMPARE(machine_->xSteps(), -20);

        // A preset and the slider: 5 mm down on Z, faster.
        named<QSlider>(manual, "reglageVitesse")->setValue(5);
        QCOMPARE(named<QLabel>(manual, "vitesse")->text(), QString("95"));
        QTest::mouseClick(named(manual, "distance5"), Qt::LeftButton);
        QCOMPARE(named<QLineEdit>(manual, "mmADeplacer")->text(), QString("5"));
        machine_->clearRecord();
        named<QPushButton>(manual, "Command9")->click();
        QCOMPARE(machine_->recorded(), repeated(16, 48, 100));
        QVERIFY(dialogs_->told.empty());
    }

    // The order of the switches is the homing logic's; here the window's button runs it
    // to the end and offers "Arrêter" only while it runs.
    void homingEndsTheToolDescentAboveZHome() {
        QWidget* manual = openManual();
        named<QSlider>(manual, "reglageVitesse")->setValue(1);
        bool stopOffered = false;
        QTimer::singleShot(20, this, [&] { stopOffered = named<QPushButton>(manual, "arreter")->isEnabled(); });

        named<QPushButton>(manual, "Command1")->click();

        const auto& s = machine_->settings();
        QCOMPARE(machine_->xMm(), s.xHomeMm);
        QCOMPARE(machine_->yMm(), s.yHomeMm);
        QCOMPARE(machine_->zMm(), s.zHomeMm - 10);
        QVERIFY(stopOffered);
        QVERIFY(!named<QPushButton>(manual, "arreter")->isEnabled());
        QVERIFY(dialogs_->told.empty());
    }

    void arreterStopsHomingAndSaysSo() {
        QWidget* manual = openManual();
        QTimer::singleShot(30, this, [manual] { named<QPushButton>(manual, "arreter")->click(); });
        named<QPushButton>(manual, "Command1")->click();  // at 2 ms a step: still climbing at 30 ms
        QCOMPARE(dialogs_->told.size(), size_t(1));
        QCOMPARE(dialogs_->told[0].title, std::string("A la niche"));
        QVERIFY(machine_->zSteps() < 0 && machine_->zSteps() > -800);
        QCOMPARE(machine_->xSteps(), 0);
    }

    void closeBoxHidesSavingNothingQuitterSavesAndGoesBackToTheCuttingWindow() {
        QWidget* manual = openManual();
        named<QCheckBox>(manual, "inversionX")->click();
        QTest::mouseClick(named(manual, "distance50"), Qt::LeftButton);
        QVERIFY(!windows().frame(tarvel::kManualWindow)->close());
        QVERIFY(!windows().frame(tarvel::kManualWindow)->isVisible());
        QCOMPARE(jogSettings(), std::string("\"0\",\"0\",\"0\"\r\n"));

        QCOMPARE(openManual(), manual);
        named<QPushButton>(manual, "Command5")->click();
        QCOMPARE(jogSettings(), std::string("1,0,0\r\n"));
        QVERIFY(!windows().frame(tarvel::kManualWindow)->isVisible());
        QVERIFY(windows().frame(tarvel::kCuttingWindow) != nullptr);
        QVERIFY(windows().frame(tarvel::kCuttingWindow)->isVisible());

        // Reopened: the same window with the same values, the files not read again.
        tmp_->write("tarvelman.cfg", "0,1,1\r\n");
        QCOMPARE(openManual(), manual);
        QVERIFY(named<QCheckBox>(manual, "inversionX")->isChecked());
        QVERIFY(!named<QCheckBox>(manual, "inversionY")->isChecked());
        QCOMPARE(named<QLineEdit>(manual, "mmADeplacer")->text(), QString("50"));
    }

    void withoutConfigurationTheWindowSaysSoAndCannotMove() {
        std::filesystem::remove(tmp_->file("tarvel1.cfg"));
        QWidget* manual = openManual();
        QCOMPARE(dialogs_->toldTexts(), std::vector<std::string>{"Veuillez configurer sinon ... "});
        for (const char* name : {"Command10", "Command11", "Command6", "Command7", "Command8", "Command9", "Command1"})
            QVERIFY2(!named<QPushButton>(manual, name)->isEnabled(), name);
        QVERIFY(!std::filesystem::exists(tmp_->file("tarvelman.cfg")));
    }
};

int runManualWindowTests(int argc, char** argv) {
    ManualWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "manualwindow_test.moc"
