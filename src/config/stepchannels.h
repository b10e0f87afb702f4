// The machine's eight step channels: a DIR and a CLOCK line for X, Y, Z and a spare
// pair ("non connecté"), each wired to one data pin of the parallel port. A channel's
// weight is the value its line adds to the data register when high. The configuration
// holds the weights as text; the cutting and manual windows copy all eight at once.
#pragma once

#include <array>
#include <cstddef>
#include <string>

namespace tarvel {

// In the configuration window's rows and in the configuration file's order.
enum class StepChannel { XDir, XClock, YDir, YClock, ZDir, ZClock, SpareDir, SpareClock };
inline constexpr std::size_t kStepChannelCount = 8;
inline constexpr std::array<StepChannel, kStepChannelCount> kStepChannels = {
    StepChannel::XDir, StepChannel::XClock, StepChannel::YDir,     StepChannel::YClock,
    StepChannel::ZDir, StepChannel::ZClock, StepChannel::SpareDir, StepChannel::SpareClock};

struct PinWeights {
    std::string xDirWeight, xClockWeight;
    std::string yDirWeight, yClockWeight;
    std::string zDirWeight, zClockWeight;
    std::string spareDirWeight, spareClockWeight;
};

// The weight field of a channel.
std::string PinWeights::* weightFieldOf(StepChannel channel);

// The three "Inverser le sens" flags: set, an axis's DIR line means the other way.
struct AxisInversion {
    bool x = false, y = false, z = false;
};

}  // namespace tarvel
