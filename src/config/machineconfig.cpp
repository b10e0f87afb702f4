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

MachineConfig MachineConfig::defaults() {
    MachineConfig c;
    c.stepsPerMmX = c.stepsPerMmY = c.stepsPerMmZ = "20";
    c.speedCoefficient = "0,02";
    c.cuttingFeed = "50";
    c.rapidFeed = "80";
    c.toolDescentZ = "10";
    c.portNumber = "1";
    c.toolChangeClearance = "30";
    c.xDirPin = "2";
    c.xClockPin = "3";
    c.yDirPin = "4";
    c.yClockPin = "5";
    c.zDirPin = "6";
    c.zClockPin = "7";
    c.spareDirPin = "8";
    c.spareClockPin = "9";
    const std::array<std::pair<std::string MachineConfig::*, std::string MachineConfig::*>, 8> pairs = {{
        {&MachineConfig::xDirWeight, &MachineConfig::xDirPin},
        {&MachineConfig::xClockWeight, &MachineConfig::xClockPin},
        {&MachineConfig::yDirWeight, &MachineConfig::yDirPin},
        {&MachineConfig::yClockWeight, &MachineConfig::yClockPin},
        {&MachineConfig::zDirWeight, &MachineConfig::zDirPin},
        {&MachineConfig::zClockWeight, &MachineConfig::zClockPin},
        {&MachineConfig::spareDirWeight, &MachineConfig::spareDirPin},
        {&MachineConfig::spareClockWeight, &MachineConfig::spareClockPin}}};
    for (const auto& [weight, pin] : pairs) c.*weight = pinWeight(c.*pin).weight;
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
    for (int flag : {config.invertX, config.invertY, config.invertZ})
        fields.push_back(flag == 1 ? "1" : "0");
    std::string error;
    if (replaceFileText(path, recordLine(fields), &error)) return std::nullopt;
    return Message{error + " La configuration n'a pas été enregistrée.",
                   "Enregistrement impossible", Icon::Error};
}

std::optional<MachineConfig> loadMachineConfig(const std::string& path) {
    if (!fileExists(path)) return std::nullopt;
    MachineConfig config;
    RecordReader reader(path);
    std::string field;
    FieldEnd end = FieldEnd::Comma;
    const auto& text = MachineConfig::textFields();
    std::size_t index = 0;
    // One record; fields the file does not hold stay empty (flags 0).
    while (end == FieldEnd::Comma && index < text.size() + 3 && reader.readField(field, &end)) {
        if (index < text.size()) {
            config.*text[index] = field;
        } else {
            int* flags[] = {&config.invertX, &config.invertY, &config.invertZ};
            auto n = commaNumber(field);
            *flags[index - text.size()] = (n && *n == 1) ? 1 : 0;
        }
        ++index;
    }
    return config;
}

std::int16_t portAddressFor(std::string_view portNumber) {
    return portNumber == "2" ? 632 : 888;
}

int weightOfPin(int pin) {
    return pin >= 2 && pin <= 9 ? 1 << (pin - 2) : 0;
}

PinWeight pinWeight(std::string_view pinText) {
    auto n = commaNumber(pinText);
    if (!n) return {"1", false};
    double pin = *n;
    if (pin == std::floor(pin) && pin >= 2 && pin <= 9)
        return {integerText(weightOfPin(static_cast<int>(pin))), false};
    return {"1", true};
}

}  // namespace tarvel
