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
    std::string programDir;  // where sin1.txt, cos1.txt and the help page live
    // Where tempX, prem, objet, bit1..bit8 live. Empty: the default private folder,
    // made only when a scratch file is first named, so that opening a window leaves
    // nothing behind in the temporary directory.
    std::string scratchDir;
    // Where tarvel1.cfg and tarvelman.cfg live when not in the program's directory: a
    // system-wide install cannot write there, so each user keeps them in
    // $XDG_CONFIG_HOME/tarvel (~/.config/tarvel). Empty: the program's directory.
    std::string configDir;

    // The running program's paths; the scratch folder is left to scratchFile().
    static Paths forThisProgram();

    std::string configFile() const { return programFilePath(settingsDir(), "tarvel1.cfg"); }
    std::string jogSettingsFile() const { return programFilePath(settingsDir(), "tarvelman.cfg"); }
    const std::string& settingsDir() const { return configDir.empty() ? programDir : configDir; }
    std::string dataFile(std::string_view name) const { return programFilePath(programDir, name); }
    std::string scratchFile(std::string_view name) const;
};

// The user's own folder for the two settings files, used when the program's directory
// cannot be written: $XDG_CONFIG_HOME/tarvel, else ~/.config/tarvel (created when missing).
std::string userConfigDirectory();

// <system temp>/tarvel-<user>, created with owner-only permissions when missing.
std::string defaultScratchDirectory();

}  // namespace tarvel
