// The object file (.fra): the program's own file for a CutObject.
//
// Lines end with CR LF, text is Windows-1252. The first and the last line are the three
// bare integers 0,0,0; between them one line per row with X, Y and Z each in double
// quotes, in row order:
//
//   0,0,0
//   "12,5","-3,25","1"
//   0,0,0
//
// There is no header and no count: the end of the file ends the object. The reader makes
// a row of every record, the two 0,0,0 lines included, so an object of n rows saved and
// loaded back has n + 2 rows, the first and the last at the origin with the tool raised.
// Every line is a record: a line with fewer than three values, an empty one included,
// stops the reading in the drawing window, the generator and the preview alike.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/records.h"

#include "common/userdialogs.h"
#include "drawing/cutobject.h"

namespace tarvel {

// What stopped a reading of an object file; each reader's caller says it in its own words.
struct FraFailure {
    enum class Kind {
        Unreadable,      // no such file, or a read of it failed
        LineIncomplete,  // a line with fewer than the three values X, Y, Z
        NotNumber,       // a value that is no number (see fraNumbers)
    };
    Kind kind = Kind::Unreadable;
    std::int64_t line = 0;  // 1-based, for LineIncomplete and NotNumber
    int column = 0;         // 0 X, 1 Y, 2 Z, for NotNumber
    std::string text;       // the value, for NotNumber
};

// The one reader of object files: the generator, the cutting window's preview and the
// drawing window all take their rows from here, so a file reads the same in each.
class FraReader {
public:
    explicit FraReader(const std::string& path);

    // The next row's X, Y and Z as written; false at the end of the file or at a
    // failure (then failure() is set).
    bool next(std::string& x, std::string& y, std::string& z);
    // The 1-based line of the row last returned.
    std::int64_t lineNumber() const { return line_; }
    const std::optional<FraFailure>& failure() const { return failure_; }

private:
    RecordReader reader_;
    std::vector<std::string> fields_;
    std::int64_t line_ = 0;
    std::optional<FraFailure> failure_;
};

// The row's three values into xyz, or the failure naming the first value that is no
// number: X and Y as coordinates (coordinateNumber), Z, the tool state, by the comma rule.
std::optional<FraFailure> fraNumbers(const std::string& x, const std::string& y, const std::string& z,
                                     std::int64_t line, double (&xyz)[3]);

enum class FraReadStatus {
    Read,       // the whole file became the object
    Refused,    // no name, no such file, or more rows than allowed: the object is untouched
    ReadError,  // the rows read before the error are kept
};

struct FraReadResult {
    FraReadStatus status = FraReadStatus::Read;
    std::optional<Message> message;  // set unless status is Read
};

// Replaces the rows of `object` by the records of the file at `path`, marked by the
// cut-marking rule as they are appended, every entry mark ".". On success cutCount
// becomes the number of cuts found; after a read error it keeps its text. A file of
// more than `maxRows` rows is refused.
FraReadResult readFraFile(const std::string& path, CutObject& object, std::size_t maxRows = kMaxRows);

// The file a save under `name` writes: the name followed by ".fra".
std::string fraPathFor(const std::string& name);

// Makes the save's checks in order (no name, an extension typed, a name already used,
// columns of different lengths), then writes fraPathFor(name) whole or not at all.
// nullopt on success; otherwise the message to show, with nothing written.
std::optional<Message> writeFraFile(const std::string& name, const CutObject& object);

}  // namespace tarvel
