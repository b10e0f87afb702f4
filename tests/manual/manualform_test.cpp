#include "manual/manualform.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "config/machineconfig.h"
#include "support/scripteddialogs.h"
#include "support/tempdir.h"

namespace tarvel {
namespace {

using testing::ScriptedDialogs;
using testing::TempDir;

Paths pathsIn(const TempDir& dir) {
    return {dir.str(), dir.str()};
}

TEST(OpenManualWindow, WithoutConfigurationTellsAndKeepsTheDesignValues) {
    TempDir dir;
    dir.write("tarvelman.cfg", "1,1,1\r\n");
    ScriptedDialogs dialogs;
    ManualForm form;
    openManualWindow(form, dialogs, pathsIn(dir));

    ASSERT_EQ(dialogs.told.size(), 1u);
    EXPECT_EQ(dialogs.told[0].text, "Veuillez configurer sinon ... ");
    EXPECT_EQ(dialogs.told[0].title, "on ne me la fait pas à moi !!!");
    EXPECT_EQ(dialogs.told[0].icon, Icon::Question);
    EXPECT_EQ(form.stepsPerMmX, "120");
    EXPECT_EQ(form.speedCoefficient, "0,01");
    EXPECT_EQ(form.speedDisplay(), 80);
    EXPECT_FALSE(form.configurationRead());
    EXPECT_EQ(form.arrows, JogSettings{});  // the settings file is not read either
}

TEST(OpenManualWindow, CopiesTheConfigurationAndCreatesTheArrowSettings) {
    TempDir dir;
    MachineConfig config = MachineConfig::defaults();
    config.stepsPerMmY = "12,5";
    config.speedCoefficient = "0,05";
    config.toolDescentZ = "2,5";
    config.portNumber = "2";
    config.zDirWeight = "64";
    config.invertX = 1;
    config.invertZ = 1;
    ASSERT_FALSE(saveMachineConfig(config, dir.file("tarvel1.cfg")).has_value());

    ScriptedDialogs dialogs;
    ManualForm form;
    openManualWindow(form, dialogs, pathsIn(dir));

    EXPECT_TRUE(dialogs.told.empty());
    EXPECT_EQ(form.stepsPerMmX, "20");
    EXPECT_EQ(form.stepsPerMmY, "12,5");
    EXPECT_EQ(form.speedCoefficient, "0,05");
    EXPECT_EQ(form.toolDescentZ, "2,5");
    EXPECT_EQ(form.port, 632);
    EXPECT_EQ(form.xDirWeight, "1");
    EXPECT_EQ(form.zDirWeight, "64");
    EXPECT_EQ(form.zClockWeight, "32");
    EXPECT_TRUE(form.invertX);
    EXPECT_FALSE(form.invertY);
    EXPECT_TRUE(form.invertZ);
    EXPECT_EQ(form.moveDistanceMm, "1");  // the window's own values stay
    EXPECT_EQ(form.delaySetting, 20);
    EXPECT_EQ(TempDir::read(dir.file("tarvelman.cfg")), "\"0\",\"0\",\"0\"\r\n");
    EXPECT_EQ(form.arrows, JogSettings{});
}

TEST(OpenManualWindow, ChecksTheArrowBoxesTheFileHolds) {
    TempDir dir;
    ASSERT_FALSE(saveMachineConfig(MachineConfig::defaults(), dir.file("tarvel1.cfg")).has_value());
    dir.write("tarvelman.cfg", "1,0,1\r\n");
    ScriptedDialogs dialogs;
    ManualForm form;
    openManualWindow(form, dialogs, pathsIn(dir));
    EXPECT_EQ(form.arrows, (JogSettings{true, false, true}));
    EXPECT_EQ(form.port, 888);
}

TEST(OpenManualWindow, ArrowSettingsThatCannotBeCreatedAreToldAndLeftUninverted) {
    TempDir dir;
    ASSERT_FALSE(saveMachineConfig(MachineConfig::defaults(), dir.file("tarvel1.cfg")).has_value());
    std::filesystem::create_directories(dir.file("tarvelman.cfg") + "/in-the-way");
    ScriptedDialogs dialogs;
    ManualForm form;
    openManualWindow(form, dialogs, pathsIn(dir));
    ASSERT_EQ(dialogs.told.size(), 1u);
    EXPECT_NE(dialogs.told[0].text.find("tarvelman.cfg"), std::string::npos);
    EXPECT_TRUE(form.configurationRead());  // moves still work, arrows not inverted
    EXPECT_EQ(form.arrows, JogSettings{});
}

TEST(SaveArrowSettings, WritesTheBoxesOrSaysWhyTheFileIsKept) {
    TempDir dir;
    ScriptedDialogs dialogs;
    ManualForm form;
    form.arrows = {false, true, true};
    EXPECT_TRUE(saveArrowSettings(form, dialogs, pathsIn(dir)));
    EXPECT_EQ(TempDir::read(dir.file("tarvelman.cfg")), "0,1,1\r\n");
    EXPECT_TRUE(dialogs.told.empty());

    const Paths gone{dir.file("removed"), dir.str()};
    EXPECT_FALSE(saveArrowSettings(form, dialogs, gone));
    ASSERT_EQ(dialogs.told.size(), 1u);
    EXPECT_EQ(dialogs.told[0].title, "Manettes virtuelles");
    EXPECT_NE(dialogs.told[0].text.find("Impossible d'écrire"), std::string::npos);
}

}  // namespace
}  // namespace tarvel
