#include "manual/manualmotion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/machineconfig.h"
#include "manual/manualmessages.h"
#include "port/portmessages.h"
#include "port/simulatedmachine.h"
#include "support/scripteddialogs.h"

namespace tarvel {
namespace {

namespace msg = manual_messages;

// The simulated machine, with every write ("16") and switch read ("select=1") in one
// trace; a switch can be made to read a fixed value, as a broken wire would.
class TracedMachine final : public ParallelPort {
public:
    SimulatedMachine sim{SimulatedMachineSettings::withTravel(150)};  // homing runs its 150 mm
    std::vector<std::string> trace;
    std::optional<std::int16_t> stuckBusy, stuckPe, stuckSelect, stuckError;

    void Write_Port_Bit(std::int16_t port, std::int16_t value) override {
        trace.push_back(std::to_string(value));
        sim.Write_Port_Bit(port, value);
    }
    std::int16_t Read_Busy(std::int16_t p) override { return read("busy", sim.Read_Busy(p), stuckBusy); }
    std::int16_t Read_Pe(std::int16_t p) override { return read("pe", sim.Read_Pe(p), stuckPe); }
    std::int16_t Read_Select(std::int16_t p) override { return read("select", sim.Read_Select(p), stuckSelect); }
    std::int16_t Read_Error(std::int16_t p) override { return read("error", sim.Read_Error(p), stuckError); }
    std::string description() const override { return "trace"; }
    void useWiring(const Wiring& w) override { sim.useWiring(w); }

    std::size_t at(const std::string& e) const { return std::find(trace.begin(), trace.end(), e) - trace.begin(); }
    // The values written between two trace positions (all of them by default).
    std::vector<int> writes(std::size_t from = 0, std::size_t to = SIZE_MAX) const {
        std::vector<int> values;
        for (std::size_t i = from; i < std::min(to, trace.size()); ++i)
            if (std::isdigit(static_cast<unsigned char>(trace[i][0]))) values.push_back(std::stoi(trace[i]));
        return values;
    }

private:
    std::int16_t read(const char* name, std::int16_t real, const std::optional<std::int16_t>& stuck) {
        const std::int16_t v = stuck.value_or(real);
        trace.push_back(std::string(name) + "=" + std::to_string(v));
        return v;
    }
};

// Runs `onYield(n)` inside the n-th yield (from 1), asks the program to end at the
// `abortAt`-th, and records every delay's iterations.
class Host final : public EventPump, public DelayWaiter {
public:
    std::function<void(int)> onYield;
    int abortAt = 0;
    int yields = 0;
    std::vector<std::uint64_t> delays;
    void yield() override {
        ++yields;
        if (onYield) onYield(yields);
    }
    bool abortRequested() const override { return abortAt != 0 && yields >= abortAt; }
    void wait(std::uint64_t n) override { delays.push_back(n); }
};

// A window opened on the default configuration: 20 steps per mm, coefficient 0,02,
// pins 2 to 7, tool descent 10, port 1.
struct Bench {
    ManualForm form;
    TracedMachine port;
    Host host;
    testing::ScriptedDialogs dialogs;
    ManualMachine machine{port, host, host, dialogs};

    Bench() {
        const MachineConfig c = MachineConfig::defaults();
        static_cast<PinWeights&>(form) = c;
        form.stepsPerMmX = form.stepsPerMmY = form.stepsPerMmZ = c.stepsPerMmX;
        form.speedCoefficient = c.speedCoefficient, form.toolDescentZ = c.toolDescentZ, form.port = kPort1Address;
    }
    MotionEnd jog(JogArrow a) { return tarvel::jog(form, a, machine); }
    MotionEnd home() { return tarvel::home(form, machine); }
};

std::vector<int> repeated(int dirOnly, int full, std::size_t steps) {
    std::vector<int> v;
    for (std::size_t i = 0; i < steps; ++i) v.insert(v.end(), {dirOnly, full});
    return v;
}

TEST(Jog, StepsAreTheFloorOfDistanceTimesStepsPerMm) {
    const struct {
        const char *distance, *stepsPerMm;
        std::size_t steps;
    } cases[] = {{"1", "20", 20}, {"0.5", "20", 10}, {"0,5", "20", 0}, {"1", "12,5", 12}, {"1", "1", 1}};
    for (const auto& c : cases) {
        Bench b;
        b.form.moveDistanceMm = c.distance;
        b.form.stepsPerMmX = c.stepsPerMm;
        EXPECT_EQ(b.jog(JogArrow::XRight), MotionEnd::Done);
        EXPECT_EQ(b.port.writes().size(), 2 * c.steps) << c.distance << " x " << c.stepsPerMm;
    }
}

// Only the arrow's own JogSettings flag (one set at a time) turns it; the configuration's
// flags (all set here) play no part.
TEST(Jog, EachArrowWritesItsAxisOnlyEndingWithClockHigh) {
    const JogSettings none;
    const struct {
        JogArrow arrow;
        JogSettings arrows;
        std::vector<int> writes;
    } cases[] = {
        {JogArrow::XRight, none, {1, 3, 1, 3}}, {JogArrow::XLeft, none, {0, 2, 0, 2}},
        {JogArrow::YRight, none, {4, 12, 4, 12}}, {JogArrow::YLeft, none, {0, 8, 0, 8}},
        {JogArrow::ZUp, none, {0, 32, 0, 32}},  {JogArrow::ZDown, none, {16, 48, 16, 48}},
        {JogArrow::XRight, {true, false, false}, {0, 2, 0, 2}}, {JogArrow::XRight, {false, true, true}, {1, 3, 1, 3}},
        {JogArrow::YRight, {false, true, false}, {0, 8, 0, 8}}, {JogArrow::ZUp, {false, false, true}, {16, 48, 16, 48}},
    };
    for (const auto& c : cases) {
        Bench b;
        b.form.arrows = c.arrows;
        b.form.invertX = b.form.invertY = b.form.invertZ = true;
        b.form.moveDistanceMm = "0.1";
        ASSERT_EQ(b.jog(c.arrow), MotionEnd::Done);
        EXPECT_EQ(b.port.writes(), c.writes) << static_cast<int>(c.arrow);
    }
}

// Arrow flag x configuration flag on every axis: the sense is the way the wired machine went; a warning
// when →, ↗ or ↑ goes towards smaller coordinates or into the material, as on the default wiring.
TEST(ArrowSense, AgreesWithTheMotionAndWarnsWhenAgainstTheGlyph) {
    const struct {
        JogArrow pointing, other;
        bool JogSettings::*arrowFlag;
        bool ManualForm::*configFlag;
        std::int64_t (SimulatedMachine::*position)() const;
    } axes[] = {{JogArrow::XRight, JogArrow::XLeft, &JogSettings::invertArrowX, &ManualForm::invertX, &SimulatedMachine::xSteps},
                {JogArrow::YRight, JogArrow::YLeft, &JogSettings::invertArrowY, &ManualForm::invertY, &SimulatedMachine::ySteps},
                {JogArrow::ZUp, JogArrow::ZDown, &JogSettings::invertArrowZ, &ManualForm::invertZ, &SimulatedMachine::zSteps}};
    for (const auto& a : axes)
        for (const int flags : {0, 1, 2, 3}) {
            Bench b;
            b.form.arrows.*a.arrowFlag = flags & 1, b.form.*a.configFlag = flags & 2;
            for (const JogArrow arrow : {a.pointing, a.other}) {
                const std::int64_t before = (b.port.sim.*a.position)();
                EXPECT_TRUE(b.jog(arrow) == MotionEnd::Done &&
                            (b.port.sim.*a.position)() - before == 20 * arrowSense(b.form, arrow)) << flags;
            }
            EXPECT_EQ(axisArrowsText(b.form, a.other).warning.empty(), flags == 1 || flags == 2) << flags;
        }
}

// Write, yield, delay, write, yield, delay: changes made inside a yield act on the very
// next delay.
TEST(Jog, ReadsTheSliderAndCoefficientBeforeEveryDelay) {
    Bench b;
    b.form.moveDistanceMm = "0.2";  // 4 steps, 8 delays
    b.host.onYield = [&](int n) {
        b.form.delaySetting = 10 * n;
        if (n == 5) b.form.speedCoefficient = "0,5";
        if (n == 7) b.form.speedCoefficient = "";  // being retyped: the last number stays
    };
    ASSERT_EQ(b.jog(JogArrow::XRight), MotionEnd::Done);
    std::vector<std::uint64_t> expected;
    for (int n = 1; n <= 8; ++n) expected.push_back(stepDelayCount(10 * n, n < 5 ? 0.02 : 0.5));
    EXPECT_EQ(b.host.delays, expected);
}

// The whole text, so that a check naming the wrong axis shows; a bad port is refused silently.
TEST(ManualMotion, RefusesBadFieldsBeforeAnyWrite) {
    const struct {
        std::function<void(ManualForm&)> spoil;
        std::optional<Message> told;
        bool jogRefused;  // an X jog does not read Y and Z
    } cases[] = {
        {[](ManualForm& f) { f.stepsPerMmX = "vingt"; }, msg::stepsPerMmNotUsable("X", "vingt"), true},
        {[](ManualForm& f) { f.stepsPerMmY = ""; }, msg::stepsPerMmNotUsable("Y", ""), false},
        {[](ManualForm& f) { f.stepsPerMmZ = "0"; }, msg::stepsPerMmNotUsable("Z", "0"), false},
        {[](ManualForm& f) { f.speedCoefficient = "0"; }, portmessages::kBadCoefficient, true},
        // 0,02 with zeros too many: at "reglage vitesse" 20 a step would last 19 s.
        {[](ManualForm& f) { f.speedCoefficient = "0,000002"; }, portmessages::stepTooLong(19), true},
        {[](ManualForm& f) { f.port = 0; }, std::nullopt, true},
    };
    for (const auto& c : cases) {
        Bench jogging, homing;
        c.spoil(jogging.form);
        c.spoil(homing.form);
        EXPECT_EQ(jogging.jog(JogArrow::XRight), c.jogRefused ? MotionEnd::Refused : MotionEnd::Done);
        EXPECT_EQ(jogging.port.trace.empty(), c.jogRefused);
        EXPECT_EQ(homing.home(), MotionEnd::Refused);
        EXPECT_TRUE(homing.port.trace.empty());
        EXPECT_EQ(homing.dialogs.toldTexts(), c.told ? std::vector{c.told->text} : std::vector<std::string>{});
    }
}

// Each axis stops on its own switch only, whichever reaches home first.
TEST(Home, PhaseTwoReadsXThenYEachPassAndStepsOnlyAnAxisReadingOne) {
    using Events = std::vector<std::string>;
    const struct {
        std::int64_t x, y;
        Events trace;
    } cases[] = {
        {-3000, -3000 + 2, {"busy=0", "pe=1", "4", "12", "busy=0", "pe=1", "4", "12", "busy=0", "pe=0"}},
        {-3000 + 2, -3000, {"busy=1", "1", "3", "pe=0", "busy=1", "1", "3", "pe=0", "busy=0", "pe=0"}},
    };
    for (const auto& c : cases) {
        Bench b;
        b.port.sim.placeAt(c.x, c.y, 0);
        ASSERT_EQ(b.home(), MotionEnd::Done);
        const auto& t = b.port.trace;
        EXPECT_EQ(Events(t.begin() + b.port.at("select=0") + 1, t.begin() + b.port.at("error=1") - 2), c.trace);
    }
}

// Homing from (0, 0, 0): 40 mm up to the clearance switch, 150 mm on X and Y, 100 mm down to
// Z home, the tool descent back up. One configuration flag at a time turns only its own
// axis's homing direction; the arrow flags (all set) play no part.
TEST(Home, ReachesTheFourSwitchesInOrderEachAxisObeyingItsOwnInversion) {
    const struct {
        bool ManualForm::*flag;
        int zUp, xy[4], zDown;  // full values: Z up, the first X and Y pass, Z down
    } cases[] = {
        {nullptr, 48, {1, 3, 4, 12}, 32},
        {&ManualForm::invertX, 48, {0, 2, 4, 12}, 32},
        {&ManualForm::invertY, 48, {1, 3, 0, 8}, 32},
        {&ManualForm::invertZ, 32, {1, 3, 4, 12}, 48},
    };
    for (const auto& c : cases) {
        Bench b;
        if (c.flag) b.form.*c.flag = true;
        b.form.arrows = {true, true, true};
        b.form.toolDescentZ = "2,5";  // leading-number rule: 2 mm
        ASSERT_EQ(b.home(), MotionEnd::Done);
        const TracedMachine& m = b.port;
        const std::size_t clearance = m.at("select=0"), zHome = m.at("error=0");
        ASSERT_LT(zHome, m.trace.size());
        EXPECT_LT(clearance, std::min(m.at("busy=0"), m.at("pe=0")));
        EXPECT_LT(std::max(m.at("busy=0"), m.at("pe=0")), zHome);
        EXPECT_EQ(m.writes(0, clearance), repeated(c.zUp & 16, c.zUp, 800));
        EXPECT_EQ(m.writes(clearance + 1, clearance + 7), std::vector<int>(c.xy, c.xy + 4));
        EXPECT_EQ(m.writes(m.at("error=1") - 2, zHome), repeated(c.zDown & 16, c.zDown, 2000));
        EXPECT_EQ(std::tuple(m.sim.xMm(), m.sim.yMm(), m.sim.zMm()), std::tuple(-150, -150, 60 - 2));
        EXPECT_TRUE(b.dialogs.told.empty());
    }
}

// A homing that ends makes where it ends the commanded 0, 0, 0; one that is stopped
// leaves the position it commanded, where the machine stands.
TEST(Home, OnlyAHomingThatEndsMakesTheCommandedPositionZero) {
    for (const bool stop : {false, true}) {
        Bench b;
        TrackedPort tracked;
        tracked.drive(b.port);
        ManualMachine machine{tracked, b.host, b.host, b.dialogs, &tracked};
        ASSERT_EQ(jog(b.form, JogArrow::XRight, machine), MotionEnd::Done);
        if (stop) b.host.onYield = [&](int n) { if (n == 500) requestStop(b.form); };
        EXPECT_EQ(home(b.form, machine), stop ? MotionEnd::Stopped : MotionEnd::Done);
        const StepPosition sim{b.port.sim.xSteps(), b.port.sim.ySteps(), b.port.sim.zSteps()};
        EXPECT_NE(sim, StepPosition{});
        EXPECT_EQ(tracked.steps(), stop ? sim : StepPosition{});
    }
}

TEST(Home, ASwitchNeverReachedStopsAtTheTravelBoundAndNothingElseMoves) {
    const struct {
        std::optional<std::int16_t> TracedMachine::*stuck;
        std::int16_t value;
        const char* caption;
        std::size_t steps;  // at one step per mm: 2000 for the stuck axis
    } cases[] = {
        {&TracedMachine::stuckSelect, 1, "Pin 13 dégagement axe Z", 2000},
        {&TracedMachine::stuckBusy, 1, "Pin 11 point 0 axe X", 40 + 2000 + 150},
        {&TracedMachine::stuckPe, 2, "Pin 12 point 0 axe Y", 40 + 150},  // never 1: no Y step
        {&TracedMachine::stuckError, 1, "Pin 15 point 0 axe Z", 40 + 150 + 150 + 2000},
    };
    for (const auto& c : cases) {
        Bench b;
        b.form.stepsPerMmX = b.form.stepsPerMmY = b.form.stepsPerMmZ = "1";
        b.port.*c.stuck = c.value;
        EXPECT_EQ(b.home(), MotionEnd::SwitchNotFound) << c.caption;
        EXPECT_EQ(b.dialogs.toldTexts(), std::vector{msg::switchNotReached(c.caption, 2000).text});
        // The stuck read is the last thing that happened.
        EXPECT_EQ(b.port.trace.back().back(), static_cast<char>('0' + c.value));
        EXPECT_EQ(b.port.writes().size(), 2 * c.steps) << c.caption;
    }
}

TEST(Home, StopEndsEveryPhaseAfterTheStepInProgressAndIsToldOnce) {
    // Yields: 3 per step in phase 1 (800 steps), 6 per pass in phase 2 (3000 passes),
    // 3 per step in phase 3 (2000 steps), 2 per step in phase 4.
    for (int stopAt : {5, 15001, 23000, 26600}) {
        Bench b;
        std::size_t writesAtPress = 0;
        b.host.onYield = [&](int n) {
            if (n != stopAt) return;
            requestStop(b.form);
            writesAtPress = b.port.writes().size();
        };
        EXPECT_EQ(b.home(), MotionEnd::Stopped) << stopAt;
        EXPECT_EQ(b.dialogs.toldTexts(), std::vector{msg::kHomingStopped.text});
        EXPECT_LE(b.port.writes().size() - writesAtPress, 1u) << stopAt;
        EXPECT_NE(b.port.sim.lastValue() & (2 | 8 | 32), 0) << stopAt;
    }
}

TEST(Home, AnArrowPressedDuringHomingRunsInsideItAndOneStopEndsBoth) {
    Bench b;
    MotionEnd nested = MotionEnd::Done;
    b.host.onYield = [&](int n) {
        if (n == 100) nested = b.jog(JogArrow::ZDown);
        if (n == 130) requestStop(b.form);  // inside the jog
    };
    EXPECT_EQ(b.home(), MotionEnd::Stopped);
    EXPECT_EQ(nested, MotionEnd::Stopped);
    EXPECT_EQ(b.dialogs.told.size(), 1u);
}

TEST(Home, EndsAtOnceWhenTheProgramEnds) {
    for (int abortAt : {2, 3, 2404}) {  // inside a step, before a Z read, before a Y read
        Bench b;
        b.host.abortAt = abortAt;
        EXPECT_EQ(b.home(), MotionEnd::Aborted);
        EXPECT_EQ(b.host.yields, abortAt);
        EXPECT_TRUE(b.dialogs.told.empty());
    }
}

}  // namespace
}  // namespace tarvel
