#include "drawing/cutobject.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarvel {
namespace {

using Texts = std::vector<std::string>;

TEST(MarkCuts, DerivesMarkersNumbersAndCountFromZ) {
    struct Case {
        Texts z, markers, cutNumbers;
        std::int64_t cuts;
    };
    const Case cases[] = {
        {{"0", "1", "1", "0", "0", "1", "0"},
         {"D", "0", "0", "F", "D", "0", "F"},
         {".", "1", ".", ".", ".", "2", "."},
         2},
        // Two raised rows right after an "F": the second is the next cut's number row.
        {{"0", "1", "0", "0", "0"}, {"D", "0", "F", "D", "F"}, {".", "1", ".", ".", "2"}, 2},
        // The row after a "D" carries the number whatever its Z.
        {{"0", "0", "0", "0"}, {"D", "F", "D", "F"}, {".", "1", ".", "2"}, 2},
        // Only "0" is raised.
        {{"1", " 0", "0", "0,0", "", "0"},
         {"0", "0", "D", "0", "0", "F"},
         {".", ".", ".", "1", ".", "."},
         1},
        {{}, {}, {}, 0},
    };
    for (const Case& c : cases) {
        CutObject o;
        for (const auto& z : c.z) o.appendRow("1", "2", z, "?", "?", ".");
        o.marker.push_back("stale");
        o.cutCount = "9";
        EXPECT_EQ(markCuts(o), c.cuts);
        EXPECT_EQ(o.marker, c.markers);
        EXPECT_EQ(o.cutNumber, c.cutNumbers);
        EXPECT_EQ(o.cutCount, "9") << "the field is the caller's to change";
    }
}

// Lists of different lengths, as a failed load may leave them: a missing cell is empty.
TEST(ObjectListing, JoinsColumnsWithTabsAndEndsWithCutCount) {
    CutObject o;
    o.appendRow("0", "0", "0", "D", ".", ".");
    o.appendRow("12,5", "-3,25", "1", "0", "1", "2");
    o.entryMark.pop_back();
    EXPECT_EQ(objectListing(o), "0\t0\t0\tD\t.\t.\n12,5\t-3,25\t1\t0\t1\t\nNbre coupes\t\n");
}

}  // namespace
}  // namespace tarvel
