#include "ui/entrypointwindow.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "ui/appcontext.h"
#include "ui/windowregistry.h"

namespace tarvel {

EntryPointWindow::EntryPointWindow(AppContext& app, QWidget* parent)
    : QWidget(parent), app_(app), form_(app.dialogs) {
    setObjectName(kEntryPointWindowName);
    setWindowTitle(QStringLiteral("Point d'entrée dans la matière"));

    auto* label = new QLabel(QStringLiteral("Numéro d'ordre de la découpe "), this);
    label->setObjectName("Label1");
    orderNumber_ = new QLineEdit(QString::fromStdString(form_.orderNumber), this);
    orderNumber_->setObjectName("Text1");
    orderNumber_->setMaximumWidth(90);
    label->setBuddy(orderNumber_);

    auto button = [this](const char* name, const QString& caption, void (EntryPointWindow::*command)()) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        connect(b, &QPushButton::clicked, this, command);
        return b;
    };
    QPushButton* validate = button("Command1", QStringLiteral("Valider un nouveau point d'entrée dans la matière"),
                                   &EntryPointWindow::valider);
    QPushButton* remove = button("Command2", QStringLiteral("Supprimer un point d'entrée dans la matière"),
                                 &EntryPointWindow::supprimer);
    QPushButton* removeAll =
        button("Command3", QStringLiteral("Supprimer tous les points d'entrée"), &EntryPointWindow::supprimerTous);

    auto* field = new QGridLayout;
    field->addWidget(label, 0, 0);
    field->addWidget(orderNumber_, 0, 1);
    field->setColumnStretch(2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(field);
    layout->addWidget(validate);
    layout->addWidget(remove);
    layout->addWidget(removeAll);
    layout->addStretch(1);
}

void EntryPointWindow::setTarget(QWidget& drawingWindow, CutObject& object, Changed changed) {
    drawingWindow_ = &drawingWindow;
    object_ = &object;
    changed_ = std::move(changed);
    form_.show();
}

void EntryPointWindow::valider() {
    run([this](CutObject& object) { return form_.confirmEntry(object, app_.selectedRow); });
}

void EntryPointWindow::supprimer() {
    run([this](CutObject& object) {
        form_.removeEntry(object, app_.selectedRow);
        return std::optional<std::size_t>();
    });
}

void EntryPointWindow::supprimerTous() {
    run([this](CutObject& object) {
        form_.removeAllEntries(object);
        return std::optional<std::size_t>();
    });
}

void EntryPointWindow::run(const std::function<std::optional<std::size_t>(CutObject&)>& command) {
    form_.orderNumber = orderNumber_->text().toStdString();
    if (drawingWindow_.isNull() || object_ == nullptr) {
        // The drawing window that opened us has closed: its object went with it.
        object_ = nullptr;
        hideWindow();
        return;
    }
    const std::optional<std::size_t> validated = command(*object_);
    orderNumber_->setText(QString::fromStdString(form_.orderNumber));
    if (form_.visible) return;  // refused: the window stays for the user to correct it
    hideWindow();
    if (changed_) changed_(validated);
}

void EntryPointWindow::hideWindow() {
    form_.visible = false;
    if (app_.windows != nullptr && app_.windows->isOpen(objectName()))
        app_.windows->hide(objectName());
    else
        hide();
}

namespace {

// Puts Form7 beside the drawing window, so that the point being numbered stays in sight:
// on its right when the workspace has room there, else on its left, else at the
// workspace's right edge.
void placeBeside(QWidget& window, QWidget& drawingWindow) {
    auto* frame = qobject_cast<QMdiSubWindow*>(window.parentWidget());
    auto* drawing = qobject_cast<QMdiSubWindow*>(drawingWindow.parentWidget());
    if (frame == nullptr || drawing == nullptr || frame->mdiArea() == nullptr) return;
    const QRect room = frame->mdiArea()->viewport()->rect();
    const QRect beside = drawing->geometry();
    int x = beside.right() + 1;
    if (x + frame->width() > room.right() + 1) x = beside.left() - frame->width();
    if (x < room.left()) x = room.right() + 1 - frame->width();
    const int y = std::clamp(beside.top(), room.top(), std::max(room.top(), room.bottom() + 1 - frame->height()));
    frame->move(std::max(room.left(), x), y);
}

}  // namespace

EntryPointWindow* openEntryPointWindow(AppContext& app, QWidget& drawingWindow, CutObject& object,
                                       EntryPointWindow::Changed changed) {
    if (app.windows == nullptr) return nullptr;
    auto* window = app.windows->open<EntryPointWindow>(kEntryPointWindowName);
    if (window == nullptr) return nullptr;
    window->setTarget(drawingWindow, object, std::move(changed));
    placeBeside(*window, drawingWindow);
    return window;
}

void registerEntryPointWindow(WindowRegistry& windows, AppContext& app) {
    windows.setFactory(kEntryPointWindowName, [&app] { return new EntryPointWindow(app); });
}

}  // namespace tarvel
