#include "ui/cutprogresswindow.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include <string>

#include "common/textrules.h"
#include "cutting/cutcontrol.h"

namespace tarvel {

namespace {

// Often enough to look alive, rarely enough to cost nothing next to the cut's delays.
constexpr int kRefreshMs = 200;

}  // namespace

QString groupedNumber(std::uint64_t value) {
    const std::string digits = integerText(static_cast<std::int64_t>(value));
    QString out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += QChar(0x00A0);
        out += QChar(digits[i]);
    }
    return out;
}

CutProgressWindow::CutProgressWindow(CutControl& control, const TrackedPort& machine, QWidget* parent)
    : QWidget(parent), control_(control), machine_(machine) {
    setObjectName(kCutProgressWindowName);
    setWindowTitle("Découpe en cours");

    auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setMinimumHeight(32);
        return b;
    };
    stop_ = button("arretUrgence", "Arret d'urgence");
    stop_->setMinimumHeight(44);
    stop_->setStyleSheet(
        "QPushButton { background: #c62828; color: white; font-weight: bold; border-radius: 4px; }"
        "QPushButton:pressed { background: #8e1b1b; }"
        "QPushButton:disabled { background: #d8a5a5; }");
    pause_ = button("pause", "Pause");
    resume_ = button("reprise", "Reprise");
    deeper_ = button("plusProfond", "+ profond");
    shallower_ = button("moinsProfond", "- profond");

    connect(stop_, &QPushButton::clicked, this, [this] { if (runActive_) control_.pressStop(); });
    connect(pause_, &QPushButton::clicked, this, [this] { if (runActive_) control_.pressPause(); });
    connect(resume_, &QPushButton::clicked, this, [this] { if (runActive_) control_.pressResume(); });
    connect(deeper_, &QPushButton::clicked, this, [this] { if (runActive_) control_.pressDeeper(); });
    connect(shallower_, &QPushButton::clicked, this, [this] { if (runActive_) control_.pressShallower(); });

    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setObjectName("vitesse");
    slider_->setRange(0, 100);
    slider_->setValue(0);
    slider_->setPageStep(10);
    slider_->setTickPosition(QSlider::TicksBelow);
    slider_->setTickInterval(10);
    connect(slider_, &QSlider::valueChanged, this, &CutProgressWindow::userMovedSlider);

    speedLabel_ = new QLabel(this);
    speedLabel_->setObjectName("vitesseLabel");
    speedLabel_->setMinimumWidth(48);
    speedLabel_->setAlignment(Qt::AlignCenter);
    speedLabel_->setFrameShape(QFrame::StyledPanel);
    QFont big = speedLabel_->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    big.setBold(true);
    speedLabel_->setFont(big);
    speedLabel_->setToolTip("Vitesse d'avance en vigueur (100 − position du curseur)");

    ticks_ = new QLabel(this);
    ticks_->setObjectName("avancementPas");
    percent_ = new QProgressBar(this);
    percent_->setObjectName("avancement");
    percent_->setRange(0, 100);
    percent_->setValue(0);
    percent_->setFormat("%p %");
    timeLeft_ = new QLabel(this);
    timeLeft_->setObjectName("tempsRestant");
    position_ = new QLabel(this);
    position_->setObjectName("position");
    position_->setToolTip("Position commandée depuis le démarrage ou la dernière mise à la niche");

    auto* moves = new QGridLayout;
    moves->addWidget(pause_, 0, 0);
    moves->addWidget(resume_, 0, 1);
    moves->addWidget(deeper_, 1, 0);
    moves->addWidget(shallower_, 1, 1);

    auto* speedBox = new QGroupBox("Vitesse d'avance", this);
    auto* speedGrid = new QGridLayout(speedBox);
    auto* fast = new QLabel("+ rapide", speedBox);
    auto* slow = new QLabel("+ lent", speedBox);
    speedGrid->addWidget(slider_, 0, 0, 1, 2);
    speedGrid->addWidget(speedLabel_, 0, 2, 2, 1);
    speedGrid->addWidget(fast, 1, 0, Qt::AlignLeft);
    speedGrid->addWidget(slow, 1, 1, Qt::AlignRight);
    speedGrid->setColumnStretch(0, 1);
    speedGrid->setColumnStretch(1, 1);

    auto* progressBox = new QGroupBox("Avancement", this);
    auto* progressColumn = new QVBoxLayout(progressBox);
    progressColumn->addWidget(ticks_);
    progressColumn->addWidget(percent_);
    progressColumn->addWidget(timeLeft_);
    progressColumn->addWidget(position_);

    pausedNote_ = new QLabel(QStringLiteral("En pause : cliquez sur « Reprise »"), this);
    pausedNote_->setObjectName("etatPause");
    pausedNote_->setStyleSheet("QLabel { background: #fff3cd; color: #664d03; padding: 4px; font-weight: bold; }");
    // Its room is kept while hidden, so that showing it moves no button under the pointer.
    QSizePolicy keepRoom = pausedNote_->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    pausedNote_->setSizePolicy(keepRoom);
    pausedNote_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 12);
    layout->setSpacing(10);
    layout->addWidget(stop_);
    layout->addLayout(moves);
    layout->addWidget(pausedNote_);
    layout->addWidget(speedBox);
    layout->addWidget(progressBox);
    resize(380, 400);

    for (QWidget* w : {static_cast<QWidget*>(stop_), static_cast<QWidget*>(pause_),
                       static_cast<QWidget*>(resume_), static_cast<QWidget*>(deeper_),
                       static_cast<QWidget*>(shallower_), static_cast<QWidget*>(slider_)})
        w->setEnabled(false);

    refreshTimer_.setInterval(kRefreshMs);
    // The position moves during a pause too, when no tick is sent.
    connect(&refreshTimer_, &QTimer::timeout, this, [this] {
        if (dirty_) refresh();
        else showPosition();
    });
    refresh();
}

void CutProgressWindow::beginRun() {
    runActive_ = true;
    progress_ = {};
    dirty_ = true;
    for (QWidget* w : {static_cast<QWidget*>(stop_), static_cast<QWidget*>(pause_),
                       static_cast<QWidget*>(resume_), static_cast<QWidget*>(deeper_),
                       static_cast<QWidget*>(shallower_), static_cast<QWidget*>(slider_)})
        w->setEnabled(true);
    showControlSlider();
    refresh();
    refreshTimer_.start();
}

void CutProgressWindow::setPaused(bool paused) {
    pausedNote_->setVisible(paused);
    pause_->setEnabled(runActive_ && !paused);
}

void CutProgressWindow::endRun() {
    setPaused(false);
    runActive_ = false;
    refreshTimer_.stop();
}

void CutProgressWindow::showControlSlider() {
    const QSignalBlocker quiet(slider_);
    slider_->setValue(control_.slider);
    speedLabel_->setText(QString::fromStdString(control_.speedLabel));
}

void CutProgressWindow::userMovedSlider(int value) {
    if (!runActive_) return;
    control_.setSlider(value);
    speedLabel_->setText(QString::fromStdString(control_.speedLabel));
}

void CutProgressWindow::setProgress(const CutProgress& progress) {
    progress_ = progress;
    dirty_ = true;
}

void CutProgressWindow::refresh() {
    dirty_ = false;
    ticks_->setText(QStringLiteral("Pas envoyés : %1 sur %2")
                        .arg(groupedNumber(progress_.ticksDone), groupedNumber(progress_.totalTicks)));
    percent_->setValue(progress_.totalTicks == 0 ? 0 : progress_.percent());
    timeLeft_->setText(QString::fromStdString(estimatedTimeLeftLine(progress_.microsecondsLeft)));
    showPosition();
}

void CutProgressWindow::showPosition() {
    position_->setText(QString::fromStdString(positionLine(machine_.mm())));
}

void CutProgressWindow::closeEvent(QCloseEvent* event) {
    if (runActive_) {
        control_.pressStop();
        event->ignore();
        return;
    }
    event->accept();
}

}  // namespace tarvel
