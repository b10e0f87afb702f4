// The configuration window from "Configurer"; which entries are refused is the
// configuration logic's, tested with it.
#include <filesystem>

#include "config/configurationwindow.h"
#include "ui/configurationwindow.h"
#include "uitesting.h"

using tarvel::ConfigurationWindow;
using tarvel::testing::retype;
using tarvel::testing::textOf;
using Texts = std::vector<std::string>;

class ConfigurationWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<tarvel::testing::Harness> h_;

    ConfigurationWindow* configurer() {
        tarvel::testing::named<QAction>(h_->window.get(), "config")->trigger();
        return h_->windows().find<ConfigurationWindow>("configuration");
    }
    QString text(const char* field) { return textOf(configurer(), field); }

private slots:
    void init() { QVERIFY((h_ = std::make_unique<tarvel::testing::Harness>())->show()); }
    void cleanup() { h_.reset(); }

    // A refused pin is told at the keystroke and replaced by 2.
    void aPinOutsideTwoToNineIsRefusedAtTheKeystroke() {
        retype(configurer(), "xClockPin", "1");
        QCOMPARE(h_->dialogs.toldTexts(), Texts{tarvel::config_messages::kPinOutOfRange.text});
        QCOMPARE(text("xClockPin"), QString("2"));
    }

    // A refused save says why and keeps the window and its edits; the close box forgets
    // them. Neither writes. A save that passes is the file faults test's, on a healthy disk.
    void refusedSaveAndCloseBoxWriteNothing() {
        retype(configurer(), "rapidFeed", "6\"5");
        tarvel::testing::click(configurer(), "sauvegarder");
        QCOMPARE(h_->dialogs.toldTexts(), Texts{tarvel::config_messages::kQuoteInField.text});
        QVERIFY(h_->windows().isOpen("configuration"));
        QCOMPARE(text("rapidFeed"), QString("6\"5"));
        QVERIFY(h_->windows().frame("configuration")->close());
        QVERIFY(!std::filesystem::exists(h_->app.paths.configFile()));
        QCOMPARE(text("rapidFeed"), QString("80"));
    }
};

QTEST_MAIN(ConfigurationWindowTest)

#include "configurationwindow_test.moc"
