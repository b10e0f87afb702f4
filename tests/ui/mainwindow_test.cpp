// The main window: its menus, its one-of-each windows, and quitting inside a motion loop.
#include "app/programwindows.h"
#include "port/portmessages.h"
#include "uitesting.h"

using tarvel::testing::click;

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<tarvel::testing::Harness> h_;
    tarvel::MainWindow* window_ = nullptr;

    QAction* action(const QString& name) { return tarvel::testing::named<QAction>(window_, qPrintable(name)); }
    QMdiArea& area() { return window_->area(); }

private slots:
    void init() {
        QVERIFY((h_ = std::make_unique<tarvel::testing::Harness>(tarvel::SimulatedMachineSettings{}, true))->show());
        window_ = h_->window.get();
    }
    void cleanup() { h_.reset(); }

    // Each menu command opens its window, alone and in front; start-up opens none. The
    // command again, after another window came in front, brings back the same window.
    void menuCommandOpensItsWindowOnce_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("window");
        QTest::newRow("Fichier") << "coo" << "dessin";
        QTest::newRow("Outil") << "fidec" << "Mach";
        QTest::newRow("Configurer") << "config" << "configuration";
        QTest::newRow("A propos") << "info" << "Form2";
    }

    void menuCommandOpensItsWindowOnce() {
        QFETCH(QString, command);
        QFETCH(QString, window);
        QVERIFY(area().subWindowList().isEmpty());
        action(command)->trigger();
        QCOMPARE(area().subWindowList().size(), 1);
        QMdiSubWindow* frame = area().activeSubWindow();
        QVERIFY(frame != nullptr && frame->isVisible() && window_->windows().find(window) == frame->widget());

        action(command == "info" ? "config" : "info")->trigger();
        QVERIFY(area().activeSubWindow() != frame);
        action(command)->trigger();
        QVERIFY(area().subWindowList().size() == 2 && area().activeSubWindow() == frame);
    }

    // "Quitter" or the main window's close box, chosen while "A la niche" runs in the
    // manual window, ends the homing at that yield, without a word, and then the program.
    void endingInsideAMotionLoopEndsTheLoopAndTheProgram_data() {
        QTest::addColumn<bool>("byCloseBox");
        QTest::newRow("Quitter") << false;
        QTest::newRow("fermeture") << true;
    }

    void endingInsideAMotionLoopEndsTheLoopAndTheProgram() {
        QFETCH(bool, byCloseBox);
        QWidget* manual = window_->windows().open(tarvel::kManualWindow);
        int moves = 0, movesAtQuit = -1;
        bool returned = false;
        h_->machine->addListener([&](const tarvel::MachineMotion& m) {
            if (!m.moved || ++moves != 25) return;
            QTimer::singleShot(0, window_, [&] {  // at the homing's next yield
                movesAtQuit = moves;
                if (byCloseBox) window_->close();
                else action("quitter")->trigger();
            });
        });
        QTimer::singleShot(0, this, [&] {
            click(manual, "Command1");  // returns when the homing does
            returned = true;
        });

        // The program's event loop, until it ends or the test gives up (99).
        QObject guard;  // a guard left over from an earlier row must not end a later loop
        QTimer::singleShot(5000, &guard, [] { QCoreApplication::exit(99); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(returned && h_->app.quitting && h_->app.events.abortRequested());
        QCOMPARE(QString("%1 %2").arg(movesAtQuit).arg(moves), QString("25 25"));
        QVERIFY(h_->dialogs.told.empty() && !window_->isVisible());
    }

    // At 1024x700 and 1280x1024 every window opens whole in sight, not squeezed below its
    // controls' needs; F1 there and the link of "Info" open the help.
    void everyWindowOpensInsideTheAreaWithItsHelp() {
        std::vector<int> asked;
        for (const QSize screen : {QSize(1024, 700), QSize(1280, 1024)}) {
            h_ = std::make_unique<tarvel::testing::Harness>(tarvel::SimulatedMachineSettings{}, true);
            h_->app.showHelp = [&asked](int context) { asked.push_back(context); };
            QVERIFY(h_->show());
            h_->window->resize(screen), QApplication::setActiveWindow(h_->window.get());
            QTest::qWait(20);
            const QRect room = h_->window->area().viewport()->rect();
            for (const QString& name : h_->windows().names()) {
                QWidget* content = h_->windows().open(name);
                QVERIFY2(room.contains(h_->windows().frame(name)->geometry()) &&
                             content->size().expandedTo(content->minimumSizeHint()) == content->size(), qPrintable(name));
                QTest::keyClick(content, Qt::Key_F1);
            }
        }
        emit tarvel::testing::named<QLabel>(h_->windows().find(tarvel::kAboutWindow), "lienAide")->linkActivated("aide");
        QCOMPARE(asked, std::vector<int>(2 * h_->windows().names().size() + 1, tarvel::kHelpContext));
    }

    void portThatCouldNotBeUsedIsToldOnceAtStart() {
        h_ = std::make_unique<tarvel::testing::Harness>(tarvel::SimulatedMachineSettings{}, true);
        h_->app.port.portFailure = "Impossible d'ouvrir /dev/parport0 : occupé par un autre programme";
        QVERIFY(h_->show());
        const std::vector expected{tarvel::portmessages::realPortNotUsed(h_->app.port.portFailure).text};
        QTRY_COMPARE(h_->dialogs.toldTexts(), expected);
        h_->window->hide();
        h_->window->show();
        QTest::qWait(20);
        QCOMPARE(h_->dialogs.toldTexts(), expected);  // not again
    }
};

QTEST_MAIN(MainWindowTest)

#include "mainwindow_test.moc"
