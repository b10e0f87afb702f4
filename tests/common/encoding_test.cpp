#include "common/encoding.h"

#include <gtest/gtest.h>

namespace tarvel {
namespace {

TEST(Windows1252, EveryByteAndFrenchTextRoundTripTheRestBecomesQuestionMarks) {
    const std::string text = "Paramètres par défaut à l'échelle – «coupe» €";
    const std::string bytes = windows1252FromUtf8(text);
    EXPECT_EQ(bytes, "Param\xE8tres par d\xE9" "faut \xE0 l'\xE9" "chelle \x96 \xAB" "coupe\xBB \x80");
    EXPECT_EQ(utf8FromWindows1252(bytes), text);
    // Unmappable characters, a cut sequence, a byte that starts none.
    EXPECT_EQ(windows1252FromUtf8("日本|a\xC3|\xFF" "b"), "??|a?|?b");
    // Every byte survives a round trip.
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(windows1252FromUtf8(utf8FromWindows1252(all)), all);
}

}  // namespace
}  // namespace tarvel
