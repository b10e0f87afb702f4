// The manual-control window (form5) on a configured simulated machine.
#include <filesystem>

#include "app/programwindows.h"
#include "manual/manualmessages.h"
#include "ui/manualwindow.h"
#include "uitesting.h"

using tarvel::testing::named;

class ManualWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<tarvel::testing::Harness> h_;
    tarvel::SimulatedMachine* machine_ = nullptr;

    tarvel::WindowRegistry& windows() { return h_->windows(); }
    QWidget* openManual() { return windows().open(tarvel::kManualWindow); }
    QMdiSubWindow* frame() { return windows().frame(tarvel::kManualWindow); }
    std::string jogSettings() const { return tarvel::testing::TempDir::read(h_->tmp.file("tarvelman.cfg")); }
    void click(const char* name) { tarvel::testing::click(openManual(), name); }

private slots:
    // The defaults: 20 steps per mm, coefficient 0,02, pins 2 to 7, tool descent 10.
    void init() {
        h_ = std::make_unique<tarvel::testing::Harness>(tarvel::SimulatedMachineSettings{}, true);
        machine_ = h_->machine;
        QVERIFY(h_->show());
    }
    void cleanup() { h_.reset(); }

    // Each arrow moves its own axis by the distance, there and back; a DIR line high
    // drives the simulated machine towards smaller coordinates. A preset distance and the
    // slider set the next move.
    void eachArrowMovesItsAxisByTheDistanceSet() {
        for (const auto& [arrow, at] : {std::pair{"Command10", "-20 0 0"}, {"Command11", "0 0 0"}, {"Command6", "0 -20 0"},
                                        {"Command7", "0 0 0"}, {"Command8", "0 0 20"}, {"Command9", "0 0 0"}}) {
            click(arrow);
            QCOMPARE(tarvel::testing::stepsOf(*machine_), QString(at));
        }
        QWidget* manual = openManual();
        named<QSlider>(manual, "reglageVitesse")->setValue(5);
        QCOMPARE(named<QLabel>(manual, "vitesse")->text(), QString("95"));
        QTest::mouseClick(named(manual, "distance5"), Qt::LeftButton);
        QCOMPARE(named<QLineEdit>(manual, "mmADeplacer")->text(), QString("5"));
        click("Command10");
        QCOMPARE(machine_->xSteps(), -100);
        QCOMPARE(named<QLabel>(manual, "position")->text(), QString("Position : X -5,00 mm   Y 0,00 mm   Z 0,00 mm"));
    }

    // Homing to its end is the whole job's; here "Arrêter", offered only while homing
    // runs, or Escape pressed elsewhere, ends it with a word and the machine stands where
    // it was. Meanwhile the menus wait.
    void arreterOrEscapeStopsHomingAndSaysSo() {
        for (const bool escape : {false, true}) {
            init();
            QWidget* manual = openManual();
            bool stopOffered = false;
            QTimer::singleShot(30, this, [&] {
                stopOffered = named<QPushButton>(manual, "arreter")->isEnabled() && !h_->window->menuBar()->isEnabled();
                if (escape) QTest::keyClick(h_->window.get(), Qt::Key_Escape);
                else named<QPushButton>(manual, "arreter")->click();
            });
            click("Command1");  // at 2 ms a step: still climbing at 30 ms
            QVERIFY(stopOffered && !named<QPushButton>(manual, "arreter")->isEnabled());
            QCOMPARE(h_->dialogs.toldTexts(), std::vector<std::string>{tarvel::manual_messages::kHomingStopped.text});
            QVERIFY(machine_->zSteps() < 0 && machine_->zSteps() > -800 && machine_->xSteps() == 0);
            // A stopped homing leaves the commanded position where the machine stands.
            const tarvel::MmPosition at{machine_->xMm(), machine_->yMm(), machine_->zMm()};
            QCOMPARE(named<QLabel>(manual, "position")->text(), QString::fromStdString(tarvel::positionLine(at)));
            QVERIFY(h_->window->menuBar()->isEnabled());
        }
    }

    // On the default wiring →, ↗ and ↑ go against their glyphs: each axis says which way its
    // arrows go, a red warning names the boxes to tick, and ticking them turns it all round.
    void arrowSensesFollowTheBoxes() {
        QWidget* manual = openManual();
        auto* warning = named<QLabel>(manual, "avertissementFleches");
        QCOMPARE(named<QLabel>(manual, "sensZ")->text(), QString("↑ : Z augmente (entre dans la matière)\n↓ : Z diminue (sort de la matière)"));
        QVERIFY(warning->isVisibleTo(manual) && warning->text().count("Cochez") == 3);
        for (const char* box : {"inversionX", "inversionY", "inversionZ"}) named<QCheckBox>(manual, box)->click();
        QCOMPARE(named<QLabel>(manual, "sensX")->text(), QString("→ : X augmente\n← : X diminue"));
        QVERIFY(!warning->isVisibleTo(manual));
    }

    // The close box hides the window saving nothing; "Quitter" saves the boxes and goes
    // back to the cutting window. Reopened, the window keeps its values, the file unread.
    void closeBoxHidesSavingNothingQuitterSavesAndGoesBackToTheCuttingWindow() {
        QWidget* manual = openManual();
        named<QCheckBox>(manual, "inversionX")->click();
        QTest::mouseClick(named(manual, "distance50"), Qt::LeftButton);
        QVERIFY(!frame()->close() && !frame()->isVisible());
        QCOMPARE(jogSettings(), std::string("\"0\",\"0\",\"0\"\r\n"));
        click("Command5");
        QVERIFY(jogSettings() == "1,0,0\r\n" && !frame()->isVisible() && windows().frame(tarvel::kCuttingWindow)->isVisible());
        h_->tmp.write("tarvelman.cfg", "0,1,1\r\n");
        QCOMPARE(openManual(), manual);
        QVERIFY(named<QCheckBox>(manual, "inversionX")->isChecked());
        QCOMPARE(named<QLineEdit>(manual, "mmADeplacer")->text(), QString("50"));
    }

    void withoutConfigurationNoCommandMoves() {
        std::filesystem::remove(h_->app.paths.configFile());
        QWidget* manual = openManual();
        QCOMPARE(h_->dialogs.toldTexts(), std::vector<std::string>{tarvel::config_messages::kMissingForManual.text});
        for (const char* name : {"Command10", "Command11", "Command6", "Command7", "Command8", "Command9", "Command1"})
            QVERIFY2(!named<QPushButton>(manual, name)->isEnabled(), name);
    }
};

QTEST_MAIN(ManualWindowTest)

#include "manualwindow_test.moc"
