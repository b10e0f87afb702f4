#include "drawing/textcolumn.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarvel {
namespace {

// One text of each kind of storage: in the cell (0 to 3 bytes), in a block with a length
// of one byte and of two, longer than a block; bytes of any encoding, NUL and 0x80 too.
const std::vector<std::string> kTexts = {
    "", "0", "12", "D.F", "1234", "14,9809734904587", std::string(127, 'a'), std::string(128, 'b'),
    std::string("\0\x80\xff", 3), std::string("a\0b\x80", 4), "é€", std::string(200'000, 'z'),
};

TEST(TextColumn, GivesBackEveryTextByteForByteAcrossPagesBlocksAndEdits) {
    TextColumn column;
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < 30'000; ++i) {
        const bool sample = i % 100 == 0;
        expected.push_back(sample ? kTexts[i / 100 % kTexts.size()] : std::to_string(i * 7919) + ",5");
        column.push_back(expected.back());
    }
    ASSERT_EQ(column, expected);
    // Each row takes the text of another: read from the column itself while it changes.
    for (std::size_t i = 0; i + 7 < expected.size(); i += 3) {
        column.set(i, column[i + 7]);
        expected[i] = expected[i + 7];
    }
    EXPECT_EQ(column, expected);
    TextColumn copy = column;
    TextColumn moved = std::move(column);
    EXPECT_TRUE(column.empty());
    EXPECT_EQ(copy, expected);
    EXPECT_EQ(moved, expected);
    moved.resize(5);
    moved.resize(6);
    expected.resize(5);
    expected.emplace_back();
    EXPECT_EQ(moved, expected);
}

TEST(TextColumn, RepeatedEditsOfAFewRowsDoNotGrowIt) {
    TextColumn column;
    for (int i = 0; i < 10'000; ++i) column.push_back("-1234,56789012345");
    const std::size_t before = column.bytesHeld();
    for (int round = 0; round < 100'000; ++round)
        column.set(static_cast<std::size_t>(round % 10), std::to_string(round) + ",123456789012");
    EXPECT_LE(column.bytesHeld(), 3 * before);
    EXPECT_EQ(column[9], "99999,123456789012");
    EXPECT_EQ(column[10], "-1234,56789012345");
}

}  // namespace
}  // namespace tarvel
