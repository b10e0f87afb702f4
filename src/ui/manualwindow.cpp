#include "ui/manualwindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

#include "common/textrules.h"
#include "manual/manualmessages.h"
#include "ui/appcontext.h"
#include "ui/motionlock.h"
#include "ui/windowregistry.h"

namespace tarvel {

namespace {

// The cutting window, where "quitter" goes back to.
const QString kCuttingWindowName = QStringLiteral("Mach");

QString qt(const std::string& s) { return QString::fromStdString(s); }
std::string std8(const QString& s) { return s.toStdString(); }

// The position follows a motion about 30 times a second, whatever its step rate.
constexpr int kPositionRefreshMs = 33;

}  // namespace

ManualWindow::ManualWindow(AppContext& app, QWidget* parent) : QWidget(parent), app_(app) {
    setObjectName("form5");
    setWindowTitle("Manettes virtuelles");
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);

    auto* quit = new QPushButton("quitter", this);
    quit->setObjectName("Command5");
    quit->setToolTip("Enregistrer le sens des flèches et revenir à la gestion de l'outil de découpe");
    connect(quit, &QPushButton::clicked, this, &ManualWindow::quitter);

    auto* home = new QPushButton("A la niche", this);
    home->setObjectName("Command1");
    home->setToolTip("Envoyer la machine à son origine : Z au dégagement, X et Y au point 0, "
                     "Z au point 0 puis remontée de la descente outil");
    homingStatus_ = new QLabel(this);
    homingStatus_->setObjectName("etatNiche");
    connect(home, &QPushButton::clicked, this, [this] {
        runMotion([this](ManualMachine& m) {
            homingStatus_->setText(qt(manual_messages::kHomingRunningStatus));
            const MotionEnd end = tarvel::home(form_, m);
            // Once the program is ending the window may be on its way out: touch nothing.
            if (end == MotionEnd::Aborted || app_.quitting) return end;
            homingStatus_->setText(qt(homingStatus(end)));
            return end;
        });
    });
    motionButtons_ << home;

    stop_ = new QPushButton("Arrêter", this);
    stop_->setObjectName("arreter");
    stop_->setToolTip("Arrêter le mouvement en cours à la fin du pas");
    stop_->setEnabled(false);
    connect(stop_, &QPushButton::clicked, this, [this] { requestStop(form_); });

    auto* commands = new QHBoxLayout;
    for (QPushButton* b : {home, stop_, quit}) b->setMinimumSize(110, 32);
    commands->addWidget(home);
    commands->addWidget(stop_);
    commands->addWidget(homingStatus_, 1);
    commands->addWidget(quit);

    auto* settings = new QHBoxLayout;
    settings->addWidget(buildMachineGroup(), 3);
    settings->addWidget(buildInversionGroup(), 2);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 12);
    layout->setSpacing(10);
    layout->addWidget(buildMovesGroup());
    layout->addWidget(buildSpeedGroup());
    position_ = new QLabel(this);
    position_->setObjectName("position");
    position_->setToolTip("Position commandée depuis le démarrage ou la dernière mise à la niche");
    layout->addWidget(position_);
    positionTimer_.setInterval(kPositionRefreshMs);
    connect(&positionTimer_, &QTimer::timeout, this, &ManualWindow::showPosition);
    layout->addLayout(settings);
    layout->addLayout(commands);

    openManualWindow(form_, app_.dialogs, app_.paths);
    showForm();
    // Without a configuration there is no port to drive: the motion commands stay off.
    if (!form_.configurationRead()) {
        for (QPushButton* b : motionButtons_) {
            b->setEnabled(false);
            b->setToolTip("Aucune configuration lue : configurez la machine puis relancez Tarvel.");
        }
    }
}

QPushButton* ManualWindow::arrowButton(const char* name, const QString& glyph, const QString& tip,
                                       JogArrow arrow) {
    auto* b = new QPushButton(glyph);
    b->setObjectName(name);
    b->setToolTip(tip);
    QFont f = b->font();
    f.setPointSizeF(f.pointSizeF() * 1.8);
    f.setBold(true);
    b->setFont(f);
    b->setFixedSize(48, 40);
    connect(b, &QPushButton::clicked, this,
            [this, arrow] { runMotion([this, arrow](ManualMachine& m) { return jog(form_, arrow, m); }); });
    motionButtons_ << b;
    return b;
}

QWidget* ManualWindow::buildMovesGroup() {
    auto* group = new QGroupBox("Déplacement");

    distance_ = new QLineEdit;
    distance_->setObjectName("mmADeplacer");
    distance_->setFixedWidth(70);
    distance_->setAlignment(Qt::AlignRight);
    connect(distance_, &QLineEdit::textEdited, this, [this](const QString& t) { form_.moveDistanceMm = std8(t); });
    auto* distanceRow = new QHBoxLayout;
    auto* caption = new QLabel("mm à déplacer");
    caption->setBuddy(distance_);
    distanceRow->addWidget(caption);
    distanceRow->addWidget(distance_);
    distanceRow->addSpacing(8);
    for (const char* preset : {"1", "2", "5", "10", "50", "100"}) {
        auto* b = new QToolButton;
        b->setObjectName(QString("distance") + preset);
        b->setText(preset);
        b->setToolTip(QString("Déplacer de %1 mm").arg(preset));
        b->setAutoRaise(true);
        b->setCursor(Qt::PointingHandCursor);
        b->setStyleSheet("QToolButton { color: #1f5fa8; text-decoration: underline; padding: 2px 4px; }");
        b->setMinimumWidth(34);
        connect(b, &QToolButton::clicked, this, [this, preset] {
            form_.moveDistanceMm = preset;
            distance_->setText(preset);
        });
        distanceRow->addWidget(b);
    }
    distanceRow->addStretch(1);

    // X a horizontal pair, Y a diagonal pair (the Y axis in perspective), Z a vertical pair.
    // Under the arrows, which way each one moves its axis.
    auto axisBox = [this](const QString& title, QLayout* arrows, int axis, const char* senseName) {
        auto* box = new QGroupBox(title);
        box->setAlignment(Qt::AlignHCenter);
        auto* l = new QVBoxLayout(box);
        l->addStretch(1);
        l->addLayout(arrows);
        l->addStretch(1);
        senses_[axis] = new QLabel;
        senses_[axis]->setObjectName(senseName);
        senses_[axis]->setAlignment(Qt::AlignHCenter);
        l->addWidget(senses_[axis]);
        return box;
    };
    auto* x = new QHBoxLayout;
    x->addStretch(1);
    x->addWidget(arrowButton("Command11", "←", "X vers la gauche", JogArrow::XLeft));
    x->addWidget(arrowButton("Command10", "→", "X vers la droite", JogArrow::XRight));
    x->addStretch(1);
    auto* y = new QGridLayout;
    y->setColumnStretch(0, 1);
    y->setColumnStretch(3, 1);
    y->addWidget(arrowButton("Command6", "↗", "Y en avant", JogArrow::YRight), 0, 2);
    y->addWidget(arrowButton("Command7", "↙", "Y en arrière", JogArrow::YLeft), 1, 1);
    auto* z = new QVBoxLayout;
    z->setAlignment(Qt::AlignHCenter);
    z->addWidget(arrowButton("Command8", "↑", "Z vers le haut", JogArrow::ZUp), 0, Qt::AlignHCenter);
    z->addWidget(arrowButton("Command9", "↓", "Z vers le bas", JogArrow::ZDown), 0, Qt::AlignHCenter);

    auto* axes = new QHBoxLayout;
    axes->addWidget(axisBox("Axe X", x, 0, "sensX"), 1);
    axes->addWidget(axisBox("Axe Y", y, 1, "sensY"), 1);
    axes->addWidget(axisBox("Axe Z", z, 2, "sensZ"), 1);
    arrowWarning_ = new QLabel;
    arrowWarning_->setObjectName("avertissementFleches");
    arrowWarning_->setWordWrap(true);
    arrowWarning_->setStyleSheet("color: #b00000; font-weight: bold;");

    auto* layout = new QVBoxLayout(group);
    layout->addLayout(distanceRow);
    layout->addLayout(axes);
    layout->addWidget(arrowWarning_);
    return group;
}

QWidget* ManualWindow::buildSpeedGroup() {
    auto* group = new QGroupBox("Vitesse");
    slider_ = new QSlider(Qt::Horizontal);
    slider_->setObjectName("reglageVitesse");
    slider_->setRange(1, 100);
    slider_->setToolTip("Plus le réglage est grand, plus les pas sont lents");
    speed_ = new QLabel;
    speed_->setObjectName("vitesse");
    speed_->setMinimumWidth(36);
    speed_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont f = speed_->font();
    f.setBold(true);
    speed_->setFont(f);
    connect(slider_, &QSlider::valueChanged, this, [this](int v) {
        form_.delaySetting = v;
        speed_->setNum(form_.speedDisplay());
    });
    auto* layout = new QHBoxLayout(group);
    layout->addWidget(new QLabel("reglage vitesse"));
    layout->addWidget(slider_, 1);
    layout->addWidget(speed_);
    return group;
}

QLineEdit* ManualWindow::decimalField(const char* name, std::string ManualForm::*field) {
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setFixedWidth(80);
    edit->setAlignment(Qt::AlignRight);
    connect(edit, &QLineEdit::textEdited, this, [this, field](const QString& t) { form_.*field = std8(t); });
    // Leaving the field turns a decimal point typed in the first places into a comma.
    connect(edit, &QLineEdit::editingFinished, this, [this, edit, field] {
        form_.*field = numberText(std8(edit->text()));
        if (edit->text() != qt(form_.*field)) edit->setText(qt(form_.*field));
    });
    return edit;
}

QWidget* ManualWindow::buildMachineGroup() {
    auto* group = new QGroupBox("Paramètre machine, nombre de pas /mm");
    stepsX_ = decimalField("pasX", &ManualForm::stepsPerMmX);
    stepsY_ = decimalField("pasY", &ManualForm::stepsPerMmY);
    stepsZ_ = decimalField("pasZ", &ManualForm::stepsPerMmZ);
    coefficient_ = decimalField("coefficientVitesse", &ManualForm::speedCoefficient);
    auto* grid = new QGridLayout(group);
    int row = 0;
    for (auto [axis, edit] : {std::pair{"X", stepsX_}, {"Y", stepsY_}, {"Z", stepsZ_}}) {
        grid->addWidget(new QLabel(axis), row, 0);
        grid->addWidget(edit, row, 1);
        ++row;
    }
    grid->addWidget(new QLabel("coefficient vitesse"), 0, 3);
    grid->addWidget(coefficient_, 1, 3);
    grid->setColumnMinimumWidth(2, 18);
    grid->setColumnStretch(4, 1);
    return group;
}

QWidget* ManualWindow::buildInversionGroup() {
    auto* group = new QGroupBox("Inversion du sens des flèches");
    auto* layout = new QHBoxLayout(group);
    auto box = [this, layout](const char* name, const char* axis, bool JogSettings::*flag) {
        auto* b = new QCheckBox(axis);
        b->setObjectName(name);
        connect(b, &QCheckBox::toggled, this, [this, flag](bool on) {
            form_.arrows.*flag = on;
            showArrowSenses();
        });
        layout->addWidget(b);
        return b;
    };
    invertX_ = box("inversionX", "X", &JogSettings::invertArrowX);
    invertY_ = box("inversionY", "Y", &JogSettings::invertArrowY);
    invertZ_ = box("inversionZ", "Z", &JogSettings::invertArrowZ);
    layout->addStretch(1);
    return group;
}

void ManualWindow::showForm() {
    distance_->setText(qt(form_.moveDistanceMm));
    stepsX_->setText(qt(form_.stepsPerMmX));
    stepsY_->setText(qt(form_.stepsPerMmY));
    stepsZ_->setText(qt(form_.stepsPerMmZ));
    coefficient_->setText(qt(form_.speedCoefficient));
    const ManualForm copy = form_;  // the widgets' signals write back into the form
    slider_->setValue(copy.delaySetting);
    speed_->setNum(copy.speedDisplay());
    invertX_->setChecked(copy.arrows.invertArrowX);
    invertY_->setChecked(copy.arrows.invertArrowY);
    invertZ_->setChecked(copy.arrows.invertArrowZ);
    showArrowSenses();
}

void ManualWindow::showArrowSenses() {
    QStringList warnings;
    const JogArrow arrows[] = {JogArrow::XRight, JogArrow::YRight, JogArrow::ZUp};
    for (int axis = 0; axis < 3; ++axis) {
        const AxisArrowsText text = axisArrowsText(form_, arrows[axis]);
        senses_[axis]->setText(qt(text.sense));
        senses_[axis]->setStyleSheet(text.warning.empty() ? QString() : QStringLiteral("color: #b00000;"));
        if (!text.warning.empty()) warnings << qt(text.warning);
    }
    arrowWarning_->setText(warnings.join('\n'));
    arrowWarning_->setVisible(!warnings.isEmpty());
}

void ManualWindow::showPosition() {
    position_->setText(qt(positionLine(app_.commanded.mm())));
}

void ManualWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    showPosition();  // a cut may have moved the machine meanwhile
}

void ManualWindow::runMotion(const std::function<MotionEnd(ManualMachine&)>& motion) {
    TrackedPort* port = app_.drivingPort();
    if (port == nullptr || app_.quitting) return;
    ManualMachine machine{*port, app_.events, waiter_, app_.dialogs, port};
    const MotionLock::Scope lock(app_.motionLock, {objectName()}, [this] {
        requestStop(form_);
        return true;
    });
    ++running_;
    stop_->setEnabled(true);
    positionTimer_.start();
    motion(machine);
    // Once the program is ending the window may be on its way out: touch nothing.
    if (app_.quitting) return;
    showPosition();
    if (--running_ == 0) {
        stop_->setEnabled(false);
        positionTimer_.stop();
    }
}

void ManualWindow::quitter() {
    // A file that cannot be written is told; the flags stay in force in this window.
    saveArrowSettings(form_, app_.dialogs, app_.paths);
    hideWindow();
    if (app_.windows) app_.windows->open(kCuttingWindowName);
}

void ManualWindow::hideWindow() {
    if (app_.windows && app_.windows->find(objectName()) == this)
        app_.windows->hide(objectName());
    else if (parentWidget())
        parentWidget()->hide();
    else
        hide();
}

void ManualWindow::closeEvent(QCloseEvent* event) {
    if (app_.quitting) {
        event->accept();
        return;
    }
    event->ignore();
    hideWindow();
}

}  // namespace tarvel
