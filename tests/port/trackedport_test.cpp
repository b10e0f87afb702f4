#include "port/trackedport.h"

#include <gtest/gtest.h>

#include "port/simulatedmachine.h"

namespace tarvel {
namespace {

StepPosition where(const SimulatedMachine& m) { return {m.xSteps(), m.ySteps(), m.zSteps()}; }

// The commanded position decodes the writes as the simulated machine does, and a write
// the port refused moves neither: the next one is still a rising CLOCK edge.
TEST(TrackedPort, FollowsTheMachineThroughRefusedWrites) {
    SimulatedMachine sim;
    TrackedPort port;
    port.drive(sim);
    port.useWiring({.invertY = true, .stepsPerMmX = 4, .stepsPerMmZ = 0});  // Z keeps its 20 steps per mm
    for (int v : {0, 2, 0, 3, 1, 3, 0, 8, 0, 8, 16, 48, 0})
        port.Write_Port_Bit(kPort1Address, static_cast<std::int16_t>(v));
    sim.failNextWrites(2);
    port.Write_Port_Bit(kPort1Address, 42);
    port.Write_Port_Bit(kPort1Address, 0);
    EXPECT_EQ(port.steps(), (StepPosition{-1, -2, -1}));
    port.Write_Port_Bit(kPort1Address, 42);  // three CLOCKs rising from the 0 the lines kept
    EXPECT_EQ(port.steps(), (StepPosition{0, -3, 0}));
    EXPECT_EQ(port.steps(), where(sim));
    EXPECT_EQ(port.failedWrites(), 2u);

    for (int v : {1, 3}) port.Write_Port_Bit(kPort1Address, static_cast<std::int16_t>(v));
    EXPECT_EQ(positionLine(port.mm()), "Position : X -0,25 mm   Y -0,15 mm   Z 0,00 mm");
    port.resetPosition();
    EXPECT_EQ(port.steps(), StepPosition{});
}

TEST(TrackedPort, PositionLineRoundsToHundredthsWithoutNegativeZero) {
    EXPECT_EQ(positionLine({12.346, -3, -0.001}), "Position : X 12,35 mm   Y -3,00 mm   Z 0,00 mm");
}

}  // namespace
}  // namespace tarvel
