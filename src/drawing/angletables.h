// The sine and cosine tables with which the DXF import turns circles into 5° chords.
//
// "sin1.txt" and "cos1.txt" in the program's directory hold sin(i°) and cos(i°) for
// i = 0, 1, 2, ... in that order, one number per line, "." as decimal point, an exponent
// allowed (6.123233995736766e-17). The value for 0° is dropped, the next ones fill
// entries 1 to 362; blank lines are passed over.
//
// Circles use entries 5, 10, ..., 360. A file that is missing, empty, holds a value that
// is not a number, stops before 360° or goes on beyond 362° leaves the tables unusable:
// `fault` then says which file and why, and the DXF import shows that instead of drawing
// circles from missing values.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "common/userdialogs.h"

namespace tarvel {

struct AngleTables {
    static constexpr int kLastEntry = 362;
    static constexpr int kLastUsed = 360;

    std::array<double, kLastEntry + 1> sine{};    // entry i: sin(i°); entry 0 unused
    std::array<double, kLastEntry + 1> cosine{};  // entry i: cos(i°); entry 0 unused
    bool loaded = false;                          // a load was attempted
    std::optional<Message> fault;                 // why the tables cannot be used

    bool usable() const { return loaded && !fault; }
};

// Reads "sin1.txt" then "cos1.txt" from `programDir`.
AngleTables readAngleTables(const std::string& programDir);

}  // namespace tarvel
