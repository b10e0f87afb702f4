#include "config/configurationwindow.h"

#include <cstddef>
#include <utility>

#include "common/textrules.h"

namespace tarvel {

namespace {

struct PinFields {
    std::string MachineConfig::* pin;
    std::string MachineConfig::* weight;
};

PinFields fieldsOf(PinSignal signal) {
    switch (signal) {
        case PinSignal::XDir: return {&MachineConfig::xDirPin, &MachineConfig::xDirWeight};
        case PinSignal::XClock: return {&MachineConfig::xClockPin, &MachineConfig::xClockWeight};
        case PinSignal::YDir: return {&MachineConfig::yDirPin, &MachineConfig::yDirWeight};
        case PinSignal::YClock: return {&MachineConfig::yClockPin, &MachineConfig::yClockWeight};
        case PinSignal::ZDir: return {&MachineConfig::zDirPin, &MachineConfig::zDirWeight};
        case PinSignal::ZClock: return {&MachineConfig::zClockPin, &MachineConfig::zClockWeight};
        case PinSignal::SpareDir: return {&MachineConfig::spareDirPin, &MachineConfig::spareDirWeight};
        case PinSignal::SpareClock: return {&MachineConfig::spareClockPin, &MachineConfig::spareClockWeight};
    }
    return {&MachineConfig::xDirPin, &MachineConfig::xDirWeight};
}

// Fields 1 to 9 and 18 to 25 (0-based positions in the file's text fields) take their
// default when empty; the weights 10 to 17 have none, they follow the pins.
bool hasDefault(std::size_t index) {
    return index < 9 || index >= 17;
}

bool holdsQuote(const MachineConfig& values) {
    for (auto field : MachineConfig::textFields())
        if ((values.*field).find('"') != std::string::npos) return true;
    return false;
}

}  // namespace

std::string MachineConfig::* pinFieldOf(PinSignal signal) {
    return fieldsOf(signal).pin;
}

std::string MachineConfig::* weightFieldOf(PinSignal signal) {
    return fieldsOf(signal).weight;
}

bool changePin(ConfigurationForm& form, PinSignal signal, std::string_view text, UserDialogs& dialogs) {
    const auto [pin, weight] = fieldsOf(signal);
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
    // Fields 1 to 9 and the weights went in as read; filling each pin recomputes its weight.
    for (PinSignal signal : kPinSignals) changePin(form, signal, read.*pinFieldOf(signal), dialogs);

    form.order = SendOrder::DirClock;

    const MachineConfig defaults = MachineConfig::defaults();
    const auto& text = MachineConfig::textFields();
    for (std::size_t i = 0; i < text.size(); ++i)
        if (hasDefault(i) && (form.values.*text[i]).empty()) form.values.*text[i] = defaults.*text[i];
    // A pin that took its default changed: its weight follows.
    for (PinSignal signal : kPinSignals)
        if ((read.*pinFieldOf(signal)).empty())
            changePin(form, signal, form.values.*pinFieldOf(signal), dialogs);
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
