#include "drawing/drawingwindow.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "drawing/drawingmessages.h"
#include "support/scripteddialogs.h"
#include "support/tempdir.h"

namespace tarvel {
namespace {

using testing::TempDir;
using Texts = std::vector<std::string>;

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

// A window as the user leaves it before a command: an object shown, a row selected.
struct Window {
    Dialogs dialogs;
    DrawingForm form{dialogs};
    Window() {
        form.object.appendRow("7", "8", "0", "D", ".", "1");
        form.object.cutCount = "4";
        form.zoom = 2;
        form.selectedRow = 0;
        form.chooseFileTypeFromMenu(FileType::Fra);
    }
    bool untouched() const {
        return form.object.x == Texts{"7"} && form.object.cutCount == "4" && form.zoom == 2 &&
               form.selectedRow == 0 &&
               form.verticalScroll == 0 && form.sauverShown();
    }
};

TEST(DrawingFormCharger, LoadsUnderFraAndResetsTheWindow) {
    TempDir dir;
    Window w;
    w.form.fileName = dir.write("p.fra", kTwoCuts);
    EXPECT_TRUE(w.form.charger());
    EXPECT_TRUE(w.dialogs.told.empty());
    EXPECT_EQ(w.form.object.entryMark, Texts(6, "."));
    EXPECT_EQ(w.form.object.cutCount, "2");
    EXPECT_EQ(std::make_tuple(w.form.zoom, w.form.verticalScroll, w.form.selectedRow), std::make_tuple(0.35, 50, -1));
    EXPECT_EQ(w.form.fileType, FileType::None);
    EXPECT_FALSE(w.form.fileControlsVisible);
}

TEST(DrawingFormCharger, ShortLastRecordKeepsRowsBeforeItCountFieldAndControls) {
    TempDir dir;
    Window w;
    w.form.fileName = dir.write("p.fra", "0,0,0\r\n\"1,5\",\"2\",\"1\"\r\n\"3\",\"4\"\r\n");
    EXPECT_FALSE(w.form.charger());
    ASSERT_EQ(w.dialogs.told.size(), 1u);
    EXPECT_EQ(w.dialogs.told[0].text + "|" + w.dialogs.told[0].title,
              "Saisie incompatible! Le fichier FRA choisi n'est pas utilisable.|Mauvaise saisie !");
    EXPECT_EQ(w.form.object.x, (Texts{"0", "1,5"}));
    EXPECT_EQ(w.form.object.marker, (Texts{"D", "0"}));
    EXPECT_EQ(w.form.object.cutNumber, (Texts{".", "1"}));
    EXPECT_EQ(w.form.object.entryMark, (Texts{".", "."}));
    EXPECT_EQ(w.form.object.cutCount, "4");
    EXPECT_EQ(w.form.zoom, 0.35);
    EXPECT_EQ(w.form.verticalScroll, 0);
    EXPECT_TRUE(w.form.sauverShown());
}

TEST(DrawingFormCharger, NoNameNoFileOrNoChoiceChangesNothing) {
    TempDir dir;
    struct Case {
        std::string name;
        FileType type;
        Texts told;
    };
    for (const Case& c : {Case{"", FileType::Fra, {"Nom du fichier ?"}},
                          Case{dir.file("absent.fra"), FileType::Fra, {"Fichier introuvable !"}},
                          Case{dir.write("p.fra", kTwoCuts), FileType::None, {}}}) {
        Window w;
        w.form.fileType = c.type;
        w.form.fileName = c.name;
        EXPECT_FALSE(w.form.charger());
        EXPECT_EQ(w.dialogs.toldTexts(), c.told);
        w.form.fileType = FileType::Fra;
        EXPECT_TRUE(w.untouched()) << c.name;
    }
}

TEST(DrawingFormSauver, SavesRecordsLastObjectFileAndLeavesOrKeepsAllOnAWriteError) {
    TempDir dir;
    Window w;
    std::string lastObjectFile = "ancien.fra";
    w.form.fileName = dir.file("absent/piece");
    EXPECT_EQ(w.form.sauver(lastObjectFile), AfterCommand::Stay);
    EXPECT_EQ(w.dialogs.toldTexts(), Texts{drawingmessages::kWriteError.text});
    EXPECT_EQ(lastObjectFile, "ancien.fra");
    EXPECT_TRUE(w.untouched());
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

    w.form.fileName = dir.file("piece");
    EXPECT_EQ(w.form.sauver(lastObjectFile), AfterCommand::OpenCuttingWindow);
    EXPECT_EQ(lastObjectFile, dir.file("piece.fra"));
    EXPECT_TRUE(std::filesystem::exists(lastObjectFile));
    EXPECT_FALSE(w.form.fileControlsVisible || w.form.fileType != FileType::None);
}

TEST(EditedYText, CommaByPositionAndLeadingValue) {
    const std::pair<const char*, const char*> cases[] = {
        {"5.25", "5,25"},   {"9.5", "9,5"},     {"12.5", "12,5"}, {"10.5", "10,5"},
        {"99.9", "99,9"},   {"123.5", "123.5"}, {"-5.5", "-5.5"}, {"-12.5", "-12.5"},
        {"1.2.3", "1,2.3"}, {"12,5", "12,5"},   {".5", ".5"},     {"+9.5", "+9,5"},
        {"9..", "9,."},     {"", ""},           {"é.5", "é,5"}};
    for (auto [typed, stored] : cases) EXPECT_EQ(editedYText(typed), stored) << typed;
}

TEST(DrawingFormEditY, StoresAnswerAndMovesSelection) {
    struct Case {
        int selected;
        std::optional<std::string> answer;
        Texts y;
        int selectedAfter;
        bool asked;
    };
    for (const Case& c :
         {Case{0, "4.5", {"4,5", "b", "c"}, 1, true}, Case{2, "", {"a", "b", ""}, 2, true},
          Case{1, std::nullopt, {"a", "b", "c"}, 1, true},
          Case{-1, "4", {"a", "b", "c"}, -1, false}}) {
        Dialogs dialogs;
        DrawingForm form(dialogs);
        for (const char* y : {"a", "b", "c"}) form.object.appendRow("0", y, "0", "D", ".", ".");
        form.selectedRow = c.selected;
        dialogs.askAnswers.push_back(c.answer);
        EXPECT_EQ(form.editY(), c.asked && c.answer.has_value());
        EXPECT_EQ(form.object.y, c.y);
        EXPECT_EQ(form.selectedRow, c.selectedAfter);
        ASSERT_EQ(dialogs.asked.size(), c.asked ? 1u : 0u);
        if (!c.asked) continue;
        EXPECT_EQ(dialogs.asked[0].text + "|" + dialogs.asked[0].title,
                  "Nouvelle valeur|Modification");
        EXPECT_EQ(dialogs.offered[0], Texts({"a", "b", "c"})[static_cast<std::size_t>(c.selected)]);
    }
}

TEST(DrawingFormOuvrir, LoadsOnlyNamesEndingInLowerCaseFra) {
    TempDir dir;
    for (const std::optional<std::string>& chosen :
         {std::optional<std::string>(), std::optional<std::string>(""),
          std::optional(dir.write("P.FRA", kTwoCuts)),
          std::optional(dir.write("p.txt", kTwoCuts))}) {
        Window w;
        w.dialogs.openAnswers.push_back(chosen);
        EXPECT_FALSE(w.form.ouvrirUnFichier());
        ASSERT_EQ(w.dialogs.told.size(), 1u);
        EXPECT_EQ(w.dialogs.told[0].text + "|" + w.dialogs.told[0].title,
                  "action annulée.|Mauvaise saisie !");
        EXPECT_EQ(w.dialogs.told[0].icon, Icon::Error);
        EXPECT_TRUE(w.untouched());
    }

    Window w;
    w.dialogs.openAnswers.push_back(dir.write("p.fra", kTwoCuts));
    EXPECT_TRUE(w.form.ouvrirUnFichier());
    EXPECT_TRUE(w.dialogs.told.empty());
    EXPECT_EQ(w.form.object.cutCount, "2");
}

}  // namespace
}  // namespace tarvel
