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

std::optional<FileFault>& currentFault() {
    static std::optional<FileFault> fault;
    return fault;
}

// The fault set for this step of a replacement of `path`, if any.
const FileFault* faultAt(FileStep step, const std::string& path) {
    const auto& f = currentFault();
    if (!f || f->step != step) return nullptr;
    const bool ours = path.size() >= f->target.size() &&
                      path.compare(path.size() - f->target.size(), f->target.size(), f->target) == 0;
    return ours ? &*f : nullptr;
}

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

bool removeFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

bool renameFile(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

void setFileFault(std::optional<FileFault> fault) { currentFault() = std::move(fault); }

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

TextFileWriter::TextFileWriter(std::string path) : path_(std::move(path)) {
    buffer_.reserve(kFlushAt + 4096);
    if (const FileFault* f = faultAt(FileStep::Open, path_)) {
        fail(f->error);
        return;
    }
    std::string pattern = directoryOf(path_) + "/." + baseNameOf(path_) + ".tmp-XXXXXX";
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        fail(errno);
        return;
    }
    tempPath_ = pattern;
    ::fchmod(fd, newFileMode(path_));
    file_ = ::fdopen(fd, "wb");
    if (!file_) {
        int e = errno;
        ::close(fd);
        fail(e);
    }
}

TextFileWriter::~TextFileWriter() {
    if (!committed_) discard();
}

bool TextFileWriter::isOpen() const { return file_ != nullptr && !failed_; }

void TextFileWriter::fail(int errnoValue) {
    if (failed_) return;
    failed_ = true;
    error_ = "Impossible d'écrire le fichier " + path_ + " : " + systemErrorText(errnoValue) + ".";
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
    if (failed_ || !file_ || buffer_.empty()) return;
    std::size_t size = buffer_.size();
    // A disk filling up: what still fits reaches the file, then the write fails.
    const FileFault* full = faultAt(FileStep::Write, path_);
    if (full && bytes_ + size <= full->afterBytes) full = nullptr;
    if (full) size = full->afterBytes > bytes_ ? static_cast<std::size_t>(full->afterBytes - bytes_) : 0;
    std::size_t n = std::fwrite(buffer_.data(), 1, size, file_);
    if (full) {
        std::fflush(file_);
        fail(full->error);
        return;
    }
    if (n != size) {
        fail(errno ? errno : EIO);
        return;
    }
    bytes_ += n;
    buffer_.clear();
}

bool TextFileWriter::commit() {
    if (committed_) return true;
    flushBuffer();
    if (!failed_ && file_) {
        if (std::fflush(file_) != 0) fail(errno);
        else if (const FileFault* f = faultAt(FileStep::Sync, path_)) fail(f->error);
        else if (::fsync(::fileno(file_)) != 0 && errno != EINVAL) fail(errno);
    }
    if (file_) {
        if (std::fclose(file_) != 0) fail(errno);
        file_ = nullptr;
    }
    if (!failed_) {
        if (const FileFault* f = faultAt(FileStep::Rename, path_)) fail(f->error);
        else if (::rename(tempPath_.c_str(), path_.c_str()) != 0) fail(errno);
    }
    if (failed_) {
        discard();
        return false;
    }
    committed_ = true;
    return true;
}

void TextFileWriter::discard() {
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
    tempPath_.clear();
    buffer_.clear();
}

bool readWholeFile(const std::string& path, std::string& text) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::string raw;
    char buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) raw.append(buf, n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    if (ok) text = utf8FromWindows1252(raw);
    return ok;
}

bool replaceFileText(const std::string& path, std::string_view text, std::string* error) {
    TextFileWriter w(path);
    w.write(text);
    if (w.commit()) return true;
    if (error) *error = w.error();
    return false;
}

}  // namespace tarvel
