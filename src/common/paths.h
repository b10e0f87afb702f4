// Where the program's files live.
//
// The machine configuration (tarvel1.cfg), the manual-control settings (tarvelman.cfg),
// the angle tables and the help page sit in the program's directory: the directory of
// the running executable. Scratch files of the DXF import and of the generator go to a
// folder of their own in the system's temporary directory, private to the user, because
// fixed names in a shared folder would let another user plant or read them.
#pragma once

#include <string>
#include <string_view>

namespace tarvel {

// The directory, then "/" unless it already ends with one, then the name.
std::string programFilePath(std::string_view directory, std::string_view name);
// Native path with a separator added when missing (for directory fields).
std::string withTrailingSeparator(std::string_view directory);

// Directory of the running executable (no trailing separator).
std::string executableDirectory();

struct Paths {
    std::string programDir;  // where tarvel1.cfg, tarvelman.cfg, sin1.txt, cos1.txt live
    std::string scratchDir;  // where tempX, prem, objet, bit1..bit8 live

    // The running program's paths; creates the scratch folder (owner only) if missing.
    static Paths forThisProgram();

    std::string configFile() const { return programFilePath(programDir, "tarvel1.cfg"); }
    std::string jogSettingsFile() const { return programFilePath(programDir, "tarvelman.cfg"); }
    std::string dataFile(std::string_view name) const { return programFilePath(programDir, name); }
    std::string scratchFile(std::string_view name) const { return programFilePath(scratchDir, name); }
};

// <system temp>/tarvel-<user>, created with owner-only permissions when missing.
std::string defaultScratchDirectory();

}  // namespace tarvel
