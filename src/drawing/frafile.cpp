#include "drawing/frafile.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <new>
#include <system_error>
#include <vector>

#include "common/files.h"
#include "common/records.h"
#include "common/textrules.h"
#include "drawing/drawingmessages.h"

namespace tarvel {

namespace {
constexpr std::string_view kOriginLine = "0,0,0";
constexpr std::uintmax_t kReserveRowsAtMost = 1 << 20;
}  // namespace

FraReadResult readFraFile(const std::string& path, CutObject& object) {
    if (path.empty()) return {FraReadStatus::Refused, drawingmessages::kNoFileName};
    if (!fileExists(path)) return {FraReadStatus::Refused, drawingmessages::kFileNotFound};

    object.clearRows();
    const FraReadResult readError{FraReadStatus::ReadError, drawingmessages::kIncompatibleFra};
    RecordReader reader(path);
    if (!reader.isOpen()) return readError;
    // Growing six columns row by row would copy them all again at every doubling; a
    // typical row takes 20 bytes or more in the file.
    std::error_code sizeError;
    const auto bytes = std::filesystem::file_size(path, sizeError);
    if (!sizeError) {
        const std::uintmax_t estimate = std::min<std::uintmax_t>(bytes / 20, kReserveRowsAtMost);
        object.reserve(static_cast<std::size_t>(estimate) + 2);
    }

    CutMarker marker;
    std::vector<std::string> fields;
    try {
        while (!reader.atEnd()) {
            if (!reader.readRecord(fields, 3)) return readError;
            CutMarks marks = marker.mark(fields[2]);
            object.appendRow(std::move(fields[0]), std::move(fields[1]), std::move(fields[2]),
                             std::move(marks.marker), std::move(marks.cutNumber), ".");
        }
    } catch (const std::bad_alloc&) {
        // A file too big for memory is unusable like any other; the row being appended
        // may have reached only some columns.
        object.truncateRows(std::min({object.x.size(), object.y.size(), object.z.size(),
                                      object.marker.size(), object.cutNumber.size(),
                                      object.entryMark.size()}));
        return readError;
    }
    // A disk that fails midway looks like the end of the file to atEnd().
    if (reader.failed()) return readError;
    object.cutCount = marker.cutCountText();
    return {};
}

std::string fraPathFor(const std::string& name) { return name + ".fra"; }

std::optional<Message> writeFraFile(const std::string& name, const CutObject& object) {
    if (name.empty()) return drawingmessages::kNoFileName;
    std::string_view ending = lastChars(name, 3);
    if (ending == "dxf" || ending == "dat" || ending == "pro") return drawingmessages::kNoExtension;
    const std::string path = fraPathFor(name);
    if (fileExists(name) || fileExists(path)) return drawingmessages::kNameInUse;
    if (object.x.size() != object.y.size() || object.y.size() != object.z.size())
        return drawingmessages::kColumnLengths;

    TextFileWriter out(path);
    out.writeAscii(kOriginLine);
    out.endRecord();
    std::string line;
    for (std::size_t i = 0; i < object.x.size(); ++i) {
        line.clear();
        line += '"';
        line += numberText(object.x[i]);
        line += "\",\"";
        line += numberText(object.y[i]);
        line += "\",\"";
        line += object.z[i];
        line += '"';
        out.write(line);
        out.endRecord();
    }
    out.writeAscii(kOriginLine);
    out.endRecord();
    if (!out.commit()) return drawingmessages::kWriteError;
    return std::nullopt;
}

}  // namespace tarvel
