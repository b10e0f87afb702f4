// The eight step channels of a tick. Each tick of a cutting file is one value for the
// port's data register: the sum of the weights of the channels whose bit is 1.
//
//   channel      weight field        bit is 1 when
//   X DIR        xDirWeight          X decreases in the segment, exclusive-or invertX
//   X CLOCK      xClockWeight        X steps in this tick
//   Y DIR/CLOCK  yDirWeight ...      likewise for Y
//   Z DIR/CLOCK  zDirWeight ...      likewise for Z (Z grows into the material)
//   spare pair   spareDirWeight ...  never
//
// The value is an arithmetic sum, not an OR: two channels given the same pin add up
// and carry into the next bit.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/userdialogs.h"
#include "config/stepchannels.h"
#include "cutting/cuttingform.h"

namespace tarvel {

// The channel's caption as messages name it ("X DIR", "Z CLOCK", "libre CLOCK").
std::string_view channelName(StepChannel channel);

struct ChannelWeights {
    std::array<std::int64_t, kStepChannelCount> weight{};

    std::int64_t of(StepChannel c) const { return weight[static_cast<std::size_t>(c)]; }
};

// Reads the eight weight fields by the leading-number rule: an empty or non-numeric
// field counts as 0. A weight must be a whole number from 0 up (fractions or negative
// values would make a tick that is no register value): otherwise the French message
// naming the channel, and `out` is left as it was.
std::optional<Message> readChannelWeights(const CuttingForm& form, ChannelWeights& out);

// The form's three "Inverser le sens" fields, each set when it readsAsOne.
AxisInversion readAxisInversion(const CuttingForm& form);

}  // namespace tarvel
