#include "cutting/cuttingwindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "config/machineconfig.h"
#include "cutting/cuttingmessages.h"
#include "cutting/jobparameters.h"
#include "support/scripteddialogs.h"
#include "support/tempdir.h"

namespace tarvel {
namespace {

namespace fs = std::filesystem;
namespace m = cutting_messages;
using testing::ScriptedDialogs;
using testing::TempDir;

class CuttingWindow : public ::testing::Test {
public:
    CuttingWindow() {
        paths.programDir = tmp.str();
        paths.scratchDir = tmp.str();
    }
    void saveConfig(const MachineConfig& c) { ASSERT_FALSE(saveMachineConfig(c, paths.configFile())); }
    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(tmp.path())) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    JobParameters details(const std::string& cuttingFile) const {
        JobParameters p;
        p.cuttingFeed = "40", p.objectFile = tmp.file("boite.fra"), p.scaleFactor = "2", p.stepsPerMmX = "25";
        p.description = "fond, bord", p.rapidFeed = "90", p.cuttingFile = cuttingFile, p.toolDescent = "3";
        p.stepsPerMmY = "26", p.stepsPerMmZ = "27";
        return p;
    }

    TempDir tmp;
    Paths paths;
    CuttingForm form;
    ScriptedDialogs dialogs;
};

TEST_F(CuttingWindow, OpensWithTheConfigurationFieldsAsText) {
    MachineConfig c = MachineConfig::defaults();
    c.stepsPerMmX = "12,5", c.toolDescentZ = "4", c.zClockWeight = "64", c.invertY = 1;
    c.portNumber = "2";  // the other numbers are portAddressFor's table
    saveConfig(c);
    openCuttingWindow(form, dialogs, paths, "/pieces/boîte.fra");
    EXPECT_TRUE(dialogs.told.empty());
    EXPECT_EQ(form.port, 632);
    const std::vector<std::string> got = {form.stepsPerMmX, form.stepsPerMmY, form.speedCoefficient, form.cuttingFeed,
                                          form.rapidFeed, form.toolDescent, form.toolChangeClearance,
                                          form.xDirWeight, form.zClockWeight, form.spareClockWeight, form.invertX,
                                          form.invertY, form.scaleFactor, form.objectFile, form.jobName};
    EXPECT_EQ(got, (std::vector<std::string>{"12,5", "20", "0,02", "50", "80", "4", "30", "1", "64", "128", "0",
                                             "1", "1", "/pieces/boîte.fra", "/pieces/boîte"}));
}

TEST_F(CuttingWindow, DetailsAndPackedPathsFollowTheirOwnRules) {
    struct Case {
        const char *cuttingFile, *forLoad, *forRewrite, *packed;
    };
    const Case cases[] = {
        {"piece.def", "piece.det", "piece.det", "piece.FRD"},
        {"piece.DEF", "piece.det", "piece.DEF.det", "piece.FRD"},
        {"piecedef", "piecedef.det", "piecedef.det", "piec.FRD"},
        {"pièce.Def", "pièce.Def.det", "pièce.Def.det", "pièce.FRD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cuttingFile);
        EXPECT_EQ(detailsPathForLoad(c.cuttingFile), c.forLoad);
        EXPECT_EQ(detailsPathForRewrite(c.cuttingFile), c.forRewrite);
        EXPECT_EQ(packedPathFor(c.cuttingFile), c.packed);
    }
}

TEST_F(CuttingWindow, LoadJobChecksInOrderAndChangesNothing) {
    tmp.write("piece.Def", "2\r\n");
    tmp.write("piece.Def.det", jobParametersRecord(details("x")));
    tmp.write("nodet.def", "2\r\n");
    tmp.write("short.def", "2\r\n");
    tmp.write("short.det", "\"40\",\"a.fra\"\r\n");
    const std::pair<std::string, Message> cases[] = {
        {"", m::kLoadNameEmpty},
        {tmp.file("absent.def"), m::kLoadFileNotFound},
        {tmp.file("piece.Def"), m::kLoadNotCuttingFile},
        {tmp.file("nodet.def"), {"introuvable", "", Icon::Error}},  // only a part of the text
        {tmp.file("short.def"), {"illisible", "", Icon::Error}},
    };
    for (const auto& [name, expected] : cases) {
        SCOPED_TRACE(name);
        form = CuttingForm();
        form.jobName = name;
        dialogs = ScriptedDialogs();
        EXPECT_FALSE(loadJob(form, dialogs));
        ASSERT_EQ(dialogs.told.size(), 1u);
        if (expected.title.empty()) {
            EXPECT_NE(dialogs.told[0].text.find(expected.text), std::string::npos) << dialogs.told[0].text;
        } else {
            EXPECT_EQ(dialogs.told[0].text, expected.text);
            EXPECT_EQ(dialogs.told[0].title, "Nom fichier ?");
            EXPECT_EQ(dialogs.told[0].icon, expected.icon);
        }
        EXPECT_EQ(form.scaleFactor, "1");
        EXPECT_EQ(form.jobName, name);
    }
}

TEST_F(CuttingWindow, RewriteDetailsReplacesTheFileOfItsName) {
    form.jobName = tmp.file("piece.DEF");
    form.description = "première";
    ASSERT_TRUE(rewriteDetails(form, dialogs));
    form.description = "seconde, plus longue";
    ASSERT_TRUE(rewriteDetails(form, dialogs));
    auto back = readJobParameters(tmp.file("piece.DEF.det"));
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, JobParameters::fromForm(form, tmp.file("piece.DEF")));
    EXPECT_EQ(files(), std::vector<std::string>{"piece.DEF.det"});

    form.jobName.clear();
    EXPECT_FALSE(rewriteDetails(form, dialogs));
    ASSERT_EQ(dialogs.told.size(), 1u);
    EXPECT_EQ(dialogs.told[0].text, m::kRewriteNameEmpty.text);
    EXPECT_EQ(files(), std::vector<std::string>{"piece.DEF.det"});
}

TEST_F(CuttingWindow, PackWritesOneLinePerRunOrNothingWithoutAUsableSource) {
    form.jobName = tmp.write("piece.def", "2\r\n2\r\n2\r\n3\r\n");
    ASSERT_TRUE(packJob(form, dialogs));
    EXPECT_EQ(TempDir::read(tmp.file("piece.FRD")), "2,3\r\n3,1\r\n");
    form.jobName = tmp.write("b.def", "49\r\n51\r\n49\r\n49\r\n");
    ASSERT_TRUE(packJob(form, dialogs));
    EXPECT_EQ(TempDir::read(tmp.file("b.FRD")), "49,1\r\n51,1\r\n49,2\r\n");
    EXPECT_TRUE(dialogs.told.empty());

    tmp.write("old.FRD", "5,5\r\n");
    const struct {
        std::string field, fileText;  // fileText written under field when not empty
        const char* part;
    } cases[] = {
        {"", "", "Saisir ou choisir d'abord"},
        {tmp.file("absent.def"), "", "introuvable"},
        {tmp.file("old.def"), "-", "est vide"},
        {tmp.file("old.def"), "2\r\nx\r\n", "la ligne 2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.part);
        if (!c.fileText.empty()) tmp.write("old.def", c.fileText == "-" ? "" : c.fileText);
        form.jobName = c.field;
        dialogs = ScriptedDialogs();
        EXPECT_FALSE(packJob(form, dialogs));
        ASSERT_EQ(dialogs.told.size(), 1u);
        EXPECT_NE(dialogs.told[0].text.find(c.part), std::string::npos) << dialogs.told[0].text;
        EXPECT_EQ(TempDir::read(tmp.file("old.FRD")), "5,5\r\n");
    }
}

TEST_F(CuttingWindow, OpenMenuSortsTheChoiceByItsLastThreeCharacters) {
    tmp.write("piece.det", jobParametersRecord(details("piece.def")));
    dialogs.openAnswers = {tmp.file("a.FRA"), std::nullopt, tmp.file("a.fra"), tmp.file("piece.def")};
    EXPECT_EQ(openFileFromMenu(form, dialogs), OpenedFile::Nothing);
    EXPECT_EQ(openFileFromMenu(form, dialogs), OpenedFile::Nothing);
    EXPECT_EQ(form.objectFile, "");
    EXPECT_EQ(openFileFromMenu(form, dialogs), OpenedFile::ObjectFile);
    EXPECT_EQ(form.objectFile, tmp.file("a.fra"));
    EXPECT_EQ(openFileFromMenu(form, dialogs), OpenedFile::CuttingFile);
    EXPECT_EQ(form.jobName, "piece.def");  // from the details file
    EXPECT_EQ(form.stepsPerMmZ, "27");
}

TEST_F(CuttingWindow, PreviewPlacesPointsByZoomAndBottomOffset) {
    form.objectFile = tmp.write("p.fra", "0,0,0\r\n\"10\",\"20\",\"1\"\r\n\"10,5\",\"x\",\"0\"\r\n0,0,0\r\n");
    Preview first = previewObject(form, kBottomAfterFieldChange, dialogs);
    // The point that is no number ends the drawing.
    ASSERT_EQ(first.lines.size(), 1u);
    EXPECT_EQ(first.lines[0], (PreviewLine{5, 55, 255, -445}));
    Preview zoomed = zoomOut(form, dialogs);
    EXPECT_EQ(form.previewZoom, 0.25);
    ASSERT_EQ(zoomed.lines.size(), 1u);
    EXPECT_EQ(zoomed.lines[0], (PreviewLine{5, 40, 130, -210}));
    Preview in = zoomIn(form, dialogs);
    EXPECT_EQ(form.previewZoom, 0.375);
    EXPECT_EQ(in.lines[0].x2, 5 + 50 * 10 * 0.375);
    for (std::string field : {tmp.str() + "/", tmp.file("absent.fra"), std::string()}) {
        form.objectFile = field;
        EXPECT_TRUE(previewObject(form, kBottomAfterFieldChange, dialogs).lines.empty()) << field;
    }
    EXPECT_TRUE(dialogs.told.empty());
}

TEST_F(CuttingWindow, PreviewOverflowHalvesTheZoomAndKeepsWhatWasDrawn) {
    form.objectFile =
        tmp.write("big.fra", "0,0,0\r\n\"100\",\"0\",\"1\"\r\n\"200000\",\"0\",\"1\"\r\n\"0\",\"0\",\"0\"\r\n");
    Preview p = previewObject(form, kBottomAfterFieldChange, dialogs);  // 200000 mm fits at 0.5
    EXPECT_FALSE(p.overflowed);
    EXPECT_EQ(p.lines.size(), 3u);
    for (int i = 0; i < 2; ++i) zoomIn(form, dialogs);  // 1.125: 11 250 005 still fits
    EXPECT_TRUE(dialogs.told.empty());
    Preview over = zoomIn(form, dialogs);  // 1.6875: 16 875 005 is beyond
    EXPECT_TRUE(over.overflowed);
    EXPECT_EQ(over.lines.size(), 1u);
    ASSERT_EQ(dialogs.told.size(), 1u);
    EXPECT_EQ(dialogs.told[0].text, "faire un zoom + petit (zoom-)!");
    EXPECT_EQ(dialogs.told[0].title, "Mauvaise saisie !");
    EXPECT_EQ(form.previewZoom, 1.6875 / 2);
}

}  // namespace
}  // namespace tarvel
