// One job from a DXF drawing (a line, a circle, a closed polyline) to motor steps, through
// the windows as a user goes: entry points and order (Form7), "Fichier FRA", the job made
// and cut with a pause, then a jog and a homing. The simulated machine's moves judge.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "app/programwindows.h"
#include "cutting/cuttingmessages.h"
#include "port/toolpath.h"
#include "ui/cuttingwindow.h"
#include "uitesting.h"

namespace {

using tarvel::testing::click;
using tarvel::testing::named;
using tarvel::testing::textOf;
namespace msg = tarvel::cutting_messages;

// The default configuration (see Harness::configure).
constexpr std::int64_t kStepsPerMm = 20;
constexpr std::int64_t kDepth = 10 * kStepsPerMm;
constexpr std::int64_t kClearance = 30 * kStepsPerMm;

struct Step {
    std::int64_t x = 0, y = 0;
    bool operator==(const Step&) const = default;
};
char* toString(const Step& s) { return qstrdup(QByteArray::number(s.x) + ", " + QByteArray::number(s.y)); }
std::int64_t steps(double mm) { return std::llround(mm * kStepsPerMm); }
Step at(double xMm, double yMm) { return {steps(xMm), steps(yMm)}; }

}  // namespace

class WholeJobTest : public QObject {
    Q_OBJECT

private slots:
    void drawingToMotorSteps() {
        tarvel::testing::Harness h{tarvel::SimulatedMachineSettings{}};
        h.app.paths.programDir = QCoreApplication::applicationDirPath().toStdString();  // angle tables
        h.app.paths.configDir = h.tmp.str();
        h.configure();
        QVERIFY(h.show());
        tarvel::SimulatedMachine& machine = *h.machine;
        auto& dialogs = h.dialogs;
        auto& windows = h.windows();

        // "Fichier", then the drawing imported as "Fichier DXF".
        named<QAction>(h.window.get(), "coo")->trigger();
        QWidget* dessin = windows.find(tarvel::kDrawingWindow);
        named<QAction>(dessin, "fichierdxf")->trigger();
        named<QLineEdit>(dessin, "Text1")->setText(TARVEL_TESTDATA_DIR "/drawing/wholejob.dxf");
        click(dessin, "Command1");
        auto* entryMarks = named<QListView>(dessin, "List6");
        // Line: rows 0-3; circle: 4-79 (0° on row 5, then 5° a row); polyline: 80-86.
        QCOMPARE(entryMarks->model()->rowCount(), 4 + 76 + 7);
        QCOMPARE(textOf(dessin, "Text2"), QString("3"));

        // Each cut gets its entry point and its new place: the polyline first, entered at
        // its third vertex, the line second, at its start, the circle last, at 90°.
        const std::pair<int, const char*> entries[] = {{1, "2"}, {5 + 18, "3"}, {83, "1"}};
        for (const auto& [row, order] : entries) {
            tarvel::testing::clickRow(entryMarks, row, true);
            QVERIFY(windows.frame("Form7")->isVisible());
            named<QLineEdit>(windows.find("Form7"), "Text1")->setText(order);
            click(windows.find("Form7"), "Command1");
            QCOMPARE(entryMarks->model()->index(row, 0).data().toString(), QString(order));
        }
        click(dessin, "Command7");
        QCOMPARE(named<QListView>(dessin, "List1")->model()->index(1, 0).data().toString(), QString("130,0"));

        // Saved under "Fichier FRA": the cutting window takes over with the object.
        named<QAction>(dessin, "fichierfra")->trigger();
        named<QLineEdit>(dessin, "Text1")->setText(QString::fromStdString(h.tmp.file("piece")));
        click(dessin, "Command2");
        auto* mach = windows.find<tarvel::CuttingWindow>(tarvel::kCuttingWindow);
        QVERIFY(mach != nullptr && !windows.isOpen(tarvel::kDrawingWindow));
        QCOMPARE(textOf(mach, "objectFile"), QString::fromStdString(h.tmp.file("piece.fra")));
        QCOMPARE(textOf(mach, "jobName"), QString::fromStdString(h.tmp.file("piece")));
        tarvel::CountingWaiter waiter;  // the feed's delays are counted, not waited
        mach->useDelayWaiter(waiter);
        click(mach, "creerDef");
        QCOMPARE(textOf(mach, "jobName"), QString::fromStdString(h.tmp.file("piece.def")));

        // The cut, watched step by step: what the tool visits at cutting depth, one list
        // per contour, and the pause on the left half of the last one.
        std::vector<std::vector<Step>> contours;
        bool atDepth = false, pauseAsked = false, paused = false, stayedPut = true, cameBack = false;
        std::int64_t pauseZ = 0, pauseTop = 0;
        Step pausedAt;
        auto clickSoon = [&](const char* button) {
            QTimer::singleShot(0, h.window.get(), [&windows, button] { click(windows.find("decencours"), button); });
        };
        dialogs.onTell = [&](const tarvel::Message& m) {
            if (m.text != msg::kCutPaused.text) return;
            paused = true;
            pauseZ = pauseTop = machine.zSteps();
            pausedAt = {machine.xSteps(), machine.ySteps()};
            clickSoon("reprise");
        };
        const int listener = machine.addListener([&](const tarvel::MachineMotion& m) {
            if (!m.moved) return;
            if (paused) {
                pauseTop = std::min(pauseTop, m.z);
                stayedPut = stayedPut && Step{m.x, m.y} == pausedAt;
                cameBack = m.z == pauseZ;
                paused = !cameBack;
                return;
            }
            if (m.z == kDepth) (atDepth ? contours.back() : contours.emplace_back()).push_back({m.x, m.y});
            atDepth = m.z == kDepth;
            if (!pauseAsked && atDepth && contours.size() == 3 && m.x <= steps(62.5)) {
                pauseAsked = true;
                clickSoon("pause");
            }
        });
        dialogs.confirmAnswers = {true};
        click(mach, "decouper");
        machine.removeListener(listener);

        QCOMPARE(dialogs.asked.size() == 1 ? dialogs.asked[0].text : "", msg::kCutConfirm.text);
        QCOMPARE(dialogs.toldTexts(),
                 (std::vector{msg::kCutProgramCreated.text, msg::kCutPaused.text, msg::kCutFinished.text}));
        // The cuts in the chosen order, each reaching the depth at its entry point.
        QCOMPARE(contours.size(), std::size_t{3});
        QCOMPARE((std::vector{contours[0].front(), contours[1].front(), contours[2].front()}),
                 (std::vector{at(130, 40), at(10, 10), at(70, 55)}));
        // Once around the polyline, through its four vertices, back where it began.
        for (const Step& vertex : {at(100, 40), at(100, 10), at(130, 10)})
            QVERIFY(std::find(contours[0].begin(), contours[0].end(), vertex) != contours[0].end());
        QCOMPARE(contours[0].back(), at(130, 40));
        QCOMPARE(contours[1].back(), at(40, 10));
        // The circle: 5° chords, each rounded to whole steps, stay within two steps of it.
        const Step centre = at(70, 40);
        for (const Step& p : contours[2]) {
            const double r = std::hypot(double(p.x - centre.x), double(p.y - centre.y));
            QVERIFY2(std::abs(r - 15 * kStepsPerMm) <= 2, qPrintable(QString("%1 %2").arg(p.x).arg(p.y)));
        }
        QCOMPARE(contours[2].back(), contours[2].front());
        // The pause lifted the tool by the clearance, on the spot, and brought it back.
        QVERIFY(pauseAsked && cameBack && stayedPut);
        QCOMPARE((std::pair{pauseZ, pauseTop}), (std::pair{kDepth, kDepth - kClearance}));
        // Home again: only the circle's chords round (opposite ones cancel); Z moves whole steps.
        QVERIFY2(std::abs(machine.xSteps()) <= 1 && std::abs(machine.ySteps()) <= 1,
                 qPrintable(QString("%1 %2").arg(machine.xSteps()).arg(machine.ySteps())));
        QCOMPARE(machine.zSteps(), std::int64_t{0});
        QVERIFY(windows.frame(tarvel::kCuttingWindow)->isVisible());
        QTRY_VERIFY(!windows.isOpen("decencours"));

        // "Manettes virtuelles": the X → arrow moves 1 mm towards the X home switch.
        click(mach, "manettes");
        QWidget* form5 = windows.find(tarvel::kManualWindow);
        QVERIFY(windows.frame(tarvel::kManualWindow)->isVisible());
        const Step beforeJog{machine.xSteps(), machine.ySteps()};
        click(form5, "Command10");
        QCOMPARE((Step{machine.xSteps(), machine.ySteps()}), (Step{beforeJog.x - kStepsPerMm, beforeJog.y}));

        // "A la niche": every switch met on the way, then the tool at X and Y home and the
        // tool descent above the Z home switch.
        named<QSlider>(form5, "reglageVitesse")->setValue(1);
        tarvel::SwitchStates met;
        const int homing = machine.addListener([&](const tarvel::MachineMotion&) {
            const tarvel::SwitchStates now = tarvel::switchesReached(machine);
            met = {met.xHome || now.xHome, met.yHome || now.yHome, met.zClearance || now.zClearance,
                   met.zHome || now.zHome};
        });
        click(form5, "Command1");
        machine.removeListener(homing);
        const auto& s = machine.settings();
        QVERIFY(met.xHome && met.yHome && met.zClearance && met.zHome);
        QCOMPARE((Step{machine.xSteps(), machine.ySteps()}), at(s.xHomeMm, s.yHomeMm));
        QCOMPARE(machine.zSteps(), steps(s.zHomeMm) - kDepth);
        QCOMPARE(dialogs.told.size(), std::size_t{3});  // no word from the manual moves
        QCOMPARE(named<QLabel>(form5, "etatNiche")->text(), QString("Prise d'origine terminée."));
    }
};

QTEST_MAIN(WholeJobTest)

#include "wholejob_test.moc"
