// Files on disk: existence tests, deletion, and writing.
//
// A file is replaced by writing a temporary file in the same directory, flushing and
// syncing it, then renaming it over the target: no crash or full disk can leave the file
// missing or half written. On any failure the previous file stays as it was and the
// temporary file is removed. A replaced file keeps its permissions.
//
// A symbolic link is written through: its target is replaced and the link stays a link.
// A name that holds something other than a regular file (a directory, a FIFO, a device
// such as /dev/null) is refused, never replaced.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/userdialogs.h"

namespace tarvel {

bool fileExists(const std::string& path);        // a regular file, not a directory
bool directoryExists(const std::string& path);
// Both name one existing file (the same one, through whatever path or link).
bool isSameFile(const std::string& a, const std::string& b);
bool removeFile(const std::string& path);        // true when the file is gone afterwards
bool renameFile(const std::string& from, const std::string& to);
std::string systemErrorText(int errnoValue);     // French text of an errno value

// The system calls of a replacement, so that a test can stand a failing or recording
// disk in their place. Each answers 0 (write: the bytes written) or -errno.
class FileCalls {
public:
    virtual ~FileCalls() = default;
    // A new file only this user can read, beside `target`; its path in `temporaryPath`.
    // Returns its descriptor.
    virtual int createTemporary(const std::string& target, std::string& temporaryPath) = 0;
    virtual long write(int fd, const char* data, std::size_t size) = 0;
    virtual int sync(int fd) = 0;
    virtual int setMode(int fd, unsigned mode) = 0;
    virtual int rename(const std::string& from, const std::string& to) = 0;
};
// The real calls.
FileCalls& systemFileCalls();
// The calls a writer makes when given none. It sits in a source file of its own,
// answering systemFileCalls(): a test program that defines fileCalls() itself links its
// own in its place.
FileCalls& fileCalls();

class TextFileWriter {
public:
    // Starts a replacement of `path`; nothing visible happens to `path` until commit().
    explicit TextFileWriter(std::string path, FileCalls& calls = fileCalls());
    ~TextFileWriter();  // an uncommitted writer removes its temporary file
    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;

    bool isOpen() const;
    // UTF-8 text, written in Windows-1252.
    void write(std::string_view text);
    // ASCII only (digits, signs, commas, CR LF): no conversion, for the hot loops.
    void writeAscii(std::string_view text);
    void writeInteger(std::int64_t value);
    void endRecord();  // CR LF
    // Flushes, syncs and renames over the target. False on any failure, the target
    // untouched; error() then tells why in French.
    bool commit();
    // Drops everything written; the target stays as it was.
    void discard();
    bool failed() const { return failed_; }
    const std::string& error() const { return error_; }
    const std::string& path() const { return path_; }
    std::uint64_t bytesWritten() const { return bytes_; }

private:
    void flushBuffer();
    void fail(int errnoValue);
    void failBecause(const std::string& reason);

    FileCalls& calls_;
    std::string path_;
    std::string target_;  // path_ with its symbolic links followed
    std::string tempPath_;
    int fd_ = -1;
    std::string buffer_;
    bool failed_ = false;
    bool committed_ = false;
    std::string error_;
    std::uint64_t bytes_ = 0;
};

// Replaces a small file with `text` (UTF-8, written in Windows-1252). nullopt when done;
// otherwise the message naming the file and the system's reason, the old file intact.
std::optional<Message> replaceFileText(const std::string& path, std::string_view text);

// The message of a file that could not be written; `reason` is the writer's sentence.
inline Message fileNotWritten(std::string_view reason) {
    return {std::string(reason), "Enregistrement impossible", Icon::Error};
}

}  // namespace tarvel
