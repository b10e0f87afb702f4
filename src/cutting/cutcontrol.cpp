#include "cutting/cutcontrol.h"

#include "common/textrules.h"

namespace tarvel {

void CutControl::setSlider(int value) {
    slider = value;
    speedLabel = integerText(100 - value);
    if (flags.outOfMaterial == 0) liveCuttingFeed = 100 - value;
    else liveRapidFeed = 100 - value;
}

}  // namespace tarvel
