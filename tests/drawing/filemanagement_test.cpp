#include "drawing/filemanagement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "drawing/drawingmessages.h"
#include "support/scripteddialogs.h"
#include "support/tempdir.h"

namespace tarvel {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using Texts = std::vector<std::string>;

struct Window {
    testing::ScriptedDialogs dialogs;
    DrawingForm form{dialogs};
    FileLists lists;
    Texts told() const { return dialogs.toldTexts(); }
    Texts asked() const {
        Texts t;
        for (const Message& m : dialogs.asked) t.push_back(m.text);
        return t;
    }
};

// Directories first with ".." above them except at the root, then the files of the type
// chosen, each list sorted whatever the case; hidden entries left out.
TEST(FileLists, ListTheDirectoryAndFillTheFileNameField) {
    TempDir dir;
    const std::string pieces = dir.file("pieces");
    for (const char* d : {"Zeta", "alpha", ".cache"}) fs::create_directories(pieces + "/" + d);
    for (const char* name : {"boite.fra", "Aile.FRA", "plan.dxf", ".cachee.fra", "fra", "a.fra.bak", "naca.dat"})
        dir.write(std::string("pieces/") + name, "0,0,0\r\n");
    Window w;
    w.form.chooseFileTypeFromMenu(FileType::Fra);
    ASSERT_TRUE(changeDirectory(w.form, w.lists, w.dialogs, pieces));
    EXPECT_EQ(w.form.fileName, pieces + "/");
    EXPECT_EQ(w.lists.directoryText, pieces + "/");
    EXPECT_EQ(w.lists.directories, (Texts{"..", "alpha", "Zeta"}));
    EXPECT_EQ(w.lists.files, (Texts{"Aile.FRA", "boite.fra"}));
    const std::pair<FileType, Texts> types[] = {
        {FileType::Dxf, {"plan.dxf"}},
        {FileType::Dat, {"naca.dat"}},
        {FileType::None, {"a.fra.bak", "Aile.FRA", "boite.fra", "fra", "naca.dat", "plan.dxf"}}};
    for (const auto& [type, files] : types) {
        w.form.chooseFileTypeFromMenu(type);
        refreshFileList(w.form, w.lists);
        EXPECT_EQ(w.lists.files, files);
    }
    fileClicked(w.form, w.lists, "boite.fra");
    EXPECT_EQ(w.form.fileName, pieces + "/boite.fra");
    EXPECT_EQ(directoryEntryPath(w.lists, "alpha"), pieces + "/alpha");
    EXPECT_EQ(directoryEntryPath(w.lists, ".."), dir.str());
}

TEST(FileLists, AtTheRootTheNameFollowsTheSeparatorOnceAndUnreadableChangesNothing) {
    Window w;
    ASSERT_TRUE(changeDirectory(w.form, w.lists, w.dialogs, "/"));
    EXPECT_EQ(w.lists.directoryText, "/");
    EXPECT_EQ(std::count(w.lists.directories.begin(), w.lists.directories.end(), ".."), 0);
    fileClicked(w.form, w.lists, "a.dxf");
    EXPECT_EQ(w.form.fileName, "/a.dxf");
    EXPECT_EQ(directoryEntryPath(w.lists, ".."), "/");
    EXPECT_FALSE(changeDirectory(w.form, w.lists, w.dialogs, "/nonexistent-tarvel"));
    EXPECT_EQ(w.told(), Texts{"Impossible de lire le dossier /nonexistent-tarvel : dossier ou fichier introuvable."});
    EXPECT_EQ(std::tie(w.lists.directoryText, w.form.fileName), std::tuple("/", "/a.dxf"));
}

TEST(DeleteFile, AsksBeforeDeletingAndSaysWhyItCannot) {
    TempDir dir;
    const std::string file = dir.write("boite.fra", "0,0,0\r\n");
    fs::create_directories(dir.file("pieces"));
    const std::string cannot = "Impossible de supprimer le fichier ";
    const struct {
        std::string field;
        std::vector<bool> answers;
        std::string told;  // empty: nothing said
        bool asked, deleted;
    } cases[] = {
        {"", {}, drawingmessages::kNothingToDelete.text, false, false},
        {dir.str() + "/", {}, drawingmessages::kNothingToDelete.text, false, false},
        {file, {false}, "", true, false},
        {file, {}, "", true, false},  // No is the default button
        {dir.file("absent.fra"), {true}, cannot + dir.file("absent.fra") + " : dossier ou fichier introuvable.", true,
         false},
        {dir.file("pieces"), {true}, cannot + dir.file("pieces") + " : le nom désigne un dossier.", true, false},
        {file, {true}, "", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        Window w;
        w.form.fileName = c.field;
        w.dialogs.confirmAnswers.assign(c.answers.begin(), c.answers.end());
        EXPECT_EQ(deleteFile(w.form, w.dialogs), c.deleted);
        EXPECT_EQ(w.told(), c.told.empty() ? Texts{} : Texts{c.told});
        EXPECT_EQ(w.asked(), c.asked ? Texts{drawingmessages::kConfirmDelete.text} : Texts{});
        EXPECT_EQ(fs::exists(file), !c.deleted);
        EXPECT_TRUE(fs::is_directory(dir.file("pieces")));
    }
}

TEST(RenameFile, AsksTheNameThenConfirmsAndRefusesToReplace) {
    TempDir dir;
    const std::string file = dir.file("boite.fra");
    dir.write("pris.fra", "pris");
    fs::create_directories(dir.file("rangement"));
    const std::string cannot = "Impossible de renommer le fichier ";
    const struct {
        const char* what;
        std::string field;
        std::optional<std::string> name;
        std::vector<bool> answers;
        std::size_t questions;
        std::string told;     // empty: nothing said
        std::string movedTo;  // empty: the file stays
    } cases[] = {
        {"directory", dir.str() + "/", "x.fra", {true}, 0, drawingmessages::kNothingToRename.text, ""},
        {"cancelled", file, std::nullopt, {true}, 1, "", ""},
        {"said no", file, "x.fra", {false}, 2, "", ""},
        {"default no", file, "x.fra", {}, 2, "", ""},
        {"empty name", file, "", {true}, 2, cannot + file + " : le nouveau nom est vide.", ""},
        {"name in use", file, "pris.fra", {true}, 2,
         cannot + file + " en " + dir.file("pris.fra") + " : le fichier existe déjà.", ""},
        {"missing file", dir.file("absent.fra"), "y.fra", {true}, 2,
         cannot + dir.file("absent.fra") + " en " + dir.file("y.fra") + " : dossier ou fichier introuvable.", ""},
        {"renamed", file, "caisse.fra", {true}, 2, "", dir.file("caisse.fra")},
        {"moved by a full path", file, dir.file("rangement/caisse.fra"), {true}, 2, "",
         dir.file("rangement/caisse.fra")},
    };
    const Texts questions{drawingmessages::kAskNewName.text, drawingmessages::kConfirmRename.text};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        dir.write("boite.fra", "boite");
        Window w;
        w.form.fileName = c.field;
        w.dialogs.askAnswers = {c.name};
        w.dialogs.confirmAnswers.assign(c.answers.begin(), c.answers.end());
        EXPECT_EQ(renameFile(w.form, w.dialogs), !c.movedTo.empty());
        EXPECT_EQ(w.asked(), Texts(questions.begin(), questions.begin() + c.questions));
        EXPECT_EQ(w.told(), c.told.empty() ? Texts{} : Texts{c.told});
        EXPECT_EQ(fs::exists(file), c.movedTo.empty());
        EXPECT_EQ(c.movedTo.empty() ? "boite" : TempDir::read(c.movedTo), "boite");
        EXPECT_EQ(TempDir::read(dir.file("pris.fra")), "pris");
        EXPECT_FALSE(fs::exists(dir.file("x.fra")) || fs::exists(dir.file("y.fra")));
    }
}

TEST(MayReturnToMainWindow, StaysWhileXAndYListsDiffer) {
    Window w;
    EXPECT_TRUE(mayReturnToMainWindow(w.form, w.dialogs));
    w.form.object.x = {"1", "2"}, w.form.object.y = {"1"};
    EXPECT_FALSE(mayReturnToMainWindow(w.form, w.dialogs));
    EXPECT_EQ(w.told(), Texts{drawingmessages::kHomeListLengths.text});
}

}  // namespace
}  // namespace tarvel
