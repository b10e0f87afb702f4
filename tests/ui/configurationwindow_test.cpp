// The configuration window, driven by its object names from the main window's
// "Configurer": a pin field answers each keystroke, "Sauvegarder" writes and closes or
// says why and stays, the frame's close box writes nothing. Which entries are refused
// is the configuration logic's, tested with it.
#include <filesystem>

#include "config/configurationwindow.h"
#include "ui/configurationwindow.h"
#include "uitesting.h"

using tarvel::ConfigurationWindow;
using tarvel::testing::named;
using Texts = std::vector<std::string>;

class ConfigurationWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<tarvel::testing::Harness> h_;

    ConfigurationWindow* configurer() {
        named<QAction>(h_->window.get(), "config")->trigger();
        return h_->windows().find<ConfigurationWindow>("configuration");
    }
    // Replaces the field's text as the user would: select all, then type.
    static void retype(QWidget* w, const char* field, const QString& text) {
        auto* edit = named<QLineEdit>(w, field);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }

private slots:
    void init() {
        h_ = std::make_unique<tarvel::testing::Harness>();
        QVERIFY(h_->show());
    }
    void cleanup() { h_.reset(); }

    // The refused pin is replaced by 2, and the next key lands after it: 22, refused again.
    void aPinOutsideTwoToNineIsRefusedAtTheKeystroke() {
        ConfigurationWindow* w = configurer();
        retype(w, "xClockPin", "1");
        const auto& refused = tarvel::config_messages::kPinOutOfRange;
        QCOMPARE(h_->dialogs.toldTexts(), Texts{refused.text});
        QCOMPARE(tarvel::testing::textOf(w, "xClockPin"), QString("2"));
        QTest::keyClicks(named<QLineEdit>(w, "xClockPin"), "2");
        QCOMPARE(h_->dialogs.toldTexts(), (Texts{refused.text, refused.text}));
        QCOMPARE(tarvel::testing::textOf(w, "xClockPin"), QString("2"));
    }

    // A refused save says why and keeps the window and its edits; the close box forgets
    // them. Neither writes. A save that passes is the file faults test's, on a healthy disk.
    void refusedSaveAndCloseBoxWriteNothing() {
        ConfigurationWindow* w = configurer();
        retype(w, "rapidFeed", "6\"5");
        tarvel::testing::click(w, "sauvegarder");
        QCOMPARE(h_->dialogs.toldTexts(), Texts{tarvel::config_messages::kQuoteInField.text});
        QCOMPARE(h_->windows().find("configuration"), static_cast<QWidget*>(w));
        QCOMPARE(tarvel::testing::textOf(w, "rapidFeed"), QString("6\"5"));
        QVERIFY(!std::filesystem::exists(h_->app.paths.configFile()));

        QVERIFY(h_->windows().frame("configuration")->close());
        QVERIFY(!std::filesystem::exists(h_->app.paths.configFile()));
        QCOMPARE(tarvel::testing::textOf(configurer(), "rapidFeed"), QString("80"));
    }
};

QTEST_MAIN(ConfigurationWindowTest)

#include "configurationwindow_test.moc"
