#include "cutting/stepchannel.h"

#include <cmath>

#include "common/textrules.h"
#include "cutting/cuttingmessages.h"

namespace tarvel {

namespace {
constexpr std::array<std::string_view, kStepChannelCount> kNames{
    "X DIR", "X CLOCK", "Y DIR", "Y CLOCK", "Z DIR", "Z CLOCK", "libre DIR", "libre CLOCK"};

constexpr std::array<std::string CuttingForm::*, kStepChannelCount> kFields{
    &CuttingForm::xDirWeight,     &CuttingForm::xClockWeight,   &CuttingForm::yDirWeight,
    &CuttingForm::yClockWeight,   &CuttingForm::zDirWeight,     &CuttingForm::zClockWeight,
    &CuttingForm::spareDirWeight, &CuttingForm::spareClockWeight};

// Far above any register value, far below where sums of eight could overflow.
constexpr double kLargestWeight = 1e12;

bool flagIsOne(const std::string& text) {
    auto n = commaNumber(text);
    return n && *n == 1.0;
}
}  // namespace

std::string_view channelName(StepChannel channel) { return kNames[static_cast<std::size_t>(channel)]; }

std::int64_t ChannelWeights::valueOf(const std::array<int, kStepChannelCount>& bits) const {
    std::int64_t sum = 0;
    for (std::size_t i = 0; i < kStepChannelCount; ++i) sum += weight[i] * bits[i];
    return sum;
}

std::optional<Message> readChannelWeights(const CuttingForm& form, ChannelWeights& out) {
    ChannelWeights read;
    for (std::size_t i = 0; i < kStepChannelCount; ++i) {
        const std::string& typed = form.*kFields[i];
        double w = leadingNumber(typed);
        if (!(w >= 0) || w > kLargestWeight || std::floor(w) != w)
            return cutting_messages::channelWeightNotWhole(kNames[i], typed);
        read.weight[i] = static_cast<std::int64_t>(w);
    }
    out = read;
    return std::nullopt;
}

AxisInversion readAxisInversion(const CuttingForm& form) {
    return {flagIsOne(form.invertX), flagIsOne(form.invertY), flagIsOne(form.invertZ)};
}

}  // namespace tarvel
