#include "config/machineconfig.h"

#include <cmath>
#include <vector>

#include "common/files.h"
#include "common/records.h"
#include "common/textrules.h"

namespace tarvel {

const std::array<std::string MachineConfig::*, MachineConfig::kTextFieldCount>& MachineConfig::textFields() {
    static const std::array<std::string MachineConfig::*, kTextFieldCount> fields = {
        &MachineConfig::stepsPerMmX,    &MachineConfig::stepsPerMmY,      &MachineConfig::stepsPerMmZ,
        &MachineConfig::speedCoefficient, &MachineConfig::cuttingFeed,    &MachineConfig::rapidFeed,
        &MachineConfig::toolDescentZ,   &MachineConfig::portNumber,       &MachineConfig::toolChangeClearance,
        &MachineConfig::xDirWeight,     &MachineConfig::xClockWeight,     &MachineConfig::yDirWeight,
        &MachineConfig::yClockWeight,   &MachineConfig::zDirWeight,       &MachineConfig::zClockWeight,
        &MachineConfig::spareDirWeight, &MachineConfig::spareClockWeight, &MachineConfig::xDirPin,
        &MachineConfig::xClockPin,      &MachineConfig::yDirPin,          &MachineConfig::yClockPin,
        &MachineConfig::zDirPin,        &MachineConfig::zClockPin,        &MachineConfig::spareDirPin,
        &MachineConfig::spareClockPin};
    return fields;
}

namespace {

// Each channel's pin field beside its weight field, in channel order.
struct ChannelFields {
    std::string MachineConfig::* pin;
    std::string PinWeights::* weight;
};
constexpr std::array<ChannelFields, kStepChannelCount> kChannelFields = {{
    {&MachineConfig::xDirPin, &PinWeights::xDirWeight},
    {&MachineConfig::xClockPin, &PinWeights::xClockWeight},
    {&MachineConfig::yDirPin, &PinWeights::yDirWeight},
    {&MachineConfig::yClockPin, &PinWeights::yClockWeight},
    {&MachineConfig::zDirPin, &PinWeights::zDirWeight},
    {&MachineConfig::zClockPin, &PinWeights::zClockWeight},
    {&MachineConfig::spareDirPin, &PinWeights::spareDirWeight},
    {&MachineConfig::spareClockPin, &PinWeights::spareClockWeight},
}};

}  // namespace

std::string PinWeights::* weightFieldOf(StepChannel channel) {
    return kChannelFields[static_cast<std::size_t>(channel)].weight;
}

std::string MachineConfig::* pinFieldOf(StepChannel channel) {
    return kChannelFields[static_cast<std::size_t>(channel)].pin;
}

MachineConfig MachineConfig::defaults() {
    MachineConfig c;
    c.stepsPerMmX = c.stepsPerMmY = c.stepsPerMmZ = "20";
    c.speedCoefficient = "0,02";
    c.cuttingFeed = "50";
    c.rapidFeed = "80";
    c.toolDescentZ = "10";
    c.portNumber = "1";
    c.toolChangeClearance = "30";
    int pin = 2;  // the channels on the pins 2 to 9 in their order
    for (StepChannel channel : kStepChannels) {
        c.*pinFieldOf(channel) = integerText(pin++);
        c.*weightFieldOf(channel) = pinWeight(c.*pinFieldOf(channel)).weight;
    }
    return c;
}

std::optional<Message> saveMachineConfig(const MachineConfig& config, const std::string& path) {
    std::vector<std::string> fields;
    const auto& text = MachineConfig::textFields();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::string& value = config.*text[i];
        // The steps per mm and the coefficient may have been typed with a point.
        fields.push_back(quotedField(i < 4 ? numberText(value) : value));
    }
    for (bool flag : {config.invertX, config.invertY, config.invertZ}) fields.push_back(flag ? "1" : "0");
    if (const auto failure = replaceFileText(path, recordLine(fields))) return config_messages::notSaved(failure->text);
    return std::nullopt;
}

std::optional<MachineConfig> loadMachineConfig(const std::string& path) {
    if (!fileExists(path)) return std::nullopt;
    MachineConfig config;
    RecordReader reader(path);
    std::string field;
    FieldEnd end = FieldEnd::Comma;
    const auto& text = MachineConfig::textFields();
    std::size_t index = 0;
    // One record; fields the file does not hold stay empty (flags unset).
    while (end == FieldEnd::Comma && index < text.size() + 3 && reader.readField(field, &end)) {
        if (index < text.size()) {
            config.*text[index] = field;
        } else {
            bool* flags[] = {&config.invertX, &config.invertY, &config.invertZ};
            *flags[index - text.size()] = readsAsOne(field);
        }
        ++index;
    }
    // A file that cannot be read through, or whose record runs past the bound, is no
    // configuration at all, as a missing one.
    if (!reader.isOpen() || reader.failed()) return std::nullopt;
    return config;
}

std::int16_t portAddressFor(std::string_view portNumber) {
    return portNumber == "2" ? 632 : 888;
}

PinWeight pinWeight(std::string_view pinText) {
    auto n = commaNumber(pinText);
    if (!n) return {"1", false};
    double pin = *n;
    if (pin == std::floor(pin) && pin >= 2 && pin <= 9)
        return {integerText(1 << (static_cast<int>(pin) - 2)), false};
    return {"1", true};
}

}  // namespace tarvel
