// What the program's windows share, in one place: main() owns the one AppContext and
// hands it to the main window, which hands it to every window it builds.
#pragma once

#include <functional>
#include <string>

#include "common/paths.h"
#include "common/userdialogs.h"
#include "cutting/cutcontrol.h"
#include "port/portbackend.h"
#include "port/trackedport.h"
#include "ui/qteventpump.h"

namespace tarvel {

class MotionLock;

class WindowRegistry;

struct AppContext {
    // `dialogs`: QtDialogs in the program, a scripted UserDialogs in window tests.
    explicit AppContext(UserDialogs& dialogs) : dialogs(dialogs) {}
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    // Set once, by "Quitter" or by closing the main window; never cleared. Every motion
    // loop returns after the yield during which it was set, and windows skip their own
    // closing logic (saving settings included) once it is set.
    bool quitting = false;

    UserDialogs& dialogs;
    // yield() lets the windows work during a motion; abortRequested() is `quitting`.
    QtEventPump events{quitting};

    // Opens the help page at a help context (F1); empty in tests.
    std::function<void(int context)> showHelp;

    // Chosen once at start-up and kept until the program ends: every window that
    // drives the machine uses this one port.
    PortBackend port;
    // Every motion writes through drivingPort(), wrapped around `port`, which keeps the
    // commanded position (trackedport.h). Null while no port drives the machine.
    TrackedPort* drivingPort() {
        if (!port.port) return nullptr;
        commanded.drive(*port.port);
        return &commanded;
    }
    TrackedPort commanded;

    // Program directory (configuration, angle tables, help page) and scratch folder.
    Paths paths;

    // LastObjectFile: the .FRA file saved last since start; empty until then.
    std::string lastObjectFile;

    // SelectedRow: the row last double-clicked in the drawing window's entry-mark or
    // marker list, on which the entry-point window (Form7) acts; -1 before any.
    int selectedRow = -1;

    // CutControlFlags, the live feeds and the speed slider: shared by a running cut and
    // the cut-in-progress window, and kept from one run to the next.
    CutControl cutControl;

    // The main window's registry, for windows that open or hide other windows (saving
    // in `dessin` opens `Mach`, `form5` goes back to `Mach`). Set by the main window.
    WindowRegistry* windows = nullptr;

    // Set by the main window: what a motion holds while it runs (see motionlock.h).
    MotionLock* motionLock = nullptr;
};

}  // namespace tarvel
