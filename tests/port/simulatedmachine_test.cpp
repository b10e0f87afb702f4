#include "port/simulatedmachine.h"

#include <gtest/gtest.h>

#include <tuple>

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

TEST(SimulatedMachine, StepsOnlyOnARisingClockOfTheWiringInForce) {
    SimulatedMachine m;
    write(m, {2, 2, 3, 2});  // CLOCK stays high: one step only
    write(m, {0, 1, 0});     // DIR-only writes never step
    EXPECT_EQ(m.xSteps(), 1);
    write(m, {0, 2, 0, 2});
    EXPECT_EQ(m.xSteps(), 3);
    EXPECT_EQ(m.steps(), 3u);

    Wiring w;
    w.xDir = 128;
    w.xClock = 64;
    w.yClock = 0;  // an unwired CLOCK never steps
    m.useWiring(w);
    m.Write_Port_Bit(kPort2Address, 0);
    write(m, {64 + 128, 0, 255, 0});
    EXPECT_EQ(where(m), (Position{1, 0, -1}));  // 255 also raises Z CLOCK (32) with Z DIR high
    EXPECT_EQ(m.addressesUsed(), (std::vector<std::int16_t>{888, 632}));  // in the order first used
}

TEST(SimulatedMachine, SwitchesReadOneUntilReached) {
    SimulatedMachineSettings s;
    s.xHomeMm = -1;  // 20 steps at 20 steps per mm
    SimulatedMachine m(s);
    for (int i = 0; i < 19; ++i) write(m, {1, 3});
    EXPECT_EQ(m.Read_Busy(kPort1Address), 1);
    write(m, {1, 3});
    EXPECT_EQ(m.Read_Busy(kPort1Address), 0);
    EXPECT_DOUBLE_EQ(m.xMm(), -1.0);
    write(m, {1, 3});  // beyond the switch it still reads 0
    EXPECT_EQ(m.Read_Busy(kPort1Address), 0);
    EXPECT_EQ(m.Read_Pe(kPort1Address), 1);

    // Z clearance 40 mm above the start, 4000 steps at the wiring's 100 steps per mm.
    Wiring w;
    w.stepsPerMmZ = 100;
    m.useWiring(w);
    m.placeAt(0, 0, -3999);
    EXPECT_EQ(m.Read_Select(kPort1Address), 1);
    write(m, {16, 48});
    EXPECT_EQ(m.Read_Select(kPort1Address), 0);
    EXPECT_DOUBLE_EQ(m.zMm(), -40.0);
}

TEST(SimulatedMachine, SwitchPlacedAtTheStartReadsZeroAtOnce) {
    const std::pair<SimulatedMachineSettings, std::tuple<int, int, int, int>> cases[] = {
        {{}, {1, 1, 1, 1}},
        {{.xHomeMm = 0}, {0, 1, 1, 1}},
        {{.yHomeMm = 0}, {1, 0, 1, 1}},
        {{.zClearanceMm = 0}, {1, 1, 0, 1}},
        {{.zHomeMm = 0}, {1, 1, 1, 0}},
    };
    for (const auto& [settings, reads] : cases) {
        SimulatedMachine m(settings);
        const auto read = std::tuple<int, int, int, int>(m.Read_Busy(kPort1Address), m.Read_Pe(kPort1Address),
                                                         m.Read_Select(kPort1Address), m.Read_Error(kPort1Address));
        EXPECT_EQ(read, reads);
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

// A failed write reaches no line: the clock edge it carried is still to come.
TEST(SimulatedMachine, WriteMadeToFailMovesNothingAndIsRecorded) {
    SimulatedMachine m;
    m.failNextWrites(2);
    write(m, {0, 2, 0, 2});
    EXPECT_EQ(m.failedWrites(), 2u);
    EXPECT_EQ(m.xSteps(), 1);
    m.clearFailedWrites();
    write(m, {0, 2});
    EXPECT_EQ(m.failedWrites(), 0u);
    EXPECT_EQ(m.xSteps(), 2);
}

TEST(SimulatedMachine, TellsListenersThePathAndRecordsOnRequest) {
    SimulatedMachine m;
    std::vector<MachineMotion> seen;
    int selfRemoving = 0, id = 0;
    id = m.addListener([&](const MachineMotion&) { ++selfRemoving, m.removeListener(id); });
    const int listener = m.addListener([&](const MachineMotion& mm) { seen.push_back(mm); });
    write(m, {0, 32, 16});
    EXPECT_EQ(selfRemoving, 1);  // it may remove itself while called
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_FALSE(seen[0].moved);
    EXPECT_TRUE(seen[1].moved && seen[1].inMaterial);
    EXPECT_EQ(seen[1].z, 1);
    EXPECT_EQ(seen[2].value, 16);
    EXPECT_TRUE(m.recorded().empty());

    m.removeListener(listener);
    m.setRecording(true);
    write(m, {48, 0});
    EXPECT_EQ(seen.size(), 3u);
    EXPECT_EQ(m.recorded(), (std::vector<std::uint8_t>{48, 0}));
    EXPECT_FALSE(m.inMaterial());
}

}  // namespace
}  // namespace tarvel
