// Form7, the entry-point window: gives the row last double-clicked in the drawing
// window's entry-mark list (SelectedRow) an order number, or takes entry points away.
// It is not modal, and hides (never closes) after each of its commands, so the order
// number it offers next survives until the program ends.
//
// Object names:
//   Label1    "Numéro d'ordre de la découpe "
//   Text1     the order number; "1" when the window is first built
//   Command1  "Valider un nouveau point d'entrée dans la matière"
//   Command2  "Supprimer un point d'entrée dans la matière"
//   Command3  "Supprimer tous les points d'entrée"
//
// The drawing window opens it from its double click:
//
//   if (doubleClickEntryMark(form_.object, row, app_.selectedRow, app_.dialogs))
//       openEntryPointWindow(app_, *this, form_.object,
//                            [this](std::optional<std::size_t> validated) { ... });
//
// The callback runs after every command that changed an entry mark: the entry-mark list
// shows the new marks, and `validated` holds the row that "Valider" marked (the view then
// draws the path again over its picture). The window acts on the object only while the
// drawing window that gave it is alive.
#pragma once

#include <QPointer>
#include <QWidget>

#include <cstddef>
#include <functional>
#include <optional>

#include "drawing/cutorder.h"

class QLineEdit;

namespace tarvel {

struct AppContext;
class WindowRegistry;

inline const QString kEntryPointWindowName = QStringLiteral("Form7");

class EntryPointWindow final : public QWidget {
    Q_OBJECT

public:
    using Changed = std::function<void(std::optional<std::size_t> validatedRow)>;

    explicit EntryPointWindow(AppContext& app, QWidget* parent = nullptr);

    // The drawing window whose object the commands change, and what it does afterwards.
    void setTarget(QWidget& drawingWindow, CutObject& object, Changed changed);
    const EntryPointForm& form() const { return form_; }

private:
    void valider();
    void supprimer();
    void supprimerTous();
    // Runs a command on the target's object; without a live target the window only hides.
    void run(const std::function<std::optional<std::size_t>(CutObject&)>& command);
    void hideWindow();

    AppContext& app_;
    EntryPointForm form_;
    QLineEdit* orderNumber_ = nullptr;
    QPointer<QWidget> drawingWindow_;
    CutObject* object_ = nullptr;
    Changed changed_;
};

// Opens Form7 through the program's registry (building it the first time) on the
// drawing window's object. nullptr when the program has no registry (window tests).
EntryPointWindow* openEntryPointWindow(AppContext& app, QWidget& drawingWindow, CutObject& object,
                                       EntryPointWindow::Changed changed);

// Plugs Form7 into the program's window registry.
void registerEntryPointWindow(WindowRegistry& windows, AppContext& app);

}  // namespace tarvel
