#include "ui/motionlock.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QMenuBar>

#include "ui/simulationview.h"
#include "ui/windowregistry.h"

namespace tarvel {

MotionLock::MotionLock(QMainWindow& main, WindowRegistry& windows)
    : QObject(&main), main_(main), windows_(windows) {
    qApp->installEventFilter(this);
}

MotionLock::~MotionLock() {
    if (qApp) qApp->removeEventFilter(this);
}

MotionLock::Scope::Scope(MotionLock* lock, const QStringList& controllers, std::function<bool()> stop)
    : lock_(lock) {
    if (!lock_) return;
    previousStop_ = lock_->stop_;
    lock_->stop_ = std::move(stop);
    if (lock_->depth_++ == 0) lock_->lockAllBut(controllers);
}

MotionLock::Scope::~Scope() {
    if (!lock_) return;
    lock_->stop_ = previousStop_;
    if (--lock_->depth_ == 0) lock_->unlock();
}

void MotionLock::lockAllBut(const QStringList& controllers) {
    auto disable = [this](QWidget* w) {
        if (w && w->isEnabled()) {
            w->setEnabled(false);
            disabled_.emplace_back(w);
        }
    };
    disable(main_.menuBar());
    for (const QString& name : windows_.openNames())
        if (!controllers.contains(name) && name != kSimulationView) disable(windows_.frame(name));
    if (QMdiSubWindow* front = windows_.frame(controllers.front())) front->raise();
}

void MotionLock::unlock() {
    for (const QPointer<QWidget>& w : disabled_)
        if (w) w->setEnabled(true);
    disabled_.clear();
}

bool MotionLock::eventFilter(QObject* watched, QEvent* event) {
    if (depth_ > 0 && event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
        stop_)
        return stop_();
    return QObject::eventFilter(watched, event);
}

}  // namespace tarvel
