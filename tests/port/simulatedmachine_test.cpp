#include "port/simulatedmachine.h"

#include <gtest/gtest.h>

#include <tuple>

#include "port/toolpath.h"

namespace tarvel {
namespace {

using Position = std::tuple<std::int64_t, std::int64_t, std::int64_t>;
using Reads = std::tuple<int, int, int, int>;  // BUSY, PAPER END, SELECT, ERROR

Position where(const SimulatedMachine& m) { return {m.xSteps(), m.ySteps(), m.zSteps()}; }

void write(SimulatedMachine& m, std::initializer_list<int> values) {
    for (int v : values) m.Write_Port_Bit(kPort1Address, static_cast<std::int16_t>(v));
}

TEST(SimulatedMachine, StepsEachAxisByDirLevelAndInversion) {
    // Default pins: X DIR 1, X CLOCK 2, Y DIR 4, Y CLOCK 8, Z DIR 16, Z CLOCK 32.
    // DIR high (not inverted) drives towards smaller coordinates; Z smaller is higher.
    const struct {
        int dirOnly, full;
        bool invertX, invertY, invertZ;
        Position moved;
    } cases[] = {
        {1, 3, false, true, true, {-1, 0, 0}}, {0, 2, false, true, true, {1, 0, 0}},
        {1, 3, true, false, false, {1, 0, 0}}, {0, 2, true, false, false, {-1, 0, 0}},
        {4, 12, true, false, true, {0, -1, 0}}, {0, 8, false, true, false, {0, -1, 0}},
        {16, 48, true, true, false, {0, 0, -1}}, {0, 32, true, true, false, {0, 0, 1}},
        {16, 48, false, false, true, {0, 0, 1}},
        {0, 42, false, false, false, {1, 1, 1}},  // three CLOCKs rising together
    };
    for (const auto& k : cases) {
        SimulatedMachine m;
        m.useWiring({.invertX = k.invertX, .invertY = k.invertY, .invertZ = k.invertZ});
        write(m, {k.dirOnly, k.full});
        EXPECT_EQ(where(m), k.moved) << k.dirOnly << " then " << k.full;
        EXPECT_EQ(std::tuple(m.lastValue(), m.writes()), std::tuple(k.full, 2u));
    }
}

TEST(SimulatedMachine, StepsOnlyOnARisingClockOfTheWiringInForce) {
    SimulatedMachine m;
    write(m, {2, 2, 3, 2});  // CLOCK stays high: one step only
    write(m, {0, 1, 0});     // DIR-only writes never step
    EXPECT_EQ(m.xSteps(), 1);
    write(m, {0, 2, 0, 2});
    EXPECT_EQ(std::tuple(m.xSteps(), m.steps()), std::tuple(3, 3u));
    m.useWiring({.xDir = 128, .xClock = 64, .yClock = 0});  // an unwired CLOCK never steps
    m.Write_Port_Bit(kPort2Address, 0);
    write(m, {64 + 128, 0, 255, 0});
    EXPECT_EQ(where(m), (Position{1, 0, -1}));  // 255 also raises Z CLOCK (32) with Z DIR high
    EXPECT_EQ(m.addressesUsed(), (std::vector<std::int16_t>{888, 632}));  // in the order first used
}

// Each switch at its place in mm rounded to a step, here at 7 steps per mm set after the
// machine was made: X home -7 steps, Y home -4, Z clearance -7, Z home 5.
TEST(SimulatedMachine, SwitchesReadOneUntilReached) {
    SimulatedMachine m({.xHomeMm = -1.03, .yHomeMm = -0.5, .zClearanceMm = -0.93, .zHomeMm = 0.77});
    m.useWiring({.stepsPerMmX = 7, .stepsPerMmY = 7, .stepsPerMmZ = 7});
    const std::pair<Position, Reads> cases[] = {
        {{-6, -3, -6}, {1, 1, 1, 1}}, {{-7, -3, -6}, {0, 1, 1, 1}}, {{-8, -4, -7}, {0, 0, 0, 1}},
        {{0, 0, 4}, {1, 1, 1, 1}},    {{0, 0, 5}, {1, 1, 1, 0}},    {{0, 0, 6}, {1, 1, 1, 0}},
    };
    for (const auto& [at, reads] : cases) {
        std::apply([&](auto x, auto y, auto z) { m.placeAt(x, y, z); }, at);
        const Reads read(m.Read_Busy(kPort1Address), m.Read_Pe(kPort1Address), m.Read_Select(kPort1Address),
                         m.Read_Error(kPort1Address));
        EXPECT_EQ(read, reads) << std::get<0>(at) << ' ' << std::get<1>(at) << ' ' << std::get<2>(at);
        // The cutting loop's view of the switches agrees with the reads.
        const SwitchStates s = switchesReached(m);
        EXPECT_EQ(Reads(!s.xHome, !s.yHome, !s.zClearance, !s.zHome), reads);
    }
    EXPECT_DOUBLE_EQ(m.zMm(), 6.0 / 7);  // the last place, in the wiring's steps per mm
}

TEST(SimulatedMachine, StopsAtTheEndsOfTravelAndCountsBlockedSteps) {
    SimulatedMachine m({.zHomeMm = 1, .overtravelMm = 0.5});  // Z can go down to 1.5 mm = 30 steps
    for (int i = 0; i < 35; ++i) write(m, {0, 32});
    EXPECT_EQ(m.zSteps(), 30);
    EXPECT_EQ(std::tuple(m.steps(), m.blockedSteps()), std::tuple(30u, 5u));
    write(m, {16, 48});  // and back up at once
    EXPECT_EQ(m.zSteps(), 29);
}

// A failed write reaches no line: the clock edge it carried is still to come.
TEST(SimulatedMachine, WriteMadeToFailMovesNothingAndIsRecorded) {
    SimulatedMachine m;
    m.failNextWrites(2);
    write(m, {0, 2, 0, 2});
    EXPECT_EQ(std::tuple(m.failedWrites(), m.xSteps()), std::tuple(2u, 1));
    m.clearFailedWrites();
    write(m, {0, 2});
    EXPECT_EQ(std::tuple(m.failedWrites(), m.xSteps()), std::tuple(0u, 2));
}

}  // namespace
}  // namespace tarvel
