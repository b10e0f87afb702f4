#include "ui/cuttingwindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

#include "common/filelisting.h"
#include "common/textrules.h"
#include "cutting/cuttingmessages.h"
#include "cutting/generator.h"
#include "ui/appcontext.h"
#include "ui/cutprogresswindow.h"
#include "ui/drivelist.h"
#include "ui/motionlock.h"
#include "ui/windowregistry.h"

namespace tarvel {

namespace {

// Windows of other parts of the program, opened through the registry by name.
const QString kManualControlWindow = QStringLiteral("form5");
const QString kDrawingWindowName = QStringLiteral("dessin");

const Message kNoPortForCut{"Aucun port ne commande la machine : la découpe est impossible.", "Découpe",
                            Icon::Error};

QString qs(const std::string& s) { return QString::fromStdString(s); }

// The details file keeps the notes' line breaks as CR LF; the text box works in LF.
QString notesForEditor(const std::string& description) { return qs(description).replace("\r\n", "\n"); }
std::string notesFromEditor(const QString& text) { return QString(text).replace("\n", "\r\n").toStdString(); }

// Breaking lines at word boundaries, Qt lays out a word wider than the box in time that
// grows as the square of its length (a note of one 400 000-character word took 40 s):
// notes holding such a word wrap anywhere.
QTextOption::WrapMode notesWrapMode(const QString& notes) {
    constexpr qsizetype kLongestWord = 1000;
    qsizetype run = 0;
    for (QChar c : notes) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > kLongestWord) return QTextOption::WrapAnywhere;
    }
    return QTextOption::WrapAtWordBoundaryOrAnywhere;
}

QString parentDirectory(const QString& path) {
    if (path.isEmpty()) return {};
    const QFileInfo info(path);
    const QString dir = path.endsWith('/') ? info.absoluteFilePath() : info.absolutePath();
    return QFileInfo(dir).isDir() ? QDir(dir).absolutePath() : QString();
}

constexpr double kPreviewMarginPx = 6;
constexpr double kTwipsPerInch = 1440;

}  // namespace

// ---------------------------------------------------------------------------------
// The picture area

CutPreviewArea::CutPreviewArea(QWidget* parent) : QWidget(parent) {
    setObjectName("Picture1");
    setMinimumSize(260, 200);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setToolTip("Aperçu du trajet de l'outil (fichier d'objet)");
}

void CutPreviewArea::setPreview(const Preview& preview) {
    lines_ = preview.lines;
    redrawCache();
    update();
}

QPointF CutPreviewArea::toPixels(double x, double y) const {
    const double s = logicalDpiX() / kTwipsPerInch;
    return {kPreviewMarginPx + x * s, height() - kPreviewMarginPx + (y - kBottomAfterFieldChange) * s};
}

void CutPreviewArea::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    redrawCache();
}

// The drawing is painted once per change into a pixmap; repaints only copy it, so a
// large object costs nothing when windows move over it.
void CutPreviewArea::redrawCache() {
    if (width() <= 0 || height() <= 0) return;
    const qreal ratio = devicePixelRatioF();
    cache_ = QPixmap(size() * ratio);
    cache_.setDevicePixelRatio(ratio);
    cache_.fill(Qt::white);
    QPainter p(&cache_);
    p.setRenderHint(QPainter::Antialiasing);

    const QPointF origin = toPixels(5, kBottomAfterFieldChange);
    p.setPen(QPen(QColor(0xd0, 0xd6, 0xde), 1, Qt::DashLine));
    p.drawLine(QPointF(0, origin.y()), QPointF(width(), origin.y()));
    p.drawLine(QPointF(origin.x(), 0), QPointF(origin.x(), height()));

    QVector<QLineF> segments;
    segments.reserve(static_cast<qsizetype>(lines_.size()));
    for (const PreviewLine& l : lines_) segments.append(QLineF(toPixels(l.x1, l.y1), toPixels(l.x2, l.y2)));
    p.setPen(QPen(QColor(0x0d, 0x3b, 0x8c), 1.4));
    p.drawLines(segments);
}

void CutPreviewArea::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, cache_);
    p.setPen(QColor(0x9a, 0xa4, 0xb1));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

// ---------------------------------------------------------------------------------
// What a run shows and hides, through the program's window registry.

class CuttingWindow::RunView final : public CutRunView {
public:
    explicit RunView(CuttingWindow& window) : w_(window) {}

    void hideCuttingWindow() override {
        if (WindowRegistry* r = w_.app_.windows) r->hide(w_.objectName());
    }
    void showCuttingWindow() override {
        if (WindowRegistry* r = w_.app_.windows) r->open(w_.objectName());
    }
    void showProgressWindow() override {
        WindowRegistry* r = w_.app_.windows;
        if (r == nullptr) return;
        w_.progressWindow_ = r->open<CutProgressWindow>(kCutProgressWindowName);
        if (w_.progressWindow_) w_.progressWindow_->beginRun();
    }
    void hideProgressWindow() override {
        if (WindowRegistry* r = w_.app_.windows) r->hide(kCutProgressWindowName);
    }
    void closeProgressWindow() override {
        if (w_.progressWindow_) w_.progressWindow_->endRun();
        WindowRegistry* r = w_.app_.windows;
        if (r == nullptr) return;
        r->close(kCutProgressWindowName);
        // Closing a window activates the one used before it: the run ends with the
        // cutting window in front, whatever was active meanwhile.
        if (w_.isVisible()) r->open(w_.objectName());
    }
    void pauseChanged(bool paused) override {
        if (w_.progressWindow_) w_.progressWindow_->setPaused(paused);
    }
    void sliderChanged(int) override {
        if (w_.progressWindow_) w_.progressWindow_->showControlSlider();
    }
    void progress(const CutProgress& p) override {
        if (w_.progressWindow_) w_.progressWindow_->setProgress(p);
    }

private:
    CuttingWindow& w_;
};

// The window while a command that yields is working: inert but visible, with a word
// on what it is doing.
class CuttingWindow::BusyScope {
public:
    BusyScope(CuttingWindow& w, Busy what, const QString& doing) : w_(w) {
        w_.busy_ = what;
        w_.menu_->setEnabled(false);
        w_.body_->setEnabled(false);
        w_.status_->setText(doing);
        w_.status_->show();
    }
    ~BusyScope() {
        w_.busy_ = Busy::Idle;
        w_.menu_->setEnabled(true);
        w_.body_->setEnabled(true);
        w_.status_->hide();
        w_.generationBar_->hide();
        w_.cancelGeneration_->hide();
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    CuttingWindow& w_;
};

// ---------------------------------------------------------------------------------

CuttingWindow::CuttingWindow(AppContext& app, QWidget* parent) : QWidget(parent), app_(app) {
    setObjectName(kCuttingWindowName);
    setWindowTitle("Gestion de l'outil de découpe");

    menu_ = new QMenuBar(this);
    menu_->setNativeMenuBar(false);
    buildMenu(*menu_);

    body_ = new QWidget(this);
    auto* top = new QHBoxLayout;
    top->addWidget(buildFilesGroup(), 5);
    top->addWidget(buildPreviewGroup(), 6);
    auto* middle = new QHBoxLayout;
    middle->addWidget(buildSettingsGroup(), 7);
    middle->addWidget(buildNotesGroup(), 4);

    auto* create = new QPushButton("Créer fichier fraisage (DEF)", body_);
    create->setObjectName("creerDef");
    connect(create, &QPushButton::clicked, this, &CuttingWindow::createCutProgram);
    auto* load = new QPushButton("Charger fichier fraisage(.DEF)", body_);
    load->setObjectName("chargerDef");
    load->setToolTip("Charger un fichier découpe existant. ");
    connect(load, &QPushButton::clicked, this, &CuttingWindow::loadCutProgram);
    auto* manual = new QPushButton("Manettes virtuelles", body_);
    manual->setObjectName("manettes");
    manual->setToolTip("Utilisation manuelle de la machine pour tester les moteurs par exemple");
    connect(manual, &QPushButton::clicked, this, &CuttingWindow::openManualControl);

    const QString cutStyle =
        "QPushButton { background: #2e7d32; color: white; font-weight: bold; padding: 6px 28px;"
        " border-radius: 4px; } QPushButton:disabled { background: #9fbfa1; }";
    cutNormal_ = new QPushButton("Découper", body_);
    cutNormal_->setObjectName("decouper");
    cutInverted_ = new QPushButton("Découper", body_);
    cutInverted_->setObjectName("decouperInverse");
    for (QPushButton* b : {cutNormal_, cutInverted_}) {
        b->setStyleSheet(cutStyle);
        b->setMinimumHeight(34);
        b->hide();
    }
    connect(cutNormal_, &QPushButton::clicked, this, [this] { cut(ZSense::Normal); });
    connect(cutInverted_, &QPushButton::clicked, this, [this] { cut(ZSense::Inverted); });

    auto* commands = new QHBoxLayout;
    for (QPushButton* b : {create, load, manual}) {
        b->setMinimumHeight(34);
        commands->addWidget(b);
    }
    commands->addStretch(1);
    commands->addWidget(cutNormal_);
    commands->addWidget(cutInverted_);

    extent_ = new QLabel(body_);
    extent_->setObjectName("etendueTravail");
    extent_->setToolTip("Étendue du travail depuis son origine (la position de l'outil quand la découpe démarre) "
                        "et durée estimée aux vitesses d'avance de la fenêtre");
    extent_->hide();

    auto* bodyLayout = new QVBoxLayout(body_);
    bodyLayout->setContentsMargins(0, 0, 0, 0);
    bodyLayout->addLayout(top, 1);
    bodyLayout->addLayout(middle);
    bodyLayout->addWidget(extent_);
    bodyLayout->addLayout(commands);

    generationBar_ = new QProgressBar(this);
    generationBar_->setObjectName("progressionCreation");
    generationBar_->setRange(0, 100);
    generationBar_->setFormat("%p %");
    generationBar_->hide();
    status_ = new QLabel(this);
    status_->setObjectName("etatFenetre");
    status_->hide();
    // Outside the body, which is disabled while the generation runs.
    cancelGeneration_ = new QPushButton("Annuler", this);
    cancelGeneration_->setObjectName("annulerCreation");
    cancelGeneration_->setToolTip("Arrêter la création du fichier découpe sans rien garder");
    cancelGeneration_->hide();
    connect(cancelGeneration_, &QPushButton::clicked, this, [this] { generationCancelled_ = true; });
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(status_, 1);
    statusRow->addWidget(generationBar_, 1);
    statusRow->addWidget(cancelGeneration_);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menu_);
    layout->setContentsMargins(10, 6, 10, 8);
    layout->addWidget(body_, 1);
    layout->addLayout(statusRow);
    resize(960, 610);

    openCuttingWindow(form_, app_.dialogs, app_.paths, app_.lastObjectFile);
    if (form_.configurationRead) (zSenseOf(form_) == ZSense::Inverted ? cutInverted_ : cutNormal_)->show();
    showForm();
    showDirectory(startDirectory());
}

CuttingWindow::~CuttingWindow() = default;

void CuttingWindow::buildMenu(QMenuBar& bar) {
    auto command = [this, &bar](const char* name, const QString& caption, void (CuttingWindow::*run)()) {
        QAction* a = bar.addAction(caption);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, run);
    };
    command("ouvrirfichier", "Ouvrir un fichier", &CuttingWindow::openFromMenu);
    command("modifdet", "Modifier le fichier de détails", &CuttingWindow::rewriteDetailsFile);
    command("zipdef", "ziper un def", &CuttingWindow::packCutProgram);
    command("enregistrerfichier", "Enregistrer un fichier", &CuttingWindow::saveCutProgram);
    command("retouraccueil", "Revenir à l'écran d'accueil", &CuttingWindow::backToMain);
    command("retourfichier", "Retour vers Fichiers", &CuttingWindow::backToFiles);
}

QLineEdit* CuttingWindow::addField(const char* name, std::string CuttingForm::*member) {
    auto* edit = new QLineEdit(body_);
    edit->setObjectName(name);
    fields_.push_back({edit, member});
    const FieldBinding binding = fields_.back();
    connect(edit, &QLineEdit::textChanged, this, [this, binding] { fieldEdited(binding); });
    return edit;
}

QWidget* CuttingWindow::buildFilesGroup() {
    auto* box = new QGroupBox("Fichiers", body_);
    choiceFra_ = new QRadioButton("Choisir un fichier d'objet à découper (.FRA)", box);
    choiceFra_->setObjectName("choixFra");
    choiceDef_ = new QRadioButton("Choisir un fichier de découpe (.DEF)", box);
    choiceDef_->setObjectName("choixDef");
    connect(choiceFra_, &QRadioButton::clicked, this, [this] { chooseFileKind(JobFileKind::Object); });
    connect(choiceDef_, &QRadioButton::clicked, this, [this] { chooseFileKind(JobFileKind::Cutting); });
    QLineEdit* object = addField("objectFile", &CuttingForm::objectFile);
    objectEdit_ = object;
    QLineEdit* job = addField("jobName", &CuttingForm::jobName);
    object->setParent(box);
    job->setParent(box);

    drives_ = newDriveList(box);
    connect(drives_, &QComboBox::activated, this, &CuttingWindow::driveChosen);

    currentDir_ = new QLabel(box);
    currentDir_->setObjectName("dossierCourant");
    currentDir_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    currentDir_->setStyleSheet("color: #34495e;");

    dirs_ = new QListWidget(box);
    dirs_->setObjectName("Dir1");
    dirs_->setUniformItemSizes(true);
    dirs_->setToolTip("Un clic choisit le dossier, un double clic l'ouvre");
    files_ = new QListWidget(box);
    files_->setObjectName("File1");
    files_->setUniformItemSizes(true);
    files_->setToolTip("Double clic : choisir ce fichier");

    connect(dirs_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        const QString dir = item->data(Qt::UserRole).toString();
        pickDirectory(form_, dir.toStdString());
        listFiles(dir);
        showForm();
    });
    connect(dirs_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        const QString dir = item->data(Qt::UserRole).toString();
        showDirectory(dir);
        pickDirectory(form_, shownDir_.toStdString());
        showForm();
    });
    connect(files_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        pickListedFile(form_, listedDir_.toStdString(), item->text().toStdString());
        showForm();
    });

    auto* grid = new QGridLayout(box);
    grid->addWidget(choiceFra_, 0, 0, 1, 2);
    grid->addWidget(object, 1, 0, 1, 2);
    grid->addWidget(choiceDef_, 2, 0, 1, 2);
    grid->addWidget(job, 3, 0, 1, 2);
    auto* driveLabel = new QLabel("Lecteur", box);
    auto* driveRow = new QHBoxLayout;
    driveRow->addWidget(driveLabel);
    driveRow->addWidget(drives_, 1);
    grid->addLayout(driveRow, 4, 0, 1, 2);
    grid->addWidget(currentDir_, 5, 0, 1, 2);
    grid->addWidget(dirs_, 6, 0);
    grid->addWidget(files_, 6, 1);
    grid->setRowStretch(6, 1);
    return box;
}

QWidget* CuttingWindow::buildPreviewGroup() {
    auto* box = new QGroupBox("Aperçu de l'objet", body_);
    preview_ = new CutPreviewArea(box);
    auto* in = new QPushButton("zoom +", box);
    in->setObjectName("zoomPlus");
    auto* out = new QPushButton("zoom -", box);
    out->setObjectName("zoomMoins");
    connect(in, &QPushButton::clicked, this, [this] { zoom(true); });
    connect(out, &QPushButton::clicked, this, [this] { zoom(false); });
    auto* zooms = new QHBoxLayout;
    zooms->addStretch(1);
    zooms->addWidget(in);
    zooms->addWidget(out);
    auto* column = new QVBoxLayout(box);
    column->addWidget(preview_, 1);
    column->addLayout(zooms);
    return box;
}

QWidget* CuttingWindow::buildSettingsGroup() {
    auto* box = new QGroupBox("Paramètres de la découpe", body_);
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(10);
    auto row = [&](int r, int c, const QString& caption, const char* name, std::string CuttingForm::*member,
                   const QString& tip = {}) {
        QLineEdit* edit = addField(name, member);
        edit->setParent(box);
        edit->setFixedWidth(80);
        auto* label = new QLabel(caption, box);
        label->setBuddy(edit);
        if (!tip.isEmpty()) {
            edit->setToolTip(tip);
            label->setToolTip(tip);
        }
        grid->addWidget(label, r, c);
        grid->addWidget(edit, r, c + 1);
    };
    row(0, 0, "Facteur de multiplication de l'objet", "scaleFactor", &CuttingForm::scaleFactor,
        "Pour changer la taille de l'objet à découper si celui ci n'à pas été dessiné à l'echelle 1");
    row(1, 0, "Valeur de descente de l'outil en mm", "toolDescent", &CuttingForm::toolDescent);
    row(2, 0, "dégagement pour changement outil", "toolChangeClearance", &CuttingForm::toolChangeClearance);
    row(0, 3, "Vitesse d'avance outil dans la matière", "cuttingFeed", &CuttingForm::cuttingFeed);
    row(1, 3, "vitesse d'avance hors matière", "rapidFeed", &CuttingForm::rapidFeed);
    row(2, 3, "Coefficient vitesse", "speedCoefficient", &CuttingForm::speedCoefficient,
        "valeur sans unité, se reporter à la notice");
    grid->setColumnMinimumWidth(2, 18);

    auto* stepsCaption = new QLabel("Parametre machine avance en nbre de Pas /mm", box);
    auto* steps = new QHBoxLayout;
    steps->addWidget(stepsCaption);
    steps->addSpacing(8);
    const struct {
        const char* axis;
        const char* name;
        std::string CuttingForm::*member;
    } axes[] = {{"X", "stepsPerMmX", &CuttingForm::stepsPerMmX},
                {"Y", "stepsPerMmY", &CuttingForm::stepsPerMmY},
                {"Z", "stepsPerMmZ", &CuttingForm::stepsPerMmZ}};
    for (const auto& a : axes) {
        QLineEdit* edit = addField(a.name, a.member);
        edit->setParent(box);
        edit->setFixedWidth(64);
        auto* label = new QLabel(a.axis, box);
        label->setBuddy(edit);
        steps->addSpacing(6);
        steps->addWidget(label);
        steps->addWidget(edit);
    }
    steps->addSpacing(18);
    noDrift_ = new QCheckBox("Arrondi sans dérive", box);
    noDrift_->setObjectName("arrondiSansDerive");
    noDrift_->setToolTip("Chaque point au pas le plus proche de sa position : les contours fermés se referment "
                         "et l'outil revient exactement à l'origine");
    connect(noDrift_, &QCheckBox::toggled, this, [this](bool on) {
        if (!showingForm_) form_.noDrift = on;
    });
    steps->addWidget(noDrift_);
    steps->addStretch(1);
    stepsCaption->setBuddy(fields_[fields_.size() - 3].edit);
    grid->addLayout(steps, 3, 0, 1, 5);
    return box;
}

QWidget* CuttingWindow::buildNotesGroup() {
    auto* box = new QGroupBox("Bloc note", body_);
    description_ = new QPlainTextEdit(box);
    description_->setObjectName("description");
    description_->setToolTip(
        "Pour conserver tout ce que l'on à oubliè quand on réutilise un fichier quelques semaines après "
        "l'avoir crée");
    description_->setMinimumHeight(80);
    description_->setMaximumHeight(130);
    description_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);  // lines wrap
    connect(description_, &QPlainTextEdit::textChanged, this, &CuttingWindow::descriptionEdited);
    auto* column = new QVBoxLayout(box);
    column->addWidget(description_);
    return box;
}

// ---------------------------------------------------------------------------------
// Fields

void CuttingWindow::showForm() {
    showingForm_ = true;
    const QString objectBefore = objectEdit_->text();
    for (const FieldBinding& f : fields_) {
        const QString text = qs(form_.*(f.member));
        if (f.edit->text() != text) f.edit->setText(text);
    }
    const QString notes = notesForEditor(form_.description);
    if (description_->toPlainText() != notes) {
        description_->setWordWrapMode(notesWrapMode(notes));
        description_->setPlainText(notes);
    }
    (form_.fileKind == JobFileKind::Object ? choiceFra_ : choiceDef_)->setChecked(true);
    noDrift_->setChecked(form_.noDrift);
    showingForm_ = false;
    if (objectEdit_->text() != objectBefore) redrawPreview(kBottomAfterFieldChange);
    showJobExtent();
}

// One pass over the cutting file named in the form, when a command has just made or
// chosen it.
void CuttingWindow::surveyJob() {
    survey_.reset();
    if (form_.jobName.empty()) return;
    JobSurvey survey;
    if (!surveyCutFile(form_, zSenseOf(form_), survey)) survey_ = survey;
}

// The feeds and steps per mm as they stand in the fields.
void CuttingWindow::showJobExtent() {
    extent_->setVisible(survey_.has_value());
    if (survey_) extent_->setText(qs(jobExtentLine(*survey_, form_)));
}

void CuttingWindow::fieldEdited(const FieldBinding& field) {
    if (showingForm_) return;
    form_.*(field.member) = field.edit->text().toStdString();
    // The live feeds take every edit; a text that is no number leaves them, and the
    // next "Découper" refuses it with its message.
    if (field.member == &CuttingForm::cuttingFeed) {
        if (auto v = commaNumber(form_.cuttingFeed)) app_.cutControl.liveCuttingFeed = *v;
    } else if (field.member == &CuttingForm::rapidFeed) {
        if (auto v = commaNumber(form_.rapidFeed)) app_.cutControl.liveRapidFeed = *v;
    } else if (field.member == &CuttingForm::objectFile) {
        redrawPreview(kBottomAfterFieldChange);
    }
    showJobExtent();
}

void CuttingWindow::descriptionEdited() {
    if (showingForm_) return;
    form_.description = notesFromEditor(description_->toPlainText());
}

void CuttingWindow::redrawPreview(double bottom) {
    preview_->setPreview(previewObject(form_, bottom, app_.dialogs));
}

void CuttingWindow::zoom(bool in) {
    if (busy()) return;
    preview_->setPreview(in ? zoomIn(form_, app_.dialogs) : zoomOut(form_, app_.dialogs));
}

// ---------------------------------------------------------------------------------
// The file-type choice and the drive, directory and file lists

void CuttingWindow::chooseFileKind(JobFileKind kind) {
    form_.fileKind = kind;
    listFiles(listedDir_);
}

QString CuttingWindow::startDirectory() const {
    for (const std::string* field : {&form_.objectFile, &form_.jobName}) {
        const QString dir = parentDirectory(qs(*field));
        if (!dir.isEmpty()) return dir;
    }
    return QDir::homePath();
}

void CuttingWindow::showDirectory(const QString& path) {
    FileLists lists;
    std::error_code unreadable;
    if (!listDirectory(path.toStdString(), filePattern(form_.fileKind), lists, unreadable) &&
        !listDirectory(QDir::homePath().toStdString(), filePattern(form_.fileKind), lists, unreadable))
        return;
    shownDir_ = QDir::cleanPath(qs(lists.directoryText));
    currentDir_->setText(QDir::toNativeSeparators(shownDir_));

    dirs_->clear();
    for (const std::string& name : lists.directories) {
        auto* item = new QListWidgetItem(qs(name), dirs_);
        item->setData(Qt::UserRole, QDir::cleanPath(qs(directoryEntryPath(lists, name))));
        if (name == "..") item->setToolTip("Dossier parent");
    }

    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < drives_->count(); ++i) {
        QString root = drives_->itemData(i).toString();
        if (!root.endsWith('/')) root += '/';
        if ((shownDir_ + '/').startsWith(root) && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    if (best >= 0) drives_->setCurrentIndex(best);
    listedDir_ = shownDir_;
    showFiles(lists.files);
}

void CuttingWindow::listFiles(const QString& path) {
    listedDir_ = path;
    showFiles(tarvel::listFiles(path.toStdString(), filePattern(form_.fileKind)));
}

void CuttingWindow::showFiles(const std::vector<std::string>& names) {
    files_->clear();
    for (const std::string& name : names) files_->addItem(qs(name));
}

void CuttingWindow::driveChosen(int index) {
    const QString root = drives_->itemData(index).toString();
    if (root.isEmpty()) return;
    showDirectory(root);
    pickDirectory(form_, shownDir_.toStdString());
    showForm();
}

// ---------------------------------------------------------------------------------
// Commands

GenerationProgressFn CuttingWindow::generationProgress() {
    return [this](const GenerationProgress& p) {
        // Stages share the bar by the work they do: the two ends read and write the
        // whole tick stream, the first two only the object's points.
        int from = 0, span = 10;
        QString doing;
        switch (p.stage) {
            case GenerationStage::Scaling: from = 0, span = 10, doing = "Mise à l'échelle de l'objet…"; break;
            case GenerationStage::Segmenting: from = 10, span = 10, doing = "Découpage en segments…"; break;
            case GenerationStage::Interpolating: from = 20, span = 40, doing = "Calcul des pas…"; break;
            case GenerationStage::Combining: from = 60, span = 40, doing = "Écriture du fichier découpe…"; break;
        }
        const double part = p.total == 0 ? 0.0 : std::min(1.0, static_cast<double>(p.done) / static_cast<double>(p.total));
        generationBar_->setValue(from + static_cast<int>(span * part));
        generationBar_->show();
        cancelGeneration_->show();
        status_->setText(doing);
        // A program that is ending cancels the generation, which removes what it wrote.
        if (!app_.quitting) app_.events.yield();
        return !generationCancelled_ && !app_.quitting;
    };
}

void CuttingWindow::createCutProgram() {
    if (busy()) return;
    {
        BusyScope scope(*this, Busy::Generating, "Création du fichier découpe…");
        generationCancelled_ = false;
        generateCutProgram(form_, app_.dialogs, app_.paths, generationProgress());
    }
    surveyJob();
    showForm();
    listFiles(listedDir_);
}

void CuttingWindow::saveCutProgram() {
    if (busy()) return;
    {
        BusyScope scope(*this, Busy::Generating, "Création du fichier découpe…");
        generationCancelled_ = false;
        saveCutProgramAs(form_, app_.dialogs, app_.paths, generationProgress());
    }
    surveyJob();
    showForm();
    listFiles(listedDir_);
}

void CuttingWindow::loadCutProgram() {
    if (busy()) return;
    loadJob(form_, app_.dialogs);
    surveyJob();
    showForm();
}

void CuttingWindow::openFromMenu() {
    if (busy()) return;
    openFileFromMenu(form_, app_.dialogs);
    surveyJob();
    showForm();
}

void CuttingWindow::rewriteDetailsFile() {
    if (busy()) return;
    rewriteDetails(form_, app_.dialogs);
    listFiles(listedDir_);
}

void CuttingWindow::packCutProgram() {
    if (busy()) return;
    packJob(form_, app_.dialogs);
    listFiles(listedDir_);
}

void CuttingWindow::openManualControl() {
    if (busy()) return;
    if (app_.windows) app_.windows->open(kManualControlWindow);
}

// The window closes as its frame would, so a busy one refuses the same way.
void CuttingWindow::backToMain() {
    if (app_.windows) app_.windows->close(objectName());
}

void CuttingWindow::backToFiles() {
    if (busy()) return;
    WindowRegistry* windows = app_.windows;
    if (windows == nullptr) return;
    if (windows->close(objectName())) windows->open(kDrawingWindowName);
}

void CuttingWindow::cut(ZSense sense) {
    if (busy()) return;
    TrackedPort* port = app_.drivingPort();
    if (port == nullptr) {
        app_.dialogs.tell(kNoPortForCut);
        return;
    }
    CuttingForm played = form_;
    const StepPosition origin = port->steps();
    CutRunResult result;
    {
        BusyScope scope(*this, Busy::Cutting, "Découpe en cours : elle se commande depuis la fenêtre « Découpe en cours ».");
        // Escape is "Arret d'urgence" once the cut is under way; before, it answers the
        // question.
        const MotionLock::Scope lock(app_.motionLock, {kCutProgressWindowName, objectName()}, [this] {
            if (!progressWindow_ || !progressWindow_->runActive()) return false;
            app_.cutControl.pressStop();
            return true;
        });
        RunView view(*this);
        result = runCutProgram(played, app_.cutControl, sense, *port, app_.dialogs, app_.events, *waiter_, view);
    }
    if (result.end == CutRunEnd::Finished || result.end == CutRunEnd::Stopped) {
        form_.cuttingFeed = played.cuttingFeed;
        form_.rapidFeed = played.rapidFeed;
        showForm();
        // In the mm of the run's wiring, which the run told the port.
        const MmPosition away = mmOf(port->steps() - origin, port->wiring());
        status_->setText(qs(cutting_messages::runEndPosition(result.end == CutRunEnd::Stopped, away)));
        status_->show();
    }
}

void CuttingWindow::closeEvent(QCloseEvent* event) {
    // A busy window's command still works on its form: it must outlive the command.
    if (busy_ != Busy::Idle) {
        event->ignore();
        if (busy_ == Busy::Cutting && app_.windows) app_.windows->hide(objectName());
        return;
    }
    event->accept();
}

void registerCuttingWindows(WindowRegistry& windows, AppContext& app) {
    windows.setFactory(kCuttingWindowName, [&app] { return new CuttingWindow(app); });
    windows.setFactory(kCutProgressWindowName, [&app] {
        auto* w = new CutProgressWindow(app.cutControl, app.commanded);
        w->setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
        return w;
    });
}

}  // namespace tarvel
