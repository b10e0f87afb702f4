// Where the program's files live.
//
// The machine configuration (tarvel1.cfg), the manual-control settings (tarvelman.cfg),
// the angle tables and the help page sit in the program's directory: the directory of
// the running executable. Scratch files of the DXF import and of the generator go to a
// folder of their own in the system's temporary directory, private to the user, because
// fixed names in a shared folder would let another user plant or read them; inside it
// each import and each generation works in a fresh folder of its own (ScratchRun).
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
    // nothing behind in the temporary directory. A ScratchRun's paths name its own.
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
    // Empty when no private folder can be had.
    std::string scratchFolder() const;
    std::string scratchFile(std::string_view name) const;
};

// The scratch folder of one import or generation: <scratch folder>/<kind>-<pid>-XXXXXX,
// owner-only, removed with its contents when the run ends, so that two runs at once
// never read each other's files; the names inside stay the fixed ones. The pid lets a
// later start remove the folder of a run that was killed (see leftovers.h).
class ScratchRun {
public:
    ScratchRun(const Paths& paths, std::string_view kind);
    ~ScratchRun();
    ScratchRun(const ScratchRun&) = delete;
    ScratchRun& operator=(const ScratchRun&) = delete;

    // False when no private folder could be made: nothing may be written then.
    bool ready() const { return !paths_.scratchDir.empty(); }
    // The same paths, with scratchFile() naming files of this run's folder.
    const Paths& paths() const { return paths_; }
    // The folder the run's own was made in (empty when none).
    const std::string& parent() const { return parent_; }

private:
    Paths paths_;
    std::string parent_;
};

// The user's own folder for the two settings files, used when the program's directory
// cannot be written: $XDG_CONFIG_HOME/tarvel, else ~/.config/tarvel (created when missing).
std::string userConfigDirectory();

// <system temp>/tarvel-<user>, created with owner-only permissions when missing. When
// that name belongs to someone else, one private folder of the user is used instead,
// the same at every run: $XDG_RUNTIME_DIR/tarvel when that folder is private, else
// ~/.cache/tarvel, made owner-only and checked to be ours. Empty when none can be had:
// scratch files never go into a folder others can write.
// `create` false: only a folder that already exists is named (for the clean-up at start).
std::string defaultScratchDirectory(bool create = true);

}  // namespace tarvel
