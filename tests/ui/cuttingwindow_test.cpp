// The cutting window (Mach) and the cut-in-progress window (decencours), driven by
// object names on a simulated machine, with a scripted UserDialogs.
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QSlider>

#include <cmath>
#include <filesystem>
#include <tuple>

#include "app/programwindows.h"
#include "common/textrules.h"
#include "config/machineconfig.h"
#include "ui/cutprogresswindow.h"
#include "ui/cuttingwindow.h"
#include "uitesting.h"

namespace {

using tarvel::CuttingWindow;
using tarvel::testing::named;

QString text(const QWidget* root, const char* field) { return named<QLineEdit>(root, field)->text(); }

// Along X by 2 mm, down into the material, 2 mm more along X, up, and back home: with
// 20 steps per mm and a descent of 10 mm, 40 + 200 + 40 + 200 + 80 = 560 ticks.
const char* const kObject =
    "0,0,0\r\n\"2\",\"0\",\"0\"\r\n\"2\",\"0\",\"1\"\r\n\"4\",\"0\",\"1\"\r\n\"4\",\"0\",\"0\"\r\n0,0,0\r\n";

// A plate for the documentation's pictures: a 130 x 80 mm outline, a round hole and a
// rectangular pocket.
std::string plateObject() {
    std::string s = "0,0,0\r\n";
    auto point = [&s](double x, double y, int z) {
        s += "\"" + tarvel::decimalText(x) + "\",\"" + tarvel::decimalText(y) + "\",\"" + std::to_string(z) + "\"\r\n";
    };
    auto polygon = [&point](const std::vector<std::pair<double, double>>& corners) {
        point(corners.front().first, corners.front().second, 0);
        for (const auto& [x, y] : corners) point(x, y, 1);
        point(corners.front().first, corners.front().second, 1);
        point(corners.front().first, corners.front().second, 0);
    };
    polygon({{10, 10}, {140, 10}, {140, 90}, {10, 90}});
    polygon({{25, 30}, {65, 30}, {65, 70}, {25, 70}});
    std::vector<std::pair<double, double>> hole;
    for (int i = 0; i < 48; ++i) {
        const double a = 2 * M_PI * i / 48;
        hole.emplace_back(105 + 20 * std::cos(a), 50 + 20 * std::sin(a));
    }
    polygon(hole);
    return s + "0,0,0\r\n";
}

}  // namespace

class CuttingWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<tarvel::testing::Harness> h_;
    tarvel::testing::TempDir* tmp_ = nullptr;
    tarvel::testing::ScriptedDialogs* dialogs_ = nullptr;
    tarvel::AppContext* app_ = nullptr;
    tarvel::SimulatedMachine* machine_ = nullptr;
    tarvel::CountingWaiter waiter_;

    tarvel::WindowRegistry& windows() { return h_->windows(); }
    QObject* main() { return h_->window.get(); }

    void saveConfig(int invertZ) {
        tarvel::MachineConfig c = tarvel::MachineConfig::defaults();
        c.invertZ = invertZ;
        QVERIFY(!tarvel::saveMachineConfig(c, app_->paths.configFile()));
    }

    CuttingWindow* openMach() {
        auto* mach = windows().open<CuttingWindow>("Mach");
        if (mach == nullptr) throw std::runtime_error("Mach did not open");
        mach->useDelayWaiter(waiter_);
        return mach;
    }

    // Opens Mach on the object saved last and makes its cutting file.
    CuttingWindow* openWithGeneratedJob() {
        app_->lastObjectFile = tmp_->write("piece.fra", kObject);
        CuttingWindow* mach = openMach();
        QTest::mouseClick(named<QPushButton>(mach, "creerDef"), Qt::LeftButton);
        dialogs_->told.clear();
        return mach;
    }

    QPushButton* progressButton(const char* name) { return named<QPushButton>(windows().find("decencours"), name); }

    // Clicks, as the user would, at the next yield of the running cut.
    void clickSoon(const char* name) {
        QTimer::singleShot(0, main(), [this, name] { QTest::mouseClick(progressButton(name), Qt::LeftButton); });
    }
    void moveSliderSoon(int value) {
        QTimer::singleShot(0, main(), [this, value] {
            named<QSlider>(windows().find("decencours"), "vitesse")->setValue(value);
        });
    }

private slots:
    void init() {
        h_ = std::make_unique<tarvel::testing::Harness>(tarvel::SimulatedMachineSettings{});
        tmp_ = &h_->tmp;
        dialogs_ = &h_->dialogs;
        app_ = &h_->app;
        machine_ = h_->machine;
        app_->paths.scratchDir = tmp_->file("scratch");
        std::filesystem::create_directory(app_->paths.scratchDir);
        saveConfig(0);
        QVERIFY(h_->show());
    }
    void cleanup() { h_.reset(); }

    void opensWithoutConfigurationOnDesignValuesAndCaptions() {
        std::filesystem::remove(app_->paths.configFile());
        CuttingWindow* mach = openMach();
        QCOMPARE(dialogs_->toldTexts(),
                 std::vector<std::string>{"Vous devez configurer en fonction de votre machine avant d'utiliser Tarvel"});
        QCOMPARE(dialogs_->told[0].title, std::string("aller en page configuration !!!"));
        QVERIFY(dialogs_->told[0].icon == tarvel::Icon::Question);
        QCOMPARE(mach->windowTitle(), QString("Gestion de l'outil de découpe"));

        struct Field {
            const char *name, *caption, *tooltip, *value;  // caption: of the label naming it, if any
        } const fields[] = {
            {"scaleFactor", "Facteur de multiplication de l'objet",
             "Pour changer la taille de l'objet à découper si celui ci n'à pas été dessiné à l'echelle 1", "1"},
            {"toolDescent", "Valeur de descente de l'outil en mm", "", ""},
            {"cuttingFeed", "Vitesse d'avance outil dans la matière", "", ""},
            {"rapidFeed", "vitesse d'avance hors matière", "", ""},
            {"speedCoefficient", "Coefficient vitesse", "valeur sans unité, se reporter à la notice", "0,01"},
            {"toolChangeClearance", "dégagement pour changement outil", "", ""},
            {"stepsPerMmX", "Parametre machine avance en nbre de Pas /mm", "", "120"},
            {"stepsPerMmY", "Y", "", "120"},
            {"stepsPerMmZ", "Z", "", "120"},
            {"objectFile", "", "", ""},
            {"jobName", "", "", ""},
        };
        for (const Field& f : fields) {
            auto* edit = named<QLineEdit>(mach, f.name);
            QCOMPARE(edit->text(), QString(f.value));
            QCOMPARE(edit->toolTip(), QString(f.tooltip));
            QStringList captions;
            for (QLabel* l : mach->findChildren<QLabel*>())
                if (l->buddy() == edit) captions << l->text();
            if (*f.caption != '\0') QVERIFY2(captions.contains(f.caption), f.name);
        }
        QCOMPARE(named<QPlainTextEdit>(mach, "description")->toPlainText(), QString("Paramètres par défaut\n"));
        QCOMPARE(named<QRadioButton>(mach, "choixFra")->text(), QString("Choisir un fichier d'objet à découper (.FRA)"));
        QCOMPARE(named<QRadioButton>(mach, "choixDef")->text(), QString("Choisir un fichier de découpe (.DEF)"));
        QVERIFY(named<QRadioButton>(mach, "choixDef")->isChecked());
        QCOMPARE(named<QPushButton>(mach, "chargerDef")->toolTip(), QString("Charger un fichier découpe existant. "));
        // Without a configuration neither "Découper" shows.
        QVERIFY(named(mach, "decouper")->isHidden() && named(mach, "decouperInverse")->isHidden());
    }

    void visibleDecouperMatchesInvertZ() {
        for (const auto& [invertZ, shown, hidden] :
             {std::tuple{0, "decouper", "decouperInverse"}, std::tuple{1, "decouperInverse", "decouper"}}) {
            saveConfig(invertZ);
            CuttingWindow* mach = openMach();
            QVERIFY2(named<QPushButton>(mach, shown)->isVisible(), shown);
            QVERIFY(named<QPushButton>(mach, hidden)->isHidden());
            QCOMPARE(named<QPushButton>(mach, shown)->text(), QString("Découper"));
            QVERIFY(windows().close("Mach"));
        }
    }

    void lastObjectFileFillsBothFieldsAndThePreview() {
        app_->lastObjectFile = tmp_->write("piece.fra", kObject);
        CuttingWindow* mach = openMach();
        QCOMPARE(text(mach, "objectFile"), QString::fromStdString(tmp_->file("piece.fra")));
        QCOMPARE(text(mach, "jobName"), QString::fromStdString(tmp_->file("piece")));
        QCOMPARE(text(mach, "cuttingFeed"), QString("50"));
        QCOMPARE(mach->listedDirectory(), QString::fromStdString(tmp_->str()));

        auto* picture = named<tarvel::CutPreviewArea>(mach, "Picture1");
        // Six points, five lines; (2, 0) at zoom 0.5 lies at (5 + 50, 55).
        QCOMPARE(picture->lines().size(), std::size_t{5});
        QCOMPARE(picture->lines().front(), (tarvel::PreviewLine{5, 55, 55, 55}));
        QTest::mouseClick(named<QPushButton>(mach, "zoomMoins"), Qt::LeftButton);
        QCOMPARE(picture->lines().front(), (tarvel::PreviewLine{5, 40, 30, 40}));
        // The X axis of the object rests on the bottom of the picture, its Y grows upwards.
        const QPointF origin = picture->toPixels(5, 55);
        QVERIFY(origin.y() < picture->height() && origin.y() > picture->height() - 20);
        QVERIFY(picture->toPixels(5, 55 - 50).y() < origin.y());
    }

    void createWritesTheJobAndListsIt() {
        app_->lastObjectFile = tmp_->write("piece.fra", kObject);
        CuttingWindow* mach = openMach();
        QTest::mouseClick(named<QPushButton>(mach, "creerDef"), Qt::LeftButton);
        QCOMPARE(dialogs_->toldTexts(), std::vector<std::string>{"Fichier découpe créé avec succés"});
        QVERIFY(std::filesystem::exists(tmp_->file("piece.def")));
        QVERIFY(std::filesystem::exists(tmp_->file("piece.det")));
        QCOMPARE(text(mach, "jobName"), QString::fromStdString(tmp_->file("piece.def")));
        // "*.DEF" lists a lower-case piece.def.
        QCOMPARE(named<QListWidget>(mach, "File1")->count(), 1);
        QCOMPARE(named<QListWidget>(mach, "File1")->item(0)->text(), QString("piece.def"));
        QVERIFY(!mach->busy() && named(mach, "progressionCreation")->isHidden());

        // "Enregistrer un fichier": cancelled, nothing happens; then the same generation under
        // the name chosen, which becomes the job name.
        dialogs_->saveAnswers = {std::nullopt, tmp_->file("autre.def")};
        named<QAction>(mach, "enregistrerfichier")->trigger();
        QCOMPARE(dialogs_->told.size(), std::size_t{1});
        QCOMPARE(named<QListWidget>(mach, "File1")->count(), 1);
        named<QAction>(mach, "enregistrerfichier")->trigger();
        QVERIFY(std::filesystem::exists(tmp_->file("autre.def")));
        QVERIFY(std::filesystem::exists(tmp_->file("autre.det")));
        QCOMPARE(text(mach, "jobName"), QString::fromStdString(tmp_->file("autre.def")));
        QCOMPARE(named<QListWidget>(mach, "File1")->count(), 2);
    }

    // A long generation lets the window system run: the window shows how far it is and
    // cannot be closed or used until it is done.
    void longGenerationShowsProgressAndKeepsTheWindow() {
        app_->lastObjectFile = tmp_->write("piece.fra", kObject);
        CuttingWindow* mach = openMach();
        named<QLineEdit>(mach, "scaleFactor")->setText("7000");  // about 1 100 000 ticks
        int seen = -1;
        bool busyShown = false, closeRefused = false;
        QTimer::singleShot(0, main(), [&] {
            busyShown = mach->busy() && !named(mach, "creerDef")->isEnabled() && named(mach, "progressionCreation")->isVisible();
            seen = named<QProgressBar>(mach, "progressionCreation")->value();
            closeRefused = !windows().close("Mach") && windows().frame("Mach")->isVisible();
        });
        QTest::mouseClick(named<QPushButton>(mach, "creerDef"), Qt::LeftButton);
        QVERIFY(busyShown && closeRefused);
        QVERIFY2(seen > 0 && seen < 100, qPrintable(QString::number(seen)));
        QCOMPARE(dialogs_->toldTexts(), std::vector<std::string>{"Fichier découpe créé avec succés"});
        QVERIFY(!mach->busy() && named(mach, "progressionCreation")->isHidden());
    }

    void loadingAJobFillsTheFieldsFromItsDetails() {
        const std::string object = tmp_->write("boite.fra", kObject);
        const std::string def = tmp_->write("boite.DEF", "2\r\n2\r\n");
        tmp_->write("boite.det", "\"40\",\"" + object + "\",\"2\",\"25\",\"fond, bord\r\n2e passe\",\"90\",\"" + def +
                                     "\",\"3\",\"26\",\"27\"\r\n");
        CuttingWindow* mach = openMach();
        named<QLineEdit>(mach, "jobName")->setText(QString::fromStdString(def));
        QTest::mouseClick(named<QPushButton>(mach, "chargerDef"), Qt::LeftButton);

        QVERIFY(dialogs_->told.empty());
        const std::pair<const char*, std::string> expected[] = {
            {"cuttingFeed", "40"}, {"objectFile", object}, {"scaleFactor", "2"}, {"stepsPerMmX", "25"},
            {"rapidFeed", "90"},   {"jobName", def},       {"toolDescent", "3"}, {"stepsPerMmY", "26"},
            {"stepsPerMmZ", "27"}};
        for (const auto& [field, value] : expected) QCOMPARE(text(mach, field), QString::fromStdString(value));
        QCOMPARE(named<QPlainTextEdit>(mach, "description")->toPlainText(), QString("fond, bord\n2e passe"));
        QCOMPARE(named<tarvel::CutPreviewArea>(mach, "Picture1")->lines().size(), std::size_t{5});
        // The notes come back into the form with the file's line breaks.
        QCOMPARE(mach->form().description, std::string("fond, bord\r\n2e passe"));
    }

    void fileChoiceFillsTheFieldItNames() {
        tmp_->write("piece.fra", kObject);
        tmp_->write("PLAQUE.FRA", kObject);
        tmp_->write("piece.def", "2\r\n");
        std::filesystem::create_directory(tmp_->path() / "sous");
        app_->lastObjectFile = tmp_->file("piece.fra");
        CuttingWindow* mach = openMach();
        auto* files = named<QListWidget>(mach, "File1");
        QCOMPARE(files->count(), 1);  // "*.DEF" at open

        QTest::mouseClick(named<QRadioButton>(mach, "choixFra"), Qt::LeftButton);
        QCOMPARE(files->count(), 2);
        emit files->itemDoubleClicked(files->findItems("PLAQUE.FRA", Qt::MatchExactly).front());
        QCOMPARE(text(mach, "objectFile"), QString::fromStdString(tmp_->file("PLAQUE.FRA")));
        QCOMPARE(text(mach, "jobName"), QString::fromStdString(tmp_->file("piece")));

        QTest::mouseClick(named<QRadioButton>(mach, "choixDef"), Qt::LeftButton);
        auto* dirs = named<QListWidget>(mach, "Dir1");
        emit dirs->itemClicked(dirs->findItems("sous", Qt::MatchExactly).front());
        QCOMPARE(text(mach, "jobName"), QString::fromStdString(tmp_->file("sous") + "/"));
        QCOMPARE(files->count(), 0);
    }

    void feedEditsReachTheLiveFeedsAtOnce() {
        CuttingWindow* mach = openMach();
        named<QLineEdit>(mach, "cuttingFeed")->clear();
        QTest::keyClicks(named<QLineEdit>(mach, "cuttingFeed"), "42,5");
        named<QLineEdit>(mach, "rapidFeed")->clear();
        QTest::keyClicks(named<QLineEdit>(mach, "rapidFeed"), "95");
        QCOMPARE(app_->cutControl.liveCuttingFeed, 42.5);
        QCOMPARE(app_->cutControl.liveRapidFeed, 95.0);
    }

    void manettesVirtuellesOpensForm5InFrontOfMach() {
        CuttingWindow* mach = openMach();
        QTest::mouseClick(named<QPushButton>(mach, "manettes"), Qt::LeftButton);
        QVERIFY(windows().frame("form5")->isVisible());
        QCOMPARE(h_->window->area().activeSubWindow(), windows().frame("form5"));
        QVERIFY(windows().frame("Mach")->isVisible());
    }

    void leavingCommandsCloseTheWindow() {
        // "Revenir à l'écran d'accueil" closes it; "Retour vers Fichiers" also opens dessin.
        for (const auto& [command, drawingOpens] : {std::pair{"retouraccueil", false}, std::pair{"retourfichier", true}}) {
            named<QAction>(openMach(), command)->trigger();
            QVERIFY2(!windows().isOpen("Mach"), command);
            QCOMPARE(windows().isOpen("dessin"), drawingOpens);
        }
    }

    // One cut on the simulated machine with every command of decencours, each pressed at
    // a point of the path the machine reports:
    //   X at 50 (in the material)  slider to 30, "+ profond" twice (one flag: 1 mm)
    //   X at 60                    "Pause", then "Reprise" once "Pause !" shows
    //   X at 70 / 75               "- profond" / "+ profond"
    //   rising out of the material slider to 10
    //   X back at 60               "Arret d'urgence"
    void cutDrivenFromTheProgressWindow() {
        CuttingWindow* mach = openWithGeneratedJob();
        dialogs_->confirmAnswers = {true};
        int phase = 0;
        std::int64_t zAtPause = 0, highestZ = 0;
        QString labelAtPause, ticksAtStop;
        int percentAtStop = -1;
        bool machHidden = false;
        dialogs_->onTell = [&](const tarvel::Message& m) {
            if (m.text != "Pause !") return;
            zAtPause = machine_->zSteps();
            labelAtPause = named<QLabel>(windows().find("decencours"), "vitesseLabel")->text();
            clickSoon("reprise");
        };
        machine_->addListener([&](const tarvel::MachineMotion& m) {
            highestZ = std::min(highestZ, m.z);
            if (phase == 0 && m.x == 50 && m.z == 200) {
                moveSliderSoon(30);
                clickSoon("plusProfond");
                clickSoon("plusProfond");
            } else if (phase == 1 && m.x == 60) {
                clickSoon("pause");
            } else if (phase == 2 && m.x == 70) {
                clickSoon("moinsProfond");
            } else if (phase == 3 && m.x == 75) {
                clickSoon("plusProfond");
            } else if (phase == 4 && m.x == 80 && m.z < 100) {
                moveSliderSoon(10);
            } else if (phase == 5 && m.x == 60) {
                clickSoon("arretUrgence");
                QTimer::singleShot(0, main(), [&] {
                    auto* progress = qobject_cast<tarvel::CutProgressWindow*>(windows().find("decencours"));
                    progress->refresh();
                    ticksAtStop = named<QLabel>(progress, "avancementPas")->text();
                    percentAtStop = named<QProgressBar>(progress, "avancement")->value();
                    machHidden = !windows().frame("Mach")->isVisible();
                });
            } else {
                return;
            }
            ++phase;
        });

        QTest::mouseClick(named<QPushButton>(mach, "decouper"), Qt::LeftButton);

        QCOMPARE(phase, 6);
        QCOMPARE(dialogs_->toldTexts(), (std::vector<std::string>{"Pause !", "Découpe arretée !"}));
        QCOMPARE(labelAtPause, QString("70"));
        QCOMPARE(zAtPause, std::int64_t{220});
        QCOMPARE(highestZ, std::int64_t{220 - 600});  // the 30 mm clearance
        // Stopped where the stop came, 1 mm deeper than the file says.
        QCOMPARE(machine_->xSteps(), std::int64_t{60});
        QCOMPARE(machine_->ySteps(), std::int64_t{0});
        QCOMPARE(machine_->zSteps(), std::int64_t{20});
        QCOMPARE(ticksAtStop, QString("Pas envoyés : 500 sur 560"));
        QCOMPARE(percentAtStop, 89);
        QVERIFY(machHidden);
        // The feeds moved with the slider stay in the window.
        QCOMPARE(text(mach, "cuttingFeed"), QString("70"));
        QCOMPARE(text(mach, "rapidFeed"), QString("90"));
        QCOMPARE(app_->cutControl.flags.stopRequested, 0);
        QVERIFY(windows().frame("Mach")->isVisible());
        QVERIFY(!mach->busy());
        QTRY_VERIFY(!windows().isOpen("decencours"));
    }

    // While the cut runs, "Outil" brings Mach back inert: its commands are ignored and
    // closing it hides it. Closing decencours' frame is "Arret d'urgence".
    void windowsSurviveCommandsDuringACut() {
        CuttingWindow* mach = openWithGeneratedJob();
        dialogs_->confirmAnswers = {true};
        dialogs_->saveAnswers = {tmp_->file("pendant.def")};
        bool done = false, inert = false, closeRefused = false, hiddenAfterClose = false;
        const int listener = machine_->addListener([&](const tarvel::MachineMotion&) {
            if (done) return;
            done = true;
            QTimer::singleShot(0, main(), [&] {
                windows().open("Mach");
                inert = windows().frame("Mach")->isVisible() && !named<QPushButton>(mach, "creerDef")->isEnabled();
                named<QAction>(mach, "enregistrerfichier")->trigger();
                named<QAction>(mach, "retourfichier")->trigger();
                closeRefused = !windows().close("Mach");
                hiddenAfterClose = windows().frame("Mach") != nullptr && !windows().frame("Mach")->isVisible();
                windows().frame("decencours")->close();
            });
        });

        QTest::mouseClick(named<QPushButton>(mach, "decouper"), Qt::LeftButton);
        machine_->removeListener(listener);

        QVERIFY(inert && closeRefused && hiddenAfterClose);
        QCOMPARE(dialogs_->toldTexts(), std::vector<std::string>{"Découpe arretée !"});
        QVERIFY(!std::filesystem::exists(tmp_->file("pendant.def")));
        QCOMPARE(dialogs_->saveAnswers.size(), std::size_t{1});  // never asked
        QVERIFY(!windows().isOpen("dessin"));
        QVERIFY(windows().isOpen("Mach") && windows().frame("Mach")->isVisible());
        QTRY_VERIFY(!windows().isOpen("decencours"));
        // Idle again: closing works.
        QVERIFY(windows().close("Mach"));
    }

    // Not a check: with TARVEL_SCREENSHOT_DIR set, grabs both windows for the README.
    void documentationScreenshots() {
        const QString dir = qEnvironmentVariable("TARVEL_SCREENSHOT_DIR");
        if (dir.isEmpty()) QSKIP("TARVEL_SCREENSHOT_DIR names the folder for the README's pictures");
        app_->lastObjectFile = tmp_->write("plaque.fra", plateObject());
        CuttingWindow* mach = openMach();
        named<QPlainTextEdit>(mach, "description")->setPlainText("Plaque 130 x 80 mm, contreplaqué 5 mm\nfraise 3 mm");
        QTest::mouseClick(named<QPushButton>(mach, "creerDef"), Qt::LeftButton);
        QVERIFY(h_->window->grab().save(dir + "/cutting-window.png"));

        dialogs_->confirmAnswers = {true};
        bool shot = false;
        machine_->addListener([&](const tarvel::MachineMotion& m) {
            if (shot || m.x != 1400 || m.z <= 0) return;
            shot = true;
            QTimer::singleShot(0, main(), [&] {
                qobject_cast<tarvel::CutProgressWindow*>(windows().find("decencours"))->refresh();
                QVERIFY(h_->window->grab().save(dir + "/cut-progress-window.png"));
                QTest::mouseClick(progressButton("arretUrgence"), Qt::LeftButton);
            });
        });
        QTest::mouseClick(named<QPushButton>(mach, "decouper"), Qt::LeftButton);
        QVERIFY(shot);
    }

    void timeLeftReadsInFrench() {
        const std::pair<qulonglong, const char*> cases[] = {
            {0, "0 s"}, {41'600'000, "42 s"}, {185'000'000, "3 min 05 s"}, {3'729'000'000, "1 h 02 min 09 s"}};
        for (const auto& [microseconds, shown] : cases) QCOMPARE(QString::fromStdString(tarvel::timeLeftText(microseconds)), QString(shown));
        QCOMPARE(tarvel::groupedNumber(1234567), QString("1\u00A0234\u00A0567"));
    }
};

int runCuttingWindowTests(int argc, char** argv) {
    CuttingWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "cuttingwindow_test.moc"
