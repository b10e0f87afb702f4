#include "ui/helpwindow.h"

#include <QApplication>
#include <QFileInfo>
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
    show();
    raise();
    activateWindow();
}

}  // namespace tarvel
