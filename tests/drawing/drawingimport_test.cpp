// "Charger" under "Fichier DXF" and "Fichier DAT" in the drawing window.
#include <gtest/gtest.h>

#include <string>

#include "common/files.h"
#include "drawing/drawingmessages.h"
#include "drawing/drawingwindow.h"
#include "support/scripteddialogs.h"
#include "support/tempdir.h"

namespace tarvel {
namespace {

using testing::TempDir;

// A window showing an object, with the file-type choice `type` made.
struct Window {
    TempDir scratch;
    testing::ScriptedDialogs dialogs;
    DrawingForm form{dialogs};
    explicit Window(FileType type) {
        form.paths = {executableDirectory(), scratch.str(), {}};
        form.object.appendRow("7", "8", "0", "D", ".", "1");
        form.object.cutCount = "4";
        form.zoom = 2;
        form.selectedRow = 0;
        form.chooseFileTypeFromMenu(type);
    }
    void expectReset() const {
        EXPECT_EQ(form.zoom, 0.35);
        EXPECT_EQ(form.selectedRow, -1);
    }
};

const std::string kDrawing = TARVEL_TESTDATA_DIR "/drawing/r12-drawing.dxf";

TEST(DrawingFormImport, ImportHidesTheFileControlsAndResetsTheWindow) {
    TempDir dir;
    const struct {
        FileType type;
        std::string file;
        std::size_t rows;
        const char *cuts, *told;
    } cases[] = {
        {FileType::Dxf, kDrawing, 99, "6", "1 ARC, 1 TEXT"},
        {FileType::Dat, dir.write("profil.dat", "T\r\n1 0\r\n0.5 0.25\r\n"), 4, "4", nullptr},  // count kept
    };
    for (const auto& c : cases) {
        Window w(c.type);
        w.form.fileName = c.file;
        EXPECT_TRUE(w.form.charger());
        w.expectReset();
        EXPECT_EQ(w.form.object.rows(), c.rows);
        EXPECT_EQ(w.form.object.cutCount, c.cuts);
        EXPECT_FALSE(w.form.fileControlsVisible);
        EXPECT_EQ(w.form.fileType, FileType::None);
        ASSERT_EQ(w.dialogs.told.size(), c.told ? 1u : 0u);
        if (!c.told) continue;
        EXPECT_EQ(w.dialogs.told[0].icon, Icon::Information);
        EXPECT_NE(w.dialogs.told[0].text.find(c.told), std::string::npos);
        EXPECT_TRUE(fileExists(w.scratch.file("tempX")));
    }
}

TEST(DrawingFormImport, FailuresKeepTheWindowUsable) {
    TempDir dir;
    const std::string broken = dir.write("coupe.dxf", "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n");
    const struct {
        FileType type;
        std::string name, text;
        bool emptied;
    } cases[] = {
        {FileType::Dxf, "", "Nom du fichier ?", false},
        {FileType::Dxf, dir.file("absent.dxf"), "Fichier introuvable !", false},
        {FileType::Dxf, broken, drawingmessages::kDxfNoEndsec.text, true},
        {FileType::Dat, dir.write("vide.dat", ""), drawingmessages::kDatUnusable.text, true},
    };
    for (const auto& c : cases) {
        Window w(c.type);
        w.form.fileName = c.name;
        EXPECT_FALSE(w.form.charger());
        ASSERT_EQ(w.dialogs.told.size(), 1u);
        EXPECT_EQ(w.dialogs.told[0].text, c.text);
        EXPECT_EQ(w.form.zoom, 0.35);  // set before the checks
        EXPECT_EQ(w.form.object.empty(), c.emptied);
        EXPECT_EQ(w.form.object.cutCount, "4");
        EXPECT_TRUE(w.form.chargerShown());
    }

    Window noTables(FileType::Dxf);
    noTables.form.paths.programDir = dir.str();
    noTables.form.loadAngleTables();
    noTables.form.fileName = kDrawing;
    EXPECT_FALSE(noTables.form.charger());
    ASSERT_EQ(noTables.dialogs.told.size(), 1u);
    EXPECT_EQ(noTables.dialogs.told[0].title, "Tables d'angles");
    EXPECT_EQ(noTables.form.object.rows(), 1u);
}

}  // namespace
}  // namespace tarvel
