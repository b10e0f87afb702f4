#include "common/paths.h"

#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace tarvel {

std::string programFilePath(std::string_view directory, std::string_view name) {
    return withTrailingSeparator(directory) + std::string(name);
}

std::string withTrailingSeparator(std::string_view directory) {
    std::string path(directory);
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

std::string executableDirectory() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return std::filesystem::current_path(ec).string();
    return exe.parent_path().string();
}

namespace {
std::string userName() {
    if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name && *pw->pw_name)
        return pw->pw_name;
    if (const char* u = std::getenv("USER"); u && *u) return u;
    return std::to_string(::geteuid());
}

bool isPrivateDirectory(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid();
}

// A folder of ours that no one else can enter, made owner-only when missing (and
// `create`); a symbolic link, or a folder of someone else, is refused.
bool ownPrivateDirectory(const std::string& path, bool create) {
    if (create) ::mkdir(path.c_str(), 0700);
    if (!isPrivateDirectory(path)) return false;
    ::chmod(path.c_str(), 0700);
    return true;
}

// A folder of ours that others cannot write in, so that what we make inside stays ours.
bool ownParentDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 022) == 0;
}

std::string homeDirectory() {
    if (const char* home = std::getenv("HOME"); home && *home == '/') return home;
    if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_dir) return pw->pw_dir;
    return {};
}
}  // namespace

std::string defaultScratchDirectory(bool create) {
    std::error_code ec;
    std::string tmp = std::filesystem::temp_directory_path(ec).string();
    if (ec || tmp.empty()) tmp = "/tmp";
    std::string dir = programFilePath(tmp, "tarvel-" + userName());
    if (ownPrivateDirectory(dir, create)) return dir;
    // The usual name is taken by someone else: one private folder of ours, reused.
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/') {
        struct stat st {};
        if (::lstat(runtime, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
            (st.st_mode & 077) == 0 && ownPrivateDirectory(programFilePath(runtime, "tarvel"), create))
            return programFilePath(runtime, "tarvel");
    }
    if (const std::string home = homeDirectory(); !home.empty()) {
        const std::string cache = programFilePath(home, ".cache");
        if (create) ::mkdir(cache.c_str(), 0700);
        const std::string own = programFilePath(cache, "tarvel");
        if (ownParentDirectory(cache) && ownPrivateDirectory(own, create)) return own;
    }
    return {};
}

std::string userConfigDirectory() {
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home) base = programFilePath(home, ".config");
    else if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_dir) base = programFilePath(pw->pw_dir, ".config");
    else base = "/tmp";
    std::string dir = programFilePath(base, "tarvel");
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return dir;
}

std::string Paths::scratchFolder() const {
    if (!scratchDir.empty()) return scratchDir;
    // Chosen once: every run of the program then works under the same folder.
    static const std::string defaultDir = defaultScratchDirectory();
    return defaultDir;
}

std::string Paths::scratchFile(std::string_view name) const {
    const std::string folder = scratchFolder();
    return folder.empty() ? std::string() : programFilePath(folder, name);
}

ScratchRun::ScratchRun(const Paths& paths, std::string_view kind) : paths_(paths), parent_(paths.scratchFolder()) {
    paths_.scratchDir.clear();
    if (parent_.empty()) return;
    std::string pattern = programFilePath(parent_, std::string(kind) + "-" + std::to_string(::getpid()) + "-XXXXXX");
    if (::mkdtemp(pattern.data())) paths_.scratchDir = pattern;
}

ScratchRun::~ScratchRun() {
    if (!ready()) return;
    std::error_code ec;
    std::filesystem::remove_all(paths_.scratchDir, ec);
}

Paths Paths::forThisProgram() {
    Paths paths{executableDirectory(), {}, {}};
    // Installed system-wide, the program's directory is read-only for the user.
    if (::access(paths.programDir.c_str(), W_OK) != 0) paths.configDir = userConfigDirectory();
    return paths;
}

}  // namespace tarvel
