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

struct Opened {
    ManualForm form;
    ScriptedDialogs dialogs;
};

Opened openIn(const TempDir& dir) {
    Opened o;
    openManualWindow(o.form, o.dialogs, Paths{dir.str(), dir.str(), {}});
    return o;
}

TEST(OpenManualWindow, WithoutConfigurationTellsAndKeepsTheDesignValues) {
    TempDir dir;
    dir.write("tarvelman.cfg", "1,1,1\r\n");
    const Opened o = openIn(dir);
    ASSERT_EQ(o.dialogs.told.size(), 1u);
    EXPECT_EQ(o.dialogs.told[0].text, "Veuillez configurer sinon ... ");
    EXPECT_EQ(o.dialogs.told[0].title, "on ne me la fait pas à moi !!!");
    EXPECT_EQ(o.dialogs.told[0].icon, Icon::Question);
    EXPECT_EQ(o.form.stepsPerMmX, "120");
    EXPECT_FALSE(o.form.configurationRead());
    EXPECT_EQ(o.form.arrows, JogSettings{});  // the settings file is not read either
}

TEST(OpenManualWindow, CopiesTheConfigurationAndCreatesTheArrowSettings) {
    TempDir dir;
    MachineConfig config = MachineConfig::defaults();
    config.stepsPerMmY = "12,5";
    config.toolDescentZ = "2,5";
    config.portNumber = "2";
    config.zDirWeight = "64";
    config.invertZ = 1;
    ASSERT_FALSE(saveMachineConfig(config, dir.file("tarvel1.cfg")).has_value());

    const Opened o = openIn(dir);
    EXPECT_TRUE(o.dialogs.told.empty());
    EXPECT_EQ(o.form.stepsPerMmY, "12,5");
    EXPECT_EQ(o.form.toolDescentZ, "2,5");
    EXPECT_EQ(o.form.port, 632);
    EXPECT_EQ(o.form.zDirWeight, "64");
    EXPECT_TRUE(!o.form.invertX && !o.form.invertY && o.form.invertZ);
    EXPECT_EQ(TempDir::read(dir.file("tarvelman.cfg")), "\"0\",\"0\",\"0\"\r\n");

    dir.write("tarvelman.cfg", "1,0,1\r\n");
    EXPECT_EQ(openIn(dir).form.arrows, (JogSettings{true, false, true}));
}

TEST(SaveArrowSettings, WritesTheBoxesOrSaysWhyTheFileIsKept) {
    TempDir dir;
    ScriptedDialogs dialogs;
    ManualForm form;
    form.arrows = {false, true, true};
    EXPECT_TRUE(saveArrowSettings(form, dialogs, Paths{dir.str(), dir.str(), {}}));
    EXPECT_EQ(TempDir::read(dir.file("tarvelman.cfg")), "0,1,1\r\n");

    // A directory in the way of the rename: the message, the old file, no temporary left.
    std::filesystem::create_directories(dir.file("blocked/tarvelman.cfg/inside"));
    EXPECT_FALSE(saveArrowSettings(form, dialogs, Paths{dir.file("blocked"), dir.str(), {}}));
    ASSERT_EQ(dialogs.told.size(), 1u);
    EXPECT_NE(dialogs.told[0].text.find("Impossible d'écrire"), std::string::npos);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("blocked")), {}), 1);
    EXPECT_EQ(TempDir::read(dir.file("tarvelman.cfg")), "0,1,1\r\n");
}

}  // namespace
}  // namespace tarvel
