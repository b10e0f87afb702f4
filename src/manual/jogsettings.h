// JogSettings: the three "Inversion du sens des flèches" flags of the manual-control
// window, one line of tarvelman.cfg beside the program.
//
// The window writes them as bare integers (1,0,0); the file made for a first start holds
// quoted texts ("0","0","0"). Reading accepts both: a field that readsAsOne sets its
// flag; a missing field, or anything else, clears it.
#pragma once

#include <optional>
#include <string>

#include "common/userdialogs.h"

namespace tarvel {

struct JogSettings {
    bool invertArrowX = false;
    bool invertArrowY = false;
    bool invertArrowZ = false;
    bool operator==(const JogSettings&) const = default;
};

// Flags read from the file; all cleared when it cannot be read.
JogSettings loadJogSettings(const std::string& path);

// Writes "0","0","0" when no file of that name exists. nullopt when the file exists
// afterwards; otherwise why it could not be written.
std::optional<Message> createJogSettingsIfMissing(const std::string& path);

// Replaces the file by the flags as bare integers (1 checked, 0 not), in the order X, Y,
// Z. nullopt on success; otherwise why it could not be written, the previous file intact.
std::optional<Message> saveJogSettings(const JogSettings& settings, const std::string& path);

}  // namespace tarvel
