#include "ui/helpwindow.h"

#include <algorithm>

#include <QApplication>
#include <QFileInfo>
#include <QScreen>
#include <QUrl>

namespace tarvel {

HelpWindow::HelpWindow(QString pageFile, QWidget* parent)
    : QTextBrowser(parent), pageFile_(std::move(pageFile)) {
    setObjectName("aide");
    setWindowTitle("Aide de Tarvel");
    setWindowFlag(Qt::Window);
    setOpenExternalLinks(false);
    resize(680, 600);
}

void HelpWindow::showContext(int context) {
    if (QFileInfo::exists(pageFile_)) {
        QUrl url = QUrl::fromLocalFile(pageFile_);
        url.setFragment(QString("c%1").arg(context));
        setSource(url);
    } else {
        setHtml(QString("<p>La page d'aide est introuvable&nbsp;: <b>%1</b></p>"
                        "<p>Elle doit se trouver dans le dossier du programme.</p>")
                    .arg(pageFile_.toHtmlEscaped()));
    }

    QWidget* modal = QApplication::activeModalWidget();
    const Qt::WindowModality wanted =
        modal != nullptr && modal != this ? Qt::ApplicationModal : Qt::NonModal;
    if (windowModality() != wanted) {
        // Qt takes a new modality only while the window is hidden.
        hide();
        setWindowModality(wanted);
    }
    if (!isVisible()) keepOnScreen();
    show();
    raise();
    activateWindow();
}

// The page opens whole on the screen of the window in front, centred on it.
void HelpWindow::keepOnScreen() {
    const QWidget* front = QApplication::activeWindow();
    const QScreen* screen = front ? front->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect room = screen->availableGeometry();
    resize(size().boundedTo(room.size() - QSize(40, 60)));
    QRect placed(QPoint(), frameGeometry().size().boundedTo(room.size()));
    placed.moveCenter(front ? front->frameGeometry().center() : room.center());
    placed.moveLeft(std::clamp(placed.left(), room.left(), room.right() + 1 - placed.width()));
    placed.moveTop(std::clamp(placed.top(), room.top(), room.bottom() + 1 - placed.height()));
    move(placed.topLeft());
}

}  // namespace tarvel
