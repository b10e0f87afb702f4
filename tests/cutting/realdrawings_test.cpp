// Drawings made by CAD programs, from import to the simulated machine: entry points on
// each cut's start, the cut order rebuilt, the object saved, a cutting file generated in
// both roundings and played. What is cut must be what is drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "common/textrules.h"
#include "config/machineconfig.h"
#include "cutting/cutrun.h"
#include "cutting/generator.h"
#include "drawing/cutorder.h"
#include "drawing/drawingwindow.h"
#include "port/simulatedmachine.h"
#include "support/scripteddialogs.h"
#include "support/tempdir.h"

namespace tarvel {
namespace {

using testing::ScriptedDialogs;
using testing::TempDir;
using Step = std::tuple<std::int64_t, std::int64_t>;
constexpr double kStepsPerMm = 20;

struct Drawing {
    const char* file;
    bool convert;  // answer to the import's question about what it can convert
};

// The object's cuts as pairs of rows: each "D" row and the next "F" row.
std::vector<std::pair<std::size_t, std::size_t>> cutsOf(const CutObject& o) {
    std::vector<std::pair<std::size_t, std::size_t>> cuts;
    for (std::size_t r = 0; r < o.rows(); ++r)
        if (o.marker[r] == "D")
            for (std::size_t f = r + 1; f < o.rows(); ++f)
                if (o.marker[f] == "F") {
                    cuts.emplace_back(r, f);
                    break;
                }
    return cuts;
}

Step stepsAt(const CutObject& o, std::size_t row) {
    return {std::llround(*coordinateNumber(o.x[row]) * kStepsPerMm), std::llround(*coordinateNumber(o.y[row]) * kStepsPerMm)};
}

// Drawn segments as unordered pairs of point texts, counted: what the cut order must keep.
std::map<std::pair<std::string, std::string>, int> segmentsOf(const CutObject& o) {
    std::map<std::pair<std::string, std::string>, int> segments;
    for (const auto& [d, f] : cutsOf(o))
        for (std::size_t r = d + 1; r + 1 < f; ++r) {
            std::string a = std::string(o.x[r]) + ";" + std::string(o.y[r]);
            std::string b = std::string(o.x[r + 1]) + ";" + std::string(o.y[r + 1]);
            if (a != b) ++segments[std::minmax(a, b)];
        }
    return segments;
}

class RealDrawings : public ::testing::TestWithParam<Drawing> {};

TEST_P(RealDrawings, CutWhatIsDrawnClosedContoursClosedAndBackToTheOrigin) {
    const Drawing drawing = GetParam();
    TempDir tmp;
    ScriptedDialogs dialogs;
    dialogs.confirmAnswers.assign(4, drawing.convert);
    DrawingForm form(dialogs);
    form.chooseFileTypeFromMenu(FileType::Dxf);
    form.fileName = std::string(TARVEL_TESTDATA_DIR) + "/drawing/" + drawing.file;
    ASSERT_TRUE(form.load());
    const auto drawn = segmentsOf(form.object);
    ASSERT_FALSE(drawn.empty());

    // An entry point on the first row of each cut in the material, numbered in order.
    EntryPointForm entries(dialogs);
    int order = 0, selected = kNoSelectedRow;
    for (const auto& [d, f] : cutsOf(form.object)) {
        ASSERT_TRUE(doubleClickEntryMark(form.object, d + 1, selected, dialogs));
        entries.show();
        entries.orderNumber = std::to_string(++order);
        entries.confirmEntry(form.object, selected);
    }
    ASSERT_TRUE(reorderShownCuts(form, dialogs)) << (dialogs.told.empty() ? "" : dialogs.told.back().text);
    EXPECT_EQ(segmentsOf(form.object), drawn);  // nothing added, nothing dropped
    std::string saved;
    form.chooseFileTypeFromMenu(FileType::Fra);
    form.fileName = tmp.file("piece");
    ASSERT_EQ(form.save(saved), AfterCommand::OpenCuttingWindow);

    // The points each cut passes, in steps, as the saved object gives them; and which
    // cuts are closed in the drawing.
    std::vector<std::vector<Step>> cutPoints;
    std::vector<bool> closed;
    for (const auto& [d, f] : cutsOf(form.object)) {
        cutPoints.emplace_back();
        for (std::size_t r = d + 1; r < f; ++r) cutPoints.back().push_back(stepsAt(form.object, r));
        closed.push_back(*coordinateNumber(form.object.x[d + 1]) == *coordinateNumber(form.object.x[f - 1]) &&
                         *coordinateNumber(form.object.y[d + 1]) == *coordinateNumber(form.object.y[f - 1]));
    }

    for (const bool noDrift : {false, true}) {
        SCOPED_TRACE(noDrift ? "without drift" : "each segment rounded on its own");
        CuttingForm job;
        static_cast<PinWeights&>(job) = MachineConfig::defaults();
        job.stepsPerMmX = job.stepsPerMmY = job.stepsPerMmZ = "20";
        job.invertX = job.invertY = job.invertZ = "0";
        job.description = "essai", job.toolDescent = "2", job.scaleFactor = "1";
        job.cuttingFeed = "80", job.rapidFeed = "50", job.speedCoefficient = "0,02";
        job.toolChangeClearance = "30", job.port = kPort1Address, job.configurationRead = true;
        job.objectFile = saved;
        job.jobName = tmp.file(noDrift ? "exact" : "drift");
        job.noDrift = noDrift;
        ASSERT_TRUE(generateCutProgram(job, dialogs, form.paths)) << dialogs.told.back().text;

        // Where the tool stands each time it enters and leaves the material, and every
        // position it passes in the material.
        SimulatedMachine machine(SimulatedMachineSettings::withTravel(10000));  // sample.dxf spans 4 m
        std::vector<Step> entered, left, visited;
        machine.addListener([&](const MachineMotion& m) {
            const bool wasIn = entered.size() > left.size();
            if (m.inMaterial && !wasIn) entered.emplace_back(m.x, m.y);
            if (!m.inMaterial && wasIn) left.emplace_back(m.x, m.y);
            if (m.inMaterial && (visited.empty() || visited.back() != Step{m.x, m.y})) visited.emplace_back(m.x, m.y);
        });
        CutControl control;
        NoEventPump pump;
        CountingWaiter waiter;
        CutRunView view;
        ScriptedDialogs runDialogs;
        runDialogs.confirmAnswers = {true};
        const CutRunResult result = runCutProgram(job, control, ZSense::Normal, machine, runDialogs, pump, waiter, view);
        ASSERT_EQ(result.end, CutRunEnd::Finished);
        EXPECT_EQ(machine.blockedSteps(), 0u);
        ASSERT_EQ(entered.size(), cutPoints.size());
        ASSERT_EQ(left.size(), cutPoints.size());
        if (!noDrift) continue;
        // Exactly: the origin at the end, each closed contour closed, each drawn point passed.
        EXPECT_EQ(std::tuple(machine.xSteps(), machine.ySteps(), machine.zSteps()), std::tuple(0, 0, 0));
        for (std::size_t c = 0; c < cutPoints.size(); ++c) {
            if (closed[c]) {
                EXPECT_EQ(entered[c], left[c]) << "cut " << c + 1;
            }
            EXPECT_EQ(entered[c], cutPoints[c].front()) << "cut " << c + 1;
        }
        auto at = visited.begin();
        for (const auto& points : cutPoints)
            for (const Step& p : points) {
                at = std::find(at, visited.end(), p);
                ASSERT_NE(at, visited.end()) << "a drawn point not passed in order";
            }
    }
}

INSTANTIATE_TEST_SUITE_P(Files, RealDrawings,
                         ::testing::Values(Drawing{"gear-sample.dxf", false}, Drawing{"gear-sample.dxf", true},
                                           Drawing{"HFP1JZ.dxf", true}, Drawing{"sample.dxf", true}));

}  // namespace
}  // namespace tarvel
