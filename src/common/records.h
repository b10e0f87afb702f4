// Records of the program's text files: comma-separated fields, one record per line
// ended by CR LF; text fields in double quotes without escaping, integers bare.
//
// Reading a field:
//   - leading blanks (spaces, tabs) are skipped;
//   - a field that begins with a double quote runs to the next double quote (commas and
//     line breaks inside belong to it); whatever follows the closing quote up to the
//     next comma or line end is dropped;
//   - any other field runs to the next comma or line end and keeps its trailing blanks;
//   - a line ends at CR LF, LF or CR.
// The reader streams: a cutting file of millions of lines is never held whole.
//
// Hostile files: only a regular file is opened (a FIFO, a device such as /dev/zero or a
// directory would block, never end or fail later), and a field or line longer than the
// record bound makes the file unreadable, as a failed read does, instead of growing
// without end.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tarvel {

enum class FieldEnd { Comma, LineEnd, FileEnd };

class RecordReader {
public:
    // A field or line longer than this fails the reading (see failed()).
    static constexpr std::size_t kDefaultRecordBound = 64 * 1024;

    // Opens a regular file without ever blocking; check isOpen(), false also for what is
    // not a regular file. Fields come out as UTF-8 (the file is Windows-1252).
    explicit RecordReader(const std::string& path);
    // Reads from text already in memory (UTF-8, no conversion), for short fixtures.
    static RecordReader fromText(std::string_view text);
    ~RecordReader();
    RecordReader(RecordReader&&) noexcept;
    RecordReader& operator=(RecordReader&&) noexcept;

    bool isOpen() const;
    // True when no byte is left: the next read would run past the end of the file.
    bool atEnd();
    // True when a read of the underlying file failed (not merely reached its end), or a
    // field or line ran past the record bound.
    bool failed() const;
    // True when a field read so far had text after its closing double quote (text that
    // the reading drops).
    bool strayText() const { return strayText_; }

    // One field; false when the file had no byte left. `end` tells what ended it.
    bool readField(std::string& field, FieldEnd* end = nullptr);
    // One whole line without its line end; false when no byte was left.
    bool readLine(std::string& line);
    // Exactly n fields of one record: false, with the fields read so far, when the
    // record ends (line or file end) before its n-th field. Fields beyond the n-th on
    // the same line are read and dropped.
    bool readRecord(std::vector<std::string>& fields, std::size_t n);
    // The bound of the reads that follow, for a field that may be longer than others.
    void setRecordBound(std::size_t bytes) { bound_ = bytes; }
    // 1-based number of the line the next read starts on (for messages).
    std::int64_t lineNumber() const;

private:
    RecordReader();
    int peekByte();
    int getByte();
    void skipLineEnd(int first);
    bool refill();
    std::string finishText(std::string&& raw) const;
    // Appends one byte to a field or line; false (and failed) past the record bound.
    bool keep(std::string& raw, int c);

    std::FILE* file_ = nullptr;
    bool convert_ = true;
    bool failed_ = false;
    bool strayText_ = false;
    std::size_t bound_ = kDefaultRecordBound;
    std::vector<char> buffer_;
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    std::int64_t line_ = 1;
};

// Field writing, as the program's files hold them.
std::string quotedField(std::string_view text);   // "text"
// Joins already formatted fields with single commas and ends the record with CR LF.
std::string recordLine(const std::vector<std::string>& formattedFields);

}  // namespace tarvel
