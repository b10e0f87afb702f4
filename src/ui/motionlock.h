// While a motion runs (a cut, a jog, a homing), nothing else may start one or put up a
// box that keeps the motion waiting: the main menus and every other window are disabled,
// the window that controls the motion stays in front, and Escape, pressed in any window
// of the program, stops the motion as its own stop button would.
//
// The simulated machine's view stays usable: it only shows the motion.
#pragma once

#include <functional>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class QMainWindow;
class QWidget;

namespace tarvel {

class WindowRegistry;

class MotionLock final : public QObject {
public:
    MotionLock(QMainWindow& main, WindowRegistry& windows);
    ~MotionLock() override;

    // Held for the time of one motion. `controllers` names the windows that stay usable;
    // `stop` is what Escape does, and says whether it acted (a cut not yet under way lets
    // Escape answer its question). A motion started inside another's yields shares the
    // outer lock. A null lock (window tests without a main window) does nothing.
    class Scope {
    public:
        Scope(MotionLock* lock, const QStringList& controllers, std::function<bool()> stop);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        QPointer<MotionLock> lock_;
        std::function<bool()> previousStop_;
    };

    bool active() const { return depth_ > 0; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void lockAllBut(const QStringList& controllers);
    void unlock();

    QMainWindow& main_;
    WindowRegistry& windows_;
    int depth_ = 0;
    std::function<bool()> stop_;
    std::vector<QPointer<QWidget>> disabled_;
};

}  // namespace tarvel
