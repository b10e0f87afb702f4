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

}  // namespace tarvel
