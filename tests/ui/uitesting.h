// Helpers shared by the window tests, with the Qt controls most of them drive.
#pragma once

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "app/mainwindow.h"
#include "config/machineconfig.h"
#include "port/simulatedmachine.h"
#include "support/scripteddialogs.h"
#include "support/tempdir.h"
#include "ui/appcontext.h"
#include "ui/windowregistry.h"

namespace tarvel::testing {

// The child control with this object name; a missing one fails the test loudly.
template <class T = QWidget>
T* named(const QObject* root, const char* name) {
    T* found = root ? root->findChild<T*>(name) : nullptr;
    if (found == nullptr) throw std::runtime_error(std::string("no control named ") + name);
    return found;
}

inline void click(const QObject* root, const char* button) {
    QTest::mouseClick(named<QPushButton>(root, button), Qt::LeftButton);
}
inline QString textOf(const QObject* root, const char* field) { return named<QLineEdit>(root, field)->text(); }

// The main window on a program folder of its own, with scripted dialogs and, when asked,
// a simulated machine on the port. Paths may be changed before show().
struct Harness {
    TempDir tmp;
    ScriptedDialogs dialogs;
    AppContext app{dialogs};
    SimulatedMachine* machine = nullptr;
    std::unique_ptr<MainWindow> window;

    explicit Harness(std::optional<SimulatedMachineSettings> simulated = std::nullopt) {
        app.paths.programDir = tmp.str();
        app.paths.scratchDir = tmp.str();
        if (!simulated) return;
        auto m = std::make_unique<SimulatedMachine>(*simulated);
        machine = m.get();
        app.port.port = std::move(m);
        app.port.simulated = true;
    }
    bool show() {
        window = std::make_unique<MainWindow>(app);
        window->show();
        return QTest::qWaitForWindowExposed(window.get());
    }
    WindowRegistry& windows() { return window->windows(); }
    // Writes the machine configuration the windows read (the defaults: 20 steps per mm
    // on every axis, 10 mm tool descent, 30 mm clearance, pins 2 to 7).
    void configure(const MachineConfig& c = MachineConfig::defaults()) {
        if (saveMachineConfig(c, app.paths.configFile())) throw std::runtime_error("configuration not written");
    }
};

struct ModalWatch {
    std::function<void(QWidget*)> act;
    QElapsedTimer clock;
    int timeoutMs = 5000;
};

inline void pollModal(const std::shared_ptr<ModalWatch>& watch) {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal->isVisible()) {
        watch->act(modal);
    } else if (watch->clock.elapsed() < watch->timeoutMs) {
        QTimer::singleShot(10, [watch] { pollModal(watch); });
    }
}

// Runs `act` on the modal dialog that the code under test is about to open: polls (from
// the dialog's own event loop) until a modal widget is up, then hands it over. A dialog
// that never shows leaves `act` unrun, which the test then sees. A modal of another
// kind than T is closed without `act`.
template <class T = QWidget>
void whenModal(std::function<void(T*)> act, int timeoutMs = 5000) {
    auto watch = std::make_shared<ModalWatch>();
    watch->act = [act = std::move(act)](QWidget* w) {
        if (auto* t = qobject_cast<T*>(w)) act(t);
        else w->close();
    };
    watch->timeoutMs = timeoutMs;
    watch->clock.start();
    QTimer::singleShot(0, [watch] { pollModal(watch); });
}

// The visible top-level widget with this object name, or nullptr.
inline QWidget* topLevelNamed(const QString& name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible()) return w;
    return nullptr;
}

}  // namespace tarvel::testing
