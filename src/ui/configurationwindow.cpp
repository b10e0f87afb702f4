#include "ui/configurationwindow.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/appcontext.h"

namespace tarvel {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

const char* const kCuttingFeedHint = "Présélection de la vitesse outil dans la matière";
const char* const kClockDirHint =
    "Ordre d'écriture sur le port, pour chaque octet envoyé, Bit 1:Clock, Bit2 Direction, bit3, Clock ...etc";
const char* const kDirClockHint =
    "Ordre d'écriture sur le port, pour chaque octet envoyé, Bit 1:direction, Bit2 clock, bit3, direction etc";

// The hint of each pin of the connector; pins 23 to 25 have none.
QString pinHint(int pin) {
    if (pin >= 2 && pin <= 8) return QString("Pin %1 envoi de donnée").arg(pin);
    if (pin >= 18 && pin <= 22) return QString("Pin %1 masse signal").arg(pin);
    switch (pin) {
        case 1: return "Pin 1 non connecté";
        case 9: return "Pin 9 envoi donnée";
        case 10: return "Pin 10 entrée";
        case 11: return "Pin 11 point 0 axe X";
        case 12: return "Pin 12 point 0 axe Y";
        case 13: return "Pin 13 dégagement axe Z";
        case 14: return "Pin 14 non connecté";
        case 15: return "Pin 15 point 0 axe Z";
        case 16: return "Pin 16 non connecté";
        case 17: return "Pin 17 non connecté";
        default: return {};
    }
}

// What each pin does for the machine, shown by its colour.
enum class PinUse { Output, Input, Ground, Unused };

// Pin 10 (ACK) is an input of the port that no command reads; 18 to 25 are all ground on
// the connector, whether or not they carry a hint.
PinUse pinUse(int pin) {
    if (pin >= 2 && pin <= 9) return PinUse::Output;
    if ((pin >= 11 && pin <= 13) || pin == 15) return PinUse::Input;
    if (pin >= 18 && pin <= 25) return PinUse::Ground;
    return PinUse::Unused;
}

QColor pinColour(PinUse use) {
    switch (use) {
        case PinUse::Output: return QColor(0x3b, 0x7d, 0xd8);
        case PinUse::Input: return QColor(0x3c, 0xa0, 0x5a);
        case PinUse::Ground: return QColor(0x6b, 0x6b, 0x6b);
        case PinUse::Unused: return QColor(0xf4, 0xf4, 0xf4);
    }
    return Qt::white;
}

constexpr int kPinPitch = 34;   // centre to centre, pixels
constexpr int kPinSize = 24;

QLabel* colourKey(PinUse use, const QString& text, QWidget* parent) {
    auto* key = new QLabel(QString("<span style=\"color:%1; font-size:14pt\">&#9679;</span>&nbsp;%2")
                               .arg(pinColour(use).name(), text),
                           parent);
    key->setTextFormat(Qt::RichText);
    return key;
}

}  // namespace

ConnectorLegend::ConnectorLegend(QWidget* parent) : QWidget(parent) {
    setObjectName("connecteur");
    for (int pin = 1; pin <= 25; ++pin) {
        auto* dot = new QLabel(QString::number(pin), this);
        dot->setObjectName(QString("pin%1").arg(pin));
        dot->setAlignment(Qt::AlignCenter);
        dot->setFixedSize(kPinSize, kPinSize);
        dot->setToolTip(pinHint(pin));
        const PinUse use = pinUse(pin);
        dot->setStyleSheet(QString("QLabel { background: %1; color: %2; border: 1px solid #505050;"
                                   " border-radius: %3px; font-size: 8pt; font-weight: bold; }")
                               .arg(pinColour(use).name(),
                                    use == PinUse::Unused ? "#303030" : "white")
                               .arg(kPinSize / 2));
        pins_.push_back(dot);
    }
}

QSize ConnectorLegend::sizeHint() const {
    return {13 * kPinPitch + 60, 2 * kPinPitch + 36};
}

void ConnectorLegend::resizeEvent(QResizeEvent*) {
    placePins();
}

void ConnectorLegend::placePins() {
    // Seen from the pin side of the plug: pins 1 to 13 on the wide row, left to right,
    // 14 to 25 on the narrow row below.
    const int centreX = width() / 2;
    const int topY = height() / 2 - kPinPitch / 2;
    const int bottomY = topY + kPinPitch;
    for (int i = 0; i < 13; ++i)
        pins_[i]->move(centreX + (i - 6) * kPinPitch - kPinSize / 2, topY - kPinSize / 2);
    for (int i = 0; i < 12; ++i)
        pins_[13 + i]->move(centreX + (2 * i - 11) * kPinPitch / 2 - kPinSize / 2, bottomY - kPinSize / 2);
}

void ConnectorLegend::paintEvent(QPaintEvent*) {
    // The D-shaped shell: wider at the top row than at the bottom one.
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const double cx = width() / 2.0;
    const double top = height() / 2.0 - kPinPitch / 2.0 - kPinSize / 2.0 - 8;
    const double bottom = height() / 2.0 + kPinPitch / 2.0 + kPinSize / 2.0 + 8;
    const double halfTop = 6 * kPinPitch + kPinSize / 2.0 + 14;
    const double halfBottom = 5.5 * kPinPitch + kPinSize / 2.0 + 10;
    QPainterPath shell;
    shell.moveTo(cx - halfTop, top);
    shell.lineTo(cx + halfTop, top);
    shell.lineTo(cx + halfBottom, bottom);
    shell.lineTo(cx - halfBottom, bottom);
    shell.closeSubpath();
    p.setPen(QPen(QColor(0x50, 0x50, 0x50), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(0xd9, 0xdd, 0xe2));
    p.drawPath(shell);
}

ConfigurationWindow::ConfigurationWindow(AppContext& app, QWidget* parent)
    : QWidget(parent), app_(app) {
    setObjectName("configuration");
    setWindowTitle("Configuration de l'environnement ");
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);

    form_ = openConfigurationForm(app_.paths.configFile(), app_.dialogs);

    // --- Paramètres machine ---
    auto* machine = new QGroupBox("Paramètres machine", this);
    machine->setObjectName("parametresMachine");
    auto* m = new QGridLayout(machine);
    m->setHorizontalSpacing(10);
    m->setColumnStretch(0, 1);
    auto* steps = new QLabel("Nombre de pas par mm", machine);
    m->addWidget(steps, 0, 0, Qt::AlignLeft | Qt::AlignVCenter);
    const std::pair<const char*, std::string MachineConfig::*> axes[] = {
        {"X", &MachineConfig::stepsPerMmX}, {"Y", &MachineConfig::stepsPerMmY}, {"Z", &MachineConfig::stepsPerMmZ}};
    for (int row = 0; row < 3; ++row) {
        m->addWidget(new QLabel(axes[row].first, machine), row, 1, Qt::AlignRight);
        m->addWidget(addField(axes[row].second, 80), row, 2);
    }
    const std::pair<const char*, std::string MachineConfig::*> others[] = {
        {"Coefficient vitesse", &MachineConfig::speedCoefficient},
        {"Vitesse de découpe", &MachineConfig::cuttingFeed},
        {"Vitesse de déplacement hors matière", &MachineConfig::rapidFeed},
        {"Descente outil sur l'axe Z (en mm)", &MachineConfig::toolDescentZ},
        {"valeur de dégagement pour changement outil", &MachineConfig::toolChangeClearance}};
    int row = 3;
    for (const auto& [caption, field] : others) {
        auto* label = new QLabel(caption, machine);
        QLineEdit* edit = addField(field, 80);
        label->setBuddy(edit);
        if (field == &MachineConfig::cuttingFeed) {
            label->setToolTip(kCuttingFeedHint);
            edit->setToolTip(kCuttingFeedHint);
        }
        m->addWidget(label, row, 0, 1, 2);
        m->addWidget(edit, row, 2);
        ++row;
    }
    m->setRowStretch(row, 1);

    auto* note = new QLabel(
        "Attention; veillez à saisir les données avec une virgule et non un point comme séparateur décimal !",
        this);
    note->setObjectName("avertissement");
    note->setWordWrap(true);
    note->setStyleSheet("QLabel { color: #a01818; font-weight: bold; }");

    // --- Paramètres du port ---
    auto* portGroup = new QGroupBox("Paramètres du port", this);
    portGroup->setObjectName("parametresPort");
    auto* pv = new QVBoxLayout(portGroup);

    auto* portRow = new QHBoxLayout;
    portRow->addWidget(new QLabel("Branchement sur port 1 ou 2", portGroup));
    portRow->addStretch(1);
    portRow->addWidget(new QLabel("LPT", portGroup));
    portRow->addWidget(addField(&MachineConfig::portNumber, 40));
    pv->addLayout(portRow);

    pv->addSpacing(6);
    pv->addWidget(new QLabel("Ordre d'envoi sur le port parallèle (LPT)", portGroup));
    auto* orderRow = new QHBoxLayout;
    clockDir_ = new QRadioButton("Version Clock Dir", portGroup);
    clockDir_->setObjectName("versionClockDir");
    clockDir_->setToolTip(kClockDirHint);
    dirClock_ = new QRadioButton("Version Dir Clock", portGroup);
    dirClock_->setObjectName("versionDirClock");
    dirClock_->setToolTip(kDirClockHint);
    auto* order = new QButtonGroup(this);
    order->addButton(clockDir_);
    order->addButton(dirClock_);
    orderRow->addSpacing(12);
    orderRow->addWidget(clockDir_);
    orderRow->addSpacing(16);
    orderRow->addWidget(dirClock_);
    orderRow->addStretch(1);
    pv->addLayout(orderRow);
    dirClock_->setChecked(true);  // the choice is offered, never stored nor used

    pv->addSpacing(6);
    pv->addWidget(new QLabel("Saisir la valeur de la pinoche connectée pour chaque axe", portGroup));
    auto* pins = new QGridLayout;
    pins->setHorizontalSpacing(12);
    pins->addWidget(new QLabel("DIR", portGroup), 0, 1, Qt::AlignHCenter);
    pins->addWidget(new QLabel("CLOCK", portGroup), 0, 2, Qt::AlignHCenter);
    const struct {
        const char* caption;
        StepChannel dir, clock;
        bool MachineConfig::* invert;
        const char* boxName;
    } rows[] = {
        {"axe X", StepChannel::XDir, StepChannel::XClock, &MachineConfig::invertX, "invertX"},
        {"axe Y", StepChannel::YDir, StepChannel::YClock, &MachineConfig::invertY, "invertY"},
        {"axe Z", StepChannel::ZDir, StepChannel::ZClock, &MachineConfig::invertZ, "invertZ"},
        {"non connecté", StepChannel::SpareDir, StepChannel::SpareClock, nullptr, nullptr},
    };
    for (int r = 0; r < 4; ++r) {
        pins->addWidget(new QLabel(rows[r].caption, portGroup), r + 1, 0);
        pins->addWidget(addPinField(rows[r].dir), r + 1, 1, Qt::AlignHCenter);
        pins->addWidget(addPinField(rows[r].clock), r + 1, 2, Qt::AlignHCenter);
        if (rows[r].invert != nullptr) {
            auto* box = new QCheckBox("Inverser le sens", portGroup);
            box->setObjectName(rows[r].boxName);
            boxes_.emplace_back(box, rows[r].invert);
            pins->addWidget(box, r + 1, 3);
        }
    }
    pins->setColumnStretch(4, 1);
    auto* pinsIndent = new QHBoxLayout;
    pinsIndent->addSpacing(12);
    pinsIndent->addLayout(pins);
    pv->addLayout(pinsIndent);
    pv->addStretch(1);

    // --- Connector legend ---
    auto* legendGroup = new QGroupBox("Connections au port //  Vu coté prise en regardant les pinoches.", this);
    legendGroup->setObjectName("connexions");
    auto* lv = new QVBoxLayout(legendGroup);
    lv->addWidget(new ConnectorLegend(legendGroup), 0, Qt::AlignHCenter);
    auto* keys = new QHBoxLayout;
    keys->addStretch(1);
    keys->addWidget(colourKey(PinUse::Output, "sorties DIR et CLOCK (2 à 9)", legendGroup));
    keys->addSpacing(18);
    keys->addWidget(colourKey(PinUse::Input, "entrées des contacts (11 à 13, 15)", legendGroup));
    keys->addSpacing(18);
    keys->addWidget(colourKey(PinUse::Ground, "masse (18 à 25)", legendGroup));
    keys->addStretch(1);
    lv->addLayout(keys);

    auto* save = new QPushButton("Sauvegarder la configuration et fermer la page ", this);
    save->setObjectName("sauvegarder");
    save->setDefault(true);
    connect(save, &QPushButton::clicked, this, [this] { saveAndClose(); });

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(14, 12, 14, 12);
    layout->setHorizontalSpacing(14);
    layout->setVerticalSpacing(10);
    layout->addWidget(machine, 0, 0);
    layout->addWidget(portGroup, 0, 1);
    layout->addWidget(note, 1, 0, 1, 2);
    layout->addWidget(legendGroup, 2, 0, 1, 2);
    auto* commands = new QHBoxLayout;
    commands->addStretch(1);
    commands->addWidget(save);
    layout->addLayout(commands, 3, 0, 1, 2);

    showFields();
}

QLineEdit* ConfigurationWindow::addField(std::string MachineConfig::* field, int width) {
    static const std::pair<std::string MachineConfig::*, const char*> names[] = {
        {&MachineConfig::stepsPerMmX, "stepsPerMmX"},
        {&MachineConfig::stepsPerMmY, "stepsPerMmY"},
        {&MachineConfig::stepsPerMmZ, "stepsPerMmZ"},
        {&MachineConfig::speedCoefficient, "speedCoefficient"},
        {&MachineConfig::cuttingFeed, "cuttingFeed"},
        {&MachineConfig::rapidFeed, "rapidFeed"},
        {&MachineConfig::toolDescentZ, "toolDescentZ"},
        {&MachineConfig::portNumber, "portNumber"},
        {&MachineConfig::toolChangeClearance, "toolChangeClearance"},
        {&MachineConfig::xDirPin, "xDirPin"},
        {&MachineConfig::xClockPin, "xClockPin"},
        {&MachineConfig::yDirPin, "yDirPin"},
        {&MachineConfig::yClockPin, "yClockPin"},
        {&MachineConfig::zDirPin, "zDirPin"},
        {&MachineConfig::zClockPin, "zClockPin"},
        {&MachineConfig::spareDirPin, "spareDirPin"},
        {&MachineConfig::spareClockPin, "spareClockPin"},
    };
    auto* edit = new QLineEdit(this);
    for (const auto& [member, name] : names)
        if (member == field) edit->setObjectName(name);
    edit->setFixedWidth(width);
    fields_.emplace_back(edit, field);
    return edit;
}

QLineEdit* ConfigurationWindow::addPinField(StepChannel signal) {
    QLineEdit* edit = addField(pinFieldOf(signal), 40);
    edit->setAlignment(Qt::AlignCenter);
    // Every keystroke recomputes the weight; a refused pin comes back as "2".
    connect(edit, &QLineEdit::textEdited, this, [this, edit, signal](const QString& text) {
        if (!changePin(form_, signal, text.toStdString(), app_.dialogs))
            edit->setText(qs(form_.values.*pinFieldOf(signal)));
    });
    return edit;
}

void ConfigurationWindow::showFields() {
    for (const auto& [edit, field] : fields_) edit->setText(qs(form_.values.*field));
    for (const auto& [box, flag] : boxes_) box->setChecked(form_.values.*flag);
}

void ConfigurationWindow::readFields() {
    for (const auto& [edit, field] : fields_) form_.values.*field = edit->text().toStdString();
    for (const auto& [box, flag] : boxes_) form_.values.*flag = box->isChecked();
}

void ConfigurationWindow::saveAndClose() {
    readFields();
    const bool saved = saveConfigurationForm(form_, app_.paths.configFile(), app_.dialogs);
    showFields();
    if (saved) closeWindow();
}

void ConfigurationWindow::closeWindow() {
    // Closed as its frame would be: the registry forgets it and the next "Configurer"
    // reads the file again.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->close();
    else
        close();
}

}  // namespace tarvel
