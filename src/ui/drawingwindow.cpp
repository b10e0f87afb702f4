#include "ui/drawingwindow.h"

#include <QAbstractListModel>
#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <QWheelEvent>
#include <QStorageInfo>
#include <QStringListModel>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "common/paths.h"
#include "drawing/cutorder.h"
#include "ui/appcontext.h"
#include "ui/drivelist.h"
#include "ui/entrypointwindow.h"
#include "ui/windowregistry.h"

namespace tarvel {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

const QString kCuttingWindowName = QStringLiteral("Mach");
const QString kResizeTip =
    QStringLiteral("Après action sur la commande cliquer sur le curseur à glissière pour forcer la modification");
const QString kTypeTip = QStringLiteral("Choisir le type de fichier sur lequel on va travailler");

QColor paletteColour(ViewColour c) {
    switch (c) {
        case ViewColour::LightGreen: return {0, 255, 0};
        case ViewColour::LightRed: return {255, 0, 0};
        case ViewColour::LightMagenta: return {255, 0, 255};
        case ViewColour::Foreground: break;
    }
    return Qt::black;
}

std::size_t colourSlot(ViewColour c) {
    switch (c) {
        case ViewColour::Foreground: return 0;
        case ViewColour::LightGreen: return 1;
        case ViewColour::LightRed: return 2;
        case ViewColour::LightMagenta: return 3;
    }
    return 0;
}
constexpr std::array<ViewColour, 4> kSlotColours{ViewColour::Foreground, ViewColour::LightGreen,
                                                  ViewColour::LightRed, ViewColour::LightMagenta};

}  // namespace

// One column of the object as a list model: the list asks only for the rows it shows,
// so 100 000 rows cost nothing until they scroll into sight.
class ObjectColumnModel final : public QAbstractListModel {
public:
    ObjectColumnModel(const TextColumn& column, QObject* parent)
        : QAbstractListModel(parent), column_(column) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(column_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid() ||
            static_cast<std::size_t>(index.row()) >= column_.size())
            return {};
        const std::string_view text = column_[static_cast<std::size_t>(index.row())];
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    // The column was replaced or changed length.
    void reload() {
        beginResetModel();
        endResetModel();
    }
    void rowChanged(int row) { emit dataChanged(index(row), index(row), {Qt::DisplayRole}); }

private:
    const TextColumn& column_;
};

// --- Picture1 ---------------------------------------------------------------------------

DrawingPictureArea::DrawingPictureArea(QWidget* parent) : QWidget(parent) {
    setObjectName("Picture1");
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::CrossCursor);
    // The right button drags the picture: no menu may open under it.
    setContextMenuPolicy(Qt::PreventContextMenu);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setViewSize(ViewSizes{});
    newCache();
}

void DrawingPictureArea::setViewSize(const ViewSizes& sizes) {
    setMinimumSize(sizes.viewWidth * kFloorPixelsPerViewUnit, sizes.viewHeight * kFloorPixelsPerViewUnit);
}

// The cache holds device pixels, so that a screen at scale 2 gets sharp lines.
void DrawingPictureArea::newCache() {
    const qreal ratio = devicePixelRatioF();
    cache_ = QPixmap((QSizeF(size()) * ratio).toSize());
    cache_.setDevicePixelRatio(ratio);
    cache_.fill(Qt::white);
}

void DrawingPictureArea::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    newCache();
    emit resized(double(width()) / kPixelsPerViewUnit, double(height()) / kPixelsPerViewUnit);
}

QPointF DrawingPictureArea::toPixels(double viewX, double viewY) const {
    return {(viewX - panX_) * kPixelsPerViewUnit, (viewY - panY_) * kPixelsPerViewUnit};
}

void DrawingPictureArea::paintPicture(const ViewPicture& picture) {
    panX_ = picture.panX;
    panY_ = picture.panY;
    if (picture.clearFirst) cache_.fill(Qt::white);

    // Far-off points are legal view coordinates: lines wholly on one side of the area
    // are dropped here, the painter clips the rest.
    const QRectF area = QRectF(QPointF(0, 0), cache_.deviceIndependentSize()).adjusted(-2, -2, 2, 2);
    auto outside = [&area](const QPointF& a, const QPointF& b) {
        return (a.x() < area.left() && b.x() < area.left()) || (a.x() > area.right() && b.x() > area.right()) ||
               (a.y() < area.top() && b.y() < area.top()) || (a.y() > area.bottom() && b.y() > area.bottom());
    };

    std::array<QVector<QLineF>, kSlotColours.size()> lines;
    for (const ViewSegment& s : picture.segments) {
        const QPointF a = toPixels(s.x1, s.y1);
        const QPointF b = toPixels(s.x2, s.y2);
        if (!outside(a, b)) lines[colourSlot(s.colour)].append(QLineF(a, b));
    }

    QPainter p(&cache_);
    p.setRenderHint(QPainter::Antialiasing);
    for (std::size_t slot = 0; slot < lines.size(); ++slot) {
        if (lines[slot].isEmpty()) continue;
        p.setPen(QPen(paletteColour(kSlotColours[slot]), 1));
        p.drawLines(lines[slot]);
    }
    if (picture.start) {
        p.setPen(QPen(Qt::black, 1));
        p.drawPoint(toPixels(picture.start->x, picture.start->y));
    }
    p.setBrush(Qt::NoBrush);
    for (const ViewCircle& c : picture.circles) {
        p.setPen(QPen(paletteColour(c.colour), 1.5));
        const double r = c.radius * kPixelsPerViewUnit;
        p.drawEllipse(toPixels(c.x, c.y), r, r);
    }
    if (!picture.labels.empty()) {
        QFont font = p.font();
        font.setPixelSize(11);
        p.setFont(font);
        p.setPen(Qt::black);
        const int ascent = p.fontMetrics().ascent();
        for (const ViewLabel& l : picture.labels) {
            const QPointF at = toPixels(l.x, l.y);
            if (!area.contains(at)) continue;
            p.drawText(at + QPointF(2, ascent), qs(l.text));
        }
    }
    if (!picture.entries.empty()) {
        // Entry points in blue, their number above the point so that it clears the
        // cut number written below it.
        QFont font = p.font();
        font.setPixelSize(11);
        font.setBold(true);
        p.setFont(font);
        const QColor blue(0, 0, 255);
        for (const ViewLabel& l : picture.entries) {
            const QPointF at = toPixels(l.x, l.y);
            if (!area.contains(at)) continue;
            p.setPen(Qt::NoPen);
            p.setBrush(blue);
            p.drawEllipse(at, 3, 3);
            p.setPen(blue);
            p.drawText(at + QPointF(4, -4), qs(l.text));
        }
        p.setBrush(Qt::NoBrush);
    }
    if (picture.selected) {
        p.setPen(QPen(paletteColour(ViewColour::LightMagenta), 2));
        p.drawEllipse(toPixels(picture.selected->x, picture.selected->y), kSelectionRingPixels,
                      kSelectionRingPixels);
    }
    update();
}

void DrawingPictureArea::paintEvent(QPaintEvent*) {
    // Moved to a screen of another scale: the picture is drawn again at the new one, once
    // this paint is over.
    if (cache_.devicePixelRatio() != devicePixelRatioF())
        QTimer::singleShot(0, this, [this] {
            if (cache_.devicePixelRatio() == devicePixelRatioF()) return;
            newCache();
            emit resized(double(width()) / kPixelsPerViewUnit, double(height()) / kPixelsPerViewUnit);
        });
    QPainter p(this);
    p.drawPixmap(0, 0, cache_);
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

QPointF DrawingPictureArea::toView(QPointF pixels) const {
    return {panX_ + pixels.x() / kPixelsPerViewUnit, panY_ + pixels.y() / kPixelsPerViewUnit};
}

void DrawingPictureArea::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    if (dragFrom_) {
        const QPointF moved = (at - *dragFrom_) / kPixelsPerViewUnit;
        dragFrom_ = at;
        emit dragged(moved.x(), moved.y());
    }
    const QPointF v = toView(at);
    emit mouseAt(v.x(), v.y());
}

void DrawingPictureArea::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton || event->button() == Qt::RightButton) {
        dragFrom_ = event->position();
        setCursor(Qt::ClosedHandCursor);
    } else if (event->button() == Qt::LeftButton) {
        const QPointF v = toView(event->position());
        emit clickedAt(v.x(), v.y());
    }
}

void DrawingPictureArea::mouseReleaseEvent(QMouseEvent* event) {
    if (dragFrom_ && !(event->buttons() & (Qt::MiddleButton | Qt::RightButton))) {
        dragFrom_.reset();
        setCursor(Qt::CrossCursor);
    }
}

void DrawingPictureArea::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPointF v = toView(event->position());
    emit doubleClickedAt(v.x(), v.y());
}

void DrawingPictureArea::wheelEvent(QWheelEvent* event) {
    // One notch is 120 eighths of a degree; touchpads send less at a time.
    const double steps = event->angleDelta().y() / 120.0;
    if (steps == 0) return;
    const QPointF v = toView(event->position());
    emit wheelAt(v.x(), v.y(), steps);
    event->accept();
}

// --- dessin -----------------------------------------------------------------------------

DrawingWindowWidget::DrawingWindowWidget(AppContext& app, QWidget* parent)
    : QWidget(parent), app_(app), form_(app.dialogs) {
    setObjectName(kDrawingWindowName);
    setWindowTitle("Travail sur les Fichier");
    form_.paths = app_.paths;

    auto* root = new QVBoxLayout(this);
    buildMenu();
    // The picture on the left; on the right the object's lists over the file controls,
    // which take the lists' room only while they are shown.
    auto* right = new QVBoxLayout;
    right->addWidget(buildObjectGroup(), 1);
    right->addWidget(buildFilesGroup());
    auto* body = new QHBoxLayout;
    body->addWidget(buildPictureGroup(), 1);
    body->addLayout(right);
    root->addLayout(body, 1);

    // The file lists start where the last object was saved, else in the user's folder;
    // the file-name field stays empty until the user picks something.
    QString start = QDir::homePath();
    if (!app_.lastObjectFile.empty()) {
        const QString dir = QFileInfo(qs(app_.lastObjectFile)).absolutePath();
        if (QDir(dir).exists()) start = dir;
    }
    const std::string keep = form_.fileName;
    changeDirectory(form_, fileLists_, app_.dialogs, start.toStdString());
    form_.fileName = keep;
    const int drive = drives_->findData(QStorageInfo(start).rootPath());
    if (drive >= 0) drives_->setCurrentIndex(drive);

    showFileLists();
    showObject();
    showForm();
}

DrawingWindowWidget::~DrawingWindowWidget() {
    // The column models read the form's columns, which die with this object before
    // QObject deletes its children: the lists and their models go first.
    for (QListView* list : lists_) delete list;
    for (ObjectColumnModel* model : columns_) delete model;
}

void DrawingWindowWidget::buildMenu() {
    auto* bar = new QMenuBar(this);
    bar->setNativeMenuBar(false);
    layout()->setMenuBar(bar);

    auto add = [this](QWidget* where, const char* name, const QString& caption, auto run) {
        auto* a = new QAction(caption, where);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, run);
        where->addAction(a);
        return a;
    };
    auto* fichier = bar->addMenu("Fichier");
    fichier->setObjectName("fichier");
    menuFra_ = add(fichier, "fichierfra", "Fichier FRA", [this] { chooseTypeFromMenu(FileType::Fra); });
    add(fichier, "fichierdxf", "Fichier DXF", [this] { chooseTypeFromMenu(FileType::Dxf); });
    add(fichier, "fichierdat", "Fichier DAT", [this] { chooseTypeFromMenu(FileType::Dat); });
    fichier->addSeparator();
    add(fichier, "choisirfichier", "Choisir un fichier ", [this] { chooseAFile(); });
    add(fichier, "ouvrirfichier", "Ouvrir un fichier", [this] { ouvrirUnFichier(); });
    fichier->addSeparator();
    add(fichier, "effacer", "Effacer", [this] { effacer(); });
    add(fichier, "renommer", "Renommer", [this] { renommer(); });
    add(bar, "retouraccueil", "Revenir à l'écran d'accueil", [this] { revenirAccueil(); });
    add(bar, "versoutil", "Aller vers Outil", [this] { allerVersOutil(); });
}

QWidget* DrawingWindowWidget::buildPictureGroup() {
    auto* box = new QGroupBox("Dessin", this);
    picture_ = new DrawingPictureArea(box);
    connect(picture_, &DrawingPictureArea::mouseAt, this, [this](double x, double y) {
        const MouseTexts t = mouseTexts({x, y}, form_.zoom);
        mouseX_->setText(qs(t.x));
        mouseY_->setText(qs(t.y));
    });
    connect(picture_, &DrawingPictureArea::resized, this, [this](double width, double height) {
        apply(pictureResized(form_, view_, app_.dialogs, width, height));
    });
    connect(picture_, &DrawingPictureArea::wheelAt, this, [this](double x, double y, double steps) {
        apply(zoomAbout(form_, view_, app_.dialogs, {x, y}, std::pow(kZoomStep, steps)));
        showPan();
    });
    connect(picture_, &DrawingPictureArea::dragged, this, [this](double dx, double dy) {
        apply(panBy(form_, view_, app_.dialogs, dx, dy));
        showPan();
    });
    connect(picture_, &DrawingPictureArea::clickedAt, this,
            [this](double x, double y) { pickPoint(x, y, false); });
    connect(picture_, &DrawingPictureArea::doubleClickedAt, this,
            [this](double x, double y) { pickPoint(x, y, true); });

    hScroll_ = new QScrollBar(Qt::Horizontal, box);
    hScroll_->setObjectName("HScroll1");
    hScroll_->setRange(kHScrollMin, kHScrollMax);
    vScroll_ = new QScrollBar(Qt::Vertical, box);
    vScroll_->setObjectName("VScroll1");
    vScroll_->setRange(kVScrollMin, kVScrollMax);
    for (QScrollBar* bar : {hScroll_, vScroll_}) {
        bar->setSingleStep(5);
        bar->setPageStep(50);
        // The redraw runs when the thumb is let go, not at every pixel of a drag.
        bar->setTracking(false);
    }
    hScroll_->setMinimumWidth(view_.controls.hScrollWidth * kFloorPixelsPerViewUnit);
    vScroll_->setMinimumHeight(view_.controls.vScrollHeight * kFloorPixelsPerViewUnit);
    connect(hScroll_, &QScrollBar::valueChanged, this,
            [this](int v) { apply(horizontalScrolled(form_, view_, app_.dialogs, v)); });
    connect(vScroll_, &QScrollBar::valueChanged, this,
            [this](int v) { apply(verticalScrolled(form_, view_, app_.dialogs, v)); });

    auto button = [box](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, box);
        b->setObjectName(name);
        return b;
    };
    QPushButton* zoomPlus = button("Command3", "Zoom +");
    QPushButton* zoomMinus = button("Command4", "Zoom -");
    QPushButton* fit = button("ajuster", "Ajuster");
    fit->setToolTip("Montrer tout le dessin dans la fenêtre");
    connect(fit, &QPushButton::clicked, this, &DrawingWindowWidget::ajuster);
    QPushButton* enlarge = button("Command5", "Agrandir la fenetre ");
    QPushButton* shrink = button("Command6", "Réduire la fenetre");
    enlarge->setToolTip(kResizeTip);
    shrink->setToolTip(kResizeTip);
    connect(zoomPlus, &QPushButton::clicked, this, [this] { apply(zoomIn(form_, view_, app_.dialogs)); });
    connect(zoomMinus, &QPushButton::clicked, this, [this] { apply(zoomOut(form_, view_, app_.dialogs)); });
    connect(enlarge, &QPushButton::clicked, this, [this] { apply(enlargeView(form_, view_, app_.dialogs)); });
    connect(shrink, &QPushButton::clicked, this, [this] { apply(shrinkView(form_, view_, app_.dialogs)); });

    mouseX_ = new QLabel(box);
    mouseX_->setObjectName("Label1");
    mouseY_ = new QLabel(box);
    mouseY_->setObjectName("Label2");
    for (QLabel* l : {mouseX_, mouseY_}) {
        l->setMinimumWidth(110);
        l->setFrameShape(QFrame::StyledPanel);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }

    auto* grid = new QGridLayout;
    grid->setSpacing(0);
    grid->addWidget(picture_, 0, 0);
    grid->addWidget(vScroll_, 0, 1);
    grid->addWidget(hScroll_, 1, 0);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(0, 1);

    auto* commands = new QHBoxLayout;
    for (QPushButton* b : {zoomPlus, zoomMinus, fit}) commands->addWidget(b);
    commands->addStretch(1);
    for (QPushButton* b : {enlarge, shrink}) commands->addWidget(b);
    auto* mouse = new QHBoxLayout;
    mouse->addWidget(new QLabel("Position de la souris    X :", box));
    mouse->addWidget(mouseX_);
    mouse->addSpacing(12);
    mouse->addWidget(new QLabel("Y :", box));
    mouse->addWidget(mouseY_);
    mouse->addStretch(1);

    auto* layout = new QVBoxLayout(box);
    layout->addLayout(grid, 1);
    layout->addLayout(commands);
    layout->addLayout(mouse);
    return box;
}

QWidget* DrawingWindowWidget::buildFilesGroup() {
    filesGroup_ = new QGroupBox("Fichiers", this);

    typeOptions_ = new QWidget(filesGroup_);
    auto* optionsLayout = new QHBoxLayout(typeOptions_);
    optionsLayout->setContentsMargins(0, 0, 0, 0);
    auto* group = new QButtonGroup(typeOptions_);
    const std::array<std::pair<const char*, FileType>, 3> types{
        {{"Fichier FRA", FileType::Fra}, {"Fichier DXF", FileType::Dxf}, {"Fichier DAT", FileType::Dat}}};
    for (std::size_t i = 0; i < types.size(); ++i) {
        auto* option = new QRadioButton(types[i].first, typeOptions_);
        option->setObjectName(QStringLiteral("Option%1").arg(i + 1));
        option->setToolTip(kTypeTip);
        group->addButton(option);
        const FileType type = types[i].second;
        connect(option, &QRadioButton::clicked, this, [this, type] { chooseTypeOption(type); });
        optionsLayout->addWidget(option);
        options_[i] = option;
    }
    optionsLayout->addStretch(1);

    fileControls_ = new QWidget(filesGroup_);
    drives_ = newDriveList(fileControls_);
    connect(drives_, &QComboBox::activated, this, &DrawingWindowWidget::driveChosen);

    currentDir_ = new QLabel(fileControls_);
    currentDir_->setObjectName("dossierCourant");
    currentDir_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    dirModel_ = new QStringListModel(this);
    fileModel_ = new QStringListModel(this);
    dirs_ = new QListView(fileControls_);
    dirs_->setObjectName("Dir1");
    files_ = new QListView(fileControls_);
    files_->setObjectName("File1");
    dirs_->setModel(dirModel_);
    files_->setModel(fileModel_);
    for (QListView* l : {dirs_, files_}) {
        l->setEditTriggers(QAbstractItemView::NoEditTriggers);
        l->setUniformItemSizes(true);
        l->setFixedHeight(96);
    }
    connect(dirs_, &QListView::activated, this, &DrawingWindowWidget::directoryActivated);
    connect(files_, &QListView::clicked, this, &DrawingWindowWidget::fileChosen);
    connect(files_, &QListView::activated, this, &DrawingWindowWidget::fileChosen);

    fileName_ = new QLineEdit(fileControls_);
    fileName_->setObjectName("Text1");
    connect(fileName_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!showing_) form_.fileName = text.toStdString();
    });

    drives_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    drives_->setMinimumContentsLength(10);
    auto* controls = new QGridLayout(fileControls_);
    controls->setContentsMargins(0, 0, 0, 0);
    controls->addWidget(drives_, 0, 0);
    controls->addWidget(currentDir_, 1, 0, 1, 2);
    controls->addWidget(dirs_, 2, 0);
    controls->addWidget(files_, 2, 1);
    controls->addWidget(new QLabel("Nom du fichier :", fileControls_), 3, 0, 1, 2);
    controls->addWidget(fileName_, 4, 0, 1, 2);
    controls->setColumnStretch(0, 1);
    controls->setColumnStretch(1, 1);

    charger_ = new QPushButton("Charger", filesGroup_);
    charger_->setObjectName("Command1");
    sauver_ = new QPushButton("Sauver", filesGroup_);
    sauver_->setObjectName("Command2");
    // The buttons come and go with the file type; their row keeps its room so the lists
    // above do not jump.
    for (QWidget* w : {static_cast<QWidget*>(charger_), static_cast<QWidget*>(sauver_)}) {
        QSizePolicy keep = w->sizePolicy();
        keep.setRetainSizeWhenHidden(true);
        w->setSizePolicy(keep);
    }
    connect(charger_, &QPushButton::clicked, this, &DrawingWindowWidget::charger);
    connect(sauver_, &QPushButton::clicked, this, &DrawingWindowWidget::sauver);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(charger_);
    buttons->addWidget(sauver_);

    auto* layout = new QVBoxLayout(filesGroup_);
    layout->addWidget(typeOptions_);
    layout->addWidget(fileControls_);
    layout->addLayout(buttons);
    return filesGroup_;
}

QListView* DrawingWindowWidget::addColumnList(const char* name, const TextColumn& column) {
    auto* model = new ObjectColumnModel(column, this);
    auto* list = new QListView(this);
    list->setObjectName(name);
    list->setModel(model);
    list->setUniformItemSizes(true);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int index = static_cast<int>(lists_.size());
    connect(list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this, index](const QModelIndex& current) { rowChosen(index, current.row()); });
    connect(list->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this, index](int value) { listsScrolled(index, value); });
    lists_.push_back(list);
    columns_.push_back(model);
    return list;
}

QWidget* DrawingWindowWidget::buildObjectGroup() {
    auto* box = new QGroupBox("Objet", this);
    CutObject& o = form_.object;
    struct Column {
        const char* name;
        const TextColumn& column;
        const char* header;
        int width;
    };
    const Column columns[] = {
        {"List1", o.x, "X", 82},      {"List2", o.y, "Y", 82},
        {"List3", o.z, "Z", 26},      {"List4", o.marker, "D / F", 36},
        {"List5", o.cutNumber, "Ordre  initial", 48},
        {"List6", o.entryMark, "Nouvel ordre", 48},
    };
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(2);
    for (int i = 0; i < 6; ++i) {
        QListView* list = addColumnList(columns[i].name, columns[i].column);
        list->setParent(box);
        auto* header = new QLabel(columns[i].header, box);
        header->setWordWrap(true);
        header->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        header->setFixedWidth(columns[i].width);
        list->setFixedWidth(columns[i].width);
        headers_.push_back(header);
        grid->addWidget(header, 0, i);
        grid->addWidget(list, 1, i);
        // Six scroll bars side by side would be five too many: they scroll together.
        if (i < 5) list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    QListView* entryMarks = lists_[5];
    entryMarks->setFixedWidth(columns[5].width + entryMarks->verticalScrollBar()->sizeHint().width());
    grid->setRowStretch(1, 1);

    lists_[1]->installEventFilter(this);
    lists_[4]->setToolTip("Donne l'ordre de découpe par défaut. Cliquer pour faire coincider les 3 listes");
    entryMarks->setToolTip("Faire un double click pour entrer un nouveau point d'entrée dans la matière.");
    connect(entryMarks, &QListView::doubleClicked, this,
            [this](const QModelIndex& index) { entryMarkDoubleClicked(index.row()); });
    connect(lists_[3], &QListView::doubleClicked, this,
            [this](const QModelIndex& index) { markerDoubleClicked(index.row()); });

    cutCount_ = new QLineEdit(box);
    cutCount_->setObjectName("Text2");
    cutCount_->setFixedWidth(60);
    connect(cutCount_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!showing_) form_.object.cutCount = text.toStdString();
    });
    auto* reorder = new QPushButton("Réorganisation coupes", box);
    reorder->setObjectName("Command7");
    reorder->setToolTip("Commande à utiliser quand le nouvel ordre est entièrement choisi.");
    connect(reorder, &QPushButton::clicked, this, &DrawingWindowWidget::reorganiserCoupes);

    auto* countRow = new QHBoxLayout;
    countRow->addWidget(new QLabel("Nbre coupes", box));
    countRow->addWidget(cutCount_);
    countRow->addStretch(1);

    reorderState_ = new QLabel(box);
    reorderState_->setObjectName("etatReorganisation");
    reorderState_->setWordWrap(true);

    auto* layout = new QVBoxLayout(box);
    layout->addLayout(grid, 1);
    layout->addLayout(countRow);
    layout->addWidget(reorder);
    layout->addWidget(reorderState_);
    return box;
}

// --- Form -> widgets --------------------------------------------------------------------

void DrawingWindowWidget::showForm() {
    showing_ = true;
    if (fileName_->text().toStdString() != form_.fileName) fileName_->setText(qs(form_.fileName));
    if (cutCount_->text().toStdString() != form_.object.cutCount) cutCount_->setText(qs(form_.object.cutCount));

    QButtonGroup* group = options_[0]->group();
    group->setExclusive(false);
    options_[0]->setChecked(form_.fileType == FileType::Fra);
    options_[1]->setChecked(form_.fileType == FileType::Dxf);
    options_[2]->setChecked(form_.fileType == FileType::Dat);
    group->setExclusive(true);

    fileControls_->setVisible(form_.fileControlsVisible);
    typeOptions_->setVisible(form_.typeOptionsVisible);
    charger_->setVisible(form_.loadShown());
    sauver_->setVisible(form_.saveShown());
    filesGroup_->setVisible(form_.fileControlsVisible || form_.typeOptionsVisible);
    showing_ = false;
    fitFrame();
}

void DrawingWindowWidget::fitFrame() {
    // The file controls and a larger picture area need room: the window grows to hold
    // them, and never shrinks by itself.
    auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (frame == nullptr) return;
    layout()->activate();
    const QSize decoration = frame->size() - size();
    QSize wanted = sizeHint() + decoration;
    if (QMdiArea* area = frame->mdiArea()) wanted = wanted.boundedTo(area->viewport()->size());
    wanted = wanted.expandedTo(minimumSizeHint() + decoration).expandedTo(frame->size());
    if (wanted != frame->size()) frame->resize(wanted);
}

void DrawingWindowWidget::showFileLists() {
    QStringList dirs;
    for (const std::string& d : fileLists_.directories) dirs << qs(d);
    QStringList files;
    for (const std::string& f : fileLists_.files) files << qs(f);
    dirModel_->setStringList(dirs);
    fileModel_->setStringList(files);
    currentDir_->setText(QDir::toNativeSeparators(qs(fileLists_.directoryText)));
}

void DrawingWindowWidget::showObject() {
    syncing_ = true;
    for (ObjectColumnModel* m : columns_) m->reload();
    syncing_ = false;
    fitList(0);
    fitList(1);
    showSelection();
    showForm();
}

void DrawingWindowWidget::showSelection() {
    syncing_ = true;
    for (std::size_t i = 0; i < lists_.size(); ++i) {
        QListView* list = lists_[i];
        const QModelIndex index = columns_[i]->index(form_.selectedRow, 0);
        if (index.isValid())
            list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        else
            list->selectionModel()->clear();
    }
    syncing_ = false;
}

// The X and Y lists as wide as their longest text, so that no coordinate is cut short.
void DrawingWindowWidget::fitList(std::size_t list) {
    const TextColumn& column = list == 0 ? form_.object.x : form_.object.y;
    std::size_t longest = 0;
    for (std::size_t i = 1; i < column.size(); ++i)
        if (column[i].size() > column[longest].size()) longest = i;
    const std::string_view text = column.size() > 0 ? column[longest] : std::string_view();
    const int wanted = lists_[list]->fontMetrics().horizontalAdvance(
                           QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))) +
                       2 * lists_[list]->frameWidth() + 10;
    const int width = std::clamp(wanted, 82, 240);
    lists_[list]->setFixedWidth(width);
    headers_[list]->setFixedWidth(width);
}

void DrawingWindowWidget::apply(const ViewPicture& picture) {
    if (!picture.drawn) return;
    const ViewSizes& s = picture.controls;
    // Most redraws give the sizes the controls already have: the frame is left alone.
    if (picture.resizeControls && (picture_->minimumWidth() != s.viewWidth * kFloorPixelsPerViewUnit ||
                                   picture_->minimumHeight() != s.viewHeight * kFloorPixelsPerViewUnit ||
                                   hScroll_->minimumWidth() != s.hScrollWidth * kFloorPixelsPerViewUnit ||
                                   vScroll_->minimumHeight() != s.vScrollHeight * kFloorPixelsPerViewUnit)) {
        picture_->setViewSize(s);
        hScroll_->setMinimumWidth(s.hScrollWidth * kFloorPixelsPerViewUnit);
        vScroll_->setMinimumHeight(s.vScrollHeight * kFloorPixelsPerViewUnit);
        fitFrame();
    }
    picture_->paintPicture(picture);
}

void DrawingWindowWidget::showPan() {
    const QSignalBlocker blockH(hScroll_);
    const QSignalBlocker blockV(vScroll_);
    hScroll_->setRange(std::min(kHScrollMin, view_.horizontalScroll), std::max(kHScrollMax, view_.horizontalScroll));
    vScroll_->setRange(std::min(kVScrollMin, form_.verticalScroll), std::max(kVScrollMax, form_.verticalScroll));
    hScroll_->setValue(view_.horizontalScroll);
    vScroll_->setValue(form_.verticalScroll);
}

void DrawingWindowWidget::ajuster() {
    apply(fitView(form_, view_, app_.dialogs));
    showPan();
}

void DrawingWindowWidget::pickPoint(double viewX, double viewY, bool doubleClick) {
    const std::optional<std::size_t> row = rowNear(form_, {viewX, viewY}, kPickPixels / kPixelsPerViewUnit);
    if (!row) return;
    const int r = static_cast<int>(*row);
    if (r != form_.selectedRow || !doubleClick) {
        // As a click in List1: the other lists follow it.
        const QModelIndex index = columns_[0]->index(r, 0);
        syncing_ = true;
        lists_[0]->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        lists_[0]->scrollTo(index);
        syncing_ = false;
        rowChosen(0, r);
    }
    if (doubleClick) entryMarkDoubleClicked(r);
}

// --- The six lists ----------------------------------------------------------------------

void DrawingWindowWidget::rowChosen(int list, int row) {
    if (syncing_ || row < 0) return;
    syncing_ = true;
    const int top = lists_[static_cast<std::size_t>(list)]->verticalScrollBar()->value();
    for (std::size_t i = 0; i < lists_.size(); ++i) {
        if (static_cast<int>(i) == list) continue;
        const QModelIndex index = columns_[i]->index(row, 0);
        if (index.isValid())
            lists_[i]->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        else
            lists_[i]->selectionModel()->clear();
        lists_[i]->verticalScrollBar()->setValue(top);
    }
    syncing_ = false;
    apply(listClicked(form_, view_, app_.dialogs, row));
}

void DrawingWindowWidget::listsScrolled(int list, int value) {
    if (syncing_) return;
    syncing_ = true;
    for (std::size_t i = 0; i < lists_.size(); ++i)
        if (static_cast<int>(i) != list) lists_[i]->verticalScrollBar()->setValue(value);
    syncing_ = false;
}

void DrawingWindowWidget::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The angle tables are read again each time the window becomes the active one, so
    // that tables put beside the program meanwhile are used by the next DXF import.
    auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (frame == nullptr || frame->mdiArea() == nullptr || watchingActivation_) return;
    watchingActivation_ = true;
    connect(frame->mdiArea(), &QMdiArea::subWindowActivated, this, [this, frame](QMdiSubWindow* active) {
        if (active == frame) form_.loadAngleTables();
    });
    if (frame->mdiArea()->activeSubWindow() == frame) form_.loadAngleTables();
}

bool DrawingWindowWidget::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lists_[1] && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            editY();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void DrawingWindowWidget::editY() {
    const int edited = form_.selectedRow;
    if (!form_.editY()) return;
    columns_[1]->rowChanged(edited);
    // The selection moves as if the user had clicked the next row: all six lists follow
    // and the view redraws with the new value.
    syncing_ = true;
    lists_[1]->selectionModel()->setCurrentIndex(columns_[1]->index(form_.selectedRow, 0),
                                                 QItemSelectionModel::ClearAndSelect);
    syncing_ = false;
    rowChosen(1, form_.selectedRow);
}

// --- File choice ------------------------------------------------------------------------

void DrawingWindowWidget::chooseTypeFromMenu(FileType type) {
    form_.chooseFileTypeFromMenu(type);
    refreshFileList(form_, fileLists_);
    showFileLists();
    showForm();
}

void DrawingWindowWidget::chooseTypeOption(FileType type) {
    chooseFileTypeOption(form_, type);
    refreshFileList(form_, fileLists_);
    showFileLists();
    showForm();
}

void DrawingWindowWidget::chooseAFile() {
    showFileChoice(form_);
    refreshFileList(form_, fileLists_);
    showFileLists();
    showForm();
}

void DrawingWindowWidget::driveChosen(int index) {
    const QString root = drives_->itemData(index).toString();
    if (root.isEmpty()) return;
    if (changeDirectory(form_, fileLists_, app_.dialogs, root.toStdString())) showFileLists();
    showForm();
}

void DrawingWindowWidget::directoryActivated(const QModelIndex& index) {
    const std::string entry = index.data().toString().toStdString();
    if (changeDirectory(form_, fileLists_, app_.dialogs, directoryEntryPath(fileLists_, entry)))
        showFileLists();
    showForm();
}

void DrawingWindowWidget::fileChosen(const QModelIndex& index) {
    fileClicked(form_, fileLists_, index.data().toString().toStdString());
    showForm();
}

// --- Commands ---------------------------------------------------------------------------

void DrawingWindowWidget::charger() { objectLoaded(form_.load()); }

void DrawingWindowWidget::ouvrirUnFichier() { objectLoaded(form_.openFromMenu()); }

void DrawingWindowWidget::objectLoaded(bool loaded) {
    showObject();
    if (!loaded) return;
    // The lists took their new widths: the picture takes its own before the fit.
    layout()->activate();
    const ViewPicture fitted = fitView(form_, view_, app_.dialogs);
    if (fitted.drawn) {
        apply(fitted);
        showPan();
        return;
    }
    // Nothing to fit: the load's scroll bar change draws the object as it can.
    if (vScroll_->value() != form_.verticalScroll)
        vScroll_->setValue(form_.verticalScroll);
    else
        apply(verticalScrolled(form_, view_, app_.dialogs, form_.verticalScroll));
}

void DrawingWindowWidget::sauver() {
    const AfterCommand after = form_.save(app_.lastObjectFile);
    showForm();
    if (after == AfterCommand::OpenCuttingWindow) closeAndOpenCuttingWindow();
}

void DrawingWindowWidget::effacer() {
    if (!tarvel::deleteFile(form_, app_.dialogs)) return;
    refreshFileList(form_, fileLists_);
    showFileLists();
}

void DrawingWindowWidget::renommer() {
    if (!tarvel::renameFile(form_, app_.dialogs)) return;
    refreshFileList(form_, fileLists_);
    showFileLists();
}

void DrawingWindowWidget::revenirAccueil() {
    if (tarvel::mayReturnToMainWindow(form_, app_.dialogs)) closeWindow();
}

void DrawingWindowWidget::allerVersOutil() { closeAndOpenCuttingWindow(); }

void DrawingWindowWidget::closeAndOpenCuttingWindow() {
    WindowRegistry* windows = app_.windows;
    closeWindow();
    if (windows != nullptr) windows->open(kCuttingWindowName);
}

void DrawingWindowWidget::closeWindow() {
    // The frame deletes this widget later, once the current command has returned.
    if (app_.windows != nullptr && app_.windows->find(kDrawingWindowName) == this)
        app_.windows->close(kDrawingWindowName);
    else
        close();
}

void DrawingWindowWidget::entryMarkDoubleClicked(int row) {
    if (row < 0 || !doubleClickEntryMark(form_.object, static_cast<std::size_t>(row), app_.selectedRow, app_.dialogs))
        return;
    openEntryPointWindow(app_, *this, form_.object, [this](std::optional<std::size_t> validated) {
        showObject();
        if (validated) redrawAfterEntryPoint();
    });
}

void DrawingWindowWidget::markerDoubleClicked(int row) {
    if (row >= 0 && doubleClickMarker(form_.object, static_cast<std::size_t>(row), app_.selectedRow)) showObject();
}

void DrawingWindowWidget::reorganiserCoupes() {
    const bool reordered = reorderShownCuts(form_, app_.dialogs);
    reorderState_->setText(qs(reorderStatusText(form_.object, reordered)));
    showObject();
    apply(redrawAll(form_, view_, app_.dialogs));
}

void DrawingWindowWidget::redrawAfterEntryPoint() { apply(entryPointRedraw(form_, view_)); }

void registerDrawingWindow(WindowRegistry& windows, AppContext& app) {
    windows.setFactory(kDrawingWindowName, [&app] { return new DrawingWindowWidget(app); });
}

}  // namespace tarvel
