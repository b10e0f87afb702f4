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
#pragma once

#include <optional>
#include <string>

#include "common/userdialogs.h"
#include "drawing/cutobject.h"

namespace tarvel {

enum class FraReadStatus {
    Read,       // the whole file became the object
    Refused,    // no name, or no such file: the object is untouched
    ReadError,  // the rows read before the error are kept
};

struct FraReadResult {
    FraReadStatus status = FraReadStatus::Read;
    std::optional<Message> message;  // set unless status is Read
};

// Replaces the rows of `object` by the records of the file at `path`, marked by the
// cut-marking rule as they are appended, every entry mark ".". On success cutCount
// becomes the number of cuts found; after a read error it keeps its text.
FraReadResult readFraFile(const std::string& path, CutObject& object);

// The file a save under `name` writes: the name followed by ".fra".
std::string fraPathFor(const std::string& name);

// Makes the save's checks in order (no name, an extension typed, a name already used,
// columns of different lengths), then writes fraPathFor(name) whole or not at all.
// nullopt on success; otherwise the message to show, with nothing written.
std::optional<Message> writeFraFile(const std::string& name, const CutObject& object);

}  // namespace tarvel
