#include "cutting/cutcontrol.h"

#include <gtest/gtest.h>

namespace tarvel {
namespace {

TEST(CutControl, SliderSetsTheFeedOfTheCurrentStateOnlyAndPresetStoresNone) {
    const struct {
        int outOfMaterial, slider;
        double cutting, rapid;
    } cases[] = {{1, 100, 50, 0}, {1, 0, 50, 100}, {0, 30, 70, 80}};
    for (const auto& k : cases) {
        CutControl c;
        c.liveCuttingFeed = 50, c.liveRapidFeed = 80;
        c.flags.outOfMaterial = k.outOfMaterial;
        c.setSlider(k.slider);
        EXPECT_EQ(c.liveCuttingFeed, k.cutting) << k.outOfMaterial << " " << k.slider;
        EXPECT_EQ(c.liveRapidFeed, k.rapid) << k.outOfMaterial << " " << k.slider;
        EXPECT_EQ(c.speedLabel, std::to_string(100 - k.slider));
        c.presetSlider(20);
        EXPECT_EQ(c.slider, 20);
        EXPECT_EQ(c.speedLabel, "80");
        EXPECT_EQ(c.liveCuttingFeed + c.liveRapidFeed, k.cutting + k.rapid);
    }
}

}  // namespace
}  // namespace tarvel
