// The program's working windows by name, and the one place where each is plugged into
// the main window's registry.
#pragma once

#include <QString>

namespace tarvel {

struct AppContext;
class WindowRegistry;

inline const QString kDrawingWindow = QStringLiteral("dessin");
inline const QString kCuttingWindow = QStringLiteral("Mach");
inline const QString kConfigurationWindow = QStringLiteral("configuration");
inline const QString kAboutWindow = QStringLiteral("Form2");
inline const QString kManualWindow = QStringLiteral("form5");

// Registers a factory for every working window.
void registerProgramWindows(WindowRegistry& windows, AppContext& app);

}  // namespace tarvel
