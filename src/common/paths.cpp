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
}  // namespace

std::string defaultScratchDirectory() {
    std::error_code ec;
    std::string tmp = std::filesystem::temp_directory_path(ec).string();
    if (ec || tmp.empty()) tmp = "/tmp";
    std::string dir = programFilePath(tmp, "tarvel-" + userName());
    if (::mkdir(dir.c_str(), 0700) == 0 || isPrivateDirectory(dir)) {
        ::chmod(dir.c_str(), 0700);
        return dir;
    }
    // The name is taken by something that is not ours: use a fresh private folder.
    std::string pattern = dir + "-XXXXXX";
    if (::mkdtemp(pattern.data())) return pattern;
    return tmp;
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

std::string Paths::scratchFile(std::string_view name) const {
    if (!scratchDir.empty()) return programFilePath(scratchDir, name);
    // Chosen once: when the usual name is taken, every file of a run must still land in
    // the same fresh folder.
    static const std::string defaultDir = defaultScratchDirectory();
    return programFilePath(defaultDir, name);
}

Paths Paths::forThisProgram() {
    Paths paths{executableDirectory(), {}, {}};
    // Installed system-wide, the program's directory is read-only for the user.
    if (::access(paths.programDir.c_str(), W_OK) != 0) paths.configDir = userConfigDirectory();
    return paths;
}

}  // namespace tarvel
