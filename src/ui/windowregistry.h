// The working windows of the program, each at most once, as sub-windows of the main
// window's MDI area.
//
// A window is known by its name (`dessin`, `Mach`, `configuration`, `Form2`, `form5`,
// ...) and built by the factory registered under that name. open(name) builds it when
// it is not open and otherwise brings the existing one to the front as it stands: its
// contents are never reset by opening it again. Closing a window through its frame or
// its own command deletes it, and the registry forgets it at once, so the next
// open(name) builds a fresh one. Windows that run motion hide instead of closing
// (hide(name)): a motion loop may be running inside one of their handlers.
#pragma once

#include <functional>
#include <map>

#include <QMdiSubWindow>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class QMdiArea;
class QWidget;

namespace tarvel {

class WindowRegistry final : public QObject {
    Q_OBJECT

public:
    // Builds the window's content widget, with its title set. The registry gives it the
    // window's name as object name and wraps it in a sub-window that it owns.
    using Factory = std::function<QWidget*()>;

    explicit WindowRegistry(QMdiArea& area, QObject* parent = nullptr);

    // Registers, or replaces, how the window `name` is built.
    void setFactory(const QString& name, Factory make);
    bool hasFactory(const QString& name) const;

    // Shows the window `name`, building it first when it is not open, and makes it the
    // active sub-window. Returns its content widget; nullptr when no factory is known.
    QWidget* open(const QString& name);
    template <class W>
    W* open(const QString& name) { return qobject_cast<W*>(open(name)); }

    // The open window's content widget, or nullptr. A hidden window is still open.
    QWidget* find(const QString& name) const;
    template <class W>
    W* find(const QString& name) const { return qobject_cast<W*>(find(name)); }
    QMdiSubWindow* frame(const QString& name) const;
    bool isOpen(const QString& name) const { return find(name) != nullptr; }
    QStringList openNames() const;
    // Every window that can be opened.
    QStringList names() const;

    // Hides the window without closing it: it keeps its contents and its handlers keep
    // running; open(name) shows it again.
    void hide(const QString& name);
    // Closes the window as its frame's close box would, running its own closing logic.
    // False when the window refused.
    bool close(const QString& name);

private:
    void forget(const QString& name, const QObject* frame);

    QMdiArea& area_;
    std::map<QString, Factory> factories_;
    // Held as QWidget: a frame under destruction is no longer a QMdiSubWindow.
    std::map<QString, QPointer<QWidget>> open_;
};

}  // namespace tarvel
