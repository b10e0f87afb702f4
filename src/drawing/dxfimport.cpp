#include "drawing/dxfimport.h"

#include <new>
#include <optional>
#include <utility>

#include "common/files.h"
#include "common/records.h"
#include "common/textrules.h"
#include "drawing/drawingmessages.h"

namespace tarvel {

namespace {

namespace msg = drawingmessages;

// ---------------------------------------------------------------------------------------
// The scan

// A read that ran past the end of the DXF (or failed): the scan cannot go on.
struct ScanStopped {
    DxfScanStatus status;
};

bool isGroupCode(std::string_view text) {
    if (!text.empty() && text.front() == '-') text.remove_prefix(1);
    if (text.empty() || text.size() > 4) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

// Counts the entity names of the ENTITIES section that the import does not take. The
// keyword scanner cannot tell a group code from a value, so this pairs lines the way
// DXF writes them: from the line of "ENTITIES" on, lines alternate group code, value;
// the value after a group code 0 is an entity name, and "ENDSEC" closes the section.
// In a damaged file a line too many or too few shifts the pairs: a group-code line that
// holds no group code, or a name that is one, puts them back in step.
class EntityTally {
public:
    void openAt(std::int64_t line) { sectionLine_ = line; }

    // Every field that begins a line.
    void see(std::int64_t line, std::string_view field) {
        if (sectionLine_ < 0 || line <= sectionLine_) return;
        std::string_view text = trimBlanks(field);
        bool codeLine = ((line - sectionLine_) % 2 == 1) != shifted_;
        if (codeLine != isGroupCode(text) && (codeLine || line == nameLine_)) {
            shifted_ = !shifted_;
            codeLine = !codeLine;
        }
        if (codeLine) {
            nameLine_ = text == "0" ? line + 1 : -1;
            bulgeLine_ = text == "42" && inPolyline_ ? line + 1 : -1;
            return;
        }
        if (line == bulgeLine_ && !polylineBulged_ && pointNumber(text).value_or(0) != 0) {
            polylineBulged_ = true;
            ++bulgedPolylines_;
        }
        if (line != nameLine_) return;
        if (text != "VERTEX") inPolyline_ = text == "POLYLINE";
        if (inPolyline_ && text == "POLYLINE") polylineBulged_ = false;
        if (text == "ENDSEC") {
            sectionLine_ = -1;
            return;
        }
        if (text.empty() || text == "LINE" || text == "POLYLINE" || text == "VERTEX" ||
            text == "SEQEND" || text == "CIRCLE")
            return;
        for (EntityCount& e : counts_) {
            if (e.name == text) {
                ++e.count;
                return;
            }
        }
        // A damaged file can hold any number of different "names": past a few kinds,
        // the rest are only counted.
        if (counts_.size() < kKindsNamed) counts_.push_back({std::string(text), 1});
        else ++others_;
    }

    std::vector<EntityCount> takeCounts() { return std::move(counts_); }
    std::int64_t others() const { return others_; }
    std::int64_t bulgedPolylines() const { return bulgedPolylines_; }

private:
    static constexpr std::size_t kKindsNamed = 20;
    std::int64_t sectionLine_ = -1;
    bool shifted_ = false;
    std::int64_t nameLine_ = -1;
    std::vector<EntityCount> counts_;
    std::int64_t others_ = 0;
    // POLYLINE entities with a vertex whose bulge (42) is not zero.
    bool inPolyline_ = false;
    bool polylineBulged_ = false;
    std::int64_t bulgeLine_ = -1;
    std::int64_t bulgedPolylines_ = 0;
};

class ScanWriter {
public:
    explicit ScanWriter(TextFileWriter& out) : out_(out) {}

    void record(ScanKind kind, std::string_view a, std::string_view b) {
        line_.clear();
        line_ += '"';
        line_ += a;
        line_ += "\",\"";
        line_ += b;
        line_ += "\",\"";
        line_ += static_cast<char>(kind);
        line_ += "\"\r\n";
        out_.write(line_);
        count(kind);
    }
    void twice(ScanKind kind, std::string_view text) { record(kind, text, text); }

    std::size_t rowsEstimate() const { return rows_; }

private:
    void count(ScanKind kind) {
        switch (kind) {
            case ScanKind::PolylineStart: rows_ += 3; inPolyline_ = true; break;
            case ScanKind::LineStart: rows_ += 4; inPolyline_ = false; break;
            case ScanKind::CircleStart: rows_ += 76; inPolyline_ = false; break;
            case ScanKind::ArcStart:
            case ScanKind::PolylineEnd: inPolyline_ = false; break;
            case ScanKind::Point: if (inPolyline_) ++rows_; break;
            default: break;
        }
    }

    TextFileWriter& out_;
    std::string line_;
    std::size_t rows_ = 0;
    bool inPolyline_ = false;
};

const char* colourMark(std::string_view colour) {
    static const char* const kMarks[] = {"11", "12", "13", "14", "15", "16", "17"};
    if (colour.size() == 1 && colour[0] >= '1' && colour[0] <= '7') return kMarks[colour[0] - '1'];
    return "19";
}

class Scanner {
public:
    Scanner(RecordReader& in, ScanWriter& out) : in_(in), out_(out) {}

    DxfScanStatus run() {
        try {
            std::string s;
            do {
                read(s, DxfScanStatus::NoEntities);
            } while (s != "ENTITIES");
            tally_.openAt(lastLine_);
            while (true) {
                read(s, DxfScanStatus::NoEndsec);
                if (act(s) == "ENDSEC") return DxfScanStatus::Scanned;
            }
        } catch (const ScanStopped& stop) {
            return stop.status;
        }
    }

    std::vector<EntityCount> notImported() { return tally_.takeCounts(); }
    std::int64_t otherEntities() const { return tally_.others(); }
    std::int64_t bulgedPolylines() const { return tally_.bulgedPolylines(); }

private:
    // The next field; running out of file stops the scan with `ifEnded`.
    void read(std::string& field, DxfScanStatus ifEnded) {
        const std::int64_t line = in_.lineNumber();
        const bool startsLine = atLineStart_;
        FieldEnd end = FieldEnd::FileEnd;
        if (!in_.readField(field, &end))
            throw ScanStopped{in_.failed() ? DxfScanStatus::Unreadable : ifEnded};
        atLineStart_ = end != FieldEnd::Comma;
        if (startsLine) {
            lastLine_ = line;
            tally_.see(line, field);
        }
    }
    void read(std::string& field) { read(field, DxfScanStatus::NoEndsec); }

    // One field of the ENTITIES section; returns the field read last.
    const std::string& act(const std::string& s) {
        if (s == "POLYLINE") return polylineHeader();
        if (s == "LINE") return startEntity(ScanKind::LineStart, "ligne", inLine_, s);
        if (s == "CIRCLE") return startEntity(ScanKind::CircleStart, "cercle", inCircle_, s);
        if (s == "ARC") return arcCentre();
        if (s == "10") return pointX();
        if (s == "20") return pointY();
        if (s == "40") return radiusAndAngles();
        if (s == "42") return bulge();
        if (s == "11") {
            read(endX_);
            return endX_;
        }
        if (s == "21") return endPoint();
        if (s == "5") {
            // An entity handle: a handle such as "10" is never taken for a group code.
            read(f_);
            return f_;
        }
        if (s == "62") return colour(s);
        if (s == "SEQEND") polylineEnd();
        return s;
    }

    // The header of a polyline: its own 10, 20, 62... are passed over; only 70 says
    // whether the polyline is closed.
    const std::string& polylineHeader() {
        out_.twice(ScanKind::PolylineStart, "0");
        pendingFirstPoint_ = true;
        inPolyline_ = true;
        while (true) {
            read(f_, DxfScanStatus::PolylineWithoutVertex);
            if (f_ == "VERTEX") return f_;
            if (f_ == "70") {
                closedPolyline_ = false;
                read(f_, DxfScanStatus::PolylineWithoutVertex);
                const double flags = leadingNumber(f_);
                closedPolyline_ = flags == 1 || flags == 129;
            }
        }
    }

    const std::string& startEntity(ScanKind kind, std::string_view name, bool& inEntity, const std::string& s) {
        pendingFirstPoint_ = true;
        out_.twice(kind, name);
        inEntity = true;
        return s;
    }

    const std::string& arcCentre() {
        out_.twice(ScanKind::ArcStart, "arc");
        inArc_ = true;
        do {
            read(f_, DxfScanStatus::ArcWithoutCentre);
        } while (f_ != "10");
        read(lastX_);
        out_.twice(ScanKind::ArcCentreX, lastX_);
        return lastX_;
    }

    const std::string& pointX() {
        read(lastX_);
        if (pendingFirstPoint_) {
            out_.twice(ScanKind::Mark, "19");
            pendingFirstPoint_ = false;
        }
        return lastX_;
    }

    const std::string& pointY() {
        read(lastY_);
        if (closedPolyline_) {
            firstX_ = lastX_;
            firstY_ = lastY_;
            closedPolyline_ = false;
        }
        out_.record(ScanKind::Point, lastX_, lastY_);
        return lastY_;
    }

    const std::string& radiusAndAngles() {
        read(f_);
        out_.twice(ScanKind::Announcement, "rayon");
        out_.twice(ScanKind::Value, f_);
        if (inArc_) {
            // Groups 50 and 51: the start and end angles.
            for (int angle = 0; angle < 2; ++angle) {
                read(f_);
                read(f_);
                out_.twice(ScanKind::Value, f_);
            }
            inArc_ = false;
        }
        return f_;
    }

    const std::string& bulge() {
        read(f_);
        out_.twice(ScanKind::Announcement, "rayon");
        out_.twice(ScanKind::Value, f_);
        return f_;
    }

    const std::string& endPoint() {
        read(endY_);
        out_.record(ScanKind::Point, endX_, endY_);
        return endY_;
    }

    const std::string& colour(const std::string& s) {
        pendingFirstPoint_ = false;
        if (!inPolyline_ && !inLine_ && !inCircle_) return s;
        read(f_);
        out_.twice(ScanKind::Mark, colourMark(f_));
        inPolyline_ = inLine_ = inCircle_ = false;
        return f_;
    }

    // A closed polyline ends on its first point again.
    void polylineEnd() {
        if (!firstX_.empty()) {
            out_.record(ScanKind::Point, firstX_, firstY_);
            firstX_.clear();
            firstY_.clear();
        }
        out_.twice(ScanKind::PolylineEnd, "1");
    }

    RecordReader& in_;
    ScanWriter& out_;
    EntityTally tally_;
    bool atLineStart_ = true;
    std::int64_t lastLine_ = 0;

    std::string f_;
    bool pendingFirstPoint_ = false;
    bool inPolyline_ = false;
    bool inLine_ = false;
    bool inCircle_ = false;
    bool inArc_ = false;
    bool closedPolyline_ = false;
    std::string lastX_, lastY_;
    std::string endX_, endY_;
    std::string firstX_, firstY_;
};

// ---------------------------------------------------------------------------------------
// The build

struct ScanRecord {
    std::string a;
    std::string b;
    ScanKind kind = ScanKind::Unknown;
};

bool startsEntity(ScanKind k) {
    return k == ScanKind::PolylineStart || k == ScanKind::LineStart ||
           k == ScanKind::CircleStart || k == ScanKind::ArcStart;
}
bool bounds(ScanKind k) { return startsEntity(k) || k == ScanKind::PolylineEnd; }

// The scan file's records, with one record of look-ahead.
class ScanRecords {
public:
    explicit ScanRecords(const std::string& path) : in_(path) {}

    bool isOpen() const { return in_.isOpen(); }
    bool failed() const { return in_.failed(); }

    bool next(ScanRecord& r) {
        if (held_) {
            held_ = false;
            r = std::move(heldRecord_);
            return true;
        }
        if (in_.atEnd()) return false;
        const bool whole = in_.readRecord(fields_, 3);
        r.a = fields_.size() > 0 ? std::move(fields_[0]) : std::string();
        r.b = fields_.size() > 1 ? std::move(fields_[1]) : std::string();
        r.kind = whole && fields_[2].size() == 1 ? static_cast<ScanKind>(fields_[2][0])
                                                 : ScanKind::Unknown;
        return true;
    }
    void putBack(ScanRecord&& r) {
        heldRecord_ = std::move(r);
        held_ = true;
    }

    // The next record of `kind`, passing over marks, points and values of other kinds;
    // false at the end of the file or at a start or end record, which is kept for the
    // next read.
    bool nextOfKind(ScanKind kind, ScanRecord& r) {
        while (next(r)) {
            if (r.kind == kind) return true;
            if (bounds(r.kind)) {
                putBack(std::move(r));
                return false;
            }
        }
        return false;
    }

private:
    RecordReader in_;
    std::vector<std::string> fields_;
    ScanRecord heldRecord_;
    bool held_ = false;
};

// A drawing that passes the row limit: the build stops at once.
struct RowLimitReached {};

class Builder {
public:
    Builder(ScanRecords& in, const AngleTables& tables, CutObject& object, std::int64_t& counter,
            std::size_t maxRows)
        : in_(in), tables_(tables), object_(object), counter_(counter), maxRows_(maxRows) {}

    void run() {
        ScanRecord r;
        while (in_.next(r)) {
            switch (r.kind) {
                case ScanKind::PolylineStart: polyline(); break;
                case ScanKind::LineStart: line(); break;
                case ScanKind::CircleStart: circle(); break;
                default: break;  // arcs, and records outside a known entity
            }
        }
    }

private:
    // The raised row at the first point, then the plunged one with the cut number.
    void plunge(std::string_view x, std::string_view y) {
        append(x, y, "0", "D", ".");
        append(x, y, "1", "0", integerText(counter_));
        ++counter_;
    }
    void inMaterial(std::string_view x, std::string_view y) { append(x, y, "1", "0", "."); }
    void raise(std::string_view x, std::string_view y) { append(x, y, "0", "F", "."); }
    void append(std::string_view x, std::string_view y, std::string_view z, std::string_view marker,
                std::string_view cutNumber) {
        if (object_.rows() >= maxRows_) throw RowLimitReached{};
        object_.appendRow(x, y, z, marker, cutNumber, ".");
    }

    void polyline() {
        ScanRecord r;
        if (!in_.nextOfKind(ScanKind::Point, r)) return;
        plunge(numberText(r.a), numberText(r.b));
        while (in_.next(r)) {
            if (r.kind == ScanKind::PolylineEnd) break;
            if (startsEntity(r.kind)) {
                in_.putBack(std::move(r));
                break;
            }
            if (r.kind == ScanKind::Announcement) {
                // A width or a bulge: dropped with its value.
                if (in_.next(r) && r.kind != ScanKind::Value) in_.putBack(std::move(r));
                continue;
            }
            if (r.kind == ScanKind::Point) inMaterial(numberText(r.a), numberText(r.b));
        }
        // At the last vertex, or at the first when there is no other.
        raise(object_.x.back(), object_.y.back());
    }

    void line() {
        ScanRecord start, end;
        if (!in_.nextOfKind(ScanKind::Point, start) || !in_.nextOfKind(ScanKind::Point, end)) return;
        const std::string x1 = numberText(start.a), y1 = numberText(start.b);
        const std::string x2 = numberText(end.a), y2 = numberText(end.b);
        plunge(x1, y1);
        inMaterial(x2, y2);
        raise(x2, y2);
    }

    void circle() {
        ScanRecord centre, radius;
        if (!in_.nextOfKind(ScanKind::Point, centre) || !in_.nextOfKind(ScanKind::Value, radius))
            return;
        const double cx = leadingNumber(centre.a);
        const double cy = leadingNumber(centre.b);
        const double r = leadingNumber(radius.a);
        plunge(decimalText(cx + r), decimalText(cy));
        // Counter-clockwise from the rightmost point, in 5° chords.
        for (std::size_t i = 5; i < AngleTables::kLastUsed; i += 5)
            inMaterial(decimalText(cx + r * tables_.cosine[i]), decimalText(cy + r * tables_.sine[i]));
        const std::string x = decimalText(cx + r * tables_.cosine[AngleTables::kLastUsed]);
        const std::string y = decimalText(cy + r * tables_.sine[AngleTables::kLastUsed]);
        inMaterial(x, y);
        inMaterial(x, y);
        raise(x, y);
    }

    ScanRecords& in_;
    const AngleTables& tables_;
    CutObject& object_;
    std::int64_t& counter_;
    std::size_t maxRows_;
};

Message scanMessage(DxfScanStatus status) {
    switch (status) {
        case DxfScanStatus::NoEntities: return msg::kDxfNoEntities;
        case DxfScanStatus::NoEndsec: return msg::kDxfNoEndsec;
        case DxfScanStatus::PolylineWithoutVertex: return msg::kDxfPolylineWithoutVertex;
        case DxfScanStatus::ArcWithoutCentre: return msg::kDxfArcWithoutCentre;
        case DxfScanStatus::ScanFileNotWritable: return msg::kScanFileUnusable;
        case DxfScanStatus::Unreadable:
        case DxfScanStatus::Scanned: break;
    }
    return msg::kDxfUnreadable;
}

}  // namespace

DxfScanResult scanDxf(const std::string& dxfPath, const std::string& scanPath) {
    DxfScanResult result;
    RecordReader in(dxfPath);
    if (!in.isOpen()) {
        result.status = DxfScanStatus::Unreadable;
        return result;
    }
    // The scan file of the previous import goes first, whatever becomes of this one.
    removeFile(scanPath);
    TextFileWriter file(scanPath);
    if (!file.isOpen()) {
        result.status = DxfScanStatus::ScanFileNotWritable;
        return result;
    }
    ScanWriter out(file);
    Scanner scanner(in, out);
    result.status = scanner.run();
    if (result.status != DxfScanStatus::Scanned) return result;
    if (!file.commit()) {
        result.status = DxfScanStatus::ScanFileNotWritable;
        return result;
    }
    result.notImported = scanner.notImported();
    result.otherEntities = scanner.otherEntities();
    result.bulgedPolylines = scanner.bulgedPolylines();
    result.rowsEstimate = out.rowsEstimate();
    return result;
}

BuildStatus buildFromScan(const std::string& scanPath, const AngleTables& tables, CutObject& object,
                          std::int64_t& counter, std::size_t maxRows) {
    ScanRecords in(scanPath);
    if (!in.isOpen()) return BuildStatus::Unreadable;
    try {
        Builder(in, tables, object, counter, maxRows).run();
    } catch (const RowLimitReached&) {
        return BuildStatus::TooManyRows;
    }
    return in.failed() ? BuildStatus::Unreadable : BuildStatus::Built;
}

ImportResult importDxfFile(const std::string& path, const AngleTables& tables,
                           const std::string& scanPath, CutObject& object, std::size_t maxRows) {
    if (path.empty()) return {ImportStatus::Refused, msg::kNoFileName};
    if (!fileExists(path)) return {ImportStatus::Refused, msg::kFileNotFound};
    if (!tables.usable())
        return {ImportStatus::Refused,
                tables.fault ? *tables.fault : msg::angleTableFault("sin1.txt", msg::kAngleTableMissing)};

    DxfScanResult scan;
    std::int64_t counter = 1;
    try {
        scan = scanDxf(path, scanPath);
        if (scan.status != DxfScanStatus::Scanned) {
            object.clearRows();
            return {ImportStatus::Failed, scanMessage(scan.status)};
        }
        RowLoad load(object, scan.rowsEstimate, maxRows);
        switch (buildFromScan(scanPath, tables, load.rows(), counter, maxRows)) {
            case BuildStatus::Built: load.finish(); break;
            case BuildStatus::TooManyRows: return {ImportStatus::Refused, msg::tooManyRows(maxRows)};
            case BuildStatus::Unreadable:
                object.clearRows();
                return {ImportStatus::Failed, msg::kScanFileUnusable};
        }
    } catch (const std::bad_alloc&) {
        // Frees the rows; "Nbre coupes" keeps its text.
        CutObject empty;
        empty.cutCount = std::move(object.cutCount);
        object = std::move(empty);
        return {ImportStatus::Failed, msg::kDxfTooBig};
    }
    object.cutCount = integerText(counter - 1);

    ImportResult imported;
    if (!scan.notImported.empty()) {
        std::string list;
        for (const EntityCount& e : scan.notImported) {
            if (!list.empty()) list += ", ";
            list += integerText(e.count) + " " + excerpt(e.name);
        }
        imported.message = msg::notImportedEntities(list, scan.otherEntities);
    }
    if (scan.bulgedPolylines > 0) {
        const std::string bulged = msg::bulgedPolylines(scan.bulgedPolylines) + ".";
        if (imported.message) imported.message->text += "\n" + bulged;
        else imported.message = Message{bulged, "Import DXF", Icon::Information};
    }
    return imported;
}

}  // namespace tarvel
