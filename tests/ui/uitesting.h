// Helpers shared by the window tests, with the Qt controls most of them drive.
#pragma once

#include <QTest>
#include <QtWidgets>

#include <filesystem>
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
// Replaces a field's text as the user would: select all, then type.
inline void retype(const QObject* root, const char* field, const QString& text) {
    named<QLineEdit>(root, field)->selectAll();
    QTest::keyClicks(named<QLineEdit>(root, field), text);
}
// Where the machine stands, in steps on X, Y and Z.
inline QString stepsOf(const SimulatedMachine& m) {
    return QString("%1 %2 %3").arg(m.xSteps()).arg(m.ySteps()).arg(m.zSteps());
}
// A click, or a double click, on a row of a list, brought into sight first.
inline void clickRow(QListView* list, int row, bool twice = false) {
    const QModelIndex index = list->model()->index(row, 0);
    list->scrollTo(index);
    const QPoint at = list->visualRect(index).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    if (twice) QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// The main window on a program folder of its own, its scratch files in a "scratch" folder
// inside, with scripted dialogs and, when asked, a simulated machine on the port. Paths
// may be changed before show().
struct Harness {
    TempDir tmp;
    ScriptedDialogs dialogs;
    AppContext app{dialogs};
    SimulatedMachine* machine = nullptr;
    std::unique_ptr<MainWindow> window;

    explicit Harness(std::optional<SimulatedMachineSettings> simulated = std::nullopt, bool configured = false) {
        app.paths.programDir = tmp.str();
        app.paths.scratchDir = tmp.file("scratch");
        std::filesystem::create_directory(app.paths.scratchDir);
        if (configured) configure();
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

}  // namespace tarvel::testing
