#include "drawing/cutorder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

struct Reorder {
    CutObject object;
    Texts entryRows{"stale"}, newX{"stale"}, newY, newZ;
    ScriptedDialogs dialogs;

    Reorder(const Texts& z, std::initializer_list<std::pair<std::size_t, const char*>> entries)
        : object(objectFromZ(z)) {
        for (const auto& [row, number] : entries) object.entryMark[row] = number;
    }
    bool run() { return reorderCuts(object, {entryRows, newX, newY, newZ}, dialogs); }
};

TEST(ReorderCuts, ClosedContourFromEachInsideRow) {
    struct Case {
        std::size_t entry;
        Texts x;
    };
    const Case cases[] = {
        {1, {"1", "1", "2", "3", "4", "5", "5"}},  // A: the cut as it was
        {2, {"2", "2", "3", "4", "1", "2", "2"}},  // B
        {3, {"3", "3", "4", "1", "2", "3", "3"}},  // B, the worked example
        {4, {"4", "4", "1", "2", "3", "4", "4"}},  // B, wrapping at once
        {5, {"1", "1", "2", "3", "4", "5", "5"}},  // C: same as entering on row 1
    };
    for (const Case& c : cases) {
        Reorder r(kContour, {{c.entry, "1"}});
        ASSERT_TRUE(r.run()) << c.entry;
        EXPECT_TRUE(r.dialogs.told.empty());
        EXPECT_EQ(r.object.x, c.x) << c.entry;
        Texts y;
        for (const auto& x : c.x) y.push_back("y" + x);
        EXPECT_EQ(r.object.y, y);
        EXPECT_EQ(r.object.z, (Texts{"0", "1", "1", "1", "1", "1", "0"}));
        EXPECT_EQ(r.object.marker, (Texts{"D", "0", "0", "0", "0", "0", "F"}));
        EXPECT_EQ(r.object.cutNumber, (Texts{".", "1", ".", ".", ".", ".", "."}));
        EXPECT_EQ(r.object.entryMark, Texts(7, "."));
        EXPECT_EQ(r.entryRows, Texts{std::to_string(c.entry)});
        EXPECT_EQ(r.newX, c.x);
        EXPECT_EQ(r.newZ, r.object.z);
    }
}

TEST(ReorderCuts, OrderNumbersDecideWhichContourComesFirst) {
    Reorder r(kTwoContours, {{2, "2"}, {7, "1"}});
    ASSERT_TRUE(r.run());
    EXPECT_EQ(r.entryRows, (Texts{"7", "2"}));
    EXPECT_EQ(r.object.x, (Texts{"7", "7", "6", "7", "7", "2", "2", "1", "2", "2"}));
    EXPECT_EQ(r.object.z, (Texts{"0", "1", "1", "1", "0", "0", "1", "1", "1", "0"}));
    EXPECT_EQ(r.object.marker, (Texts{"D", "0", "0", "0", "F", "D", "0", "0", "0", "F"}));
    EXPECT_EQ(r.object.cutNumber, (Texts{".", "1", ".", ".", ".", ".", "2", ".", ".", "."}));
    EXPECT_EQ(r.object.cutCount, "2");
}

TEST(ReorderCuts, CollectsInPassesOverTheRowsCountedByNbreCoupes) {
    // Entry points in increasing rows are all taken by the first pass, so one pass
    // suffices; in decreasing rows each pass takes one.
    Reorder increasing(kTwoContours, {{2, "1"}, {7, "2"}});
    increasing.object.cutCount = "1";
    EXPECT_TRUE(increasing.run());
    EXPECT_EQ(increasing.entryRows, (Texts{"2", "7"}));

    // "1,9" reads 1 by the leading-number rule: one pass, one entry point, too few rows.
    Reorder decreasing(kTwoContours, {{2, "2"}, {7, "1"}});
    decreasing.object.cutCount = "1,9";
    EXPECT_FALSE(decreasing.run());
    EXPECT_EQ(decreasing.entryRows, Texts{"7"});
    EXPECT_EQ(decreasing.object.cutCount, "1,9");
}

TEST(ReorderCuts, CutEnteredTwiceFillsTheLengthAndSucceeds) {
    // Both entry points on the first contour, none on the second, which is as long.
    Reorder r(kTwoContours, {{1, "1"}, {3, "2"}});
    ASSERT_TRUE(r.run());
    EXPECT_TRUE(r.dialogs.told.empty());
    EXPECT_EQ(r.object.x, (Texts{"1", "1", "2", "3", "3", "1", "1", "2", "3", "3"}));
    EXPECT_EQ(r.object.entryMark, Texts(10, "."));
}

TEST(ReorderCuts, CutsOfOneInsideRowStayInsideTheirRows) {
    // As a .fra of two single-point cuts loads: origin rows added at both ends.
    Reorder r({"0", "1", "0", "0", "1", "0"}, {{4, "1"}, {1, "2"}});
    ASSERT_TRUE(r.run());
    EXPECT_EQ(r.object.x, (Texts{"4", "4", "4", "1", "1", "1"}));
    EXPECT_EQ(r.object.z, (Texts{"0", "1", "0", "0", "1", "0"}));
    EXPECT_EQ(r.object.marker, (Texts{"D", "0", "F", "D", "0", "F"}));
    EXPECT_EQ(r.object.cutNumber, (Texts{".", "1", ".", ".", "2", "."}));
}

TEST(ReorderCuts, FailureSaysSoKeepsRowsAndClearsEveryEntryMark) {
    struct Case {
        const char* what;
        Texts z;
        std::vector<std::pair<std::size_t, const char*>> entries;
        const char* cutCount;  // nullptr: as marked
    };
    const Case cases[] = {
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
        for (const auto& [row, number] : c.entries) o.entryMark[row] = number;
        if (c.cutCount) o.cutCount = c.cutCount;
        const CutObject before = o;
        Texts entryRows, newX, newY, newZ;
        ScriptedDialogs dialogs;
        EXPECT_FALSE(reorderCuts(o, {entryRows, newX, newY, newZ}, dialogs)) << c.what;
        ASSERT_EQ(dialogs.told.size(), 1u) << c.what;
        EXPECT_EQ(dialogs.told[0].text, kMismatch);
        EXPECT_EQ(dialogs.told[0].title, "Mauvaise saisie !");
        EXPECT_EQ(o.x, before.x) << c.what;
        EXPECT_EQ(o.y, before.y);
        EXPECT_EQ(o.z, before.z);
        EXPECT_EQ(o.marker, before.marker);
        EXPECT_EQ(o.cutCount, before.cutCount);
        EXPECT_EQ(o.entryMark, Texts(c.z.size(), ".")) << c.what;
    }
}

TEST(ReorderCuts, ColumnsOfDifferentLengthsAreRefused) {
    Reorder r(kContour, {{3, "1"}});
    r.object.y.pop_back();
    EXPECT_FALSE(r.run());
    EXPECT_EQ(r.dialogs.toldTexts(), Texts{kMismatch});
    EXPECT_EQ(r.object.x.size(), 7u);
}

TEST(EntryMarkDoubleClick, OpensTheEntryWindowOnlyInsideTheMaterial) {
    const CutObject o = objectFromZ(kContour);  // D 0 0 0 0 0 F
    struct Case {
        std::size_t row;
        bool opens;
        int selectedAfter;
        std::size_t warnings;
    };
    for (const Case& c : {Case{3, true, 3, 0}, Case{0, false, 0, 1}, Case{6, false, 6, 1},
                          Case{7, false, 9, 0}}) {
        ScriptedDialogs dialogs;
        int selectedRow = 9;
        EXPECT_EQ(doubleClickEntryMark(o, c.row, selectedRow, dialogs), c.opens) << c.row;
        EXPECT_EQ(selectedRow, c.selectedAfter) << c.row;
        ASSERT_EQ(dialogs.told.size(), c.warnings) << c.row;
        if (c.warnings) {
            EXPECT_EQ(dialogs.told[0].text,
                      "Ne pas mettre de point d'entrée hors de la matière (quand les coordonnées "
                      "Z sont à 0)");
            EXPECT_EQ(dialogs.told[0].title, "essaie encore");
        }
    }
}

TEST(MarkerDoubleClick, SetsDAndSelectsWithoutRemarking) {
    CutObject o = objectFromZ(kContour);
    int selectedRow = kNoSelectedRow;
    EXPECT_TRUE(doubleClickMarker(o, 3, selectedRow));
    EXPECT_EQ(selectedRow, 3);
    EXPECT_EQ(o.marker, (Texts{"D", "0", "0", "D", "0", "0", "F"}));
    EXPECT_EQ(o.cutNumber[1], "1");
    EXPECT_FALSE(doubleClickMarker(o, 7, selectedRow));
    EXPECT_EQ(selectedRow, 3);
}

TEST(EntryPointForm, ValiderStoresTheFieldAndOffersTheNextNumber) {
    struct Case {
        std::string field, stored, fieldAfter;
    };
    for (const Case& c : {Case{"1", "1", "2"}, Case{"3", "3", "4"}, Case{"9", "9", "10"},
                          Case{"2,5", "2,5", "3,5"}}) {
        ScriptedDialogs dialogs;
        CutObject o = objectFromZ(kContour);
        EntryPointForm form(dialogs);
        form.show();
        form.orderNumber = c.field;
        EXPECT_EQ(form.valider(o, 2), std::optional<std::size_t>(2));
        EXPECT_EQ(o.entryMark[2], c.stored);
        EXPECT_EQ(form.orderNumber, c.fieldAfter);
        EXPECT_FALSE(form.visible);
        EXPECT_TRUE(dialogs.told.empty());
    }
}

TEST(EntryPointForm, ValiderRefusesAnOrderNumberThatIsNoNumber) {
    for (const char* field : {"", "abc", "2.5", "1a"}) {
        ScriptedDialogs dialogs;
        CutObject o = objectFromZ(kContour);
        EntryPointForm form(dialogs);
        form.show();
        form.orderNumber = field;
        EXPECT_EQ(form.valider(o, 2), std::nullopt) << field;
        EXPECT_EQ(o.entryMark, Texts(7, "."));
        EXPECT_EQ(form.orderNumber, field);
        EXPECT_TRUE(form.visible);
        ASSERT_EQ(dialogs.told.size(), 1u);
        EXPECT_EQ(dialogs.told[0].title, "essaie encore");
    }
}

TEST(EntryPointForm, SelectedRowOutsideTheObjectMarksNothing) {
    ScriptedDialogs dialogs;
    CutObject o = objectFromZ(kContour);
    EntryPointForm form(dialogs);
    for (int row : {kNoSelectedRow, 7}) {
        form.show();
        EXPECT_EQ(form.valider(o, row), std::nullopt);
        form.supprimer(o, row);
        EXPECT_FALSE(form.visible);
    }
    EXPECT_EQ(o.entryMark, Texts(7, "."));
    EXPECT_EQ(form.orderNumber, "1");
}

TEST(EntryPointForm, SupprimerClearsOneOrEveryEntryPoint) {
    ScriptedDialogs dialogs;
    CutObject o = objectFromZ(kContour);
    EntryPointForm form(dialogs);
    form.orderNumber = "1";
    form.valider(o, 2);
    form.valider(o, 4);
    form.show();
    form.supprimer(o, 2);
    EXPECT_EQ(o.entryMark, (Texts{".", ".", ".", ".", "2", ".", "."}));
    EXPECT_FALSE(form.visible);

    o.entryMark.pop_back();  // one per row of the Z column, whatever the list held
    form.show();
    form.supprimerTous(o);
    EXPECT_EQ(o.entryMark, Texts(7, "."));
    EXPECT_EQ(form.orderNumber, "3");
    EXPECT_FALSE(form.visible);
}

}  // namespace
}  // namespace tarvel
