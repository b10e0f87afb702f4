// The machine configuration: one line of 28 fields in tarvel1.cfg, beside the program.
//
// The text fields are kept exactly as typed (the steps per mm and the speed coefficient
// after the decimal-point rule); the three "Inverser le sens" flags close the line as
// 0 or 1. A file saved with the defaults reads:
//   "20","20","20","0,02","50","80","10","1","30","1","2","4","8","16","32","64","128","2","3","4","5","6","7","8","9",0,0,0
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/userdialogs.h"
#include "config/stepchannels.h"

namespace tarvel {

// The file order: steps per mm to clearance, then the eight weights (PinWeights), the
// eight pins, and the flags.
struct MachineConfig : PinWeights {
    std::string stepsPerMmX, stepsPerMmY, stepsPerMmZ;
    std::string speedCoefficient;
    std::string cuttingFeed, rapidFeed;
    std::string toolDescentZ;
    std::string portNumber;
    std::string toolChangeClearance;
    std::string xDirPin, xClockPin;
    std::string yDirPin, yClockPin;
    std::string zDirPin, zClockPin;
    std::string spareDirPin, spareClockPin;
    // Read once, when the file is read, by readsAsOne: every window then obeys the same flags.
    bool invertX = false, invertY = false, invertZ = false;

    // The configuration window's defaults for every field (weights from the pins).
    static MachineConfig defaults();

    // The text fields in file order (all but the flags).
    static constexpr std::size_t kTextFieldCount = 25;
    static const std::array<std::string MachineConfig::*, kTextFieldCount>& textFields();
};

// The pin field of a channel; its weight is weightFieldOf the same channel.
std::string MachineConfig::* pinFieldOf(StepChannel channel);

// Replaces the file by the one line (steps per mm and coefficient through the
// decimal-point rule). nullopt on success; otherwise the French message to show, the
// old file intact.
std::optional<Message> saveMachineConfig(const MachineConfig& config, const std::string& path);

// nullopt when no file of that name exists. A file with fewer fields leaves the missing
// ones empty (flags unset).
std::optional<MachineConfig> loadMachineConfig(const std::string& path);

// 632 when the port number is exactly "2", else 888 ("1", empty and anything else).
std::int16_t portAddressFor(std::string_view portNumber);

// The weight of a pin field as the configuration window recomputes it on every
// keystroke: pins 2 to 9 give "1" to "128"; an empty or non-numeric text gives "1"
// silently; any other number is refused (the window then shows the pin message and
// puts "2" in the field).
struct PinWeight {
    std::string weight;
    bool refused = false;
};
PinWeight pinWeight(std::string_view pinText);

namespace config_messages {
inline const Message kPinOutOfRange{"les pinoches de sorties sont la 2,3,4,5,6,7,8 ou 9",
                                     "Mauvaise saisie ", Icon::Question};
inline const Message kIncomplete{"Saisie incomplete ?", "Saisie", Icon::Error};
inline const Message kMissingForManual{"Veuillez configurer sinon ... ",
                                       "on ne me la fait pas à moi !!!", Icon::Question};
inline const Message kMissingForCutting{
    "Vous devez configurer en fonction de votre machine avant d'utiliser Tarvel",
    "aller en page configuration !!!", Icon::Question};
inline Message notSaved(std::string_view reason) {
    return {std::string(reason) + " La configuration n'a pas été enregistrée.", "Enregistrement impossible",
            Icon::Error};
}
}  // namespace config_messages

}  // namespace tarvel
