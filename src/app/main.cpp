// Tarvel: start-up. Only the main window is created and shown; every working window
// reads the files it needs when it is opened.
//
// TARVEL_SCREENSHOT=file.png grabs the main window once it is shown, saves it and ends
// the program (for the documentation's pictures); TARVEL_SCREENSHOT_OPEN=Form2,dessin
// opens those windows first.

#include <QApplication>
#include <QPixmap>
#include <QTimer>

#include <cstdio>
#include <exception>
#include <functional>
#include <new>

#include "app/mainwindow.h"
#include "common/leftovers.h"
#include "port/portbackend.h"
#include "ui/appcontext.h"
#include "ui/programicon.h"
#include "ui/qtdialogs.h"
#include "ui/qttranslations.h"
#include "ui/windowregistry.h"

namespace {

void scheduleScreenshot(tarvel::MainWindow& window, const QString& file, const QString& toOpen) {
    QTimer::singleShot(400, &window, [&window, file, toOpen] {
        for (const QString& name : toOpen.split(',', Qt::SkipEmptyParts))
            window.windows().open(name.trimmed());
        QTimer::singleShot(400, &window, [&window, file] {
            const bool saved = window.grab().save(file, "PNG");
            if (!saved) std::fprintf(stderr, "tarvel: impossible d'écrire %s\n", qPrintable(file));
            window.quitProgram();
            if (!saved) QCoreApplication::exit(1);
        });
    });
}

// No exception may cross Qt's event loop: one that a command did not foresee (memory
// exhausted by a file far larger than any the program makes) ends that command with a
// message, and the program carries on.
class GuardedApplication final : public QApplication {
public:
    using QApplication::QApplication;
    std::function<void(const tarvel::Message&)> tell;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::bad_alloc&) {
            report(true);
        } catch (const std::exception&) {
            report(false);
        }
        return false;
    }

private:
    void report(bool outOfMemory) {
        if (tell) tell(tarvel::commandInterrupted(outOfMemory));
    }
};

}  // namespace

int main(int argc, char** argv) {
    GuardedApplication qtApp(argc, argv);
    QApplication::setApplicationName("Tarvel");
    QApplication::setWindowIcon(tarvel::programIcon());
    tarvel::installQtFrench(qtApp);

    tarvel::QtDialogs dialogs;
    qtApp.tell = [&dialogs](const tarvel::Message& m) { dialogs.tell(m); };
    tarvel::AppContext app(dialogs);
    app.showHelp = [&dialogs](int context) { dialogs.showHelp(context); };
    app.port = tarvel::choosePortBackendFromEnvironment();
    app.paths = tarvel::Paths::forThisProgram();
    tarvel::removeLeftoversAtStart(app.paths);

    tarvel::MainWindow window(app);
    window.show();

    const QString screenshot = qEnvironmentVariable("TARVEL_SCREENSHOT");
    if (!screenshot.isEmpty())
        scheduleScreenshot(window, screenshot, qEnvironmentVariable("TARVEL_SCREENSHOT_OPEN"));

    return QApplication::exec();
}
