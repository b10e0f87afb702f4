// The main window: its menus, the one-of-each working windows, the about window, and
// ending the program, also from inside a running motion loop.
#include <QAbstractButton>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <memory>

#include "app/mainwindow.h"
#include "app/programwindows.h"
#include "support/scripteddialogs.h"
#include "ui/appcontext.h"
#include "ui/windowregistry.h"

namespace {

using tarvel::AppContext;
using tarvel::MainWindow;

class NamedPort final : public tarvel::ParallelPort {
public:
    void Write_Port_Bit(std::int16_t, std::int16_t) override {}
    std::int16_t Read_Busy(std::int16_t) override { return 1; }
    std::int16_t Read_Pe(std::int16_t) override { return 1; }
    std::int16_t Read_Select(std::int16_t) override { return 1; }
    std::int16_t Read_Error(std::int16_t) override { return 1; }
    std::string description() const override { return "Port d'essai"; }
};

// A working window with an edit field and a "save on close" like the real ones have,
// counting how often its closing logic ran.
class EditWindow final : public QWidget {
public:
    explicit EditWindow(const QString& title, int& closings) : closings_(closings) {
        setWindowTitle(title);
        edit = new QLineEdit(this);
        edit->setObjectName("Text1");
        resize(300, 120);
    }
    QLineEdit* edit;

protected:
    void closeEvent(QCloseEvent* e) override {
        ++closings_;
        e->accept();
    }

private:
    int& closings_;
};

// A window whose button runs a motion loop the way the cut and the jog do: yield after
// every step, return as soon as the program is ending.
class MotionWindow final : public QWidget {
public:
    MotionWindow(AppContext& app, int& closings) : app_(app), closings_(closings) {
        setWindowTitle("Gestion de l'outil de découpe");
        auto* start = new QPushButton("Découper", this);
        start->setObjectName("Command1");
        connect(start, &QPushButton::clicked, this, [this] { run(); });
    }

    std::function<void(int step)> onStep;  // runs inside the yield of each step
    int steps = 0;
    int stepAtAbort = -1;
    bool returned = false;

private:
    void run() {
        for (;;) {
            ++steps;
            const int step = steps;
            QTimer::singleShot(0, this, [this, step] { if (onStep) onStep(step); });
            app_.events.yield();
            if (app_.events.abortRequested()) {
                stepAtAbort = steps;
                break;
            }
            if (steps > 100000) break;  // the test's own bound: the abort never came
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
    std::unique_ptr<tarvel::testing::ScriptedDialogs> dialogs_;
    std::unique_ptr<AppContext> app_;
    std::unique_ptr<MainWindow> window_;

    QAction* action(const char* name) { return window_->findChild<QAction*>(name); }
    QMdiArea& area() { return window_->area(); }

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
        dialogs_ = std::make_unique<tarvel::testing::ScriptedDialogs>();
        app_ = std::make_unique<AppContext>(*dialogs_);
        app_->port.port = std::make_unique<NamedPort>();
        app_->port.description = "Machine simulée (essai)";
        app_->port.simulated = true;
        window_ = std::make_unique<MainWindow>(*app_);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }

    void cleanup() {
        window_.reset();
        app_.reset();
        dialogs_.reset();
    }

    void titleAndFiveMenuCommandsInOrder() {
        QCOMPARE(window_->objectName(), QString("MDIForm1"));
        QCOMPARE(window_->windowTitle(), QString("Tarvel V3.96"));
        QVERIFY(qobject_cast<QMdiArea*>(window_->centralWidget()) != nullptr);

        const QList<QAction*> entries = window_->menuBar()->actions();
        const QStringList names{"coo", "fidec", "config", "info", "quitter"};
        const QStringList captions{"Fichier", "Outil", "Configurer", "A propos", "Quitter"};
        QCOMPARE(entries.size(), names.size());
        for (int i = 0; i < entries.size(); ++i) {
            QCOMPARE(entries[i]->objectName(), names[i]);
            QCOMPARE(entries[i]->text(), captions[i]);
            QVERIFY2(entries[i]->menu() == nullptr, qPrintable(names[i] + " has a submenu"));
        }
        QVERIFY(area().subWindowList().isEmpty());  // start-up opens nothing else
    }

    void statusBarNamesThePortBackend() {
        auto* label = window_->statusBar()->findChild<QLabel*>("portMachine");
        QVERIFY(label != nullptr);
        QVERIFY2(label->text().contains("Machine simulée (essai)"), qPrintable(label->text()));
    }

    void menuCommandOpensItsWindow_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("title");
        QTest::newRow("Fichier") << "coo" << "dessin" << "Travail sur les Fichier";
        QTest::newRow("Outil") << "fidec" << "Mach" << "Gestion de l'outil de découpe";
        QTest::newRow("Configurer") << "config" << "configuration"
                                    << "Configuration de l'environnement ";
        QTest::newRow("A propos") << "info" << "Form2" << "Info";
    }

    void menuCommandOpensItsWindow() {
        QFETCH(QString, command);
        QFETCH(QString, window);
        QFETCH(QString, title);
        action(command.toLatin1().constData())->trigger();

        QCOMPARE(area().subWindowList().size(), 1);
        QMdiSubWindow* frame = area().activeSubWindow();
        QVERIFY(frame != nullptr);
        QCOMPARE(frame->widget()->objectName(), window);
        QCOMPARE(frame->windowTitle(), title);
        QVERIFY(frame->isVisible());
        QCOMPARE(window_->windows().find(window), frame->widget());
    }

    void reopeningAWindowBringsItBackWithItsEdits() {
        int builds = 0;
        int closings = 0;
        window_->windows().setFactory(tarvel::kConfigurationWindow, [&] {
            ++builds;
            return new EditWindow("Configuration de l'environnement ", closings);
        });
        action("config")->trigger();
        auto* config = window_->windows().find<QWidget>("configuration");
        QVERIFY(config != nullptr);
        auto* edit = config->findChild<QLineEdit*>("Text1");
        QTest::keyClicks(edit, "0,05");

        action("coo")->trigger();
        QCOMPARE(area().activeSubWindow()->widget()->objectName(), QString("dessin"));

        action("config")->trigger();
        QCOMPARE(builds, 1);
        QCOMPARE(area().subWindowList().size(), 2);
        QCOMPARE(area().activeSubWindow()->widget(), config);
        QCOMPARE(edit->text(), QString("0,05"));
        QCOMPARE(closings, 0);
    }

    void closedWindowIsForgottenAndBuiltAfresh() {
        int builds = 0;
        int closings = 0;
        window_->windows().setFactory(tarvel::kConfigurationWindow, [&] {
            ++builds;
            return new EditWindow("Configuration de l'environnement ", closings);
        });
        action("config")->trigger();
        QTest::keyClicks(window_->windows().find("configuration")->findChild<QLineEdit*>("Text1"), "12");

        QVERIFY(window_->windows().frame("configuration")->close());
        QCOMPARE(closings, 1);
        // Forgotten at once, before Qt gets round to deleting the frame.
        QVERIFY(!window_->windows().isOpen("configuration"));

        action("config")->trigger();
        QCOMPARE(builds, 2);
        QCOMPARE(window_->windows().find("configuration")->findChild<QLineEdit*>("Text1")->text(),
                 QString());
        QTRY_COMPARE(area().subWindowList().size(), 1);
        QVERIFY(window_->windows().isOpen("configuration"));
    }

    void hiddenWindowComesBackUnchanged() {
        int closings = 0;
        window_->windows().setFactory(tarvel::kManualWindow, [&] {
            return new EditWindow("Manettes virtuelles", closings);
        });
        auto* manual = window_->windows().open("form5");
        manual->findChild<QLineEdit*>("Text1")->setText("5");
        window_->windows().hide("form5");
        QVERIFY(!window_->windows().frame("form5")->isVisible());
        QVERIFY(window_->windows().isOpen("form5"));

        QCOMPARE(window_->windows().open("form5"), manual);
        QVERIFY(window_->windows().frame("form5")->isVisible());
        QCOMPARE(manual->findChild<QLineEdit*>("Text1")->text(), QString("5"));
        QCOMPARE(closings, 0);
    }

    void aboutWindowShowsTwoLinesAndNoButton() {
        action("info")->trigger();
        QWidget* about = window_->windows().find("Form2");
        QVERIFY(about != nullptr);
        QStringList lines;
        for (QLabel* l : about->findChildren<QLabel*>()) lines << l->text();
        QCOMPARE(lines, (QStringList{"Tarvel V3.96",
                                     "Logiciel de découpe assistée par ordinateur à usage personnel"}));
        QVERIFY(about->findChildren<QAbstractButton*>().isEmpty());
    }

    void closingTheAboutWindowLeavesTheProgramRunning() {
        QTimer::singleShot(0, this, [this] {
            action("info")->trigger();
            window_->windows().frame("Form2")->close();
        });
        // The loop must still be running well after the close: only the test ends it.
        QTimer::singleShot(200, [] { QCoreApplication::exit(42); });
        QCOMPARE(runEventLoop(), 42);
        QVERIFY(!app_->quitting);
        QVERIFY(window_->isVisible());
        QVERIFY(!window_->windows().isOpen("Form2"));
    }

    void quitterInsideAMotionLoopEndsTheLoopAndTheProgram() {
        int closings = 0;
        MotionWindow* motion = nullptr;
        window_->windows().setFactory(tarvel::kCuttingWindow, [&] {
            motion = new MotionWindow(*app_, closings);
            return motion;
        });
        int stepAtQuitter = -1;
        QTimer::singleShot(0, this, [&] {
            action("fidec")->trigger();
            motion->onStep = [&](int step) {
                if (step == 25) {
                    stepAtQuitter = step;
                    action("quitter")->trigger();
                }
            };
            motion->findChild<QPushButton*>("Command1")->click();  // returns when the loop does
        });

        QCOMPARE(runEventLoop(), 0);
        QVERIFY(app_->quitting);
        QVERIFY(motion != nullptr);
        QVERIFY(motion->returned);
        // The loop stopped at the yield during which "Quitter" was chosen.
        QCOMPARE(motion->stepAtAbort, stepAtQuitter);
        QVERIFY(!window_->isVisible());

        // Ending the program destroys the windows without their closing logic.
        QCOMPARE(closings, 0);
        window_.reset();
        QCOMPARE(closings, 0);
    }

    void closingTheMainWindowEndsTheProgramWithoutClosingLogic() {
        int closings = 0;
        window_->windows().setFactory(tarvel::kManualWindow, [&] {
            return new EditWindow("Manettes virtuelles", closings);
        });
        window_->windows().open("form5");
        QTimer::singleShot(0, this, [this] { window_->close(); });

        QCOMPARE(runEventLoop(), 0);
        QVERIFY(app_->quitting);
        QVERIFY(app_->events.abortRequested());
        window_.reset();
        QCOMPARE(closings, 0);
    }
};

int runMainWindowTests(int argc, char** argv) {
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "mainwindow_test.moc"
