#include "app/aboutwindow.h"

#include <QLabel>
#include <QVBoxLayout>

namespace tarvel {

AboutWindow::AboutWindow(std::function<void()> openHelp, QWidget* parent) : QWidget(parent) {
    setObjectName("Form2");
    setWindowTitle("Info");
    // Static text: the window keeps the size of its lines.
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);

    auto* name = new QLabel("Tarvel V3.96", this);
    name->setObjectName("Label1");
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    name->setFont(big);

    auto* purpose = new QLabel("Logiciel de découpe assistée par ordinateur à usage personnel", this);
    purpose->setObjectName("Label2");

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(28, 22, 28, 26);
    layout->setSpacing(10);
    layout->addWidget(name, 0, Qt::AlignHCenter);
    layout->addWidget(purpose, 0, Qt::AlignHCenter);
    if (openHelp) {
        auto* help = new QLabel("<a href=\"aide\">Aide de Tarvel</a> (touche F1)", this);
        help->setObjectName("lienAide");
        connect(help, &QLabel::linkActivated, this, [openHelp] { openHelp(); });
        layout->addWidget(help, 0, Qt::AlignHCenter);
    }
}

}  // namespace tarvel
