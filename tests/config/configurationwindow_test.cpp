#include "config/configurationwindow.h"

#include <gtest/gtest.h>

#include <tuple>

#include "support/scripteddialogs.h"
#include "support/tempdir.h"

namespace tarvel {
namespace {

using testing::ScriptedDialogs;
using testing::TempDir;

std::vector<std::string> weightsOf(const ConfigurationForm& form) {
    std::vector<std::string> weights;
    for (StepChannel c : kStepChannels) weights.push_back(form.values.*weightFieldOf(c));
    return weights;
}

TEST(OpenConfigurationForm, MissingOrShortFileFallsBackOnTheDefaultsSilently) {
    TempDir dir;
    for (const char* content : {static_cast<const char*>(nullptr), "\"25\",\"\",\"40\",\"0,5\"\r\n"}) {
        SCOPED_TRACE(content ? content : "no file");
        ScriptedDialogs dialogs;
        const auto path = content ? dir.write("tarvel1.cfg", content) : dir.file("tarvel1.cfg");
        const ConfigurationForm form = openConfigurationForm(path, dialogs);
        MachineConfig expected = MachineConfig::defaults();
        if (content) expected.stepsPerMmX = "25", expected.stepsPerMmZ = "40", expected.speedCoefficient = "0,5";
        for (auto field : MachineConfig::textFields()) EXPECT_EQ(form.values.*field, expected.*field);
        EXPECT_FALSE(form.values.invertX || form.values.invertY || form.values.invertZ);
        EXPECT_TRUE(dialogs.told.empty());
    }
}

TEST(OpenConfigurationForm, WeightsFollowThePins) {
    TempDir dir;
    ScriptedDialogs dialogs;
    // Pins in reverse order with stale weights, X DIR pin empty, Z CLOCK out of range.
    const auto path = dir.write(
        "tarvel1.cfg",
        "\"20\",\"20\",\"20\",\"0,02\",\"50\",\"80\",\"10\",\"2\",\"30\","
        "\"1\",\"1\",\"1\",\"1\",\"1\",\"1\",\"1\",\"1\","
        "\"\",\"8\",\"7\",\"6\",\"5\",\"12\",\"3\",\"2\",0,0,0\r\n");
    const ConfigurationForm form = openConfigurationForm(path, dialogs);
    EXPECT_EQ(form.values.xDirPin, "2");    // empty: its default
    EXPECT_EQ(form.values.zClockPin, "2");  // refused as if typed
    EXPECT_EQ(weightsOf(form), (std::vector<std::string>{"1", "64", "32", "16", "8", "1", "2", "1"}));
    EXPECT_EQ(dialogs.toldTexts(), std::vector<std::string>{config_messages::kPinOutOfRange.text});
}

TEST(ChangePin, WeightFollowsEveryKeystrokeAndARefusedPinBecomesTwo) {
    for (const auto& [typed, pin, weight, refused] : {std::tuple{"5", "5", "8", false}, {"12", "2", "1", true}}) {
        ScriptedDialogs dialogs;
        ConfigurationForm form{MachineConfig::defaults()};
        EXPECT_EQ(changePin(form, StepChannel::YClock, typed, dialogs), !refused);
        EXPECT_EQ(std::tuple(form.values.yClockPin, form.values.yClockWeight, form.values.yDirWeight),
                  std::tuple(pin, weight, "4"));
        EXPECT_EQ(dialogs.told.size(), refused ? 1u : 0u) << typed;
    }
}

TEST(SaveConfigurationForm, EmptyStepsPerMmOrAQuoteInAFieldWritesNothing) {
    const struct {
        std::string MachineConfig::*field;
        const char* value;
        Message told;
    } cases[] = {
        {&MachineConfig::stepsPerMmX, "", config_messages::kIncomplete},
        {&MachineConfig::stepsPerMmZ, "", config_messages::kIncomplete},
        // Written as "8",0" the quote would end the field early and shift every later field.
        {&MachineConfig::rapidFeed, "8\",0", config_messages::kQuoteInField},
    };
    for (const auto& c : cases) {
        TempDir dir;
        ScriptedDialogs dialogs;
        const auto path = dir.write("tarvel1.cfg", "ancien contenu\r\n");
        ConfigurationForm form{MachineConfig::defaults()};
        form.values.*c.field = c.value;
        EXPECT_FALSE(saveConfigurationForm(form, path, dialogs));
        EXPECT_EQ(dialogs.toldTexts(), std::vector<std::string>{c.told.text});
        EXPECT_EQ(TempDir::read(path), "ancien contenu\r\n");
    }
}

}  // namespace
}  // namespace tarvel
