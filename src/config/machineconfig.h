// The machine configuration: one line of 28 fields in tarvel1.cfg, beside the program.
//
// Fields 1 to 25 are text exactly as typed (after the decimal-point rule for fields 1
// to 4); fields 26 to 28 are the "Inverser le sens" flags, 0 or 1. A file saved with
// the defaults reads:
//   "20","20","20","0,02","50","80","10","1","30","1","2","4","8","16","32","64","128","2","3","4","5","6","7","8","9",0,0,0
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/userdialogs.h"

namespace tarvel {

struct MachineConfig {
    std::string stepsPerMmX, stepsPerMmY, stepsPerMmZ;  // 1-3
    std::string speedCoefficient;                       // 4
    std::string cuttingFeed, rapidFeed;                 // 5-6
    std::string toolDescentZ;                           // 7
    std::string portNumber;                             // 8
    std::string toolChangeClearance;                    // 9
    std::string xDirWeight, xClockWeight;               // 10-11
    std::string yDirWeight, yClockWeight;               // 12-13
    std::string zDirWeight, zClockWeight;               // 14-15
    std::string spareDirWeight, spareClockWeight;       // 16-17
    std::string xDirPin, xClockPin;                     // 18-19
    std::string yDirPin, yClockPin;                     // 20-21
    std::string zDirPin, zClockPin;                     // 22-23
    std::string spareDirPin, spareClockPin;             // 24-25
    int invertX = 0, invertY = 0, invertZ = 0;          // 26-28

    // The configuration window's defaults for every field (weights from the pins).
    static MachineConfig defaults();

    // The text fields 1 to 25 in file order.
    static constexpr std::size_t kTextFieldCount = 25;
    static const std::array<std::string MachineConfig::*, kTextFieldCount>& textFields();
};

// Replaces the file by the one line (fields 1 to 4 through the decimal-point rule).
// nullopt on success; otherwise the French message to show, the old file intact.
std::optional<Message> saveMachineConfig(const MachineConfig& config, const std::string& path);

// nullopt when no file of that name exists. A file with fewer than 28 fields leaves
// the missing ones empty (flags 0); flags are compared with 1 after the comma rule.
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
// 2^(pin-2) for pins 2..9, else 0.
int weightOfPin(int pin);

namespace config_messages {
inline const Message kPinOutOfRange{"les pinoches de sorties sont la 2,3,4,5,6,7,8 ou 9",
                                     "Mauvaise saisie ", Icon::Question};
inline const Message kIncomplete{"Saisie incomplete ?", "Saisie", Icon::Error};
inline const Message kMissingForManual{"Veuillez configurer sinon ... ",
                                       "on ne me la fait pas à moi !!!", Icon::Question};
inline const Message kMissingForCutting{
    "Vous devez configurer en fonction de votre machine avant d'utiliser Tarvel",
    "aller en page configuration !!!", Icon::Question};
}  // namespace config_messages

}  // namespace tarvel
