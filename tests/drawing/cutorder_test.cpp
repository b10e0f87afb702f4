#include "drawing/cutorder.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "drawing/drawingmessages.h"
#include "support/scripteddialogs.h"

namespace tarvel {
namespace {

using testing::ScriptedDialogs;
using Texts = std::vector<std::string>;

const std::string kMismatch = "le nombre de découpes est incompatible avec le fichier d'origine";

// An object from its Z column: X is the row index, Y the row index with a "y" before it,
// so every rebuilt row shows where it came from; marked as a load marks it.
CutObject objectFromZ(const Texts& z) {
    CutObject o;
    for (std::size_t i = 0; i < z.size(); ++i)
        o.appendRow(std::to_string(i), "y" + std::to_string(i), z[i], "", "", ".");
    o.cutCount = std::to_string(markCuts(o));
    return o;
}

// One closed contour: row 0 "D", rows 1 to 5 inside (5 back on the spot of 1), row 6 "F".
const Texts kContour = {"0", "1", "1", "1", "1", "1", "0"};
// Two contours of the same length: rows 0-4 and 5-9.
const Texts kTwoContours = {"0", "1", "1", "1", "0", "0", "1", "1", "1", "0"};
// Two open cuts of different lengths: rows 0-3 and 4-8.
const Texts kShortThenLong = {"0", "1", "1", "0", "0", "1", "1", "1", "0"};

using Entries = std::vector<std::pair<std::size_t, const char*>>;

TEST(ReorderCuts, RebuildsEveryCutFromItsEntryPointInOrder) {
    struct Case {
        const char* what;
        Texts z;
        Entries entries;
        const char* cutCount;  // nullptr: as marked
        Texts x;               // X of the rebuilt rows: the initial row each came from
    };
    const Case cases[] = {
        {"A, first inside row", kContour, {{1, "1"}}, nullptr, {"1", "1", "2", "3", "4", "5", "5"}},
        {"B", kContour, {{2, "1"}}, nullptr, {"2", "2", "3", "4", "1", "2", "2"}},
        {"B, wrapping at once", kContour, {{4, "1"}}, nullptr, {"4", "4", "1", "2", "3", "4", "4"}},
        {"C, same as A", kContour, {{5, "1"}}, nullptr, {"1", "1", "2", "3", "4", "5", "5"}},
        // One pass over the rows takes every entry point met in increasing order.
        {"one pass", kTwoContours, {{2, "1"}, {7, "2"}}, "1",
         {"2", "2", "1", "2", "2", "7", "7", "6", "7", "7"}},
        // The second contour is lost, but the length is reached.
        {"cut entered twice", kTwoContours, {{1, "1"}, {3, "2"}}, nullptr,
         {"1", "1", "2", "3", "3", "1", "1", "2", "3", "3"}},
        // As a .fra of two single-point cuts loads: nothing to walk in either.
        {"one inside row", {"0", "1", "0", "0", "1", "0"}, {{4, "1"}, {1, "2"}}, nullptr,
         {"4", "4", "4", "1", "1", "1"}},
        {"long cut first", kShortThenLong, {{2, "2"}, {6, "1"}}, nullptr, {"6", "6", "5", "6", "6", "1", "1", "2", "2"}},
    };
    for (const Case& c : cases) {
        CutObject o = objectFromZ(c.z);
        for (const auto& [row, number] : c.entries) o.entryMark.set(row, number);
        if (c.cutCount) o.cutCount = c.cutCount;
        ScriptedDialogs dialogs;
        ASSERT_TRUE(reorderCuts(o, dialogs)) << c.what;
        EXPECT_TRUE(dialogs.told.empty());
        EXPECT_EQ(o.x, c.x) << c.what;
        EXPECT_EQ(o.y[1], "y" + c.x[1]);
        EXPECT_EQ(o.entryMark, Texts(o.x.size(), ".")) << c.what;
        EXPECT_EQ(o.cutCount, c.cutCount ? c.cutCount : objectFromZ(c.z).cutCount);
        // The rebuilt rows are marked again from their Z.
        CutObject marked = o;
        markCuts(marked);
        EXPECT_EQ(o.marker, marked.marker) << c.what;
        EXPECT_EQ(o.cutNumber, marked.cutNumber) << c.what;
    }
}

TEST(ReorderCuts, FailureSaysSoKeepsRowsAndClearsEveryEntryMark) {
    struct Case {
        const char* what;
        Texts z;
        Entries entries;
        const char* cutCount;  // nullptr: as marked
    };
    const Case cases[] = {
        {"1,9 reads 1: one pass", kTwoContours, {{2, "2"}, {7, "1"}}, "1,9"},
        {"no entry point", kTwoContours, {}, nullptr},
        {"one of two cuts entered", kTwoContours, {{2, "1"}}, nullptr},
        {"empty Nbre coupes", kTwoContours, {{2, "1"}, {7, "2"}}, ""},
        {"gap in the numbers", kTwoContours, {{2, "1"}, {7, "3"}}, nullptr},
        {"numbers compared as text", kTwoContours, {{2, "1"}, {7, "02"}}, nullptr},
        {"entry on a D row", kTwoContours, {{0, "1"}, {7, "2"}}, nullptr},
        {"rows outside any cut", {"0", "1", "1", "0", "0"}, {{1, "1"}}, "1"},
        {"no F after the entry", {"0", "1", "1", "1"}, {{2, "1"}}, "1"},
        {"empty object", {}, {}, "1"},
    };
    for (const Case& c : cases) {
        CutObject o = objectFromZ(c.z);
        for (const auto& [row, number] : c.entries) o.entryMark.set(row, number);
        if (c.cutCount) o.cutCount = c.cutCount;
        const CutObject before = o;
        ScriptedDialogs dialogs;
        EXPECT_FALSE(reorderCuts(o, dialogs)) << c.what;
        EXPECT_EQ(dialogs.toldTexts(), Texts{kMismatch}) << c.what;
        EXPECT_TRUE(o.x == before.x && o.y == before.y && o.z == before.z) << c.what;
        EXPECT_EQ(o.entryMark, Texts(c.z.size(), ".")) << c.what;
    }
}

TEST(EntryMarkDoubleClick, OpensTheEntryWindowOnlyInsideTheMaterial) {
    const CutObject o = objectFromZ(kContour);  // D 0 0 0 0 0 F
    const std::string outside =
        "Ne pas mettre de point d'entrée hors de la matière (quand les coordonnées Z sont à 0)";
    for (auto [row, opens, selectedAfter, warnings] : {std::tuple{3, true, 3, 0}, {0, false, 0, 1}, {6, false, 6, 1},
                                                        {7, false, 9, 0}}) {
        ScriptedDialogs dialogs;
        int selectedRow = 9;
        EXPECT_EQ(doubleClickEntryMark(o, static_cast<std::size_t>(row), selectedRow, dialogs), opens) << row;
        EXPECT_EQ(selectedRow, selectedAfter) << row;
        EXPECT_EQ(dialogs.toldTexts(), Texts(static_cast<std::size_t>(warnings), outside));
    }
}

TEST(EntryPointForm, ConfirmEntryStoresTheNumberAndOffersTheNextOrRefusesText) {
    for (auto [field, fieldAfter] : {std::pair{"9", "10"}, {"2,5", "3,5"}, {"2.5", ""}}) {
        ScriptedDialogs dialogs;
        CutObject o = objectFromZ(kContour);
        EntryPointForm form(dialogs);
        form.show();
        form.orderNumber = field;
        const bool refused = *fieldAfter == 0;
        EXPECT_EQ(form.confirmEntry(o, 2), refused ? std::nullopt : std::optional<std::size_t>(2)) << field;
        EXPECT_EQ(o.entryMark[2], refused ? "." : field);
        EXPECT_EQ(form.orderNumber, refused ? field : fieldAfter);
        EXPECT_EQ(form.visible, refused) << "stays open to correct the number";
        EXPECT_EQ(dialogs.toldTexts(), Texts(refused, drawingmessages::kOrderNumberNotANumber.text));
    }
}

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
