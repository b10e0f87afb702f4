// Helpers shared by the window tests.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace tarvel::testing {

struct ModalWatch {
    std::function<void(QWidget*)> act;
    QElapsedTimer clock;
    int timeoutMs = 5000;
};

inline void pollModal(const std::shared_ptr<ModalWatch>& watch) {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal->isVisible()) {
        watch->act(modal);
    } else if (watch->clock.elapsed() < watch->timeoutMs) {
        QTimer::singleShot(10, [watch] { pollModal(watch); });
    }
}

// Runs `act` on the modal dialog that the code under test is about to open: polls (from
// the dialog's own event loop) until a modal widget is up, then hands it over. A dialog
// that never shows leaves `act` unrun, which the test then sees.
inline void whenModal(std::function<void(QWidget*)> act, int timeoutMs = 5000) {
    auto watch = std::make_shared<ModalWatch>();
    watch->act = std::move(act);
    watch->timeoutMs = timeoutMs;
    watch->clock.start();
    QTimer::singleShot(0, [watch] { pollModal(watch); });
}

// The visible top-level widget with this object name, or nullptr.
inline QWidget* topLevelNamed(const QString& name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible()) return w;
    return nullptr;
}

}  // namespace tarvel::testing
