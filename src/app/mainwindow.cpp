#include "app/mainwindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>

#include "app/programwindows.h"
#include "port/portmessages.h"
#include "ui/appcontext.h"
#include "ui/motionlock.h"
#include "ui/simulationview.h"
#include "ui/windowregistry.h"

namespace tarvel {

namespace {

QString portText(const PortBackend& backend) {
    std::string name = backend.description;
    if (name.empty() && backend.port) name = backend.port->description();
    if (name.empty()) name = "aucun port";
    return QString("Commande de la machine : %1").arg(QString::fromStdString(name));
}

}  // namespace

MainWindow::MainWindow(AppContext& app, QWidget* parent)
    : QMainWindow(parent), app_(app), area_(new QMdiArea(this)) {
    setObjectName("MDIForm1");
    setWindowTitle("Tarvel V3.96");
    resize(1024, 700);

    area_->setObjectName("zoneFenetres");
    area_->setBackground(QColor(0x8f, 0x9c, 0xab));
    setCentralWidget(area_);

    windows_ = new WindowRegistry(*area_, this);
    app_.windows = windows_;
    app_.motionLock = new MotionLock(*this, *windows_);
    registerProgramWindows(*windows_, app_);

    buildMenus();

    portLabel_ = new QLabel(portText(app_.port), this);
    portLabel_->setObjectName("portMachine");
    if (!app_.port.portFailure.empty()) portLabel_->setStyleSheet("color: #b00000;");
    statusBar()->addWidget(portLabel_, 1);

    // The simulated machine's view opens by itself at the first motion; this brings it
    // back once closed (the menu bar keeps its five commands).
    if (windows_->hasFactory(kSimulationView)) {
        auto* view = new QPushButton("Voir la machine simulée", this);
        view->setObjectName("voirSimulation");
        connect(view, &QPushButton::clicked, this, [this] { windows_->open(kSimulationView); });
        statusBar()->addPermanentWidget(view);
    }

    if (app_.showHelp) {
        auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
        connect(f1, &QShortcut::activated, this, [this] { app_.showHelp(kHelpContext); });
    }
}

MainWindow::~MainWindow() {
    if (app_.windows == windows_) app_.windows = nullptr;
    app_.motionLock = nullptr;
}

void MainWindow::buildMenus() {
    QMenuBar* bar = menuBar();
    auto command = [bar](const char* name, const QString& caption) {
        QAction* a = bar->addAction(caption);
        a->setObjectName(name);
        return a;
    };
    connect(command("coo", "Fichier"), &QAction::triggered, this,
            [this] { windows_->open(kDrawingWindow); });
    connect(command("fidec", "Outil"), &QAction::triggered, this,
            [this] { windows_->open(kCuttingWindow); });
    connect(command("config", "Configurer"), &QAction::triggered, this,
            [this] { windows_->open(kConfigurationWindow); });
    connect(command("info", "A propos"), &QAction::triggered, this,
            [this] { windows_->open(kAboutWindow); });
    connect(command("quitter", "Quitter"), &QAction::triggered, this, [this] { quitProgram(); });
}

void MainWindow::quitProgram() {
    if (app_.quitting) return;
    app_.quitting = true;
    // Hiding runs no closing logic; a motion loop still on the stack of one of these
    // windows returns at its next yield and finds its window alive.
    hide();
    QCoreApplication::quit();
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (portFailureTold_ || app_.port.portFailure.empty()) return;
    portFailureTold_ = true;
    // Once the window is on screen, so that the box stands in front of it.
    QTimer::singleShot(0, this, [this] {
        if (!app_.quitting) app_.dialogs.tell(portmessages::realPortNotUsed(app_.port.portFailure));
    });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    quitProgram();
    event->accept();
}

}  // namespace tarvel
