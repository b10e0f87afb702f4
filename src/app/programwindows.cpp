#include "app/programwindows.h"

#include "app/aboutwindow.h"
#include "ui/appcontext.h"
#include "ui/entrypointwindow.h"
#include "ui/configurationwindow.h"
#include "ui/cuttingwindow.h"
#include "ui/drawingwindow.h"
#include "ui/manualwindow.h"
#include "ui/simulationview.h"
#include "ui/windowregistry.h"

namespace tarvel {

void registerProgramWindows(WindowRegistry& windows, AppContext& app) {
    registerDrawingWindow(windows, app);  // dessin
    registerCuttingWindows(windows, app);  // Mach and decencours
    windows.setFactory(kConfigurationWindow, [&app] { return new ConfigurationWindow(app); });
    registerSimulationView(windows, app);  // only when the machine is the simulated one
    windows.setFactory(kManualWindow, [&app] { return new ManualWindow(app); });
    registerEntryPointWindow(windows, app);  // Form7, opened by the drawing window
    windows.setFactory(kAboutWindow, [&app] {
        return new AboutWindow(app.showHelp ? std::function<void()>([&app] { app.showHelp(kHelpContext); })
                                            : std::function<void()>());
    });
}

}  // namespace tarvel
