// The main window: its menus, the one-of-each working windows, the about window, and
// ending the program, also from inside a running motion loop.
#include <QCloseEvent>
#include <QStatusBar>

#include "app/programwindows.h"
#include "uitesting.h"

namespace {

using tarvel::AppContext;

// A working window with an edit field, counting how often its closing logic ran. Its
// button runs a motion loop the way the cut and the jog do: yield after every step,
// return as soon as the program is ending.
class TestWindow final : public QWidget {
public:
    TestWindow(const QString& title, AppContext& app, int& closings) : app_(app), closings_(closings) {
        setWindowTitle(title);
        (new QLineEdit(this))->setObjectName("Text1");
        auto* start = new QPushButton("Découper", this);
        start->setObjectName("Command1");
        connect(start, &QPushButton::clicked, this, [this] { run(); });
        resize(300, 120);
    }

    std::function<void(int step)> onStep;  // runs inside the yield of each step
    int steps = 0;
    int stepAtAbort = -1;
    bool returned = false;

private:
    void run() {
        while (++steps <= 100000) {  // the test's own bound: the abort never came
            QTimer::singleShot(0, this, [this, step = steps] { if (onStep) onStep(step); });
            app_.events.yield();
            if (app_.events.abortRequested()) {
                stepAtAbort = steps;
                break;
            }
        }
        returned = true;
    }
    void closeEvent(QCloseEvent* e) override {
        ++closings_;
        e->accept();
    }

    AppContext& app_;
    int& closings_;
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<tarvel::testing::Harness> h_;
    AppContext* app_ = nullptr;
    tarvel::MainWindow* window_ = nullptr;
    int builds_ = 0, closings_ = 0;

    QAction* action(const char* name) { return window_->findChild<QAction*>(name); }
    QMdiArea& area() { return window_->area(); }
    TestWindow* last_ = nullptr;
    // The configuration, manual and cutting windows replaced by TestWindows, counted in
    // builds_ and closings_.
    void useTestWindows() {
        for (const QString& name : {tarvel::kConfigurationWindow, tarvel::kManualWindow, tarvel::kCuttingWindow})
            window_->windows().setFactory(name, [this, name] {
                ++builds_;
                return last_ = new TestWindow(name, *app_, closings_);
            });
    }
    QLineEdit* editOf(const char* window) { return window_->windows().find(window)->findChild<QLineEdit*>("Text1"); }

    // Runs the program's event loop until it ends or `timeoutMs` passes (then 99).
    static int runEventLoop(int timeoutMs = 5000) {
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        guard.start(timeoutMs);
        return QCoreApplication::exec();
    }

private slots:
    void init() {
        h_ = std::make_unique<tarvel::testing::Harness>(tarvel::SimulatedMachineSettings{});
        app_ = &h_->app;
        app_->port.description = "Machine simulée (essai)";
        QVERIFY(h_->show());
        window_ = h_->window.get();
        builds_ = closings_ = 0;
    }
    void cleanup() { h_.reset(); }

    void statusBarNamesThePortBackend() {
        auto* label = window_->statusBar()->findChild<QLabel*>("portMachine");
        QVERIFY(label != nullptr);
        QVERIFY2(label->text().contains("Machine simulée (essai)"), qPrintable(label->text()));
    }

    // Each of the four menu commands opens its window, alone and in front; start-up opens none.
    void menuCommandOpensItsWindow_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("window");
        QTest::newRow("Fichier") << "coo" << "dessin";
        QTest::newRow("Outil") << "fidec" << "Mach";
        QTest::newRow("Configurer") << "config" << "configuration";
        QTest::newRow("A propos") << "info" << "Form2";
    }

    void menuCommandOpensItsWindow() {
        QFETCH(QString, command);
        QFETCH(QString, window);
        QVERIFY(area().subWindowList().isEmpty());
        action(command.toLatin1().constData())->trigger();
        QCOMPARE(area().subWindowList().size(), 1);
        QMdiSubWindow* frame = area().activeSubWindow();
        QVERIFY(frame != nullptr && frame->isVisible());
        QCOMPARE(frame->widget()->objectName(), window);
        QCOMPARE(window_->windows().find(window), frame->widget());
    }

    // A window opens once: "Configurer" again brings back the same one with its edits, a
    // hidden one comes back unchanged, a closed one is forgotten and built afresh.
    void eachWindowOnceBroughtToFrontUntilClosed() {
        useTestWindows();
        action("config")->trigger();
        QWidget* config = window_->windows().find("configuration");
        QVERIFY(config != nullptr);
        QTest::keyClicks(editOf("configuration"), "0,05");
        action("coo")->trigger();
        QCOMPARE(area().activeSubWindow()->widget()->objectName(), QString("dessin"));
        action("config")->trigger();
        QCOMPARE(builds_, 1);
        QCOMPARE(area().subWindowList().size(), 2);
        QCOMPARE(area().activeSubWindow()->widget(), config);
        QCOMPARE(editOf("configuration")->text(), QString("0,05"));

        QWidget* manual = window_->windows().open("form5");
        editOf("form5")->setText("5");
        window_->windows().hide("form5");
        QVERIFY(!window_->windows().frame("form5")->isVisible() && window_->windows().isOpen("form5"));
        QCOMPARE(window_->windows().open("form5"), manual);
        QVERIFY(window_->windows().frame("form5")->isVisible());
        QCOMPARE(editOf("form5")->text(), QString("5"));
        QCOMPARE(closings_, 0);

        QVERIFY(window_->windows().frame("configuration")->close());
        QCOMPARE(closings_, 1);
        // Forgotten at once, before Qt gets round to deleting the frame.
        QVERIFY(!window_->windows().isOpen("configuration"));
        action("config")->trigger();
        QCOMPARE(builds_, 3);
        QCOMPARE(editOf("configuration")->text(), QString());
        QTRY_COMPARE(area().subWindowList().size(), 3);
    }

    void closingTheAboutWindowLeavesTheProgramRunning() {
        QTimer::singleShot(0, this, [this] {
            action("info")->trigger();
            window_->windows().frame("Form2")->close();
        });
        // The loop must still be running well after the close: only the test ends it.
        QTimer::singleShot(200, [] { QCoreApplication::exit(42); });
        QCOMPARE(runEventLoop(), 42);
        QVERIFY(!app_->quitting && window_->isVisible());
        QVERIFY(!window_->windows().isOpen("Form2"));
    }

    // "Quitter" or the main window's close box, chosen inside a motion loop, ends the loop
    // at that yield and then the program; the windows go without their closing logic.
    void endingInsideAMotionLoopEndsTheLoopAndTheProgram_data() {
        QTest::addColumn<bool>("byCloseBox");
        QTest::newRow("Quitter") << false;
        QTest::newRow("fermeture") << true;
    }

    void endingInsideAMotionLoopEndsTheLoopAndTheProgram() {
        QFETCH(bool, byCloseBox);
        useTestWindows();
        TestWindow* motion = nullptr;
        QTimer::singleShot(0, this, [&] {
            action("fidec")->trigger();
            motion = last_;
            motion->onStep = [&](int step) {
                if (step != 25) return;
                if (byCloseBox) window_->close();
                else action("quitter")->trigger();
            };
            motion->findChild<QPushButton*>("Command1")->click();  // returns when the loop does
        });

        QCOMPARE(runEventLoop(), 0);
        QVERIFY(app_->quitting && app_->events.abortRequested());
        QVERIFY(motion != nullptr && motion->returned);
        QCOMPARE(motion->stepAtAbort, 25);
        QVERIFY(!window_->isVisible());
        h_->window.reset();
        QCOMPARE(closings_, 0);
    }
};

int runMainWindowTests(int argc, char** argv) {
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "mainwindow_test.moc"
