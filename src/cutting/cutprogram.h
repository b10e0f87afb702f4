// The cutting file (.def): the complete stream of values for the port's data register,
// one tick per line, as a bare decimal integer ended by CR LF. No header, no count, no
// end marker: the file ends after the last tick's CR LF.
//
// A cutting file may hold tens of millions of ticks, so it is never held whole: the
// reader hands out one tick at a time and the writer buffers a few thousand lines.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "common/files.h"
#include "common/records.h"
#include "common/userdialogs.h"

namespace tarvel {

class CutProgramReader {
public:
    enum class Status { Tick, End, NotInteger, ReadError };

    explicit CutProgramReader(const std::string& path);
    // False when the file cannot be opened.
    bool isOpen() const { return reader_.isOpen(); }

    // The next tick's value in `value`. NotInteger and ReadError end the reading: the
    // line is kept for problem(). A line holds an integer when, blanks around it aside,
    // it is an optional "-" and digits; the range of a register value is the caller's
    // to check.
    Status next(std::int64_t& value);
    // The line of the tick last returned (or of the line that could not be read).
    std::int64_t lineNumber() const { return line_; }
    // That line's text as read.
    const std::string& lineText() const { return text_; }
    // The French message for the last NotInteger or ReadError.
    Message problem() const;
    const std::string& path() const { return path_; }

private:
    std::string path_;
    RecordReader reader_;
    std::string text_;
    std::int64_t line_ = 0;
    Status last_ = Status::Tick;
};

// The record rule of cutting files, for every reader of them (the run, packing, the
// generator's scratch files): one line, the integer, or nullopt.
std::optional<std::int64_t> cutProgramValue(std::string_view line);

class CutProgramWriter {
public:
    // Nothing is visible under `path` until commit(); see TextFileWriter.
    explicit CutProgramWriter(std::string path);
    ~CutProgramWriter();
    CutProgramWriter(const CutProgramWriter&) = delete;
    CutProgramWriter& operator=(const CutProgramWriter&) = delete;

    // One tick; values from 0 up (a negative value is written with its sign).
    void write(std::int64_t value) {
        if (value >= 0 && value < kTableSize) {
            if (used_ + 8 > kChunk) flush();
            const Entry& e = table_[value];
            std::memcpy(chunk_.get() + used_, e.text, 8);  // the record and spare bytes
            used_ += e.length;
            ++ticks_;
        } else {
            writeWide(value);
        }
    }
    std::uint64_t ticksWritten() const { return ticks_; }
    // Flushes, syncs and renames into place; false with error() on any failure.
    bool commit();
    bool failed() const { return file_.failed(); }
    const std::string& error() const { return file_.error(); }

private:
    static constexpr std::int64_t kTableSize = 1024;
    static constexpr std::size_t kChunk = 1 << 16;
    struct Entry {
        char text[8];  // digits then CR LF, padded
        std::size_t length;
    };
    static const Entry* makeTable();
    void writeWide(std::int64_t value);
    void flush();

    TextFileWriter file_;
    const Entry* table_;
    std::unique_ptr<char[]> chunk_;
    std::size_t used_ = 0;
    std::uint64_t ticks_ = 0;
};

}  // namespace tarvel
