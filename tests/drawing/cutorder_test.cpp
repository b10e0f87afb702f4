#include "drawing/cutorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
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

// An object from its Z column: X is the row index, Y ten times it (points in mm on a
// line), so every rebuilt row shows where it came from; marked as a load marks it.
CutObject objectFromZ(const Texts& z) {
    CutObject o;
    for (std::size_t i = 0; i < z.size(); ++i)
        o.appendRow(std::to_string(i), std::to_string(i * 10), z[i], "", "", ".");
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

TEST(ReorderCuts, RebuildsEveryCutFromItsEntryPointOrSaysSoAndKeepsTheRows) {
    struct Case {
        const char* what;
        Texts z;
        Entries entries;
        const char* cutCount;  // nullptr: as marked
        Texts x;               // X of the rebuilt rows, the initial row each came from; none: refused
    };
    const Case cases[] = {
        {"A, first inside row", kContour, {{1, "1"}}, nullptr, {"1", "1", "2", "3", "4", "5", "5"}},
        {"B", kContour, {{2, "1"}}, nullptr, {"2", "2", "3", "4", "1", "2", "2"}},
        {"B, wrapping at once", kContour, {{4, "1"}}, nullptr, {"4", "4", "1", "2", "3", "4", "4"}},
        {"C, same as A", kContour, {{5, "1"}}, nullptr, {"1", "1", "2", "3", "4", "5", "5"}},
        // One pass over the rows takes every entry point met in increasing order.
        {"one pass", kTwoContours, {{2, "1"}, {7, "2"}}, "1",
         {"2", "2", "1", "2", "2", "7", "7", "6", "7", "7"}},
        // As a .fra of two single-point cuts loads: nothing to walk in either.
        {"one inside row", {"0", "1", "0", "0", "1", "0"}, {{4, "1"}, {1, "2"}}, nullptr,
         {"4", "4", "4", "1", "1", "1"}},
        {"long cut first", kShortThenLong, {{2, "2"}, {6, "1"}}, nullptr, {"6", "6", "5", "6", "6", "1", "1", "2", "2"}},
        {"1,9 reads 1: one pass", kTwoContours, {{2, "2"}, {7, "1"}}, "1,9", {}},
        {"one of two cuts entered", kTwoContours, {{2, "1"}}, nullptr, {}},
        {"empty Nbre coupes", kTwoContours, {{2, "1"}, {7, "2"}}, "", {}},
        {"gap in the numbers", kTwoContours, {{2, "1"}, {7, "3"}}, nullptr, {}},
        // Rebuilt, this would reach the object's length: one cut twice, the other never.
        {"cut entered twice", kTwoContours, {{1, "1"}, {3, "2"}}, nullptr, {}},
        {"numbers compared as text", kTwoContours, {{2, "1"}, {7, "02"}}, nullptr, {}},
        {"entry on a D row", kTwoContours, {{0, "1"}, {7, "2"}}, nullptr, {}},
        {"rows outside any cut", {"0", "1", "1", "0", "0"}, {{1, "1"}}, "1", {}},
        {"no F after the entry", {"0", "1", "1", "1"}, {{2, "1"}}, "1", {}},
        {"empty object", {}, {}, "1", {}},
    };
    for (const Case& c : cases) {
        CutObject o = objectFromZ(c.z);
        for (const auto& [row, number] : c.entries) o.entryMark.set(row, number);
        if (c.cutCount) o.cutCount = c.cutCount;
        const CutObject before = o;
        const bool rebuilt = !c.x.empty();
        ScriptedDialogs dialogs;
        EXPECT_EQ(reorderCuts(o, dialogs), rebuilt) << c.what;
        EXPECT_EQ(dialogs.toldTexts(), Texts(!rebuilt, kMismatch)) << c.what;
        EXPECT_EQ(o.x, rebuilt ? c.x : Texts(before.x.begin(), before.x.end())) << c.what;
        for (std::size_t i = 0; i < o.rows(); ++i) EXPECT_EQ(o.y[i], o.x[i] == "0" ? "0" : std::string(o.x[i]) + "0");
        EXPECT_TRUE(rebuilt || o.z == before.z) << c.what;
        EXPECT_EQ(o.entryMark, Texts(o.rows(), ".")) << c.what;
        EXPECT_EQ(o.cutCount, before.cutCount) << c.what;
        // The window's status line counts the cuts now in the new order: one per entry point.
        EXPECT_EQ(reorderStatusText(o, rebuilt),
                  rebuilt ? drawingmessages::cutsReordered(c.entries.size()) : drawingmessages::kOrderKept)
            << c.what;
        // The rebuilt rows are marked again from their Z.
        CutObject marked = o;
        markCuts(marked);
        EXPECT_EQ(o.marker, marked.marker) << c.what;
        EXPECT_EQ(o.cutNumber, marked.cutNumber) << c.what;
    }
}

// 226 closed and 29 open cuts entered on their first inside rows (trial 0), anywhere
// "Valider" does not ask about (1), anywhere (2), in reverse order: the drawn segments
// stay exactly those of the drawing unless "Valider" asked.
TEST(ReorderCuts, KeepsGearSampleSegmentsUnlessAnOpenCutIsEnteredInItsMiddle) {
    ScriptedDialogs dialogs;
    DrawingForm form(dialogs);
    form.loadAngleTables();
    ASSERT_TRUE(form.importDxf(TARVEL_TESTDATA_DIR "/drawing/gear-sample.dxf"));
    auto segments = [](const CutObject& o) {  // unordered point pairs of consecutive inside rows
        using Point = std::pair<std::string_view, std::string_view>;
        std::multiset<std::set<Point>> drawn;
        for (std::size_t i = 1; i < o.rows(); ++i)
            if (o.z[i - 1] != "0" && o.z[i] != "0") drawn.insert({Point{o.x[i - 1], o.y[i - 1]}, Point{o.x[i], o.y[i]}});
        return drawn;
    };
    std::mt19937 random(2026);
    for (int trial = 0; trial < 3; ++trial) {
        CutObject o = form.object;
        bool asked = false;
        for (std::size_t cut = 0, d = 0, f = 0; cut < 255; ++cut, d = f + 1) {
            for (f = d + 1; o.marker[f] != "F";) ++f;
            std::size_t e = d + 1 + (trial == 0 ? 0 : random() % (f - d - 1));
            if (trial == 1 && openCutEntry(o, e)) e = d + 1;
            asked = asked || openCutEntry(o, e);
            o.entryMark.set(e, std::to_string(255 - cut));  // the last cut first
        }
        ASSERT_TRUE(reorderCuts(o, dialogs)) << trial;
        EXPECT_EQ(asked, trial == 2);
        EXPECT_EQ(segments(o) == segments(form.object), !asked) << trial;
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

TEST(EntryPointForm, ConfirmEntryOffersTheNextNumberRefusesTextAndAsksInsideAnOpenCut) {
    const std::string question =
        "La coupe n° 1 est ouverte : ses deux extrémités sont à 40,2 mm l'une de l'autre. Avec un point d'entrée "
        "ailleurs qu'à son début ou à sa fin, la réorganisation la parcourt comme un contour fermé : elle ajoute un "
        "segment de 30,15 mm qui n'est pas dans le dessin et retire son dernier segment (10,05 mm). Le placer quand même ?";
    // fieldAfter "": refused, the window stays open. Unscripted, the default button answers.
    for (auto [field, row, closed, yes, fieldAfter, asked] :
         {std::tuple{"9", std::size_t{1}, false, false, "10", false}, {"2,5", 5, false, false, "3,5", false},
          {"2.5", 1, false, false, "", false}, {"1", 2, true, false, "2", false}, {"1", 2, false, false, "", true},
          {"1", 3, false, true, "2", true}}) {
        ScriptedDialogs dialogs;
        if (yes) dialogs.confirmAnswers = {true};
        CutObject o = objectFromZ(kContour);
        if (closed) o.y.set(5, "10"), o.x.set(5, "1");
        EntryPointForm form(dialogs);
        form.show();
        form.orderNumber = field;
        const bool refused = *fieldAfter == 0;
        EXPECT_EQ(form.confirmEntry(o, static_cast<int>(row)), refused ? std::nullopt : std::optional(row)) << row;
        EXPECT_EQ(o.entryMark[row], refused ? "." : field) << row;
        EXPECT_EQ(form.orderNumber, refused ? field : fieldAfter) << row;
        EXPECT_EQ(form.visible, refused) << row;
        EXPECT_EQ(dialogs.toldTexts(), Texts(refused && !asked, drawingmessages::kOrderNumberNotANumber.text));
        EXPECT_EQ(dialogs.asked.size(), std::size_t{asked}) << row;
        EXPECT_EQ(asked ? dialogs.asked.at(0).text : question, question) << row;
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
