#include "cutting/cutcontrol.h"

#include "common/textrules.h"

namespace tarvel {

void CutControl::setSlider(int value) {
    slider = value;
    speedLabel = integerText(100 - value);
    if (flags.outOfMaterial == 0) liveCuttingFeed = 100 - value;
    else liveRapidFeed = 100 - value;
}

void CutControl::presetSlider(int value) {
    const double cutting = liveCuttingFeed;
    const double rapid = liveRapidFeed;
    setSlider(value);
    liveCuttingFeed = cutting;
    liveRapidFeed = rapid;
}

void CutControl::clearRunRequests() {
    flags.pauseRequested = 0;
    flags.resumeRequested = 0;
    flags.deeperRequested = 0;
    flags.shallowerRequested = 0;
}

namespace {
std::string twoDigits(std::uint64_t v) {
    return (v < 10 ? "0" : "") + integerText(static_cast<std::int64_t>(v));
}
std::string whole(std::uint64_t v) { return integerText(static_cast<std::int64_t>(v)); }
}  // namespace

std::string timeLeftText(std::uint64_t microseconds) {
    const std::uint64_t seconds = (microseconds + 500'000) / 1'000'000;
    const std::uint64_t h = seconds / 3600;
    const std::uint64_t m = seconds / 60 % 60;
    const std::uint64_t s = seconds % 60;
    if (h > 0) return whole(h) + " h " + twoDigits(m) + " min " + twoDigits(s) + " s";
    if (m > 0) return whole(m) + " min " + twoDigits(s) + " s";
    return whole(s) + " s";
}

std::string estimatedTimeLeftLine(std::uint64_t microseconds) {
    return "Temps restant estimé : " + timeLeftText(microseconds);
}

}  // namespace tarvel
