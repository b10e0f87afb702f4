// dessin, "Travail sur les Fichier": the Qt face of the drawing window. The object, the
// file-name field, the zoom and every command live in a DrawingForm, the view's sizes
// and pan in a DrawingView; this widget copies edits in, forwards each command, and
// paints what the view logic computed.
//
// Object names:
//   menu bar      fichier (menu "Fichier"): fichierfra "Fichier FRA", fichierdxf "Fichier
//                 DXF", fichierdat "Fichier DAT", choisirfichier "Choisir un fichier ",
//                 ouvrirfichier "Ouvrir un fichier", effacer "Effacer", renommer
//                 "Renommer"; then retouraccueil "Revenir à l'écran d'accueil" and
//                 versoutil "Aller vers Outil" on the bar itself
//   file choice   Option1 "Fichier FRA", Option2 "Fichier DXF", Option3 "Fichier DAT";
//                 Drive1 (mounted file systems), dossierCourant (the current directory
//                 text), Dir1 (".." and sub-directories; double click or Enter opens),
//                 File1 (files of the pattern; a click fills the field), Text1 (the
//                 file-name field), Command1 "Charger", Command2 "Sauver"
//   picture       Picture1 (the picture area), HScroll1 (-500..1000, wider after a fit
//                 that needs it), VScroll1 (-500..500, likewise), Command3 "Zoom +",
//                 Command4 "Zoom -", ajuster "Ajuster", Command5 "Agrandir la fenetre ",
//                 Command6 "Réduire la fenetre", Label1 / Label2 (object X and Y under
//                 the mouse, to the hundredth of a millimetre)
//   object        List1 X, List2 Y (Enter edits the selected Y), List3 Z, List4 marker,
//                 List5 cut number ("Ordre  initial"), List6 entry mark ("Nouvel ordre");
//                 Text2 "Nbre coupes"; Command7 "Réorganisation coupes";
//                 etatReorganisation (what the last reordering did)
//
// The six lists are views over the object's six columns (one small model per column,
// uniform rows), scrolled together and selected together: choosing a row in any of them,
// by mouse or keyboard, selects it in all six and runs the list-click redraw. Only List6
// shows a scroll bar; the wheel over any list scrolls all six.
//
// The picture area keeps what has been drawn in a pixmap at the screen's pixel ratio: a
// redraw paints its primitives into it once (cleared first or over what is there, as
// the redraw says), and every repaint of the window copies the pixmap. The area takes
// the room the window gives it; "Agrandir" and "Réduire" change its smallest size. After
// a load or an import the drawing is fitted in it ("Ajuster").
//
// With the pointer over the picture: the wheel zooms about the pointer, a drag with the
// middle or right button pans, a click near a point selects its row as a click in the
// lists does, and a double click there is the entry-mark list's double click.
#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>

#include <optional>
#include <string>
#include <vector>

#include "drawing/drawingview.h"
#include "drawing/drawingwindow.h"
#include "drawing/filemanagement.h"

class QAbstractItemModel;
class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QStringListModel;

namespace tarvel {

struct AppContext;
class ObjectColumnModel;
class WindowRegistry;

inline const QString kDrawingWindowName = QStringLiteral("dessin");

// Size of one view unit on the screen. At 4 pixels the design sizes give a 540 x 328
// picture area; circles of 0.5 units are 4 pixels across.
inline constexpr int kPixelsPerViewUnit = 4;
// The picture grows with the window; its sizes in view units set only a floor, at this
// many pixels a unit, so that the whole window fits a 1024 × 700 main window.
inline constexpr int kFloorPixelsPerViewUnit = 3;
// Radius of the selected point's ring, and how near a click must come to a point.
inline constexpr double kSelectionRingPixels = 6;
inline constexpr double kPickPixels = 6;

// Picture1: the cached picture in view units, drawn at kPixelsPerViewUnit.
class DrawingPictureArea final : public QWidget {
    Q_OBJECT

public:
    explicit DrawingPictureArea(QWidget* parent = nullptr);

    // Gives the area `sizes` as its smallest size.
    void setViewSize(const ViewSizes& sizes);
    // Paints a redraw's primitives into the cached picture.
    void paintPicture(const ViewPicture& picture);
    const QPixmap& cachedPicture() const { return cache_; }
    // Where a view point lands in the area, with the pan of the last redraw.
    QPointF toPixels(double viewX, double viewY) const;

signals:
    // The mouse is over the area at this view point.
    void mouseAt(double viewX, double viewY);
    // The area took a new size on screen, in view units; the cached picture is blank.
    void resized(double width, double height);
    // The wheel turned `steps` notches (positive: away from the user) at a view point.
    void wheelAt(double viewX, double viewY, double steps);
    // A drag with the middle or right button moved the pointer by this many view units.
    void dragged(double dx, double dy);
    // A left click, a left double click at a view point.
    void clickedAt(double viewX, double viewY);
    void doubleClickedAt(double viewX, double viewY);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QPointF toView(QPointF pixels) const;
    void newCache();

    QPixmap cache_;
    double panX_ = 0;
    double panY_ = 0;
    std::optional<QPointF> dragFrom_;
};

class DrawingWindowWidget final : public QWidget {
    Q_OBJECT

public:
    explicit DrawingWindowWidget(AppContext& app, QWidget* parent = nullptr);
    ~DrawingWindowWidget() override;

    DrawingForm& form() { return form_; }
    const DrawingView& view() const { return view_; }
    DrawingPictureArea& picture() { return *picture_; }

    // The object changed outside the window's own commands (entry points, reordering):
    // the six lists and "Nbre coupes" show it again.
    void showObject();
    // After a new entry point: the path drawn again over the picture.
    void redrawAfterEntryPoint();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildMenu();
    QWidget* buildPictureGroup();
    QWidget* buildFilesGroup();
    QWidget* buildObjectGroup();
    QListView* addColumnList(const char* name, const TextColumn& column);

    // Form -> widgets.
    void showForm();
    void showFileLists();
    void showSelection();
    void apply(const ViewPicture& picture);
    // The scroll bars show the view's pan without redrawing, their ranges widened to it.
    void showPan();
    void fitList(std::size_t list);
    void fitFrame();

    // The picture.
    void ajuster();
    void pickPoint(double viewX, double viewY, bool doubleClick);

    // The six lists.
    void rowChosen(int list, int row);
    void listsScrolled(int list, int value);
    void editY();

    // Cut order and entry points: the double click on List6 (opens Form7 on this
    // window's object), the one on List4, and "Réorganisation coupes" (Command7).
    void entryMarkDoubleClicked(int row);
    void markerDoubleClicked(int row);
    void reorganiserCoupes();

    // File choice.
    void chooseTypeFromMenu(FileType type);
    void chooseTypeOption(FileType type);
    void chooseAFile();
    void driveChosen(int index);
    void directoryActivated(const QModelIndex& index);
    void fileChosen(const QModelIndex& index);

    // Commands.
    void charger();
    void sauver();
    void ouvrirUnFichier();
    void effacer();
    void renommer();
    void revenirAccueil();
    void allerVersOutil();
    void objectLoaded(bool loaded);
    void closeAndOpenCuttingWindow();
    void closeWindow();

    AppContext& app_;
    DrawingForm form_;
    DrawingView view_;
    FileLists fileLists_;
    bool showing_ = false;    // showForm() at work: edits are not copied back
    bool syncing_ = false;    // the lists are being brought into line
    bool watchingActivation_ = false;

    QAction* menuFra_ = nullptr;
    QGroupBox* filesGroup_ = nullptr;
    QWidget* fileControls_ = nullptr;
    QWidget* typeOptions_ = nullptr;
    QRadioButton* options_[3] = {};
    QComboBox* drives_ = nullptr;
    QLabel* currentDir_ = nullptr;
    QListView* dirs_ = nullptr;
    QListView* files_ = nullptr;
    QStringListModel* dirModel_ = nullptr;
    QStringListModel* fileModel_ = nullptr;
    QLineEdit* fileName_ = nullptr;
    QPushButton* charger_ = nullptr;
    QPushButton* sauver_ = nullptr;

    DrawingPictureArea* picture_ = nullptr;
    QScrollBar* hScroll_ = nullptr;
    QScrollBar* vScroll_ = nullptr;
    QLabel* mouseX_ = nullptr;
    QLabel* mouseY_ = nullptr;
    QLabel* reorderState_ = nullptr;

    std::vector<QListView*> lists_;
    std::vector<QLabel*> headers_;
    std::vector<ObjectColumnModel*> columns_;
    QLineEdit* cutCount_ = nullptr;
};

// Plugs dessin into the program's window registry.
void registerDrawingWindow(WindowRegistry& windows, AppContext& app);

}  // namespace tarvel
