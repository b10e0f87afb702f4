// Files on disk: existence tests, deletion, and writing.
//
// A file is replaced by writing a temporary file in the same directory, flushing and
// syncing it, then renaming it over the target. The old program deleted the file and
// wrote it again; the result is the same, but no crash or full disk can leave the file
// missing or half written: on any failure the previous file stays as it was and the
// temporary file is removed.
#pragma once

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace tarvel {

bool fileExists(const std::string& path);        // a regular file, not a directory
bool directoryExists(const std::string& path);
bool removeFile(const std::string& path);        // true when the file is gone afterwards
bool renameFile(const std::string& from, const std::string& to);
std::string systemErrorText(int errnoValue);     // French text of an errno value

// The steps of a replacement that a real disk can refuse.
enum class FileStep { Open, Write, Sync, Rename };
// A refusal the tests make the writers meet, as a failing disk would: the program itself
// never sets one. It is looked at when a writer opens, hands a buffer to the file, syncs
// and renames, never per record.
struct FileFault {
    FileStep step = FileStep::Open;
    int error = EIO;               // the errno the step fails with
    std::string target;            // only targets whose path ends so; empty: every target
    std::uint64_t afterBytes = 0;  // Write: the bytes that reach the file before it fails
};
void setFileFault(std::optional<FileFault> fault);  // nullopt: writes work again

class TextFileWriter {
public:
    // Starts a replacement of `path`; nothing visible happens to `path` until commit().
    explicit TextFileWriter(std::string path);
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

    std::string path_;
    std::string tempPath_;
    std::FILE* file_ = nullptr;
    std::string buffer_;
    bool failed_ = false;
    bool committed_ = false;
    std::string error_;
    std::uint64_t bytes_ = 0;
};

// Reads a whole small file as UTF-8 text; false when it cannot be read.
bool readWholeFile(const std::string& path, std::string& text);
// Replaces a small file with `text` (UTF-8, written in Windows-1252); false with a French
// reason in `error` when it cannot.
bool replaceFileText(const std::string& path, std::string_view text, std::string* error = nullptr);

}  // namespace tarvel
