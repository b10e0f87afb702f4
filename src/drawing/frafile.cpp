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
}  // namespace

FraReader::FraReader(const std::string& path) : reader_(path) {
    if (!reader_.isOpen()) failure_ = FraFailure{};
}

bool FraReader::next(std::string& x, std::string& y, std::string& z) {
    while (!failure_ && !reader_.atEnd()) {
        const std::int64_t line = reader_.lineNumber();
        const bool whole = reader_.readRecord(fields_, 3);
        if (reader_.failed()) break;
        if (!whole) {
            failure_ = FraFailure{FraFailure::Kind::LineIncomplete, line, 0, {}};
            return false;
        }
        line_ = line;
        x = std::move(fields_[0]);
        y = std::move(fields_[1]);
        z = std::move(fields_[2]);
        return true;
    }
    // A disk that fails midway looks like the end of the file to atEnd().
    if (!failure_ && reader_.failed()) failure_ = FraFailure{};
    return false;
}

std::optional<FraFailure> fraNumbers(const std::string& x, const std::string& y, const std::string& z,
                                     std::int64_t line, double (&xyz)[3]) {
    const std::string* values[] = {&x, &y, &z};
    for (int i = 0; i < 3; ++i) {
        const std::optional<double> v = i < 2 ? coordinateNumber(*values[i]) : commaNumber(*values[i]);
        if (!v) return FraFailure{FraFailure::Kind::NotNumber, line, i, *values[i]};
        xyz[i] = *v;
    }
    return std::nullopt;
}

FraReadResult readFraFile(const std::string& path, CutObject& object, std::size_t maxRows) {
    if (path.empty()) return {FraReadStatus::Refused, drawingmessages::kNoFileName};
    if (!fileExists(path)) return {FraReadStatus::Refused, drawingmessages::kFileNotFound};

    const FraReadResult readError{FraReadStatus::ReadError, drawingmessages::kIncompatibleFra};
    FraReader reader(path);
    // Every row takes at least a byte of the file.
    std::error_code sizeError;
    const std::uintmax_t bytes = std::filesystem::file_size(path, sizeError);
    RowLoad load(object, sizeError ? UINTMAX_MAX : bytes + 1, maxRows);
    CutObject& rows = load.rows();
    if (reader.failure()) {
        load.finish();
        return readError;
    }

    CutMarker marker;
    std::string x, y, z;
    try {
        while (reader.next(x, y, z)) {
            if (load.full()) return {FraReadStatus::Refused, drawingmessages::tooManyRows(maxRows)};
            CutMarks marks = marker.mark(z);
            rows.appendRow(x, y, z, marks.marker, marks.cutNumber, ".");
        }
    } catch (const std::bad_alloc&) {
        // A file too big for memory is unusable like any other; the row being appended
        // may have reached only some columns.
        rows.truncateRows(std::min({rows.x.size(), rows.y.size(), rows.z.size(), rows.marker.size(),
                                    rows.cutNumber.size(), rows.entryMark.size()}));
        load.finish();
        return readError;
    }
    load.finish();
    if (reader.failure()) return readError;
    object.cutCount = marker.cutCountText();
    return {};
}

std::string fraPathFor(const std::string& name) { return name + ".fra"; }

std::optional<Message> writeFraFile(const std::string& name, const CutObject& object) {
    // "dossier/" names a folder and no file: saving it would make a hidden ".fra".
    if (name.empty() || name.back() == '/') return drawingmessages::kNoFileName;
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
