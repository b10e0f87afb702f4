// The configuration window, driven by its object names from the main window's
// "Configurer": a pin field answers each keystroke, "Sauvegarder" writes and closes or
// says why and stays, the frame's close box writes nothing.
#include <filesystem>

#include "config/configurationwindow.h"
#include "config/machineconfig.h"
#include "ui/configurationwindow.h"
#include "uitesting.h"

using tarvel::ConfigurationWindow;
using tarvel::testing::named;

class ConfigurationWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<tarvel::testing::Harness> h_;
    tarvel::MainWindow* window_ = nullptr;

    std::string configFile() const { return h_->app.paths.configFile(); }
    ConfigurationWindow* configurer() {
        named<QAction>(window_, "config")->trigger();
        return window_->windows().find<ConfigurationWindow>("configuration");
    }
    // Replaces the field's text as the user would: select all, then type.
    static void retype(QWidget* w, const char* field, const QString& text) {
        auto* edit = named<QLineEdit>(w, field);
        edit->selectAll();
        if (text.isEmpty()) QTest::keyClick(edit, Qt::Key_Backspace);
        else QTest::keyClicks(edit, text);
    }
    static void save(QWidget* w) { QTest::mouseClick(named<QPushButton>(w, "sauvegarder"), Qt::LeftButton); }

private slots:
    void init() {
        h_ = std::make_unique<tarvel::testing::Harness>();
        QVERIFY(h_->show());
        window_ = h_->window.get();
    }
    void cleanup() { h_.reset(); }

    // The refused pin is replaced by 2, and the next key lands after it: 22, refused again.
    void aPinOutsideTwoToNineIsRefusedAtTheKeystroke() {
        ConfigurationWindow* w = configurer();
        retype(w, "xClockPin", "1");
        const auto& refused = tarvel::config_messages::kPinOutOfRange;
        QCOMPARE(h_->dialogs.toldTexts(), std::vector<std::string>{refused.text});
        QCOMPARE(named<QLineEdit>(w, "xClockPin")->text(), QString("2"));
        QTest::keyClicks(named<QLineEdit>(w, "xClockPin"), "2");
        QCOMPARE(h_->dialogs.toldTexts(), (std::vector<std::string>{refused.text, refused.text}));
        QCOMPARE(named<QLineEdit>(w, "xClockPin")->text(), QString("2"));
    }

    void savingWritesWhatWasTypedAndClosesTheWindow() {
        retype(configurer(), "rapidFeed", "65");
        save(window_->windows().find("configuration"));
        QVERIFY(h_->dialogs.told.empty());
        QVERIFY(!window_->windows().isOpen("configuration"));
        const auto stored = tarvel::loadMachineConfig(configFile());
        QVERIFY(stored.has_value());
        QCOMPARE(stored->rapidFeed, std::string("65"));
    }

    void refusedSaveKeepsTheWindowAndWritesNothing_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<std::string>("told");
        QTest::newRow("pas par mm vide") << "stepsPerMmY" << QString() << tarvel::config_messages::kIncomplete.text;
        QTest::newRow("guillemet") << "rapidFeed" << "6\"5" << tarvel::config_messages::kQuoteInField.text;
    }

    void refusedSaveKeepsTheWindowAndWritesNothing() {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(std::string, told);
        ConfigurationWindow* w = configurer();
        retype(w, qPrintable(field), typed);
        save(w);
        QCOMPARE(h_->dialogs.toldTexts(), std::vector<std::string>{told});
        QCOMPARE(window_->windows().find("configuration"), static_cast<QWidget*>(w));
        QCOMPARE(named<QLineEdit>(w, qPrintable(field))->text(), typed);
        QVERIFY(!std::filesystem::exists(configFile()));
    }

    void configurerTwiceKeepsTheEditsAndTheCloseBoxSavesNothing() {
        ConfigurationWindow* w = configurer();
        retype(w, "rapidFeed", "65");
        QCOMPARE(configurer(), w);
        QCOMPARE(named<QLineEdit>(w, "rapidFeed")->text(), QString("65"));

        QVERIFY(window_->windows().frame("configuration")->close());
        QVERIFY(!std::filesystem::exists(configFile()));
        QCOMPARE(named<QLineEdit>(configurer(), "rapidFeed")->text(), QString("80"));
    }
};

int runConfigurationWindowTests(int argc, char** argv) {
    ConfigurationWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "configurationwindow_test.moc"
