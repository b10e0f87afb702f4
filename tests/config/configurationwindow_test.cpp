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
    for (PinSignal s : kPinSignals) weights.push_back(form.values.*weightFieldOf(s));
    return weights;
}

auto fields(const Message& m) { return std::tuple(m.text, m.title, m.icon); }

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
        EXPECT_EQ(weightsOf(form), (std::vector<std::string>{"1", "2", "4", "8", "16", "32", "64", "128"}));
        EXPECT_EQ(form.values.invertX + form.values.invertY + form.values.invertZ, 0);
        EXPECT_EQ(form.order, SendOrder::DirClock);
        EXPECT_TRUE(dialogs.told.empty());
    }
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
    EXPECT_EQ(form.values.xDirPin, "2");    // empty: its default
    EXPECT_EQ(form.values.zClockPin, "2");  // refused as if typed
    EXPECT_EQ(weightsOf(form), (std::vector<std::string>{"1", "64", "32", "16", "8", "1", "2", "1"}));
    EXPECT_EQ(std::tuple(form.values.invertX, form.values.invertY, form.values.invertZ), std::tuple(1, 0, 1));
    EXPECT_EQ(dialogs.toldTexts(), std::vector<std::string>{config_messages::kPinOutOfRange.text});
}

TEST(ChangePin, WeightFollowsEveryKeystroke) {
    // The full set of refused and silent texts is pinWeight's; here the form's side of it.
    const struct {
        const char *typed, *pin, *weight;
        bool refused;
    } cases[] = {{"5", "5", "8", false}, {"3,0", "3,0", "2", false}, {"", "", "1", false}, {"12", "2", "1", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        ScriptedDialogs dialogs;
        ConfigurationForm form{MachineConfig::defaults()};
        EXPECT_EQ(changePin(form, PinSignal::YClock, c.typed, dialogs), !c.refused);
        EXPECT_EQ(form.values.yClockPin, c.pin);
        EXPECT_EQ(form.values.yClockWeight, c.weight);
        EXPECT_EQ(form.values.yDirWeight, "4");  // the other pins are untouched
        ASSERT_EQ(dialogs.told.size(), c.refused ? 1u : 0u);
        if (c.refused) {
            EXPECT_EQ(fields(dialogs.told[0]),
                      fields({"les pinoches de sorties sont la 2,3,4,5,6,7,8 ou 9", "Mauvaise saisie ", Icon::Question}));
        }
    }
}

TEST(SaveConfigurationForm, EmptyStepsPerMmOrAQuoteInAFieldWritesNothing) {
    const Message kIncomplete{"Saisie incomplete ?", "Saisie", Icon::Error};
    const struct {
        std::string MachineConfig::*field;
        const char* value;
        Message told;
    } cases[] = {
        {&MachineConfig::stepsPerMmX, "", kIncomplete},
        {&MachineConfig::stepsPerMmY, "", kIncomplete},
        {&MachineConfig::stepsPerMmZ, "", kIncomplete},
        // Written as "8",0" the quote would end the field early and shift every later field.
        {&MachineConfig::rapidFeed, "8\",0", config_messages::kQuoteInField},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        TempDir dir;
        ScriptedDialogs dialogs;
        const auto path = dir.write("tarvel1.cfg", "ancien contenu\r\n");
        ConfigurationForm form{MachineConfig::defaults()};
        form.values.*c.field = c.value;
        EXPECT_FALSE(saveConfigurationForm(form, path, dialogs));
        ASSERT_EQ(dialogs.told.size(), 1u);
        EXPECT_EQ(fields(dialogs.told[0]), fields(c.told));
        EXPECT_EQ(TempDir::read(path), "ancien contenu\r\n");
    }
}

}  // namespace
}  // namespace tarvel
