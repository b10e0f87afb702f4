#include "ui/windowregistry.h"

#include <algorithm>

#include <QCloseEvent>
#include <QMdiArea>
#include <QWidget>

namespace tarvel {

namespace {

// A sub-window that tells the registry the moment its close is accepted. Qt deletes it
// only later (deleteLater), and a window being deleted must not be brought back by an
// open() in between.
class RegisteredFrame final : public QMdiSubWindow {
public:
    explicit RegisteredFrame(std::function<void(RegisteredFrame*)> onClosed)
        : onClosed_(std::move(onClosed)) {
        setAttribute(Qt::WA_DeleteOnClose);
    }

protected:
    void closeEvent(QCloseEvent* event) override {
        QMdiSubWindow::closeEvent(event);
        if (event->isAccepted() && onClosed_) {
            auto closed = std::move(onClosed_);
            onClosed_ = nullptr;
            closed(this);
        }
    }

private:
    std::function<void(RegisteredFrame*)> onClosed_;
};

// The frame takes the size its content asked for (resize() in the factory) or, failing
// that, the content's size hint; a fixed-size content gets a frame that cannot be resized.
void fitFrameToContent(QMdiSubWindow& frame, QWidget& content) {
    const QMargins m = frame.contentsMargins();
    const QSize decoration(m.left() + m.right(), m.top() + m.bottom());
    QSize wanted = content.testAttribute(Qt::WA_Resized) ? content.size() : content.sizeHint();
    if (!wanted.isValid()) return;
    wanted = wanted.expandedTo(content.minimumSizeHint());
    if (content.windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint))
        frame.setFixedSize(wanted + decoration);
    else
        frame.resize(wanted + decoration);
}

// A window opens whole in the visible part of the area: moved in from where the area
// placed it, and shrunk to the room when larger (it stays resizable, down to what its
// controls need, so a small screen squeezes it rather than cutting it off).
void keepInsideArea(QMdiSubWindow& frame, const QMdiArea& area) {
    const QRect room = area.viewport()->rect();
    if (room.isEmpty()) return;
    const QSize size = frame.size().boundedTo(room.size());
    if (size != frame.size()) {
        if (frame.minimumSize() == frame.maximumSize()) frame.setFixedSize(size);
        else frame.resize(size);
    }
    frame.move(std::clamp(frame.x(), 0, room.width() - frame.width()),
               std::clamp(frame.y(), 0, room.height() - frame.height()));
}

}  // namespace

WindowRegistry::WindowRegistry(QMdiArea& area, QObject* parent) : QObject(parent), area_(area) {}

void WindowRegistry::setFactory(const QString& name, Factory make) {
    factories_[name] = std::move(make);
}

bool WindowRegistry::hasFactory(const QString& name) const {
    auto it = factories_.find(name);
    return it != factories_.end() && it->second;
}

QMdiSubWindow* WindowRegistry::frame(const QString& name) const {
    auto it = open_.find(name);
    return it == open_.end() ? nullptr : qobject_cast<QMdiSubWindow*>(it->second.data());
}

QWidget* WindowRegistry::find(const QString& name) const {
    QMdiSubWindow* f = frame(name);
    return f ? f->widget() : nullptr;
}

QStringList WindowRegistry::openNames() const {
    QStringList names;
    for (const auto& [name, f] : open_)
        if (f) names << name;
    return names;
}

QStringList WindowRegistry::names() const {
    QStringList names;
    for (const auto& [name, make] : factories_)
        if (make) names << name;
    return names;
}

QWidget* WindowRegistry::open(const QString& name) {
    QMdiSubWindow* f = frame(name);
    if (f == nullptr) {
        if (!hasFactory(name)) return nullptr;
        QWidget* content = factories_[name]();
        if (content == nullptr) return nullptr;
        content->setObjectName(name);

        QPointer<WindowRegistry> registry(this);
        auto* made = new RegisteredFrame([registry, name](RegisteredFrame* closed) {
            if (registry) registry->forget(name, closed);
        });
        made->setWidget(content);
        if (content->windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint))
            made->setWindowFlags(Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
        area_.addSubWindow(made);
        fitFrameToContent(*made, *content);
        connect(made, &QObject::destroyed, this, [this, name](QObject* gone) { forget(name, gone); });
        open_[name] = made;
        f = made;
    }
    if (f->isMinimized()) f->showNormal();
    const bool opening = !f->isVisible();
    f->show();
    if (opening) keepInsideArea(*f, area_);
    area_.setActiveSubWindow(f);
    f->raise();
    return f->widget();
}

void WindowRegistry::hide(const QString& name) {
    if (QMdiSubWindow* f = frame(name)) f->hide();
}

bool WindowRegistry::close(const QString& name) {
    QMdiSubWindow* f = frame(name);
    return f == nullptr || f->close();
}

void WindowRegistry::forget(const QString& name, const QObject* f) {
    auto it = open_.find(name);
    if (it != open_.end() && (it->second.isNull() || static_cast<const QObject*>(it->second.data()) == f))
        open_.erase(it);
}

}  // namespace tarvel
