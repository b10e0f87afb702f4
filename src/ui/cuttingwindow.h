// Mach, "Gestion de l'outil de découpe": the Qt face of the cutting window. Every
// value lives in a CuttingForm; each edit copies its field into the form at once, each
// command calls the cutting logic on the form and shows the form again.
//
// Object names:
//   menu bar     ouvrirfichier "Ouvrir un fichier", modifdet "Modifier le fichier de
//                détails", zipdef "ziper un def", enregistrerfichier "Enregistrer un
//                fichier", retouraccueil "Revenir à l'écran d'accueil", retourfichier
//                "Retour vers Fichiers"
//   file choice  choixFra "Choisir un fichier d'objet à découper (.FRA)" over objectFile,
//                choixDef "Choisir un fichier de découpe (.DEF)" over jobName
//   lists        Drive1 (mounted file systems), dossierCourant (the directory shown),
//                Dir1 (".." and the subdirectories), File1 (files of the pattern)
//   fields       objectFile, jobName, scaleFactor, toolDescent, description ("Bloc
//                note"), cuttingFeed, rapidFeed, stepsPerMmX, stepsPerMmY, stepsPerMmZ,
//                speedCoefficient, toolChangeClearance: the CuttingForm members they hold
//   preview      Picture1, with zoomPlus "zoom +" and zoomMoins "zoom -"
//   commands     creerDef "Créer fichier fraisage (DEF)", chargerDef "Charger fichier
//                fraisage(.DEF)", manettes "Manettes virtuelles", decouper "Découper"
//                (normal Z) and decouperInverse "Découper" (inverted Z), of which only
//                the one matching invertZ shows once a configuration was read
//   status       progressionCreation (progress of a generation) with annulerCreation
//                "Annuler" (stops it, keeping no file), etatFenetre (what the window is
//                busy with; after a cut, where the tool stands from the job's origin),
//                etendueTravail (the extent and estimated duration of the cutting file
//                made or chosen last)
//
// The file list keeps the pattern "*.FRA" / "*.DEF" but matches it whatever the case of
// the name, so that "piece.def" made on this system is listed with "PIECE.DEF".
//
// Commands that hand control back to the window system while they work (a generation
// reports its progress, a cut yields between port writes) make the window busy: its
// menu and controls are disabled, a second command is ignored, and closing the window
// is refused, since the command still works on the window's form. During a cut the
// window is hidden, as the run asks; "Outil" may bring it back, inert, and closing it
// then only hides it again. The cut plays a copy of the form taken at its start and
// only its feeds come back into the window at the end.
#pragma once

#include <QPointer>
#include <QWidget>

#include <optional>
#include <vector>

#include "cutting/cutrun.h"
#include "cutting/cuttingform.h"
#include "cutting/cuttingwindow.h"
#include "port/stepdelay.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenuBar;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace tarvel {

struct AppContext;
class CutProgressWindow;
class WindowRegistry;

inline const QString kCuttingWindowName = QStringLiteral("Mach");

// The cutting window's picture area: the preview lines in the old picture area's units
// (twips, 1440 to the inch) drawn at the screen's resolution. The unit origin sits so
// that the bottom offset of a field change (55) falls a few pixels above the bottom
// edge: the object's X axis rests on the bottom and its Y grows upwards.
class CutPreviewArea final : public QWidget {
    Q_OBJECT

public:
    explicit CutPreviewArea(QWidget* parent = nullptr);
    void setPreview(const Preview& preview);
    const std::vector<PreviewLine>& lines() const { return lines_; }
    // Where a point in preview units lands on the widget.
    QPointF toPixels(double x, double y) const;
    QSize sizeHint() const override { return {420, 300}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void redrawCache();

    std::vector<PreviewLine> lines_;
    QPixmap cache_;
};

class CuttingWindow final : public QWidget {
    Q_OBJECT

public:
    // Opens as the cutting window opens: the configuration's fields, LastObjectFile, and
    // the "Découper" command that matches invertZ. A missing configuration is said once,
    // here, and the design values stay.
    explicit CuttingWindow(AppContext& app, QWidget* parent = nullptr);
    ~CuttingWindow() override;

    const CuttingForm& form() const { return form_; }
    // The delays of a cut: a busy wait, unless a test counts them instead.
    void useDelayWaiter(DelayWaiter& waiter) { waiter_ = &waiter; }
    bool busy() const { return busy_ != Busy::Idle; }
    // The directory the file list shows.
    const QString& listedDirectory() const { return listedDir_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    enum class Busy { Idle, Generating, Cutting };
    class RunView;
    class BusyScope;
    struct FieldBinding {
        QLineEdit* edit;
        std::string CuttingForm::*member;
    };

    void buildMenu(QMenuBar& bar);
    QWidget* buildFilesGroup();
    QWidget* buildPreviewGroup();
    QWidget* buildSettingsGroup();
    QWidget* buildNotesGroup();
    QLineEdit* addField(const char* name, std::string CuttingForm::*member);

    // Form -> widgets, under a guard so the copies back do not run; a changed object
    // file redraws the preview.
    void showForm();
    void fieldEdited(const FieldBinding& field);
    void descriptionEdited();
    void redrawPreview(double bottom);
    void surveyJob();
    void showJobExtent();

    void chooseFileKind(JobFileKind kind);
    void showDirectory(const QString& dir);
    void listFiles(const QString& dir);
    void showFiles(const std::vector<std::string>& names);
    void driveChosen(int index);
    QString startDirectory() const;

    void createCutProgram();
    void saveCutProgram();
    void loadCutProgram();
    void openFromMenu();
    void rewriteDetailsFile();
    void packCutProgram();
    void zoom(bool in);
    void openManualControl();
    void backToMain();
    void backToFiles();
    void cut(ZSense sense);
    GenerationProgressFn generationProgress();

    AppContext& app_;
    CuttingForm form_;
    BusyWaiter busyWaiter_;
    DelayWaiter* waiter_ = &busyWaiter_;
    Busy busy_ = Busy::Idle;
    bool showingForm_ = false;

    std::vector<FieldBinding> fields_;
    QMenuBar* menu_ = nullptr;
    QWidget* body_ = nullptr;
    QLineEdit* objectEdit_ = nullptr;
    QRadioButton* choiceFra_ = nullptr;
    QRadioButton* choiceDef_ = nullptr;
    QComboBox* drives_ = nullptr;
    QLabel* currentDir_ = nullptr;
    QListWidget* dirs_ = nullptr;
    QListWidget* files_ = nullptr;
    QPlainTextEdit* description_ = nullptr;
    QCheckBox* noDrift_ = nullptr;
    CutPreviewArea* preview_ = nullptr;
    QPushButton* cutNormal_ = nullptr;
    QPushButton* cutInverted_ = nullptr;
    QProgressBar* generationBar_ = nullptr;
    QPushButton* cancelGeneration_ = nullptr;
    bool generationCancelled_ = false;
    QLabel* status_ = nullptr;
    QLabel* extent_ = nullptr;
    std::optional<JobSurvey> survey_;
    QString shownDir_;   // the directory list's directory
    QString listedDir_;  // the file list's directory
    QPointer<CutProgressWindow> progressWindow_;
};

// Plugs Mach and decencours into the program's window registry.
void registerCuttingWindows(WindowRegistry& windows, AppContext& app);

}  // namespace tarvel
