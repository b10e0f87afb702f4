#include "manual/manualform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "config/machineconfig.h"
#include "cutting/cuttingwindow.h"
#include "support/scripteddialogs.h"
#include "support/tempdir.h"

namespace tarvel {
namespace {

using testing::ScriptedDialogs;
using testing::TempDir;

struct Opened {
    ManualForm form;
    ScriptedDialogs dialogs;
};

Opened openIn(const TempDir& dir) {
    Opened o;
    openManualWindow(o.form, o.dialogs, Paths{dir.str(), dir.str(), {}});
    return o;
}

TEST(OpenManualWindow, CopiesTheConfigurationAndCreatesTheArrowSettingsOrSaysItIsMissing) {
    TempDir dir;
    dir.write("tarvelman.cfg", "1,1,1\r\n");
    const Opened none = openIn(dir);
    EXPECT_EQ(none.dialogs.toldTexts(), std::vector{config_messages::kMissingForManual.text});
    EXPECT_EQ(std::tuple(none.form.stepsPerMmX, none.form.configurationRead()), std::tuple("120", false));
    EXPECT_EQ(none.form.arrows, JogSettings{});  // the settings file is not read either

    std::filesystem::remove(dir.file("tarvelman.cfg"));
    MachineConfig config = MachineConfig::defaults();
    config.stepsPerMmY = "12,5", config.toolDescentZ = "2,5", config.portNumber = "2", config.zDirWeight = "64";
    ASSERT_FALSE(saveMachineConfig(config, dir.file("tarvel1.cfg")).has_value());
    const Opened o = openIn(dir);
    EXPECT_TRUE(o.dialogs.told.empty());
    EXPECT_EQ(std::tuple(o.form.stepsPerMmY, o.form.toolDescentZ, o.form.port, o.form.zDirWeight),
              std::tuple("12,5", "2,5", 632, "64"));
    EXPECT_EQ(TempDir::read(dir.file("tarvelman.cfg")), "\"0\",\"0\",\"0\"\r\n");
    dir.write("tarvelman.cfg", "1,0,1\r\n");
    EXPECT_EQ(openIn(dir).form.arrows, (JogSettings{true, false, true}));
}

// The flags are read once, with the configuration: the cutting form and the manual form
// both take each axis's own flag as read.
TEST(InversionFlags, EveryWindowTakesEachAxisFlagAsTheConfigurationReadsIt) {
    const auto bits = [](bool x, bool y, bool z) { return std::string{char('0' + x), char('0' + y), char('0' + z)}; };
    const std::pair<const char*, std::string> cases[] = {
        {"2, 1,1.0", "011"}, {"1,0,0", "100"}, {"0,1,0", "010"}, {"0,0,\"1,0\"", "001"}};
    for (const auto& [flags, expected] : cases) {
        SCOPED_TRACE(flags);
        TempDir dir;
        std::string line;
        for (int i = 0; i < 25; ++i) line += "\"20\",";
        dir.write("tarvel1.cfg", line + flags + "\r\n");
        const auto config = loadMachineConfig(dir.file("tarvel1.cfg"));
        ASSERT_TRUE(config.has_value());
        EXPECT_EQ(bits(config->invertX, config->invertY, config->invertZ), expected);

        ScriptedDialogs dialogs;
        CuttingForm cutting;
        openCuttingWindowWith(cutting, dialogs, dir.file("tarvel1.cfg"), "");
        EXPECT_EQ(cutting.invertX + "|" + cutting.invertY + "|" + cutting.invertZ,
                  (std::string{expected[0], '|', expected[1], '|', expected[2]}));

        const Opened o = openIn(dir);
        EXPECT_EQ(bits(o.form.invertX, o.form.invertY, o.form.invertZ), expected);
    }
}

// One flag set at a time, so that two boxes saved in each other's place fail.
TEST(SaveArrowSettings, WritesEachBoxInItsOwnPlaceOrSaysWhyTheFileIsKept) {
    TempDir dir;
    ScriptedDialogs dialogs;
    const std::pair<JogSettings, const char*> cases[] = {
        {{true, false, false}, "1,0,0\r\n"}, {{false, true, false}, "0,1,0\r\n"}, {{false, false, true}, "0,0,1\r\n"}};
    ManualForm form;
    for (const auto& [arrows, line] : cases) {
        form.arrows = arrows;
        EXPECT_TRUE(saveArrowSettings(form, dialogs, Paths{dir.str(), dir.str(), {}}));
        EXPECT_EQ(TempDir::read(dir.file("tarvelman.cfg")), line);
    }
    // A directory in the way of the rename: the message, the old file, no temporary left.
    std::filesystem::create_directories(dir.file("blocked/tarvelman.cfg/inside"));
    EXPECT_FALSE(saveArrowSettings(form, dialogs, Paths{dir.file("blocked"), dir.str(), {}}));
    ASSERT_EQ(dialogs.told.size(), 1u);
    EXPECT_NE(dialogs.told[0].text.find("n'a pas pu être enregistré dans tarvelman.cfg. Impossible d'écrire"),
              std::string::npos);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("blocked")), {}), 1);
    EXPECT_EQ(TempDir::read(dir.file("tarvelman.cfg")), "0,0,1\r\n");
}

TEST(LoadJogSettings, OnlyTheNumberOneSetsAFlag) {
    const std::pair<std::string, JogSettings> cases[] = {
        {"\"0\",\"0\",\"0\"\r\n", {false, false, false}}, {"1,0,1\r\n", {true, false, true}},
        {"\"1\",\"1\",\"1\"\r\n", {true, true, true}},
        {"\"1,0\",2,-1\r\n", {true, false, false}},  // quoted: 1,0 reads as one
        {"0,1", {false, true, false}}, {"oui,X,\r\n", {false, false, false}}, {"", {false, false, false}},
        {std::string("\xff\x00\x01,1", 5), {false, true, false}},
    };
    TempDir dir;
    for (const auto& [file, expected] : cases) EXPECT_EQ(loadJogSettings(dir.write("m.cfg", file)), expected) << file;
}

}  // namespace
}  // namespace tarvel
