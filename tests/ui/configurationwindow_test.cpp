// The configuration window, driven by its object names from the main window's
// "Configurer": pin fields checked on every keystroke, saving and its refusals.
#include <QCheckBox>

#include <filesystem>

#include "config/machineconfig.h"
#include "ui/configurationwindow.h"
#include "uitesting.h"

using tarvel::ConfigurationWindow;

class ConfigurationWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<tarvel::testing::Harness> h_;
    tarvel::testing::ScriptedDialogs* dialogs_ = nullptr;
    tarvel::MainWindow* window_ = nullptr;

    std::string configFile() const { return h_->app.paths.configFile(); }

    ConfigurationWindow* configurer() {
        window_->findChild<QAction*>("config")->trigger();
        return window_->windows().find<ConfigurationWindow>("configuration");
    }
    static QLineEdit* field(QWidget* w, const char* name) { return w->findChild<QLineEdit*>(name); }
    // Replaces the field's text as the user would: select all, then type.
    static void retype(QLineEdit* edit, const QString& text) {
        edit->selectAll();
        if (text.isEmpty())
            QTest::keyClick(edit, Qt::Key_Backspace);
        else
            QTest::keyClicks(edit, text);
    }
    static void save(QWidget* w) { QTest::mouseClick(w->findChild<QPushButton*>("sauvegarder"), Qt::LeftButton); }

private slots:
    void init() {
        h_ = std::make_unique<tarvel::testing::Harness>();
        dialogs_ = &h_->dialogs;
        QVERIFY(h_->show());
        window_ = h_->window.get();
    }
    void cleanup() { h_.reset(); }

    void typingTwelveInAPinFieldRefusesTheOne() {
        ConfigurationWindow* w = configurer();
        QVERIFY(w != nullptr);
        QLineEdit* pin = field(w, "xClockPin");
        QCOMPARE(pin->text(), QString("3"));
        QCOMPARE(w->form().values.xClockWeight, std::string("2"));

        retype(pin, "1");
        QCOMPARE(dialogs_->told.size(), std::size_t(1));
        QCOMPARE(dialogs_->told[0].text, std::string("les pinoches de sorties sont la 2,3,4,5,6,7,8 ou 9"));
        QCOMPARE(dialogs_->told[0].title, std::string("Mauvaise saisie "));
        QCOMPARE(pin->text(), QString("2"));
        QCOMPARE(w->form().values.xClockWeight, std::string("1"));

        // The "2" that follows lands after the "2" the field was given: 22, refused again.
        QTest::keyClicks(pin, "2");
        QCOMPARE(dialogs_->told.size(), std::size_t(2));
        QCOMPARE(pin->text(), QString("2"));
    }

    void clearedPinIsSavedEmptyAndReopensAsTwo() {
        ConfigurationWindow* w = configurer();
        retype(field(w, "xDirPin"), "");
        QCOMPARE(field(w, "xDirPin")->text(), QString());
        QCOMPARE(w->form().values.xDirWeight, std::string("1"));
        QVERIFY(dialogs_->told.empty());

        save(w);
        QVERIFY(!window_->windows().isOpen("configuration"));  // saving closes it
        const auto stored = tarvel::loadMachineConfig(configFile());
        QVERIFY(stored.has_value());
        QCOMPARE(stored->xDirPin, std::string(""));
        QCOMPARE(stored->xDirWeight, std::string("1"));

        ConfigurationWindow* again = configurer();
        QVERIFY(again != nullptr);
        QCOMPARE(field(again, "xDirPin")->text(), QString("2"));
    }

    void pointsAreStoredAsCommasWithTheBoxes() {
        ConfigurationWindow* w = configurer();
        // Which fields take the comma is saveMachineConfig's table; one shows the window uses it.
        retype(field(w, "stepsPerMmX"), "100.25");
        QTest::mouseClick(w->findChild<QCheckBox*>("invertZ"), Qt::LeftButton);
        save(w);

        QVERIFY(dialogs_->told.empty());
        const auto stored = tarvel::loadMachineConfig(configFile());
        QVERIFY(stored.has_value());
        QCOMPARE(stored->stepsPerMmX, std::string("100,25"));
        QCOMPARE(stored->invertX, 0);
        QCOMPARE(stored->invertZ, 1);
        QVERIFY(!window_->windows().isOpen("configuration"));
    }

    void emptyStepsAreRefusedAndTheWindowStays() {
        ConfigurationWindow* w = configurer();
        retype(field(w, "stepsPerMmY"), "");
        retype(field(w, "stepsPerMmX"), "12.5");
        save(w);
        QCOMPARE(dialogs_->toldTexts(), std::vector<std::string>{"Saisie incomplete ?"});
        QCOMPARE(dialogs_->told[0].title, std::string("Saisie"));
        QCOMPARE(window_->windows().find("configuration"), static_cast<QWidget*>(w));
        QCOMPARE(field(w, "stepsPerMmX")->text(), QString("12.5"));  // stopped before the rule
        QVERIFY(!std::filesystem::exists(configFile()));
    }

    void configurerTwiceKeepsTheEditsAndTheFrameSavesNothing() {
        ConfigurationWindow* w = configurer();
        retype(field(w, "rapidFeed"), "65");
        QCOMPARE(configurer(), w);
        QCOMPARE(field(w, "rapidFeed")->text(), QString("65"));

        QVERIFY(window_->windows().frame("configuration")->close());
        QVERIFY(!std::filesystem::exists(configFile()));
        QCOMPARE(field(configurer(), "rapidFeed")->text(), QString("80"));
    }

    void failedWriteIsToldAndLeavesTheWindowAndTheFile() {
        // A directory where the file goes: even root cannot replace it by a file.
        std::filesystem::create_directory(configFile());
        const std::string inside = h_->tmp.write("tarvel1.cfg/garde", "ne pas toucher");
        ConfigurationWindow* w = configurer();
        retype(field(w, "stepsPerMmZ"), "40");
        save(w);

        QCOMPARE(dialogs_->told.size(), std::size_t(1));
        QVERIFY(dialogs_->told[0].text.find("n'a pas été enregistrée") != std::string::npos);
        QCOMPARE(window_->windows().find("configuration"), static_cast<QWidget*>(w));
        QCOMPARE(field(w, "stepsPerMmZ")->text(), QString("40"));
        QVERIFY(std::filesystem::is_directory(configFile()));
        QCOMPARE(tarvel::testing::TempDir::read(inside), std::string("ne pas toucher"));
    }
};

int runConfigurationWindowTests(int argc, char** argv) {
    ConfigurationWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "configurationwindow_test.moc"
