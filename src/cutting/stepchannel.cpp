#include "cutting/stepchannel.h"

#include <cmath>

#include "common/textrules.h"
#include "cutting/cuttingmessages.h"

namespace tarvel {

namespace {
constexpr std::array<std::string_view, kStepChannelCount> kNames{
    "X DIR", "X CLOCK", "Y DIR", "Y CLOCK", "Z DIR", "Z CLOCK", "libre DIR", "libre CLOCK"};

// Far above any register value, far below where sums of eight could overflow.
constexpr double kLargestWeight = 1e12;
}  // namespace

std::string_view channelName(StepChannel channel) { return kNames[static_cast<std::size_t>(channel)]; }

std::optional<Message> readChannelWeights(const CuttingForm& form, ChannelWeights& out) {
    ChannelWeights read;
    for (std::size_t i = 0; i < kStepChannelCount; ++i) {
        const std::string& typed = form.*weightFieldOf(kStepChannels[i]);
        double w = leadingNumber(typed);
        if (!(w >= 0) || w > kLargestWeight || std::floor(w) != w)
            return cutting_messages::channelWeightNotWhole(kNames[i], typed);
        read.weight[i] = static_cast<std::int64_t>(w);
    }
    out = read;
    return std::nullopt;
}

AxisInversion readAxisInversion(const CuttingForm& form) {
    return {readsAsOne(form.invertX), readsAsOne(form.invertY), readsAsOne(form.invertZ)};
}

}  // namespace tarvel
