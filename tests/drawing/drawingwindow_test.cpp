// The drawing window's commands: "Charger" for each file type, "Sauver", "Ouvrir un fichier"
// and the edit of a Y value.
#include "drawing/drawingwindow.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/files.h"
#include "common/paths.h"
#include "drawing/drawingmessages.h"
#include "support/scripteddialogs.h"
#include "support/joined.h"
#include "support/tempdir.h"

namespace tarvel {
namespace {

using testing::TempDir;
using Texts = std::vector<std::string>;
namespace msg = drawingmessages;

// Also remembers the text each input box offered.
struct Dialogs : testing::ScriptedDialogs {
    Texts offered;
    std::optional<std::string> ask(const Message& m, std::string_view o) override {
        offered.emplace_back(o);
        return ScriptedDialogs::ask(m, o);
    }
};

const char* const kTwoCuts =
    "0,0,0\r\n\"1\",\"1\",\"1\"\r\n\"2\",\"2\",\"0\"\r\n\"3\",\"3\",\"0\"\r\n\"4\",\"4\","
    "\"1\"\r\n0,0,0\r\n";

// A window as the user leaves it before a command: an object shown, a row selected, the
// file type `type` chosen.
struct Window {
    TempDir scratch;
    Dialogs dialogs;
    DrawingForm form{dialogs};
    explicit Window(FileType type = FileType::Fra) {
        form.paths = {executableDirectory(), scratch.str(), {}};
        form.object.appendRow("7", "8", "0", "D", ".", "1");
        form.object.cutCount = "4";
        form.zoom = 2;
        form.selectedRow = 0;
        form.chooseFileTypeFromMenu(type);
    }
    // Rows as "x;marker;cutNumber;entryMark".
    Texts rows() const {
        Texts r;
        const CutObject& o = form.object;
        for (std::size_t i = 0; i < o.rows(); ++i)
            r.push_back(testing::joined({o.x[i], o.marker[i], o.cutNumber[i], o.entryMark[i]}));
        return r;
    }
    bool untouched() const {
        return rows() == Texts{"7;D;.;1"} && form.object.cutCount == "4" && form.zoom == 2 &&
               form.selectedRow == 0 && form.verticalScroll == 0 && form.saveShown();
    }
};

TEST(DrawingFormLoad, LoadsEachFileTypeHidesTheFileControlsAndResetsTheWindow) {
    TempDir dir;
    const struct {
        FileType type;
        std::string file;
        std::size_t rows;
        const char* cuts;  // a DAT import keeps the count
        int scroll;
        const char* told;
    } cases[] = {
        {FileType::Fra, dir.write("p.fra", kTwoCuts), 6, "2", 50, nullptr},
        {FileType::Dxf, TARVEL_TESTDATA_DIR "/drawing/r12-drawing.dxf", 99, "6", 0, "1 ARC, 1 TEXT"},
        {FileType::Dat, dir.write("profil.dat", "T\r\n1 0\r\n0.5 0.25\r\n"), 4, "4", 0, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        Window w(c.type);
        w.form.fileName = c.file;
        EXPECT_TRUE(w.form.load());
        EXPECT_EQ(std::make_tuple(w.form.zoom, w.form.verticalScroll, w.form.selectedRow),
                  std::make_tuple(0.35, c.scroll, -1));
        EXPECT_EQ(w.form.object.rows(), c.rows);
        EXPECT_EQ(w.form.object.entryMark, Texts(c.rows, "."));
        EXPECT_EQ(w.form.object.cutCount, c.cuts);
        EXPECT_FALSE(w.form.fileControlsVisible);
        EXPECT_EQ(w.form.fileType, FileType::None);
        EXPECT_TRUE(std::filesystem::is_empty(w.scratch.path()));  // the import's own folder is gone
        ASSERT_EQ(w.dialogs.told.size(), c.told ? 1u : 0u);
        if (!c.told) continue;
        EXPECT_EQ(w.dialogs.told[0].icon, Icon::Information);
        EXPECT_NE(w.dialogs.told[0].text.find(c.told), std::string::npos);
    }
}

TEST(DrawingFormLoad, RefusesMoreRowsThanTheLimitAndKeepsTheObjectShown) {
    TempDir dir;
    const struct {
        FileType type;
        std::string file;
        std::size_t rows;
    } cases[] = {
        {FileType::Fra, dir.write("p.fra", kTwoCuts), 6},
        {FileType::Dxf, TARVEL_TESTDATA_DIR "/drawing/r12-drawing.dxf", 99},
        {FileType::Dat, dir.write("profil.dat", "T\r\n1 0\r\n0.5 0.25\r\n"), 4},
    };
    for (const auto& c : cases) {
        for (std::size_t limit : {c.rows - 1, c.rows}) {
            SCOPED_TRACE(c.file + " limit " + std::to_string(limit));
            Window w(c.type);
            w.form.maxRows = limit;
            w.form.fileName = c.file;
            const bool loaded = w.form.load();
            EXPECT_EQ(loaded, limit == c.rows);
            EXPECT_EQ(w.form.object.rows(), loaded ? c.rows : 1u);
            if (loaded) continue;
            EXPECT_EQ(w.rows(), Texts{"7;D;.;1"});
            EXPECT_EQ(w.form.object.cutCount + ";" + std::to_string(w.form.selectedRow), "4;0");
            EXPECT_TRUE(w.form.loadShown());
            EXPECT_EQ(w.dialogs.toldTexts(), Texts{msg::tooManyRows(limit).text});
        }
    }
}

TEST(DrawingFormLoad, FailuresKeepTheCountAndTheFileControls) {
    TempDir dir;
    const Texts untouched = {"7;D;.;1"};
    const struct {
        FileType type;
        std::string name;
        Texts told;
        double zoom;
        int selected;
        Texts rows;
    } cases[] = {
        {FileType::Fra, "", {msg::kNoFileName.text}, 2, 0, untouched},
        {FileType::Fra, dir.file("absent.fra"), {msg::kFileNotFound.text}, 2, 0, untouched},
        {FileType::None, dir.write("p.fra", kTwoCuts), {}, 2, 0, untouched},
        // A short last record: the rows before it stay.
        {FileType::Fra, dir.write("short.fra", "0,0,0\r\n\"1,5\",\"2\",\"1\"\r\n\"3\",\"4\"\r\n"),
         {msg::kIncompatibleFra.text}, 0.35, -1,
         {"0;D;.;.", "1,5;0;1;."}},
        // The DXF import sets the zoom before its checks.
        {FileType::Dxf, "", {msg::kNoFileName.text}, 0.35, 0, untouched},
        {FileType::Dxf, dir.file("absent.dxf"), {msg::kFileNotFound.text}, 0.35, 0, untouched},
        {FileType::Dxf, dir.write("coupe.dxf", "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n"),
         {msg::kDxfNoEndsec.text}, 0.35, -1, {}},
        {FileType::Dat, dir.write("vide.dat", ""), {msg::kDatUnusable.text}, 0.35, -1, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Window w(c.type);
        w.form.fileName = c.name;
        EXPECT_FALSE(w.form.load());
        EXPECT_EQ(w.dialogs.toldTexts(), c.told);
        EXPECT_EQ(std::make_pair(w.form.zoom, w.form.selectedRow), std::make_pair(c.zoom, c.selected));
        EXPECT_EQ(w.rows(), c.rows);
        EXPECT_EQ(w.form.object.cutCount, "4");
        EXPECT_EQ(w.form.verticalScroll, 0);
        EXPECT_TRUE(w.form.fileControlsVisible);
    }

    Window noTables(FileType::Dxf);
    noTables.form.paths.programDir = dir.str();
    noTables.form.loadAngleTables();
    noTables.form.fileName = TARVEL_TESTDATA_DIR "/drawing/r12-drawing.dxf";
    EXPECT_FALSE(noTables.form.load());
    ASSERT_EQ(noTables.dialogs.told.size(), 1u);
    EXPECT_EQ(noTables.dialogs.told[0].title, "Tables d'angles");
    EXPECT_EQ(noTables.rows(), untouched);
}

TEST(DrawingFormSave, SavesRecordsLastObjectFileAndLeavesOrKeepsAllOnAWriteError) {
    TempDir dir;
    Window w;
    std::string lastObjectFile = "ancien.fra";
    w.form.fileName = dir.file("absent/piece");
    EXPECT_EQ(w.form.save(lastObjectFile), AfterCommand::Stay);
    EXPECT_EQ(w.dialogs.toldTexts(), Texts{msg::kWriteError.text});
    EXPECT_EQ(lastObjectFile, "ancien.fra");
    EXPECT_TRUE(w.untouched());
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

    w.form.fileName = dir.file("piece");
    EXPECT_EQ(w.form.save(lastObjectFile), AfterCommand::OpenCuttingWindow);
    EXPECT_EQ(lastObjectFile, dir.file("piece.fra"));
    EXPECT_TRUE(std::filesystem::exists(lastObjectFile));
    EXPECT_FALSE(w.form.fileControlsVisible || w.form.fileType != FileType::None);
}

TEST(EditedYText, CommaByPositionAndLeadingValue) {
    // Below 10 the second character, above 9 the third: both for 9 < value < 10.
    const std::pair<const char*, const char*> cases[] = {
        {"5.25", "5,25"},   {"12.5", "12,5"}, {"10.5", "10,5"}, {"123.5", "123.5"}, {"-5.5", "-5.5"},
        {"1.2.3", "1,2.3"}, {"+9.5", "+9,5"}, {"9..", "9,."},   {"", ""},           {"é.5", "é,5"}};
    for (auto [typed, stored] : cases) EXPECT_EQ(editedYText(typed), stored) << typed;
}

TEST(DrawingFormEditY, StoresAnswerAndMovesSelection) {
    struct Case {
        int selected;
        std::optional<std::string> answer;
        Texts y;
        int selectedAfter;
    };
    for (const Case& c : {Case{0, "4.5", {"4,5", "b", "c"}, 1}, Case{2, "", {"a", "b", ""}, 2},
                          Case{1, std::nullopt, {"a", "b", "c"}, 1}, Case{-1, "4", {"a", "b", "c"}, -1}}) {
        Dialogs dialogs;
        DrawingForm form(dialogs);
        for (const char* y : {"a", "b", "c"}) form.object.appendRow("0", y, "0", "D", ".", ".");
        form.selectedRow = c.selected;
        dialogs.askAnswers.push_back(c.answer);
        EXPECT_EQ(form.editY(), c.selected >= 0 && c.answer.has_value());
        EXPECT_EQ(form.object.y, c.y);
        EXPECT_EQ(form.selectedRow, c.selectedAfter);
        if (c.selected < 0) {
            EXPECT_TRUE(dialogs.asked.empty());
            continue;
        }
        EXPECT_EQ(dialogs.asked.at(0).text + "|" + dialogs.asked[0].title, "Nouvelle valeur|Modification");
        EXPECT_EQ(dialogs.offered.at(0), Texts({"a", "b", "c"})[static_cast<std::size_t>(c.selected)]);
    }
}

TEST(DrawingFormOpenFromMenu, LoadsOnlyNamesEndingInLowerCaseFra) {
    TempDir dir;
    for (const auto& chosen : {std::optional<std::string>(), std::optional(dir.write("P.FRA", kTwoCuts))}) {
        Window w;
        w.dialogs.openAnswers.push_back(chosen);
        EXPECT_FALSE(w.form.openFromMenu());
        ASSERT_EQ(w.dialogs.told.size(), 1u);
        EXPECT_EQ(w.dialogs.told[0].text + "|" + w.dialogs.told[0].title, "action annulée.|Mauvaise saisie !");
        EXPECT_EQ(w.dialogs.told[0].icon, Icon::Error);
        EXPECT_TRUE(w.untouched());
    }
    Window w;
    w.dialogs.openAnswers.push_back(dir.write("p.fra", kTwoCuts));
    EXPECT_TRUE(w.form.openFromMenu());
    EXPECT_TRUE(w.dialogs.told.empty());
    EXPECT_EQ(w.form.object.cutCount, "2");
}

}  // namespace
}  // namespace tarvel
