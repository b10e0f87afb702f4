#include "common/files.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/encoding.h"

namespace tarvel {

namespace {
constexpr std::size_t kFlushAt = 1 << 20;

std::string directoryOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string baseNameOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

class SystemFileCalls final : public FileCalls {
public:
    int createTemporary(const std::string& target, std::string& temporaryPath) override {
        // The pid lets the next start remove what a killed run left (see leftovers.h).
        std::string pattern =
            directoryOf(target) + "/." + baseNameOf(target) + ".tmp-" + std::to_string(::getpid()) + "-XXXXXX";
        const int fd = ::mkstemp(pattern.data());
        if (fd < 0) return -errno;
        temporaryPath = pattern;
        return fd;
    }
    long write(int fd, const char* data, std::size_t size) override {
        ssize_t n;
        do n = ::write(fd, data, size);
        while (n < 0 && errno == EINTR);
        return n < 0 ? -errno : static_cast<long>(n);
    }
    // A file system that cannot sync (EINVAL) has nothing to sync.
    int sync(int fd) override { return ::fsync(fd) == 0 || errno == EINVAL ? 0 : -errno; }
    int setMode(int fd, unsigned mode) override {
        return ::fchmod(fd, static_cast<mode_t>(mode)) == 0 ? 0 : -errno;
    }
    int rename(const std::string& from, const std::string& to) override {
        return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : -errno;
    }
};

// The file a replacement lands in: symbolic links followed, a relative link read from
// its own directory. A loop of links ends on a link, which the writer then refuses.
std::string followLinks(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
        std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) break;
        target.resize(static_cast<std::size_t>(n));
        path = target.front() == '/' ? target : directoryOf(path) + "/" + target;
    }
    return path;
}

// The target's own permissions when it exists, else those of a new file.
mode_t newFileMode(const std::string& target) {
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) return st.st_mode & 07777;
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}
}  // namespace

bool fileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool directoryExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isSameFile(const std::string& a, const std::string& b) {
    struct stat sa {}, sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

bool removeFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

bool renameFile(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

std::string systemErrorText(int e) {
    switch (e) {
        case ENOSPC: return "le disque est plein";
        case EDQUOT: return "le quota du disque est atteint";
        case EACCES:
        case EPERM: return "accès refusé";
        case EROFS: return "le support est en lecture seule";
        case ENOENT: return "dossier ou fichier introuvable";
        case ENOTDIR: return "un élément du chemin n'est pas un dossier";
        case EISDIR: return "le nom désigne un dossier";
        case ENAMETOOLONG: return "le nom du fichier est trop long";
        case EIO: return "erreur d'entrée-sortie du disque";
        case EEXIST: return "le fichier existe déjà";
        default: break;
    }
    char buf[16];
    auto r = std::to_chars(buf, buf + sizeof buf, e);
    return "erreur système " + std::string(buf, r.ptr);
}

FileCalls& systemFileCalls() {
    static SystemFileCalls calls;
    return calls;
}

TextFileWriter::TextFileWriter(std::string path, FileCalls& calls)
    : calls_(calls), path_(std::move(path)), target_(followLinks(path_)) {
    struct stat st {};
    if (::lstat(target_.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        failBecause(S_ISDIR(st.st_mode) ? systemErrorText(EISDIR) : "ce n'est pas un fichier ordinaire");
        return;
    }
    buffer_.reserve(kFlushAt + 4096);
    const int fd = calls_.createTemporary(target_, tempPath_);
    if (fd < 0) {
        fail(-fd);
        return;
    }
    fd_ = fd;
    // mkstemp makes the file owner-only; the replaced file's readers must keep reading it.
    if (const int r = calls_.setMode(fd_, newFileMode(target_)); r != 0) fail(-r);
}

TextFileWriter::~TextFileWriter() {
    if (!committed_) discard();
}

bool TextFileWriter::isOpen() const { return fd_ >= 0 && !failed_; }

void TextFileWriter::fail(int errnoValue) { failBecause(systemErrorText(errnoValue)); }

void TextFileWriter::failBecause(const std::string& reason) {
    if (failed_) return;
    failed_ = true;
    error_ = "Impossible d'écrire le fichier " + path_ + " : " + reason + ".";
}

void TextFileWriter::write(std::string_view text) {
    if (failed_) return;
    buffer_ += windows1252FromUtf8(text);
    if (buffer_.size() >= kFlushAt) flushBuffer();
}

void TextFileWriter::writeAscii(std::string_view text) {
    if (failed_) return;
    buffer_ += text;
    if (buffer_.size() >= kFlushAt) flushBuffer();
}

void TextFileWriter::writeInteger(std::int64_t value) {
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, value);
    writeAscii(std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)));
}

void TextFileWriter::endRecord() { writeAscii("\r\n"); }

void TextFileWriter::flushBuffer() {
    if (failed_ || fd_ < 0 || buffer_.empty()) return;
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const long n = calls_.write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n <= 0) {
            fail(n < 0 ? static_cast<int>(-n) : EIO);
            return;
        }
        done += static_cast<std::size_t>(n);
        bytes_ += static_cast<std::uint64_t>(n);
    }
    buffer_.clear();
}

// The data reaches the disk before the name moves to it: a crash in between leaves the
// old file, never a named but empty one.
bool TextFileWriter::commit() {
    if (committed_) return true;
    flushBuffer();
    if (!failed_ && fd_ >= 0) {
        if (const int r = calls_.sync(fd_); r != 0) fail(-r);
    }
    if (fd_ >= 0) {
        if (::close(fd_) != 0 && !failed_) fail(errno);
        fd_ = -1;
    }
    if (!failed_) {
        if (const int r = calls_.rename(tempPath_, target_); r != 0) fail(-r);
    }
    if (failed_) {
        discard();
        return false;
    }
    committed_ = true;
    return true;
}

void TextFileWriter::discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
    tempPath_.clear();
    buffer_.clear();
}

std::optional<Message> replaceFileText(const std::string& path, std::string_view text) {
    TextFileWriter w(path);
    w.write(text);
    if (w.commit()) return std::nullopt;
    return fileNotWritten(w.error());
}

}  // namespace tarvel
