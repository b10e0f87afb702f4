#include "cutting/cuttingwindow.h"

#include <gtest/gtest.h>

#include <iterator>
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

// The one message told, compared whole.
void expectToldOnly(const ScriptedDialogs& d, const Message& e) {
    ASSERT_EQ(d.told.size(), 1u);
    EXPECT_EQ(std::tie(d.told[0].text, d.told[0].title, d.told[0].icon), std::tie(e.text, e.title, e.icon));
}

class CuttingWindow : public ::testing::Test {
public:
    CuttingWindow() {
        paths.programDir = tmp.str();
        paths.scratchDir = tmp.str();
    }
    std::ptrdiff_t fileCount() const { return std::distance(fs::directory_iterator(tmp.path()), {}); }
    // A details file of ten fields, Z steps per mm 27.
    static std::string details(const std::string& cuttingFile) {
        return "\"40\",\"b.fra\",\"2\",\"25\",\"fond\",\"90\",\"" + cuttingFile + "\",\"3\",\"26\",\"27\"\r\n";
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
    ASSERT_FALSE(saveMachineConfig(c, paths.configFile()));
    openCuttingWindow(form, dialogs, paths, "/pieces/boîte.fra");
    EXPECT_TRUE(dialogs.told.empty());
    EXPECT_EQ(form.port, 632);
    const std::vector<std::string> got = {
        form.stepsPerMmX, form.stepsPerMmY, form.speedCoefficient, form.cuttingFeed, form.rapidFeed,
        form.toolDescent, form.toolChangeClearance, form.xDirWeight, form.zClockWeight, form.spareClockWeight,
        form.invertX, form.invertY, form.scaleFactor, form.objectFile, form.jobName};
    EXPECT_EQ(got, (std::vector<std::string>{"12,5", "20", "0,02", "50", "80", "4", "30", "1", "64", "128", "0", "1",
                                             "1", "/pieces/boîte.fra", "/pieces/boîte"}));
}

TEST_F(CuttingWindow, DetailsAndPackedPathsFollowTheirOwnRules) {
    const struct {
        const char *cuttingFile, *forLoad, *forRewrite, *packed;
    } cases[] = {
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
    tmp.write("piece.Def.det", details("x"));
    tmp.write("nodet.def", "2\r\n");
    tmp.write("short.def", "2\r\n");
    tmp.write("short.det", "\"40\",\"a.fra\"\r\n");
    const std::pair<std::string, Message> cases[] = {
        {"", m::kLoadNameEmpty},
        {tmp.file("absent.def"), m::kLoadFileNotFound},
        {tmp.file("piece.Def"), m::kLoadNotCuttingFile},
        {tmp.file("nodet.def"), m::detailsFileMissing(tmp.file("nodet.det"))},
        {tmp.file("short.def"), m::detailsFileUnreadable(tmp.file("short.det"))},
    };
    for (const auto& [name, expected] : cases) {
        SCOPED_TRACE(name);
        form = CuttingForm();
        form.jobName = name;
        dialogs = ScriptedDialogs();
        EXPECT_FALSE(loadJob(form, dialogs));
        expectToldOnly(dialogs, expected);
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
    // A quote would shift the fields on reading: refused, the file as it was.
    const std::string before = TempDir::read(tmp.file("piece.DEF.det"));
    form.description = "Vis 1/4\", 3 mm";
    dialogs = ScriptedDialogs();
    EXPECT_FALSE(rewriteDetails(form, dialogs));
    expectToldOnly(dialogs, m::fieldHoldsQuote("Bloc note"));
    EXPECT_EQ(TempDir::read(tmp.file("piece.DEF.det")), before);
    dialogs = ScriptedDialogs();
    form.jobName.clear();
    EXPECT_FALSE(rewriteDetails(form, dialogs));
    expectToldOnly(dialogs, m::kRewriteNameEmpty);
    EXPECT_EQ(fileCount(), 1);
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
    const std::string old = tmp.file("old.def");
    const struct {
        std::string field;
        const char* fileText;  // written under old.def first when not null
        Message told;
    } cases[] = {
        {"", nullptr, m::kPackNameEmpty},
        {tmp.file("absent.def"), nullptr, m::packSourceMissing(tmp.file("absent.def"))},
        {old, "", m::packSourceEmpty(old)},
        {tmp.file("old.FRD"), nullptr, m::packTargetIsSource(tmp.file("old.FRD"))},
        {old, "2\r\nx\r\n", m::cutFileLineNotInteger(old, 2, "x")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.told.text);
        if (c.fileText) tmp.write("old.def", c.fileText);
        form.jobName = c.field;
        dialogs = ScriptedDialogs();
        EXPECT_FALSE(packJob(form, dialogs));
        expectToldOnly(dialogs, c.told);
        EXPECT_EQ(TempDir::read(tmp.file("old.FRD")), "5,5\r\n");
    }
}

TEST_F(CuttingWindow, OpenMenuSortsTheChoiceByItsLastThreeCharacters) {
    tmp.write("piece.det", details("piece.def"));
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
    form.objectFile = tmp.write("p.fra", "0,0,0\r\n\"10.0\",\"20\",\"1\"\r\n\"10,5\",\"x\",\"0\"\r\n0,0,0\r\n");
    using Lines = std::vector<PreviewLine>;
    // The point that is no number ends the drawing.
    EXPECT_EQ(previewObject(form, kBottomAfterFieldChange, dialogs).lines, (Lines{{5, 55, 255, -445}}));
    EXPECT_EQ(zoomOut(form, dialogs).lines, (Lines{{5, 40, 130, -210}}));
    EXPECT_EQ(form.previewZoom, 0.25);
    EXPECT_EQ(zoomIn(form, dialogs).lines.at(0).x2, 5 + 50 * 10 * 0.375);
    EXPECT_EQ(form.previewZoom, 0.375);
    for (std::string field : {tmp.str() + "/", tmp.file("absent.fra"), std::string()}) {
        form.objectFile = field;
        EXPECT_TRUE(previewObject(form, kBottomAfterFieldChange, dialogs).lines.empty()) << field;
    }
    EXPECT_TRUE(dialogs.told.empty());
}

TEST_F(CuttingWindow, PreviewOverflowHalvesTheZoomAndKeepsWhatWasDrawn) {
    form.objectFile =
        tmp.write("big.fra", "0,0,0\r\n\"100\",\"0\",\"1\"\r\n\"200000\",\"0\",\"1\"\r\n\"0\",\"0\",\"0\"\r\n");
    const Preview p = previewObject(form, kBottomAfterFieldChange, dialogs);  // 200000 mm fits at 0.5
    EXPECT_EQ(std::pair(p.overflowed, p.lines.size()), std::pair(false, std::size_t{3}));
    for (int i = 0; i < 2; ++i) zoomIn(form, dialogs);  // 1.125: 11 250 005 still fits
    EXPECT_TRUE(dialogs.told.empty());
    const Preview over = zoomIn(form, dialogs);  // 1.6875: 16 875 005 is beyond
    EXPECT_EQ(std::pair(over.overflowed, over.lines.size()), std::pair(true, std::size_t{1}));
    expectToldOnly(dialogs, m::kPreviewOverflow);
    EXPECT_EQ(form.previewZoom, 1.6875 / 2);
}

}  // namespace
}  // namespace tarvel
