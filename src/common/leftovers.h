// What a run of the program leaves behind when it is killed midway, and the claim that
// keeps two runs from making files under one name at once.
//
// A killed run can leave, in the folder it was writing in:
//   .NAME.tmp-<pid>-XXXXXX             a file being written (TextFileWriter), never renamed
//   .tmp-<pid>-NAME                    a job's file written whole, not yet put in place
//   gen-<pid>-XXXXXX, imp-<pid>-XXXXXX  the scratch folder of a generation or an import
//   .NAME.claim                        the claim of a name (NameClaim), still listing the
//                                      files it was putting in place
// removeLeftovers() takes them away once their process no longer runs: at start-up in
// the scratch and settings folders, and in a job's folder before each generation. A
// generation notes its job's folder in its scratch folder, so the start-up clean-up
// also reaches the job's folder of a killed generation. The
// pid in a name is that of the process that made it; a process that still runs, whoever
// it is, keeps its files.
#pragma once

#include <string>
#include <vector>

namespace tarvel {

struct Paths;

// Removes this user's leftovers of processes that no longer run from `directory` (not
// its subfolders). Anything else in it is left alone.
void removeLeftovers(const std::string& directory);
// At start-up: the scratch folder (when it exists already) and the settings folder.
void removeLeftoversAtStart(const Paths& paths);
// Notes, in a run's scratch folder, the folder it writes its job in.
void noteJobFolder(const std::string& scratchRunFolder, const std::string& jobFolder);

// An exclusive claim on a name (a job's path less its extensions), held from before the
// first file is written under it until the last is in place: a second claim of the same
// name, by this process or another, is refused meanwhile. The claim is the file
// .NAME.claim beside the name, locked (the system drops the lock of a process that
// dies, so a killed run never keeps a name) and holding the pid.
class NameClaim {
public:
    explicit NameClaim(const std::string& name);
    ~NameClaim();  // releases the claim and removes its file
    NameClaim(const NameClaim&) = delete;
    NameClaim& operator=(const NameClaim&) = delete;

    bool held() const { return fd_ >= 0; }
    // Why it is not held: EWOULDBLOCK while another run holds it, else the system's
    // reason the claim file could not be made.
    int error() const { return error_; }
    // Said just before the files are renamed into place, one after the other: should the
    // run be killed in between, the next claim or clean-up removes those already there,
    // so that no half of the set is left under the name. False when it cannot be noted.
    bool announce(const std::vector<std::string>& files);

private:
    std::string path_;
    int fd_ = -1;
    int error_ = 0;
};

}  // namespace tarvel
