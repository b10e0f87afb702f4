#include "manual/manualmotion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/machineconfig.h"
#include "port/simulatedmachine.h"
#include "support/scripteddialogs.h"

namespace tarvel {
namespace {

using testing::ScriptedDialogs;

// The simulated machine, with every write ("16") and switch read ("select=1") in one
// trace; a switch can be made to read a fixed value, as a broken wire would.
class TracedMachine final : public ParallelPort {
public:
    SimulatedMachine sim;
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

    std::vector<int> writes() const {
        std::vector<int> values;
        for (const auto& e : trace)
            if (std::isdigit(static_cast<unsigned char>(e[0]))) values.push_back(std::stoi(e));
        return values;
    }
    std::size_t count(const std::string& event) const { return std::count(trace.begin(), trace.end(), event); }
    std::size_t indexOf(const std::string& event) const {
        return std::find(trace.begin(), trace.end(), event) - trace.begin();
    }

private:
    std::int16_t read(const char* name, std::int16_t real, const std::optional<std::int16_t>& stuck) {
        const std::int16_t v = stuck.value_or(real);
        trace.push_back(std::string(name) + "=" + std::to_string(v));
        return v;
    }
};

// Runs `onYield(n)` inside the n-th yield (from 1); asks the program to end at `abortAt`.
class Pump final : public EventPump {
public:
    std::function<void(int)> onYield;
    int abortAt = 0;
    int yields = 0;
    void yield() override {
        ++yields;
        if (onYield) onYield(yields);
    }
    bool abortRequested() const override { return abortAt != 0 && yields >= abortAt; }
};

class RecordingWaiter final : public DelayWaiter {
public:
    std::vector<std::uint64_t> delays;
    void wait(std::uint64_t n) override { delays.push_back(n); }
};

// A window opened on a configuration saved with the defaults: 20 steps per mm,
// coefficient 0,02, pins 2 to 7, tool descent 10, port 1.
ManualForm configuredForm() {
    const MachineConfig c = MachineConfig::defaults();
    ManualForm f;
    f.stepsPerMmX = c.stepsPerMmX;
    f.stepsPerMmY = c.stepsPerMmY;
    f.stepsPerMmZ = c.stepsPerMmZ;
    f.speedCoefficient = c.speedCoefficient;
    f.toolDescentZ = c.toolDescentZ;
    f.xDirWeight = c.xDirWeight;
    f.xClockWeight = c.xClockWeight;
    f.yDirWeight = c.yDirWeight;
    f.yClockWeight = c.yClockWeight;
    f.zDirWeight = c.zDirWeight;
    f.zClockWeight = c.zClockWeight;
    f.port = kPort1Address;
    return f;
}

struct Bench {
    ManualForm form = configuredForm();
    TracedMachine port;
    Pump pump;
    RecordingWaiter waiter;
    ScriptedDialogs dialogs;
    ManualMachine machine{port, pump, waiter, dialogs};

    MotionEnd jog(JogArrow a) { return tarvel::jog(form, a, machine); }
    MotionEnd home() { return tarvel::home(form, machine); }
};

TEST(Jog, StepsAreTheFloorOfDistanceTimesStepsPerMm) {
    struct Case {
        const char* distance;
        const char* stepsPerMm;
        std::size_t steps;
    };
    const Case cases[] = {
        {"1", "20", 20}, {"0.5", "20", 10}, {"0,5", "20", 0}, {"2,5", "20", 40}, {"", "20", 0},
        {"abc", "20", 0}, {"1", "12,5", 12}, {"0.05", "20", 1}, {"0.04", "20", 0}, {"-3", "20", 0},
    };
    for (const Case& c : cases) {
        Bench b;
        b.form.moveDistanceMm = c.distance;
        b.form.stepsPerMmX = c.stepsPerMm;
        EXPECT_EQ(b.jog(JogArrow::XRight), MotionEnd::Done);
        EXPECT_EQ(b.port.writes().size(), 2 * c.steps) << c.distance << " x " << c.stepsPerMm;
        EXPECT_TRUE(b.dialogs.told.empty());
    }
}

TEST(Jog, EachArrowWritesItsAxisOnlyWithItsDirection) {
    struct Case {
        JogArrow arrow;
        JogSettings inverted;
        int dirOnly, full;
    };
    const JogSettings none, all{true, true, true};
    const Case cases[] = {
        {JogArrow::XRight, none, 1, 3}, {JogArrow::XLeft, none, 0, 2},  {JogArrow::YRight, none, 4, 12},
        {JogArrow::YLeft, none, 0, 8},  {JogArrow::ZUp, none, 0, 32},   {JogArrow::ZDown, none, 16, 48},
        {JogArrow::XRight, all, 0, 2},  {JogArrow::XLeft, all, 1, 3},   {JogArrow::YRight, all, 0, 8},
        {JogArrow::YLeft, all, 4, 12},  {JogArrow::ZUp, all, 16, 48},   {JogArrow::ZDown, all, 0, 32},
        // Only the arrow's own axis flag counts.
        {JogArrow::XRight, {false, true, true}, 1, 3},
    };
    for (const Case& c : cases) {
        Bench b;
        b.form.arrows = c.inverted;
        b.form.moveDistanceMm = "0.15";  // 3 steps
        ASSERT_EQ(b.jog(c.arrow), MotionEnd::Done);
        const std::vector<int> expected{c.dirOnly, c.full, c.dirOnly, c.full, c.dirOnly, c.full};
        EXPECT_EQ(b.port.writes(), expected) << static_cast<int>(c.arrow);
    }
}

TEST(Jog, ConfigurationInversionDoesNotTurnTheArrows) {
    Bench b;
    b.form.invertX = true;
    b.form.moveDistanceMm = "0.05";
    ASSERT_EQ(b.jog(JogArrow::XRight), MotionEnd::Done);
    EXPECT_EQ(b.port.writes(), (std::vector<int>{1, 3}));
}

TEST(Jog, MovesTheSimulatedMachineAndEndsWithClockHigh) {
    Bench b;
    ASSERT_EQ(b.jog(JogArrow::YLeft), MotionEnd::Done);
    EXPECT_EQ(b.port.sim.ySteps(), 20);  // DIR low: towards larger Y
    EXPECT_EQ(b.port.sim.xSteps(), 0);
    EXPECT_EQ(b.port.sim.lastValue(), 8);
    b.form.moveDistanceMm = "2";
    ASSERT_EQ(b.jog(JogArrow::ZDown), MotionEnd::Done);
    EXPECT_EQ(b.port.sim.zSteps(), -40);
    EXPECT_EQ(b.port.sim.lastValue(), 48);
}

// Write, yield, delay, write, yield, delay: the slider and the coefficient are read
// again before every delay, so changes made inside a yield act on the very next delay.
TEST(Jog, ReadsTheSliderAndCoefficientBeforeEveryDelay) {
    Bench b;
    b.form.moveDistanceMm = "0.2";  // 4 steps, 8 delays
    b.pump.onYield = [&](int n) {
        b.form.delaySetting = 10 * n;
        if (n == 5) b.form.speedCoefficient = "0,5";
        if (n == 7) b.form.speedCoefficient = "";  // being retyped: the last number stays
    };
    ASSERT_EQ(b.jog(JogArrow::XRight), MotionEnd::Done);
    EXPECT_EQ(b.waiter.delays,
              (std::vector<std::uint64_t>{stepDelayCount(10, 0.02), stepDelayCount(20, 0.02),
                                          stepDelayCount(30, 0.02), stepDelayCount(40, 0.02),
                                          stepDelayCount(50, 0.5), stepDelayCount(60, 0.5),
                                          stepDelayCount(70, 0.5), stepDelayCount(80, 0.5)}));
    EXPECT_EQ(stepDelayCount(20, 0.02), 951u);
}

TEST(Jog, RefusesBeforeAnyWrite) {
    struct Case {
        std::function<void(ManualForm&)> spoil;
        const char* messageStart;  // nullptr: refused without a message
    };
    const Case cases[] = {
        {[](ManualForm& f) { f.stepsPerMmX = "vingt"; }, "Le nombre de pas par mm de l'axe X (« vingt »)"},
        {[](ManualForm& f) { f.stepsPerMmX = ""; }, "Le nombre de pas par mm de l'axe X n'est pas saisi"},
        {[](ManualForm& f) { f.stepsPerMmX = "12.5"; }, "Le nombre de pas par mm de l'axe X (« 12.5 »)"},
        {[](ManualForm& f) { f.stepsPerMmX = "0"; }, "Le nombre de pas par mm de l'axe X (« 0 »)"},
        {[](ManualForm& f) { f.speedCoefficient = "0"; }, "Le coefficient vitesse doit être"},
        {[](ManualForm& f) { f.speedCoefficient = "-0,02"; }, "Le coefficient vitesse doit être"},
        {[](ManualForm& f) { f.speedCoefficient = "0.02"; }, "Le coefficient vitesse doit être"},
        {[](ManualForm& f) { f.port = 0; }, nullptr},
    };
    for (const Case& c : cases) {
        Bench b;
        c.spoil(b.form);
        EXPECT_EQ(b.jog(JogArrow::XRight), MotionEnd::Refused);
        EXPECT_TRUE(b.port.trace.empty());
        if (c.messageStart == nullptr) {
            EXPECT_TRUE(b.dialogs.told.empty());
        } else {
            ASSERT_EQ(b.dialogs.told.size(), 1u);
            EXPECT_EQ(b.dialogs.told[0].text.rfind(c.messageStart, 0), 0u) << b.dialogs.told[0].text;
        }
    }
    // The other axes' fields do not stop an X move.
    Bench b;
    b.form.stepsPerMmZ = "?";
    EXPECT_EQ(b.jog(JogArrow::XRight), MotionEnd::Done);
}

TEST(Jog, StopEndsAfterTheStepInProgressAndSaysNothing) {
    Bench b;
    b.pump.onYield = [&](int n) {
        if (n == 7) requestStop(b.form);  // first yield of the fourth step
    };
    EXPECT_EQ(b.jog(JogArrow::XRight), MotionEnd::Stopped);
    EXPECT_EQ(b.port.writes().size(), 8u);
    EXPECT_EQ(b.port.sim.lastValue(), 3);
    EXPECT_TRUE(b.dialogs.told.empty());
    // A later move is not affected by the old press.
    EXPECT_EQ(b.jog(JogArrow::XRight), MotionEnd::Done);
    EXPECT_EQ(b.port.writes().size(), 48u);
}

TEST(Jog, EndsAtOnceWhenTheProgramEnds) {
    Bench b;
    b.pump.abortAt = 3;
    EXPECT_EQ(b.jog(JogArrow::XRight), MotionEnd::Aborted);
    EXPECT_EQ(b.port.writes(), (std::vector<int>{1, 3, 1}));
}

// ---------------------------------------------------------------------------------
// Homing

// Index just past the first read of `event` (or the trace's size).
std::size_t after(const TracedMachine& m, const std::string& event) {
    return std::min(m.indexOf(event) + 1, m.trace.size());
}

// The writes between two trace positions.
std::vector<int> writesBetween(const TracedMachine& m, std::size_t from, std::size_t to) {
    std::vector<int> values;
    for (std::size_t i = from; i < to; ++i)
        if (std::isdigit(static_cast<unsigned char>(m.trace[i][0]))) values.push_back(std::stoi(m.trace[i]));
    return values;
}

std::vector<int> repeated(int dirOnly, int full, std::size_t steps) {
    std::vector<int> v;
    for (std::size_t i = 0; i < steps; ++i) v.insert(v.end(), {dirOnly, full});
    return v;
}

TEST(Home, ReachesTheFourSwitchesInOrderAndEndsTheToolDescentAboveZHome) {
    Bench b;
    ASSERT_EQ(b.home(), MotionEnd::Done);
    const TracedMachine& m = b.port;
    const std::size_t clearance = m.indexOf("select=0"), xHome = m.indexOf("busy=0"),
                      yHome = m.indexOf("pe=0"), zHome = m.indexOf("error=0");
    ASSERT_LT(zHome, m.trace.size());
    EXPECT_LT(clearance, std::min(xHome, yHome));
    EXPECT_LT(std::max(xHome, yHome), zHome);

    // 40 mm up to the clearance switch, 150 mm on X and Y, 100 mm down, 10 mm back up.
    EXPECT_EQ(writesBetween(m, 0, clearance), repeated(16, 48, 800));
    EXPECT_EQ(writesBetween(m, m.indexOf("error=1") - 2, zHome), repeated(0, 32, 2000));
    EXPECT_EQ(writesBetween(m, zHome, m.trace.size()), repeated(16, 48, 200));
    EXPECT_EQ(m.sim.xMm(), -150);
    EXPECT_EQ(m.sim.yMm(), -150);
    EXPECT_EQ(m.sim.zMm(), 60 - 10);
    EXPECT_EQ(m.sim.blockedSteps(), 0u);
    EXPECT_EQ(m.sim.lastValue(), 48);
    EXPECT_TRUE(b.dialogs.told.empty());
}

TEST(Home, PhaseTwoStepsXAndYInTurnEachAfterItsRead) {
    Bench b;
    b.port.sim.placeAt(-150 * 20 + 2, -150 * 20 + 1, 0);  // X two steps, Y one step from home
    ASSERT_EQ(b.home(), MotionEnd::Done);
    const TracedMachine& m = b.port;
    const std::size_t start = m.indexOf("select=0") + 1;
    const std::vector<std::string> phase2(m.trace.begin() + start, m.trace.begin() + m.indexOf("error=1") - 2);
    EXPECT_EQ(phase2, (std::vector<std::string>{"busy=1", "1", "3", "pe=1", "4", "12",  //
                                                "busy=1", "1", "3", "pe=0",             //
                                                "busy=0", "pe=0"}));
}

TEST(Home, AnAxisAlreadyOnItsSwitchMakesNoStepButIsReadEveryPass) {
    Bench b;
    b.port.sim.placeAt(-150 * 20, -150 * 20 + 3, 0);
    ASSERT_EQ(b.home(), MotionEnd::Done);
    const TracedMachine& m = b.port;
    const std::size_t start = m.indexOf("select=0") + 1;
    const std::vector<std::string> phase2(m.trace.begin() + start, m.trace.begin() + m.indexOf("error=1") - 2);
    std::vector<std::string> expected;
    for (int i = 0; i < 3; ++i) expected.insert(expected.end(), {"busy=0", "pe=1", "4", "12"});
    expected.insert(expected.end(), {"busy=0", "pe=0"});
    EXPECT_EQ(phase2, expected);
}

TEST(Home, ZPhasesMakeAtLeastOneStepEvenOnTheirSwitch) {
    Bench b;
    b.port.sim.placeAt(-3000, -3000, -800);  // on the clearance switch and both home switches
    b.form.toolDescentZ = "0";
    ASSERT_EQ(b.home(), MotionEnd::Done);
    // One step up (against the stop's overtravel), the X and Y reads, then down to home.
    EXPECT_EQ(writesBetween(b.port, 0, b.port.indexOf("select=0")), repeated(16, 48, 1));
    EXPECT_EQ(b.port.sim.zSteps(), 1200);
}

TEST(Home, ToolDescentUsesTheLeadingNumber) {
    struct Case {
        const char* descent;
        const char* stepsPerMmZ;
        std::size_t steps;
    };
    const Case cases[] = {{"10", "20", 200}, {"2,5", "20", 40}, {"2.5", "20", 50},
                          {"", "20", 0},     {"0.04", "20", 0}, {"10", "12,5", 125}};
    for (const Case& c : cases) {
        Bench b;
        b.form.toolDescentZ = c.descent;
        b.form.stepsPerMmZ = c.stepsPerMmZ;
        ASSERT_EQ(b.home(), MotionEnd::Done);
        const auto last = writesBetween(b.port, b.port.indexOf("error=0"), b.port.trace.size());
        EXPECT_EQ(last, repeated(16, 48, c.steps)) << c.descent;
    }
}

TEST(Home, ConfigurationInversionSwapsEachAxisDirection) {
    Bench b;
    b.form.invertX = true;
    b.form.invertZ = true;
    b.form.arrows = {true, true, true};  // the arrow flags play no part
    ASSERT_EQ(b.home(), MotionEnd::Done);
    const TracedMachine& m = b.port;
    EXPECT_EQ(writesBetween(m, 0, 2), (std::vector<int>{0, 32}));                     // phase 1: Z DIR low
    EXPECT_EQ(writesBetween(m, after(m, "select=0"), after(m, "select=0") + 6),        // phase 2
              (std::vector<int>{0, 2, 4, 12}));
    EXPECT_EQ(writesBetween(m, m.indexOf("error=1") - 2, m.indexOf("error=1")), (std::vector<int>{16, 48}));
    // The simulated machine decodes with the same flags: it still ends at home.
    EXPECT_EQ(m.sim.xMm(), -150);
    EXPECT_EQ(m.sim.zMm(), 50);
}

TEST(Home, ASwitchNeverReachedStopsAtTheTravelBoundAndNothingElseMoves) {
    struct Case {
        std::optional<std::int16_t> TracedMachine::*stuck;
        std::int16_t value;
        const char* caption;
        std::size_t writes;  // 2 per step: phase 1 40 mm, phase 2 150 mm per axis, phase 3 100 mm
    };
    const Case cases[] = {
        {&TracedMachine::stuckSelect, 1, "« Pin 13 dégagement axe Z »", 2 * 2000},
        {&TracedMachine::stuckBusy, 1, "« Pin 11 point 0 axe X »", 2 * (40 + 2000 + 150)},
        {&TracedMachine::stuckPe, 1, "« Pin 12 point 0 axe Y »", 2 * (40 + 150 + 2000)},
        {&TracedMachine::stuckPe, 2, "« Pin 12 point 0 axe Y »", 2 * (40 + 150)},  // no Y step at all
        {&TracedMachine::stuckError, 1, "« Pin 15 point 0 axe Z »", 2 * (40 + 150 + 150 + 2000)},
    };
    for (const Case& c : cases) {
        Bench b;
        // One step per mm keeps the bound (2000 mm) short.
        b.form.stepsPerMmX = b.form.stepsPerMmY = b.form.stepsPerMmZ = "1";
        b.port.*c.stuck = c.value;
        EXPECT_EQ(b.home(), MotionEnd::SwitchNotFound) << c.caption;
        ASSERT_EQ(b.dialogs.told.size(), 1u);
        const std::string& text = b.dialogs.told[0].text;
        EXPECT_EQ(text.rfind("Origine machine non trouvée : le contact " + std::string(c.caption) +
                                 " n'a pas été atteint après 2000 mm.",
                             0),
                  0u)
            << text;
        // The trace ends with the stuck switch's read: no step after it, no later phase.
        const std::string& lastEvent = b.port.trace.back();
        EXPECT_EQ(lastEvent.back(), static_cast<char>('0' + c.value)) << lastEvent;
        EXPECT_EQ(b.port.count("error=0"), 0u);
        EXPECT_EQ(b.port.writes().size(), c.writes) << c.caption;
    }
}

TEST(Home, StopEndsEveryPhaseAndIsToldOnce) {
    // Yields: 3 per step in phase 1 (800 steps), 6 per pass in phase 2 (3000 passes),
    // 3 per step in phase 3 (2000 steps), 2 per step in phase 4.
    for (int stopAt : {5, 9000, 15001, 23000, 26600}) {
        Bench b;
        std::size_t writesAtPress = 0;
        b.pump.onYield = [&](int n) {
            if (n != stopAt) return;
            requestStop(b.form);
            writesAtPress = b.port.writes().size();
        };
        EXPECT_EQ(b.home(), MotionEnd::Stopped) << stopAt;
        ASSERT_EQ(b.dialogs.told.size(), 1u);
        EXPECT_EQ(b.dialogs.told[0].text.rfind("Retour à l'origine arrêté", 0), 0u);
        // At most the second write of the step in progress: a step is never cut in two.
        EXPECT_LE(b.port.writes().size() - writesAtPress, 1u) << stopAt;
        EXPECT_NE(b.port.sim.lastValue() & (2 | 8 | 32), 0) << stopAt;
    }
}

TEST(Home, ArrowsPressedDuringHomingRunInsideItAndStopStopsBoth) {
    Bench b;
    MotionEnd nested = MotionEnd::Done;
    b.pump.onYield = [&](int n) {
        if (n == 100) nested = b.jog(JogArrow::ZDown);  // 20 steps down while climbing
        if (n == 130) requestStop(b.form);              // inside the nested jog
    };
    EXPECT_EQ(b.home(), MotionEnd::Stopped);
    EXPECT_EQ(nested, MotionEnd::Stopped);
    EXPECT_EQ(b.dialogs.told.size(), 1u);

    // Without the stop, homing resumes after the nested jog and still ends at home.
    Bench c;
    c.pump.onYield = [&](int n) {
        if (n == 100) c.jog(JogArrow::ZDown);
        if (n == 5000) c.home();
    };
    EXPECT_EQ(c.home(), MotionEnd::Done);
    EXPECT_NEAR(c.port.sim.xMm(), -150, 0.1);  // the step in progress when it began ends past the switch
    EXPECT_EQ(c.port.sim.zMm(), 50);
    EXPECT_TRUE(c.dialogs.told.empty());
}

TEST(Home, RefusesBadFieldsBeforeAnyWrite) {
    const std::function<void(ManualForm&)> spoils[] = {
        [](ManualForm& f) { f.stepsPerMmX = "x"; },        [](ManualForm& f) { f.stepsPerMmY = ""; },
        [](ManualForm& f) { f.stepsPerMmZ = "-20"; },      [](ManualForm& f) { f.speedCoefficient = "0"; },
        [](ManualForm& f) { f.speedCoefficient = "abc"; }, [](ManualForm& f) { f.port = 0; },
    };
    for (const auto& spoil : spoils) {
        Bench b;
        spoil(b.form);
        EXPECT_EQ(b.home(), MotionEnd::Refused);
        EXPECT_TRUE(b.port.trace.empty());
        EXPECT_EQ(b.dialogs.told.size(), b.form.port == 0 ? 0u : 1u);
    }
}

TEST(Home, EndsAtOnceWhenTheProgramEnds) {
    for (int abortAt : {2, 3, 2401, 2404}) {  // inside a step, after a step, the two reads of phase 2
        Bench b;
        b.pump.abortAt = abortAt;
        EXPECT_EQ(b.home(), MotionEnd::Aborted);
        EXPECT_TRUE(b.dialogs.told.empty());
        EXPECT_EQ(b.pump.yields, abortAt);
    }
}

}  // namespace
}  // namespace tarvel
