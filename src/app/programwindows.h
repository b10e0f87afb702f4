// The program's working windows by name, and the one place where each is plugged into
// the main window's registry.
#pragma once

#include <QString>

class QWidget;

namespace tarvel {

struct AppContext;
class WindowRegistry;

inline const QString kDrawingWindow = QStringLiteral("dessin");
inline const QString kCuttingWindow = QStringLiteral("Mach");
inline const QString kConfigurationWindow = QStringLiteral("configuration");
inline const QString kAboutWindow = QStringLiteral("Form2");
inline const QString kManualWindow = QStringLiteral("form5");

// Registers a factory for every working window. A window whose front-end is not there
// yet opens as an empty window with its name and title.
void registerProgramWindows(WindowRegistry& windows, AppContext& app);

// An empty window with the given name and title.
QWidget* makePlaceholderWindow(const QString& name, const QString& title);

}  // namespace tarvel
