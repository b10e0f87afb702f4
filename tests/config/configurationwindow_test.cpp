#include "config/configurationwindow.h"

#include <gtest/gtest.h>

#include "support/scripteddialogs.h"
#include "support/tempdir.h"

namespace tarvel {
namespace {

using testing::ScriptedDialogs;
using testing::TempDir;

std::vector<std::string> weightsOf(const ConfigurationForm& form) {
    std::vector<std::string> weights;
    for (PinSignal s : kPinSignals) weights.push_back(form.values.*weightFieldOf(s));
    return weights;
}

const std::vector<std::string> kDefaultWeights{"1", "2", "4", "8", "16", "32", "64", "128"};

TEST(OpenConfigurationForm, WithoutFileShowsEveryDefaultSilently) {
    TempDir dir;
    ScriptedDialogs dialogs;
    const ConfigurationForm form = openConfigurationForm(dir.file("tarvel1.cfg"), dialogs);
    const MachineConfig defaults = MachineConfig::defaults();
    for (auto field : MachineConfig::textFields()) EXPECT_EQ(form.values.*field, defaults.*field);
    EXPECT_EQ(weightsOf(form), kDefaultWeights);
    EXPECT_EQ(form.values.invertX + form.values.invertY + form.values.invertZ, 0);
    EXPECT_EQ(form.order, SendOrder::DirClock);
    EXPECT_TRUE(dialogs.told.empty());
}

TEST(OpenConfigurationForm, ShortFileKeepsWhatItHoldsAndDefaultsTheRest) {
    TempDir dir;
    ScriptedDialogs dialogs;
    const auto path = dir.write("tarvel1.cfg", "\"25\",\"\",\"40\",\"0,5\"\r\n");
    const ConfigurationForm form = openConfigurationForm(path, dialogs);
    EXPECT_EQ(form.values.stepsPerMmX, "25");
    EXPECT_EQ(form.values.stepsPerMmY, "20");
    EXPECT_EQ(form.values.stepsPerMmZ, "40");
    EXPECT_EQ(form.values.speedCoefficient, "0,5");
    EXPECT_EQ(form.values.spareClockPin, "9");
    EXPECT_EQ(weightsOf(form), kDefaultWeights);
    EXPECT_TRUE(dialogs.told.empty());
}

TEST(OpenConfigurationForm, WeightsFollowThePinsAndFlagsOfOneCheckTheBoxes) {
    TempDir dir;
    ScriptedDialogs dialogs;
    // Pins in reverse order with stale weights, X DIR pin empty, Z CLOCK out of range,
    // flags 1, 2 and 1.
    const auto path = dir.write(
        "tarvel1.cfg",
        "\"20\",\"20\",\"20\",\"0,02\",\"50\",\"80\",\"10\",\"2\",\"30\","
        "\"1\",\"1\",\"1\",\"1\",\"1\",\"1\",\"1\",\"1\","
        "\"\",\"8\",\"7\",\"6\",\"5\",\"12\",\"3\",\"2\",1,2,1\r\n");
    const ConfigurationForm form = openConfigurationForm(path, dialogs);
    EXPECT_EQ(form.values.xDirPin, "2");  // empty: its default
    EXPECT_EQ(form.values.zClockPin, "2");  // refused as if typed
    EXPECT_EQ(weightsOf(form), (std::vector<std::string>{"1", "64", "32", "16", "8", "1", "2", "1"}));
    EXPECT_EQ(form.values.invertX, 1);
    EXPECT_EQ(form.values.invertY, 0);
    EXPECT_EQ(form.values.invertZ, 1);
    EXPECT_EQ(dialogs.toldTexts(), std::vector<std::string>{config_messages::kPinOutOfRange.text});
}

TEST(ChangePin, WeightFollowsEveryKeystroke) {
    struct Case {
        const char* typed;
        const char* pin;
        const char* weight;
        bool refused;
    };
    const Case cases[] = {
        {"2", "2", "1", false},   {"5", "5", "8", false},    {"9", "9", "128", false},
        {"3,0", "3,0", "2", false}, {"", "", "1", false},     {"abc", "abc", "1", false},
        {"1", "2", "1", true},    {"12", "2", "1", true},    {"0", "2", "1", true},
        {"-3", "2", "1", true},   {"2,5", "2", "1", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        ScriptedDialogs dialogs;
        ConfigurationForm form{MachineConfig::defaults()};
        EXPECT_EQ(changePin(form, PinSignal::YClock, c.typed, dialogs), !c.refused);
        EXPECT_EQ(form.values.yClockPin, c.pin);
        EXPECT_EQ(form.values.yClockWeight, c.weight);
        EXPECT_EQ(form.values.yDirWeight, "4");  // the other pins are untouched
        ASSERT_EQ(dialogs.told.size(), c.refused ? 1u : 0u);
        if (c.refused) {
            EXPECT_EQ(dialogs.told[0].text, "les pinoches de sorties sont la 2,3,4,5,6,7,8 ou 9");
            EXPECT_EQ(dialogs.told[0].title, "Mauvaise saisie ");
            EXPECT_EQ(dialogs.told[0].icon, Icon::Question);
        }
    }
}

TEST(SaveConfigurationForm, EmptyStepsPerMmWritesNothing) {
    for (auto field : {&MachineConfig::stepsPerMmX, &MachineConfig::stepsPerMmY, &MachineConfig::stepsPerMmZ}) {
        TempDir dir;
        ScriptedDialogs dialogs;
        const auto path = dir.write("tarvel1.cfg", "ancien contenu\r\n");
        ConfigurationForm form{MachineConfig::defaults()};
        form.values.*field = "";
        EXPECT_FALSE(saveConfigurationForm(form, path, dialogs));
        ASSERT_EQ(dialogs.told.size(), 1u);
        EXPECT_EQ(dialogs.told[0].text, "Saisie incomplete ?");
        EXPECT_EQ(dialogs.told[0].title, "Saisie");
        EXPECT_EQ(dialogs.told[0].icon, Icon::Error);
        EXPECT_EQ(TempDir::read(path), "ancien contenu\r\n");
    }
}

TEST(SaveConfigurationForm, DoubleQuoteInAFieldIsRefused) {
    TempDir dir;
    ScriptedDialogs dialogs;
    const auto path = dir.file("tarvel1.cfg");
    ASSERT_FALSE(saveMachineConfig(MachineConfig::defaults(), path));
    const std::string before = TempDir::read(path);
    ConfigurationForm form = openConfigurationForm(path, dialogs);
    // Written as "8",0" the quote would end the field early and shift every later field.
    form.values.rapidFeed = "8\",0";
    EXPECT_FALSE(saveConfigurationForm(form, path, dialogs));
    ASSERT_EQ(dialogs.told.size(), 1u);
    EXPECT_EQ(dialogs.told[0].text, config_messages::kQuoteInField.text);
    EXPECT_EQ(TempDir::read(path), before);
}

}  // namespace
}  // namespace tarvel
