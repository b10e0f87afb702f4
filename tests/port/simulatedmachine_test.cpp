#include "port/simulatedmachine.h"

#include <gtest/gtest.h>

#include "port/emittick.h"

namespace tarvel {
namespace {

struct Position {
    std::int64_t x, y, z;
    bool operator==(const Position&) const = default;
};

Position where(const SimulatedMachine& m) {
    return {m.xSteps(), m.ySteps(), m.zSteps()};
}

void write(SimulatedMachine& m, std::initializer_list<int> values) {
    for (int v : values) m.Write_Port_Bit(kPort1Address, static_cast<std::int16_t>(v));
}

TEST(SimulatedMachine, StepsEachAxisByDirLevelAndInversion) {
    // Default pins: X DIR 1, X CLOCK 2, Y DIR 4, Y CLOCK 8, Z DIR 16, Z CLOCK 32.
    // DIR high (not inverted) drives towards smaller coordinates; Z smaller is higher.
    const struct {
        int dirOnly, full;
        bool invert;
        Position moved;
    } cases[] = {
        {1, 3, false, {-1, 0, 0}},  {0, 2, false, {1, 0, 0}},
        {1, 3, true, {1, 0, 0}},    {0, 2, true, {-1, 0, 0}},
        {4, 12, false, {0, -1, 0}}, {0, 8, true, {0, -1, 0}},
        {16, 48, false, {0, 0, -1}}, {0, 32, false, {0, 0, 1}},
        {16, 48, true, {0, 0, 1}},
        {0, 42, false, {1, 1, 1}},  // three CLOCKs rising together
    };
    for (const auto& k : cases) {
        SimulatedMachine m;
        Wiring w;
        w.invertX = w.invertY = w.invertZ = k.invert;
        m.useWiring(w);
        write(m, {k.dirOnly, k.full});
        EXPECT_EQ(where(m), k.moved) << k.dirOnly << " then " << k.full << " invert " << k.invert;
        EXPECT_EQ(m.lastValue(), k.full);
        EXPECT_EQ(m.writes(), 2u);
    }
}

TEST(SimulatedMachine, StepsOnlyOnARisingClock) {
    SimulatedMachine m;
    write(m, {2, 2, 3, 2});  // CLOCK stays high: one step only
    EXPECT_EQ(m.xSteps(), 1);
    write(m, {0, 1, 0});  // DIR-only writes never step
    EXPECT_EQ(m.xSteps(), 1);
    write(m, {0, 2, 0, 2});
    EXPECT_EQ(m.xSteps(), 3);
    EXPECT_EQ(m.steps(), 3u);
}

TEST(SimulatedMachine, DecodesWithTheWiringInForce) {
    SimulatedMachine m;
    Wiring w;
    w.xDir = 128;
    w.xClock = 64;
    w.yClock = 0;  // an unwired CLOCK never steps
    m.useWiring(w);
    write(m, {0, 64 + 128, 0, 255, 0});
    EXPECT_EQ(where(m), (Position{-2, 0, -1}));  // 255 also raises Z CLOCK (32) with Z DIR high
}

TEST(SimulatedMachine, SwitchesReadOneUntilReached) {
    // X home 1 mm below the start: 20 steps at 20 steps per mm.
    SimulatedMachineSettings s;
    s.xHomeMm = -1;
    SimulatedMachine m(s);
    EXPECT_EQ(m.Read_Busy(kPort1Address), 1);
    for (int i = 0; i < 19; ++i) write(m, {1, 3});
    EXPECT_EQ(m.Read_Busy(kPort1Address), 1);
    write(m, {1, 3});
    EXPECT_EQ(m.Read_Busy(kPort1Address), 0);
    EXPECT_DOUBLE_EQ(m.xMm(), -1.0);
    write(m, {1, 3});  // beyond the switch it still reads 0
    EXPECT_EQ(m.Read_Busy(kPort1Address), 0);
    EXPECT_EQ(m.Read_Pe(kPort1Address), 1);
}

TEST(SimulatedMachine, SwitchPlacedAtTheStartReadsZeroAtOnce) {
    const struct {
        SimulatedMachineSettings settings;
        int busy, pe, select, error;
    } cases[] = {
        {{}, 1, 1, 1, 1},
        {{.xHomeMm = 0}, 0, 1, 1, 1},
        {{.yHomeMm = 0}, 1, 0, 1, 1},
        {{.zClearanceMm = 0}, 1, 1, 0, 1},
        {{.zHomeMm = 0}, 1, 1, 1, 0},
    };
    for (const auto& k : cases) {
        SimulatedMachine m(k.settings);
        EXPECT_EQ(m.Read_Busy(kPort1Address), k.busy);
        EXPECT_EQ(m.Read_Pe(kPort1Address), k.pe);
        EXPECT_EQ(m.Read_Select(kPort1Address), k.select);
        EXPECT_EQ(m.Read_Error(kPort1Address), k.error);
    }
}

TEST(SimulatedMachine, StopsAtTheEndsOfTravelAndCountsBlockedSteps) {
    SimulatedMachineSettings s;
    s.zHomeMm = 1;
    s.overtravelMm = 0.5;  // Z can go down to 1.5 mm = 30 steps
    SimulatedMachine m(s);
    for (int i = 0; i < 35; ++i) write(m, {0, 32});
    EXPECT_EQ(m.zSteps(), 30);
    EXPECT_EQ(m.steps(), 30u);
    EXPECT_EQ(m.blockedSteps(), 5u);
    write(m, {16, 48});  // and back up at once
    EXPECT_EQ(m.zSteps(), 29);
}

TEST(SimulatedMachine, FollowsTheStepsPerMmOfTheWiring) {
    SimulatedMachine m;
    Wiring w;
    w.stepsPerMmZ = 100;
    m.useWiring(w);
    // Default Z clearance 40 mm above the start, now 4000 steps.
    m.placeAt(0, 0, -3999);
    EXPECT_EQ(m.Read_Select(kPort1Address), 1);
    write(m, {16, 48});
    EXPECT_EQ(m.Read_Select(kPort1Address), 0);
    EXPECT_DOUBLE_EQ(m.zMm(), -40.0);
}

TEST(SimulatedMachine, TellsListenersThePathAndRecordsOnRequest) {
    SimulatedMachine m;
    std::vector<MachineMotion> seen;
    const int id = m.addListener([&](const MachineMotion& mm) { seen.push_back(mm); });
    write(m, {0, 32, 16});
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_FALSE(seen[0].moved);
    EXPECT_TRUE(seen[1].moved);
    EXPECT_TRUE(seen[1].inMaterial);
    EXPECT_EQ(seen[1].z, 1);
    EXPECT_EQ(seen[2].value, 16);
    EXPECT_TRUE(m.recorded().empty());

    m.removeListener(id);
    m.setRecording(true);
    write(m, {48, 0});
    EXPECT_EQ(seen.size(), 3u);
    EXPECT_EQ(m.recorded(), (std::vector<std::uint8_t>{48, 0}));
    EXPECT_FALSE(m.inMaterial());
}

TEST(SimulatedMachine, ListenerMayRemoveItselfWhileCalled) {
    SimulatedMachine m;
    int calls = 0;
    int id = 0;
    id = m.addListener([&](const MachineMotion&) {
        ++calls;
        m.removeListener(id);
    });
    write(m, {2, 0, 2});
    EXPECT_EQ(calls, 1);
}

TEST(SimulatedMachine, RemembersTheAddressesUsed) {
    SimulatedMachine m;
    m.Write_Port_Bit(kPort2Address, 0);
    m.Read_Busy(kPort2Address);
    m.Write_Port_Bit(kPort1Address, 0);
    EXPECT_EQ(m.addressesUsed(), (std::vector<std::int16_t>{632, 888}));
}

// Z to the clearance switch as homing drives it, through emitTick.
TEST(SimulatedMachine, ReachesTheClearanceSwitchDrivenByEmitTick) {
    struct Speed : SpeedSource {
        double sliderValue() override { return 20; }
        double coefficient() override { return 0.02; }
    } speed;
    SimulatedMachine m;
    NoEventPump pump;
    CountingWaiter waiter;
    StepOutput out{m, kPort1Address, pump, waiter, speed};
    int steps = 0;
    do {
        ASSERT_TRUE(emitTick(out, 16, 48, TickPattern::Manual));
        ++steps;
    } while (m.Read_Select(kPort1Address) != 0 && steps < 10000);
    EXPECT_EQ(steps, 800);  // 40 mm at 20 steps per mm
    EXPECT_EQ(m.lastValue(), 48);
    EXPECT_EQ(waiter.total, 800u * 2 * 951);
}

}  // namespace
}  // namespace tarvel
