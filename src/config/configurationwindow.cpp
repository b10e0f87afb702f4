#include "config/configurationwindow.h"

#include <cstddef>
#include <utility>

#include "common/textrules.h"

namespace tarvel {

namespace {

// Every text field but the weights takes its default when empty: a weight follows its pin.
bool hasDefault(std::string MachineConfig::* field) {
    for (StepChannel channel : kStepChannels)
        if (field == static_cast<std::string MachineConfig::*>(weightFieldOf(channel))) return false;
    return true;
}

bool holdsQuote(const MachineConfig& values) {
    for (auto field : MachineConfig::textFields())
        if ((values.*field).find('"') != std::string::npos) return true;
    return false;
}

}  // namespace

bool changePin(ConfigurationForm& form, StepChannel channel, std::string_view text, UserDialogs& dialogs) {
    const auto pin = pinFieldOf(channel);
    const auto weight = weightFieldOf(channel);
    form.values.*pin = std::string(text);
    PinWeight w = pinWeight(text);
    if (!w.refused) {
        form.values.*weight = std::move(w.weight);
        return true;
    }
    dialogs.tell(config_messages::kPinOutOfRange);
    // Putting "2" in the field is itself a change: its weight is recomputed, giving "1".
    form.values.*pin = "2";
    form.values.*weight = pinWeight("2").weight;
    return false;
}

ConfigurationForm openConfigurationForm(const std::string& configFile, UserDialogs& dialogs) {
    const MachineConfig read = loadMachineConfig(configFile).value_or(MachineConfig{});
    ConfigurationForm form;
    form.values = read;
    // The other fields went in as read; filling each pin recomputes its weight.
    for (StepChannel channel : kStepChannels) changePin(form, channel, read.*pinFieldOf(channel), dialogs);

    const MachineConfig defaults = MachineConfig::defaults();
    for (auto field : MachineConfig::textFields())
        if (hasDefault(field) && (form.values.*field).empty()) form.values.*field = defaults.*field;
    // A pin that took its default changed: its weight follows.
    for (StepChannel channel : kStepChannels)
        if ((read.*pinFieldOf(channel)).empty())
            changePin(form, channel, form.values.*pinFieldOf(channel), dialogs);
    return form;
}

bool saveConfigurationForm(ConfigurationForm& form, const std::string& configFile, UserDialogs& dialogs) {
    MachineConfig& v = form.values;
    if (v.stepsPerMmX.empty() || v.stepsPerMmY.empty() || v.stepsPerMmZ.empty()) {
        dialogs.tell(config_messages::kIncomplete);
        return false;
    }
    if (holdsQuote(v)) {
        dialogs.tell(config_messages::kQuoteInField);
        return false;
    }
    // The steps per mm are corrected in the window; the coefficient only as written.
    for (auto field : {&MachineConfig::stepsPerMmX, &MachineConfig::stepsPerMmY, &MachineConfig::stepsPerMmZ})
        v.*field = numberText(v.*field);
    if (auto failure = saveMachineConfig(v, configFile)) {
        dialogs.tell(*failure);
        return false;
    }
    return true;
}

}  // namespace tarvel
