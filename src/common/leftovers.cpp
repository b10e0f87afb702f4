#include "common/leftovers.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <filesystem>
#include <string_view>

#include "common/files.h"
#include "common/paths.h"

namespace tarvel {

namespace {

constexpr std::string_view kClaimEnding = ".claim";
constexpr const char* kJobFolderNote = "dossier";

// True while the process runs (or runs under another user).
bool processRuns(long pid) {
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH);
}

// The pid at the start of `text`, followed by "-" and at least one more character.
long pidBeforeDash(std::string_view text) {
    long pid = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), pid);
    const std::size_t used = static_cast<std::size_t>(end - text.data());
    if (ec != std::errc() || used == 0 || used + 1 >= text.size() || text[used] != '-') return 0;
    return pid;
}

// .NAME.tmp-<pid>-XXXXXX or .tmp-<pid>-NAME
long temporaryFilePid(std::string_view name) {
    if (name.empty() || name[0] != '.') return 0;
    const std::size_t at = name.starts_with(".tmp-") ? 0 : name.rfind(".tmp-");
    return at == std::string_view::npos ? 0 : pidBeforeDash(name.substr(at + 5));
}

// gen-<pid>-XXXXXX or imp-<pid>-XXXXXX
long scratchRunPid(std::string_view name) {
    if (!name.starts_with("gen-") && !name.starts_with("imp-")) return 0;
    return pidBeforeDash(name.substr(4));
}

bool isClaimName(std::string_view name) {
    return name.size() > kClaimEnding.size() + 1 && name[0] == '.' && name.ends_with(kClaimEnding);
}

// Takes the lock of the claim file at `path` without waiting: its descriptor, or
// -EWOULDBLOCK when another run holds it, -ESTALE when the file under the name changed
// meanwhile (a run that just ended removed it; the next may have made a new one),
// -EACCES when it belongs to another user, or -errno when it cannot be opened.
int lockClaimFile(const std::string& path, bool create) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | (create ? O_CREAT : 0), 0600);
    if (fd < 0) return -errno;
    struct stat held {}, named {};
    int result = fd;
    // A file system without locks cannot tell a live claim from an abandoned one: the
    // clean-up leaves its claims alone, and a new claim goes ahead unlocked.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && (errno == EWOULDBLOCK || !create)) result = -EWOULDBLOCK;
    else if (::fstat(fd, &held) != 0 || ::lstat(path.c_str(), &named) != 0 || held.st_ino != named.st_ino ||
             held.st_dev != named.st_dev || !S_ISREG(held.st_mode))
        result = -ESTALE;
    else if (held.st_uid != ::geteuid())  // the paths listed in someone else's claim are not to be trusted
        result = -EACCES;
    if (result < 0) ::close(fd);
    return result;
}

// A claim whose run ended without releasing it: when that run was putting files in
// place and only some got there, those are removed, as no half of the set may stay.
void settleAbandonedClaim(int fd) {
    std::string text;
    char buf[4096];
    ssize_t n;
    ::lseek(fd, 0, SEEK_SET);
    while ((n = ::read(fd, buf, sizeof buf)) > 0) text.append(buf, static_cast<std::size_t>(n));
    // The pid, then each announced path, every one ended by a NUL, which no path holds;
    // a path cut short by the crash counts for nothing.
    std::vector<std::string> files;
    std::size_t start = text.find('\0');
    while (start != std::string::npos) {
        const std::size_t end = text.find('\0', start + 1);
        if (end == std::string::npos) break;
        files.push_back(text.substr(start + 1, end - start - 1));
        start = end;
    }
    bool all = true;
    for (const auto& f : files) all = all && fileExists(f);
    if (!all)
        for (const auto& f : files) removeFile(f);
}

// The job folder a run's scratch folder notes, if any (one line, at most a path's length).
std::string notedJobFolder(const std::filesystem::path& scratchRun) {
    const int fd = ::open((scratchRun / kJobFolderNote).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {};
    std::string text(PATH_MAX, '\0');
    const ssize_t n = ::read(fd, text.data(), text.size());
    ::close(fd);
    text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return directoryExists(text) ? text : std::string();
}

void removeLeftoversIn(const std::string& directory, bool followNotes) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::directory_iterator it(directory.empty() ? "." : directory, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const std::string path = it->path().string();
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || st.st_uid != ::geteuid()) continue;
        if (S_ISREG(st.st_mode)) {
            if (const long pid = temporaryFilePid(name); pid > 0 && !processRuns(pid)) {
                removeFile(path);
            } else if (isClaimName(name)) {
                const int fd = lockClaimFile(path, false);
                if (fd < 0) continue;
                settleAbandonedClaim(fd);
                removeFile(path);
                ::close(fd);
            }
        } else if (S_ISDIR(st.st_mode)) {
            if (const long pid = scratchRunPid(name); pid > 0 && !processRuns(pid)) {
                if (const std::string jobFolder = notedJobFolder(it->path()); followNotes && !jobFolder.empty())
                    removeLeftoversIn(jobFolder, false);
                std::error_code ignored;
                fs::remove_all(it->path(), ignored);
            }
        }
    }
}

}  // namespace

void removeLeftovers(const std::string& directory) { removeLeftoversIn(directory, true); }

void noteJobFolder(const std::string& scratchRunFolder, const std::string& jobFolder) {
    std::error_code ec;
    const std::string absolute = std::filesystem::absolute(jobFolder, ec).string();
    if (ec) return;
    // The path's own bytes: the folder is ours and private, and lives no longer than the run.
    const int fd = ::open(programFilePath(scratchRunFolder, kJobFolderNote).c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return;
    if (::write(fd, absolute.data(), absolute.size()) < 0) {}  // without the note, the next generation there cleans up
    ::close(fd);
}

void removeLeftoversAtStart(const Paths& paths) {
    const std::string scratch = paths.scratchDir.empty() ? defaultScratchDirectory(false) : paths.scratchDir;
    if (!scratch.empty()) removeLeftovers(scratch);
    removeLeftovers(paths.settingsDir());
}

NameClaim::NameClaim(const std::string& name) {
    const std::size_t slash = name.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
    path_ = folder + "." + base + std::string(kClaimEnding);
    int fd = -ESTALE;
    for (int attempt = 0; attempt < 3 && fd == -ESTALE; ++attempt) fd = lockClaimFile(path_, true);
    if (fd < 0) {
        error_ = -fd;
        return;
    }
    fd_ = fd;
    settleAbandonedClaim(fd_);
    const std::string pid = std::to_string(::getpid()) + '\0';
    if (::ftruncate(fd_, 0) != 0 || ::pwrite(fd_, pid.data(), pid.size(), 0) != static_cast<ssize_t>(pid.size())) {
        error_ = errno;
        removeFile(path_);
        ::close(fd_);
        fd_ = -1;
    }
}

NameClaim::~NameClaim() {
    if (fd_ < 0) return;
    removeFile(path_);
    ::close(fd_);
}

bool NameClaim::announce(const std::vector<std::string>& files) {
    if (fd_ < 0) return false;
    // Absolute, as the clean-up may run from another folder.
    std::string text;
    for (const auto& f : files) {
        std::error_code ec;
        text += std::filesystem::absolute(f, ec).string() + '\0';
        if (ec) return false;
    }
    // One write, synced: a run killed at any point leaves the whole list or none of it.
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return false;
    return ::pwrite(fd_, text.data(), text.size(), st.st_size) == static_cast<ssize_t>(text.size()) &&
           ::fsync(fd_) == 0;
}

}  // namespace tarvel
