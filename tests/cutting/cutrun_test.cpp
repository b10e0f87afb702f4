#include "cutting/cutrun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <numeric>
#include <string>
#include <tuple>
#include <vector>

#include "config/machineconfig.h"
#include "cutting/cuttingmessages.h"
#include "port/portmessages.h"
#include "port/simulatedmachine.h"
#include "support/scripteddialogs.h"
#include "support/tempdir.h"

namespace tarvel {
namespace {

namespace m = cutting_messages;
using testing::ScriptedDialogs;
using testing::TempDir;
using Values = std::vector<int>;

std::string cut(const Values& records) {
    std::string text;
    for (int r : records) text += std::to_string(r) + "\r\n";
    return text;
}

// The window system and the cut-in-progress window as a script: it records what the run
// shows, and presses buttons at the n-th yield made while tick k is the last one sent.
// A tick's yields: 1 after its full write, 2 after its second delay, 3 and 4 before the
// "+ profond" and "- profond" tests; the manual moves of a pause add theirs.
class Rig final : public CutRunView, public EventPump, public DelayWaiter {
public:
    CutControl control;
    ScriptedDialogs dialogs;
    SimulatedMachine machine;
    std::vector<std::string> views;
    std::vector<CutProgress> reports;
    std::vector<std::uint64_t> delays;
    std::uint64_t yields = 0;
    std::function<void(Rig&)> onYield;
    bool aborting = false;
    std::int64_t highestZ = 0;
    TempDir dir;
    CuttingForm form;

    // A cutting window on the default configuration's pins (X DIR 1, X CLOCK 2, Y DIR 4, Y CLOCK 8,
    // Z DIR 16, Z CLOCK 32, spare 64 and 128); 20 steps per mm, clearance 30 mm.
    explicit Rig(const std::string& cuttingFileText) {
        static_cast<PinWeights&>(form) = MachineConfig::defaults();
        form.jobName = dir.write("piece.def", cuttingFileText);
        form.cuttingFeed = "80", form.rapidFeed = "50";  // V = 20 and 50: 951 and 2450 iterations per delay at 0,02
        form.stepsPerMmX = form.stepsPerMmY = form.stepsPerMmZ = "20";
        form.speedCoefficient = "0,02", form.toolChangeClearance = "30", form.port = kPort1Address;
        form.invertX = form.invertY = "0", form.configurationRead = true;
        control.liveCuttingFeed = 12, control.liveRapidFeed = 34;
        machine.setRecording(true);
        dialogs.confirmAnswers = {true};
    }
    void at(std::uint64_t tick, int nthYield, std::function<void(Rig&)> action) {
        actions_.emplace_back(tick, nthYield, std::move(action));
    }
    bool waitingInPause() const { return !dialogs.busyChanges.empty() && !dialogs.busyChanges.back(); }
    CutRunResult run(ZSense sense = ZSense::Normal) {
        form.invertZ = sense == ZSense::Inverted ? "1" : "0";
        machine.addListener([this](const MachineMotion& m) { highestZ = std::min(highestZ, m.z); });
        return runCutProgram(form, control, sense, machine, dialogs, *this, *this, *this);
    }

    void hideCuttingWindow() override { views.push_back("hide Mach"); }
    void showCuttingWindow() override { views.push_back("show Mach"); }
    void showProgressWindow() override { views.push_back("show decencours"); }
    void hideProgressWindow() override { views.push_back("hide decencours"); }
    void closeProgressWindow() override { views.push_back("close decencours"); }
    void progress(const CutProgress& p) override {
        if (p.ticksDone != tick_) yieldsInTick_ = 0;
        tick_ = p.ticksDone;
        reports.push_back(p);
    }
    void yield() override {
        ++yields, ++yieldsInTick_;
        for (auto& [tick, nth, action] : actions_)
            if (tick == tick_ && nth == yieldsInTick_) action(*this);
        if (onYield) onYield(*this);
        if (yields > 100000) aborting = true;  // a test that never resumes still ends
    }
    bool abortRequested() const override { return aborting; }
    void wait(std::uint64_t iterations) override { delays.push_back(iterations); }

private:
    std::vector<std::tuple<std::uint64_t, int, std::function<void(Rig&)>>> actions_;
    std::uint64_t tick_ = 0;
    int yieldsInTick_ = 0;
};

// The values the run wrote: DIR-only then full for each tick.
Values ticksOf(const Values& records) {
    Values w;
    for (int r : records) w.insert(w.end(), {r & 85, r});
    return w;
}

Values operator+(Values a, const Values& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Values repeated(int times, const Values& pair) { return times == 0 ? Values{} : pair + repeated(times - 1, pair); }

Values written(const Rig& rig) { return {rig.machine.recorded().begin(), rig.machine.recorded().end()}; }

TEST(RunCutProgram, SwitchesFeedFromTheVeryTickThatEntersOrLeaves) {
    // One delay count per tick (both delays of a tick are equal here).
    const std::uint64_t in = 951, out = 2450;  // cutting feed 80, rapid feed 50
    const struct {
        ZSense sense;
        Values records;
        std::vector<std::uint64_t> perTick;
    } cases[] = {
        {ZSense::Normal, {32, 48, 2, 32, 2}, {in, out, out, in, in}},
        {ZSense::Normal, {33, 2, 49, 2}, {in, in, out, out}},  // X DIR beside Z CLOCK
        {ZSense::Normal, {48, 2, 32}, {in, in, in}},  // leaving while out changes nothing
        {ZSense::Inverted, {48, 32, 2, 48}, {in, out, out, in}},
        {ZSense::Inverted, {32, 2}, {in, in}},
    };
    for (const auto& k : cases) {
        Rig rig(cut(k.records));
        ASSERT_EQ(rig.run(k.sense).end, CutRunEnd::Finished);
        std::vector<std::uint64_t> expected;
        for (std::uint64_t t : k.perTick) expected.insert(expected.end(), {t, t});
        EXPECT_EQ(rig.delays, expected) << k.records[0];
        EXPECT_EQ(written(rig), ticksOf(k.records));
    }
}

TEST(RunCutProgram, ResumePressedBeforePauseRaisesAndLowersAtOnce) {
    Rig rig(cut({2, 2}));
    rig.at(1, 1, [](Rig& r) { r.control.pressResume(); });
    rig.at(1, 2, [](Rig& r) { r.control.pressPause(); });
    EXPECT_EQ(rig.run().end, CutRunEnd::Finished);
    EXPECT_EQ(written(rig), ticksOf({2}) + repeated(600, {16, 48}) + repeated(600, {0, 32}) + ticksOf({2}));
    EXPECT_EQ(rig.yields, 2 * 4 + 1200 * 2u);  // no yield spent waiting
}

TEST(RunCutProgram, DeeperAndShallowerMoveOneMillimetreOncePerTick) {
    using C = CutControl;
    const std::pair<std::vector<void (C::*)()>, Values> cases[] = {  // pressed at yields 1, 3, ... of tick 1
        {{&C::pressDeeper, &C::pressDeeper}, repeated(20, {0, 32})},
        {{&C::pressShallower, &C::pressShallower}, repeated(20, {16, 48})},
        {{&C::pressShallower, &C::pressDeeper}, repeated(20, {0, 32}) + repeated(20, {16, 48})},  // deeper first
    };
    for (const auto& [presses, moves] : cases) {
        Rig rig(cut({2, 2}));
        for (std::size_t i = 0; i < presses.size(); ++i)
            rig.at(1, static_cast<int>(1 + 2 * i), [p = presses[i]](Rig& r) { (r.control.*p)(); });
        EXPECT_EQ(rig.run().end, CutRunEnd::Finished);
        EXPECT_EQ(written(rig), ticksOf({2}) + moves + ticksOf({2}));
    }
}

TEST(RunCutProgram, StopEndsTheRunAtTheEndOfTheTick) {
    for (std::uint64_t stopAt : {1u, 3u}) {
        Rig rig(cut({2, 2, 2}));
        rig.at(stopAt, 1, [](Rig& r) { r.control.pressStop(); });
        rig.at(stopAt, 3, [](Rig& r) { r.control.pressDeeper(); });  // still handled in that tick
        const CutRunResult result = rig.run();
        EXPECT_EQ(result.end, CutRunEnd::Stopped);
        EXPECT_EQ(result.ticksSent, stopAt);
        EXPECT_EQ(written(rig), ticksOf(Values(stopAt, 2)) + repeated(20, {0, 32}));
        EXPECT_EQ(rig.dialogs.toldTexts(), std::vector{m::kCutStopped.text});
        EXPECT_EQ(rig.views, (std::vector<std::string>{"hide Mach", "show decencours", "hide decencours",
                                                       "show Mach", "show Mach", "close decencours"}));
        EXPECT_EQ(rig.control.flags.stopRequested, 0);
    }
}

TEST(RunCutProgram, SendsEveryRecordAndEndsAtTheOriginWithFeedsBackInTheForm) {
    // Down 2, X+ 3, Y+ 2, X- 3, Y- 2, up 2: the last record belongs to the way back.
    const Values program = {32, 32, 2, 2, 2, 8, 8, 3, 3, 3, 12, 12, 48, 48};
    Rig rig(cut(program));
    rig.at(4, 4, [](Rig& r) { r.control.setSlider(30); });   // in the material: cutting feed 70
    rig.at(13, 4, [](Rig& r) { r.control.setSlider(95); });  // out of it: rapid feed 5
    const CutRunResult result = rig.run();
    EXPECT_EQ(result.end, CutRunEnd::Finished);
    EXPECT_EQ(result.ticksSent, program.size());
    EXPECT_EQ(written(rig), ticksOf(program));
    EXPECT_EQ(rig.dialogs.toldTexts(), std::vector{m::kCutFinished.text});
    EXPECT_EQ(rig.views, (std::vector<std::string>{"hide Mach", "show decencours", "show Mach", "close decencours"}));
    EXPECT_EQ(rig.form.cuttingFeed + " " + rig.form.rapidFeed, "70 5");
    EXPECT_EQ(result.delayIterations, std::accumulate(rig.delays.begin(), rig.delays.end(), std::uint64_t{0}));
}

TEST(RunCutProgram, PlaysOnlyWhatItCheckedWhenTheFileChangesUnderIt) {
    // Cut short or edited in place after the check, the file stops the run before the
    // first block of 4096 ticks that differs; rewritten the same, it plays to the end.
    // Padded lines make the file far larger than what one read brings in.
    auto padded = [](int n, const std::string& value) {
        std::string text;
        for (int i = 0; i < n; ++i) text += value + std::string(17, ' ') + "\r\n";
        return text;
    };
    const std::string checked = padded(20000, "2");
    const std::pair<std::string, std::uint64_t> cases[] = {
        {padded(100, "2"), 0}, {padded(15000, "2") + padded(1, "3") + padded(4999, "2"), 12288}, {checked, 20000}};
    for (const auto& [changed, sent] : cases) {
        Rig rig(checked);
        rig.at(1, 1, [&changed](Rig& r) { r.dir.write("piece.def", changed); });
        const CutRunResult result = rig.run();
        const bool whole = sent == 20000;
        EXPECT_EQ(result.ticksSent % 4096, whole ? 20000 % 4096 : 0);
        EXPECT_TRUE(sent == 0 || result.ticksSent == sent) << result.ticksSent;
        EXPECT_EQ(written(rig), ticksOf(Values(result.ticksSent, 2)));
        const std::vector<std::string> told = whole ? std::vector{m::kCutFinished.text}
                                                    : std::vector{m::kCutFileChangedDuringRun.text, m::kCutStopped.text};
        EXPECT_EQ(rig.dialogs.toldTexts(), told);
    }
}

TEST(RunCutProgram, AWriteThatFailsStopsTheRunWithTheReason) {
    Rig rig(cut({2, 2, 2, 2}));
    rig.at(2, 1, [](Rig& r) { r.machine.failNextWrites(1); });  // the port goes during tick 2
    const CutRunResult result = rig.run();
    EXPECT_EQ(std::tuple(result.end, result.ticksSent), std::tuple(CutRunEnd::Stopped, 2u));
    EXPECT_EQ(written(rig), ticksOf({2, 2}));
    EXPECT_EQ(rig.dialogs.toldTexts(),
              (std::vector{portmessages::motionStoppedByPort("Machine simulée : écriture refusée").text,
                           m::kCutStopped.text}));
}

TEST(RunCutProgram, TimeLeftIsTheSumOfTheDelaysStillToCome) {
    // Ticks before the first plunge run at the cutting feed's slider, then each state at
    // its own feed. A slider moved during tick 6 is seen from the report of tick 7 on.
    const Values program = {2, 2, 32, 2, 48, 2, 2, 32, 48};
    for (std::size_t movedAt : {0u, 6u}) {
        Rig rig(cut(program));
        if (movedAt) rig.at(movedAt, 4, [](Rig& r) { r.control.setSlider(60); });
        EXPECT_EQ(rig.run().end, CutRunEnd::Finished);
        ASSERT_EQ(rig.reports.size(), program.size() + 1);
        // Each report against the delays still to come after the ticks sent.
        for (std::size_t k = 0; k < rig.reports.size(); ++k) {
            const CutProgress& p = rig.reports[k];
            EXPECT_EQ(std::tuple(p.ticksDone, p.totalTicks), std::tuple(k, program.size()));
            if (k <= movedAt) continue;  // made before the slider moved
            const auto left = std::accumulate(rig.delays.begin() + 2 * k, rig.delays.end(), std::uint64_t{0});
            EXPECT_EQ(p.microsecondsLeft, left) << "report " << k << ", moved at " << movedAt;
        }
        EXPECT_EQ(rig.reports.back().percent(), 100);
        EXPECT_EQ(rig.reports[3].percent(), 33);
    }
    // Rounded to the second, in the words of the cut-in-progress window and tarvel-cli.
    EXPECT_EQ(estimatedTimeLeftLine(499'999) + "|" + timeLeftText(3'599'500'000) + "|" + timeLeftText(3'723'000'000),
              "Temps restant estimé : 0 s|1 h 00 min 00 s|1 h 02 min 03 s");
}

// Refused before the question, or the question answered with its preselected "No".
TEST(RunCutProgram, RefusesOrIsDeclinedBeforeSendingAnything) {
    using F = CuttingForm;
    const auto keep = [](F&) {};
    const struct {
        std::string file;  // contents of piece.def
        std::function<void(F&)> change;
        Message told;  // none: declined
        bool feedsKept = false;  // the live feeds stay as they were
    } cases[] = {
        {"2\r\n", [](F& f) { f.jobName.clear(); }, m::kCutNameEmpty},
        {"2\r\n", [](F& f) { f.jobName += "x"; }, m::kCutFileNotFound},
        {"2\r\n", [](F& f) { f.port = 0; }, m::kCutNoConfiguration},
        {"2\r\n", [](F& f) { f.cuttingFeed = "5O"; }, m::cutFeedOutOfRange(m::kCuttingFeedCaption, "5O"), true},
        {"2\r\n", [](F& f) { f.rapidFeed = "100,5"; }, m::cutFeedOutOfRange(m::kRapidFeedCaption, "100,5"), true},
        {"2\r\n", [](F& f) { f.speedCoefficient = "0"; }, portmessages::kBadCoefficient},
        {"2\r\n", [](F& f) { f.speedCoefficient = "0,000002"; }, portmessages::stepTooLong(19)},
        {"2\r\n32\r\n256\r\n2\r\n", keep, m::cutRecordNotPortValue(3, "256")},
        {"2\r\n\r\n2\r\n", keep, m::cutRecordNotPortValue(2, "")},
        {"-1\r\n", keep, m::cutRecordNotPortValue(1, "-1")},
        {"2\r\n", keep, {}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.told.text);
        Rig rig(k.file);
        const bool declined = k.told.text.empty();
        if (declined) rig.dialogs.confirmAnswers.clear();
        k.change(rig.form);
        const CuttingForm before = rig.form;
        EXPECT_EQ(rig.run().end, declined ? CutRunEnd::Declined : CutRunEnd::Refused);
        // The one message shown, whole: the question when declined, else the refusal.
        const auto& [shown, silent] = declined ? std::tie(rig.dialogs.asked, rig.dialogs.told)
                                               : std::tie(rig.dialogs.told, rig.dialogs.asked);
        const Message& expected = declined ? m::kCutConfirm : k.told;
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(std::tie(shown[0].text, shown[0].title, shown[0].icon),
                  std::tie(expected.text, expected.title, expected.icon));
        EXPECT_TRUE(silent.empty());
        EXPECT_EQ(rig.machine.writes(), 0u);
        EXPECT_TRUE(rig.views.empty() && rig.dialogs.busyChanges.empty());
        EXPECT_EQ(rig.form.cuttingFeed + rig.form.rapidFeed, before.cuttingFeed + before.rapidFeed);
        if (k.feedsKept) { EXPECT_EQ(rig.control.liveCuttingFeed + rig.control.liveRapidFeed, 12 + 34); }
    }
}

TEST(RunCutProgram, StartsWithTheSliderOnTheCuttingFeedAndForgetsOldRequests) {
    for (int outOfMaterial : {1, 0}) {  // as a finished run leaves it, or one stopped in the material
        Rig rig(cut({2}));
        rig.control.flags.outOfMaterial = outOfMaterial;
        rig.control.pressPause();
        rig.control.pressDeeper();
        rig.form.cuttingFeed = "79,5";  // 100 - 79,5 = 20,5: halves go to even
        EXPECT_EQ(rig.run().end, CutRunEnd::Finished);
        EXPECT_EQ(rig.delays, (std::vector<std::uint64_t>{951, 951}));
        // The preset slider changed neither feed.
        EXPECT_EQ(rig.form.cuttingFeed + " " + rig.form.rapidFeed, "79,5 50") << outOfMaterial;
        EXPECT_EQ(std::tuple(rig.control.slider, rig.control.speedLabel), std::tuple(20, "80"));
        EXPECT_EQ(written(rig), ticksOf({2}));
    }
}

TEST(RunCutProgram, QuittingTheProgramEndsTheRunAtOnce) {
    Rig rig(cut({2, 2, 2}));
    rig.at(2, 1, [](Rig& r) { r.aborting = true; });
    EXPECT_EQ(rig.run().end, CutRunEnd::Aborted);
    EXPECT_EQ(written(rig), ticksOf({2, 2}));
    EXPECT_TRUE(rig.dialogs.told.empty());
    EXPECT_EQ(rig.views, (std::vector<std::string>{"hide Mach", "show decencours"}));
}

// Pause raises the tool by the clearance (30 mm at 20 steps/mm: 600 steps of Z alone), waits
// and lowers it on resume; a stop pressed in the pause acts once the tool is down again, and
// quitting the program in the pause ends the run at once.
TEST(RunCutProgram, PauseRaisesByTheClearanceWaitsForResumeAndLowers) {
    const Values up = repeated(600, {16, 48}), down = repeated(600, {0, 32});
    const struct {
        ZSense sense;
        std::uint64_t pauseAt;  // pressed at the first yield of that tick
        std::function<void(Rig&, int)> inPause;  // at each yield waiting in the pause, from 1
        CutRunEnd end;
        Values written;
        std::vector<std::string> told;
    } cases[] = {
        {ZSense::Normal, 2, [](Rig& r, int n) { if (n == 5) r.control.pressResume(); }, CutRunEnd::Finished,
         ticksOf({2, 2}) + up + down + ticksOf({2}), {m::kCutPaused.text, m::kCutFinished.text}},
        {ZSense::Inverted, 2, [](Rig& r, int n) { if (n == 5) r.control.pressResume(); }, CutRunEnd::Finished,
         ticksOf({2, 2}) + down + up + ticksOf({2}), {m::kCutPaused.text, m::kCutFinished.text}},
        // A stop while paused ends the run with the tool left raised.
        {ZSense::Normal, 1, [](Rig& r, int n) { if (n == 1) r.control.pressStop(); }, CutRunEnd::Stopped,
         ticksOf({2}) + up, {m::kCutPaused.text, m::kCutStopped.text}},
        {ZSense::Normal, 1, [](Rig& r, int) { r.aborting = true; }, CutRunEnd::Aborted, ticksOf({2}) + up, {m::kCutPaused.text}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.told.back());
        Rig rig(cut({2, 2, 2}));
        rig.at(k.pauseAt, 1, [](Rig& r) { r.control.pressPause(); });
        int waited = 0;
        rig.onYield = [&](Rig& r) {
            if (r.waitingInPause() && r.control.flags.resumeRequested == 0) k.inPause(r, ++waited);
        };
        EXPECT_EQ(rig.run(k.sense).end, k.end);
        EXPECT_EQ(written(rig), k.written);
        EXPECT_EQ(rig.highestZ, -600);  // the tool rises whichever the sense
        EXPECT_EQ(rig.dialogs.toldTexts(), k.told);
        EXPECT_EQ(rig.dialogs.told[0].title, m::kCutPaused.title);
        if (k.end != CutRunEnd::Finished) continue;
        EXPECT_EQ(waited, 5);
        EXPECT_EQ(rig.dialogs.busyChanges, (std::vector<bool>{true, false, true, false}));
        EXPECT_EQ(rig.control.flags.pauseRequested + rig.control.flags.resumeRequested, 0);
    }
}

}  // namespace
}  // namespace tarvel
