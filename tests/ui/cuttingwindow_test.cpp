// The cutting window (Mach) and the cut-in-progress window (decencours) on a simulated machine.
#include <filesystem>

#include "cutting/cuttingmessages.h"
#include "config/machineconfig.h"
#include "ui/cutprogresswindow.h"
#include "ui/cuttingwindow.h"
#include "uitesting.h"

namespace {

using tarvel::CuttingWindow;
using tarvel::testing::click;
using tarvel::testing::named;
using tarvel::testing::textOf;

namespace msg = tarvel::cutting_messages;
using Texts = std::vector<std::string>;

// Along X by 2 mm, down into the material, 2 mm more along X, up, and back home: with
// 20 steps per mm and a descent of 10 mm, 40 + 200 + 40 + 200 + 80 = 560 ticks.
const char* const kObject =
    "0,0,0\r\n\"2\",\"0\",\"0\"\r\n\"2\",\"0\",\"1\"\r\n\"4\",\"0\",\"1\"\r\n\"4\",\"0\",\"0\"\r\n0,0,0\r\n";

}  // namespace

class CuttingWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<tarvel::testing::Harness> h_;
    tarvel::CountingWaiter waiter_;

    tarvel::WindowRegistry& windows() { return h_->windows(); }
    QObject* main() { return h_->window.get(); }
    tarvel::CutProgressWindow* progress() { return windows().find<tarvel::CutProgressWindow>("decencours"); }

    CuttingWindow* openMach() {
        auto* mach = windows().open<CuttingWindow>("Mach");
        if (mach == nullptr) throw std::runtime_error("Mach did not open");
        mach->useDelayWaiter(waiter_);
        return mach;
    }

    // Opens Mach on the object saved last and makes its cutting file.
    CuttingWindow* openWithGeneratedJob() {
        h_->app.lastObjectFile = h_->tmp.write("piece.fra", kObject);
        CuttingWindow* mach = openMach();
        click(mach, "creerDef");
        h_->dialogs.told.clear();
        return mach;
    }

    // Clicks, as the user would, at the next yield of the running cut.
    void clickSoon(const char* name) { QTimer::singleShot(0, main(), [this, name] { click(progress(), name); }); }
    void moveSliderSoon(int value) {
        QTimer::singleShot(0, main(), [this, value] { named<QSlider>(progress(), "vitesse")->setValue(value); });
    }

private slots:
    void init() {
        QVERIFY((h_ = std::make_unique<tarvel::testing::Harness>(tarvel::SimulatedMachineSettings{}, true))->show());
    }
    void cleanup() { h_.reset(); }

    // Without a configuration the window says so and offers neither "Découper"; with one,
    // the button shown is the one for the Z direction configured.
    void opensOnTheConfigurationShowingOneDecouper_data() {
        QTest::addColumn<int>("invertZ");  // -1: no configuration file
        QTest::addColumn<QString>("shown");
        QTest::newRow("sans configuration") << -1 << QString();
        QTest::newRow("Z normal") << 0 << "decouper";
        QTest::newRow("Z inversé") << 1 << "decouperInverse";
    }
    void opensOnTheConfigurationShowingOneDecouper() {
        QFETCH(int, invertZ);
        QFETCH(QString, shown);
        tarvel::MachineConfig c = tarvel::MachineConfig::defaults();
        c.invertZ = invertZ;
        invertZ < 0 ? void(std::filesystem::remove(h_->app.paths.configFile())) : h_->configure(c);
        CuttingWindow* mach = openMach();
        const Texts missing{tarvel::config_messages::kMissingForCutting.text};
        QCOMPARE(h_->dialogs.toldTexts(), invertZ < 0 ? missing : Texts{});
        for (const char* button : {"decouper", "decouperInverse"})
            QCOMPARE(named(mach, button)->isVisible(), shown == button);
    }

    // A long generation lets the window system run: the window shows how far it is and
    // cannot be closed or used until it is done. The job is then listed under its name;
    // "Enregistrer un fichier" makes it again under the name chosen.
    void createShowsProgressThenListsTheJob() {
        h_->app.lastObjectFile = h_->tmp.write("piece.fra", kObject);
        CuttingWindow* mach = openMach();
        QCOMPARE(named<tarvel::CutPreviewArea>(mach, "Picture1")->lines().size(), std::size_t{5});  // six points
        named<QLineEdit>(mach, "scaleFactor")->setText("7000");  // about 1 100 000 ticks
        int seen = -1;
        bool busyShown = false, closeRefused = false;
        QTimer::singleShot(0, main(), [&] {
            busyShown = mach->busy() && !named(mach, "creerDef")->isEnabled() && named(mach, "progressionCreation")->isVisible();
            seen = named<QProgressBar>(mach, "progressionCreation")->value();
            closeRefused = !windows().close("Mach") && windows().frame("Mach")->isVisible();
        });
        click(mach, "creerDef");
        QVERIFY2(busyShown && closeRefused && seen > 0 && seen < 100, qPrintable(QString::number(seen)));
        QVERIFY(!mach->busy() && named(mach, "progressionCreation")->isHidden());
        auto* files = named<QListWidget>(mach, "File1");
        QCOMPARE(files->count(), 1);  // "*.DEF" lists a lower-case piece.def
        named<QLineEdit>(mach, "scaleFactor")->setText("1");
        h_->dialogs.saveAnswers = {h_->tmp.file("autre.def")};
        named<QAction>(mach, "enregistrerfichier")->trigger();
        QCOMPARE(textOf(mach, "jobName") + QString::number(files->count()),
                 QString::fromStdString(h_->tmp.file("autre.def2")));
        // The job made shows what it will do: 40 ticks before the plunge and 240 in the
        // material at 4,9 ms, 280 raised at 1,9 ms.
        QCOMPARE(named<QLabel>(mach, "etendueTravail")->text(),
                 QString("Travail : X de 0,00 à 4,00 mm, Y de 0,00 à 0,00 mm, Z de 0,00 à 10,00 mm ; durée estimée 2 s"));
        // "Annuler" beside the progress stops it and keeps nothing.
        named<QLineEdit>(mach, "jobName")->setText(QString::fromStdString(h_->tmp.file("annule")));
        named<QLineEdit>(mach, "scaleFactor")->setText("7000");
        QTimer::singleShot(0, main(), [&] { click(mach, "annulerCreation"); });
        click(mach, "creerDef");
        QCOMPARE(h_->dialogs.toldTexts().back(), msg::kGenerationCancelled.text);
        QVERIFY(!std::filesystem::exists(h_->tmp.file("annule.det")) && files->count() == 2);
    }

    // The object double-clicked in the list under "*.FRA" and the job loaded by "Charger"
    // fill the fields; which details a job keeps is the cutting logic's.
    void chosenAndLoadedFilesFillTheFields() {
        const std::string object = h_->tmp.write("boite.fra", kObject), chosen = h_->tmp.write("PLAQUE.FRA", kObject);
        const std::string def = h_->tmp.write("boite.DEF", "2\r\n2\r\n");
        h_->tmp.write("boite.det", "\"40\",\"" + object + "\",\"2\",\"25\",\"fond, bord\r\n2e passe\",\"90\",\"" + def +
                                     "\",\"3\",\"26\",\"27\"\r\n");
        h_->app.lastObjectFile = object;
        CuttingWindow* mach = openMach();
        auto* files = named<QListWidget>(mach, "File1");
        QTest::mouseClick(named<QRadioButton>(mach, "choixFra"), Qt::LeftButton);
        QCOMPARE(files->count(), 2);
        emit files->itemDoubleClicked(files->findItems("PLAQUE.FRA", Qt::MatchExactly).front());
        QCOMPARE(textOf(mach, "objectFile"), QString::fromStdString(chosen));

        named<QLineEdit>(mach, "jobName")->setText(QString::fromStdString(def));
        click(mach, "chargerDef");
        QCOMPARE(textOf(mach, "objectFile") + "|" + textOf(mach, "stepsPerMmZ") + "|" +
                     named<QPlainTextEdit>(mach, "description")->toPlainText(),
                 QString::fromStdString(object) + "|27|fond, bord\n2e passe");
    }

    // The feeds reach the live feeds at once; "Arrondi sans dérive", off at open, the generation's settings.
    void editsReachTheLiveFeedsAndTheFormAtOnce() {
        CuttingWindow* mach = openMach();
        tarvel::testing::retype(mach, "cuttingFeed", "42,5");
        tarvel::testing::retype(mach, "rapidFeed", "95");
        const auto& live = h_->app.cutControl;
        QCOMPARE((std::pair{live.liveCuttingFeed, live.liveRapidFeed}), (std::pair{42.5, 95.0}));
        QVERIFY(!named<QCheckBox>(mach, "arrondiSansDerive")->isChecked() && !mach->form().noDrift);
        named<QCheckBox>(mach, "arrondiSansDerive")->click();
        QVERIFY(mach->form().noDrift);
    }

    // One cut on the simulated machine with every command of decencours, each pressed at
    // a point of the path the machine reports:
    //   X at 50 (in the material)  slider to 30, "+ profond" twice (one flag: 1 mm)
    //   X at 60                    "Pause", then "Reprise" once the tool is raised and the
    //                              window says it waits
    //   X at 70 / 75               "- profond" / "+ profond"
    //   rising out of the material slider to 10
    //   X back at 60               "Arret d'urgence"
    void cutDrivenFromTheProgressWindow() {
        CuttingWindow* mach = openWithGeneratedJob();
        h_->dialogs.confirmAnswers = {true};
        int phase = 0, percentAtStop = -1;
        std::int64_t zAtPause = 0;
        QString labelAtPause, ticksAtStop, positionAtStop;
        bool machHidden = false;
        bool pausedShown = false, noteGoneAtStop = false;
        QTimer waitForRaise;  // "Reprise" once the window says the run waits for it
        QObject::connect(&waitForRaise, &QTimer::timeout, main(), [&] {
            if (!named<QLabel>(progress(), "etatPause")->isVisible()) return;
            pausedShown = !named<QPushButton>(progress(), "pause")->isEnabled();
            waitForRaise.stop();
            click(progress(), "reprise");
        });
        h_->dialogs.onTell = [&](const tarvel::Message& m) {
            if (m.text != msg::kCutPaused.text) return;
            zAtPause = h_->machine->zSteps();
            labelAtPause = named<QLabel>(progress(), "vitesseLabel")->text();
            waitForRaise.start(1);
        };
        h_->machine->addListener([&](const tarvel::MachineMotion& m) {
            if (phase == 0 && m.x == 50 && m.z == 200) {
                moveSliderSoon(30);
                clickSoon("plusProfond");
                clickSoon("plusProfond");
            } else if (phase == 1 && m.x == 60) { clickSoon("pause");
            } else if (phase == 2 && m.x == 70) { clickSoon("moinsProfond");
            } else if (phase == 3 && m.x == 75) { clickSoon("plusProfond");
            } else if (phase == 4 && m.x == 80 && m.z < 100) { moveSliderSoon(10);
            } else if (phase == 5 && m.x == 60) {
                clickSoon("arretUrgence");
                QTimer::singleShot(0, main(), [&] {
                    progress()->refresh();
                    ticksAtStop = named<QLabel>(progress(), "avancementPas")->text();
                    positionAtStop = named<QLabel>(progress(), "position")->text();
                    percentAtStop = named<QProgressBar>(progress(), "avancement")->value();
                    machHidden = !windows().frame("Mach")->isVisible();
                    noteGoneAtStop = !named<QLabel>(progress(), "etatPause")->isVisible() &&
                                     named<QPushButton>(progress(), "pause")->isEnabled();
                });
            } else {
                return;
            }
            ++phase;
        });

        click(mach, "decouper");

        QCOMPARE(phase, 6);
        QCOMPARE(h_->dialogs.toldTexts(), (Texts{msg::kCutPaused.text, msg::kCutStopped.text}));
        QCOMPARE(labelAtPause + " " + QString::number(zAtPause), QString("70 220"));
        QVERIFY(pausedShown && noteGoneAtStop);
        QCOMPARE(h_->window->area().activeSubWindow(), windows().frame("Mach"));  // in front at the end
        // Stopped where the stop came, 1 mm deeper than the file says.
        QCOMPARE(tarvel::testing::stepsOf(*h_->machine), QString("60 0 20"));
        QCOMPARE(positionAtStop, QString("Position : X 3,00 mm   Y 0,00 mm   Z 1,00 mm"));
        QCOMPARE(named<QLabel>(mach, "etatFenetre")->text(),
                 QString("Découpe arrêtée : l'outil est à X 3,00 mm, Y 0,00 mm, Z 1,00 mm de l'origine du travail."));
        QCOMPARE(ticksAtStop + " " + QString::number(percentAtStop), QString("Pas envoyés : 500 sur 560 89"));
        QVERIFY(machHidden && h_->app.cutControl.flags.stopRequested == 0 && !mach->busy());
        // The feeds moved with the slider stay in the window.
        QCOMPARE(textOf(mach, "cuttingFeed") + " " + textOf(mach, "rapidFeed"), QString("70 90"));
    }

    // During a cut the menus and the other windows wait; Escape, wherever it is pressed,
    // is "Arret d'urgence" and takes effect at the end of the tick.
    void escapeAnywhereStopsTheCutWhileOtherWindowsWait() {
        windows().open("dessin");
        CuttingWindow* mach = openWithGeneratedJob();
        h_->dialogs.confirmAnswers = {true};
        bool othersWaited = false;
        std::uint64_t writesAtEscape = 0;
        const int listener = h_->machine->addListener([&](const tarvel::MachineMotion& m) {
            if (m.x != 20 || writesAtEscape != 0) return;
            writesAtEscape = h_->machine->writes();
            QTimer::singleShot(0, main(), [&] {
                othersWaited = !h_->window->menuBar()->isEnabled() && !windows().frame("dessin")->isEnabled();
                // "Zoom +" on the empty drawing would put up "Choisir un fichier!": not now.
                QTest::mouseClick(named<QPushButton>(windows().find("dessin"), "Command3"), Qt::LeftButton);
                QTest::keyClick(windows().find("dessin"), Qt::Key_Escape);
            });
        });
        click(mach, "decouper");
        h_->machine->removeListener(listener);
        QVERIFY(othersWaited);
        QCOMPARE(h_->dialogs.toldTexts(), Texts{msg::kCutStopped.text});
        QVERIFY(h_->machine->writes() - writesAtEscape <= 2);  // the tick under way, no more
        QVERIFY(h_->window->menuBar()->isEnabled() && windows().frame("dessin")->isEnabled());
    }

    // While the cut runs, "Outil" brings Mach back inert: its commands are ignored and
    // closing it hides it. Closing decencours' frame is "Arret d'urgence".
    void windowsSurviveCommandsDuringACut() {
        CuttingWindow* mach = openWithGeneratedJob();
        h_->dialogs.confirmAnswers = {true};
        h_->dialogs.saveAnswers = {h_->tmp.file("pendant.def")};
        bool done = false, inert = false, closeRefused = false, hiddenAfterClose = false;
        const int listener = h_->machine->addListener([&](const tarvel::MachineMotion&) {
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

        click(mach, "decouper");
        h_->machine->removeListener(listener);

        QVERIFY(inert && closeRefused && hiddenAfterClose);
        QCOMPARE(h_->dialogs.toldTexts(), Texts{msg::kCutStopped.text});
        QCOMPARE(h_->dialogs.saveAnswers.size(), std::size_t{1});  // never asked to save
        QVERIFY(!windows().isOpen("dessin") && windows().frame("Mach")->isVisible());
        QTRY_VERIFY(!windows().isOpen("decencours"));
        QVERIFY(windows().close("Mach"));  // idle again: closing works
    }
};

QTEST_MAIN(CuttingWindowTest)

#include "cuttingwindow_test.moc"
