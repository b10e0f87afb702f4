// Importing a DXF drawing: the LINE, POLYLINE (with its VERTEX and SEQEND) and CIRCLE
// entities of the ENTITIES section become cuts of the object, in the order they come.
// Two stages joined by the scan file ("tempX" in the scratch folder):
//
//   scanDxf        DXF fields   ->  scan file records
//   buildFromScan  scan records ->  rows of the CutObject
//
// scanDxf is a tolerant keyword scanner, not a DXF parser. It reads the file with the
// program's field reader (leading blanks dropped, a comma or the line end ends a field,
// a double quote runs to the next one), looks at every field after "ENTITIES", group
// codes and values alike, and reacts to a fixed set of words, compared exactly ("LINE",
// never "line"): POLYLINE, LINE, CIRCLE, ARC, SEQEND and the group codes 10, 20, 11, 21,
// 40, 42, 62 and 5. It stops after a field "ENDSEC". The groups of entities it does not
// know (TEXT, LWPOLYLINE, INSERT...) still act, and leave stray records between those of
// the known ones; buildFromScan passes them over.
//
// Scan file records. One line each, three quoted fields: the record's two texts, then
// its kind, one letter:
//
//   "0","0","P"                 polyline start
//   "ligne","ligne","L"         line start
//   "cercle","cercle","C"       circle start
//   "arc","arc","A"             arc start
//   "19","19","M"               mark before an entity's first point: "11" to "17" for
//                               colours 1 to 7, "19" for any other or none
//   "10.5","5.0","p"            point: X and Y as the DXF wrote them (groups 10/20,
//                               11/21, and the first vertex again closing a polyline)
//   "3.0","3.0","X"             an arc's centre X
//   "rayon","rayon","R"         a value follows: group 40 (radius, width) or 42 (bulge)
//   "2.5","2.5","v"             value (also an arc's two angles)
//   "1","1","E"                 polyline end
//
// The two texts are the records the program has always written; the kind is there
// because the texts alone can be mistaken for one another when a DXF writes whole
// numbers: a stray point "0","0" reads as a polyline start, a vertex "1","1" as a
// polyline end, a colour mark "15","15" inside a polyline as a vertex. buildFromScan
// goes by the kind:
//   - an entity starts only at a start record; anything else outside an entity is
//     passed over (an arc start included: arcs are not imported);
//   - a line takes the first two points after its start, a circle the first point (its
//     centre) and the next value (its radius), a polyline the first point as its first
//     vertex; the mark and the announcement between them are passed over;
//   - a polyline's vertices are its point records up to its end record; marks are passed
//     over, and an announcement drops the value that follows it (a width or a bulge: the
//     polyline is followed vertex to vertex with straight segments);
//   - a start or end record never serves as a point: a line or circle that meets one
//     before it has its points gives no rows, and a polyline that meets a start record
//     ends there; the record is then taken for what it is.
// For the records an ordinary drawing gives (each entity's groups in the usual order,
// 62 before 10) this is record for record what reading by position gives.
//
// Rows:
//   LINE                         4: start raised "D", start plunged with the cut number,
//                                end in the material, end raised "F"
//   open POLYLINE of n vertices  n + 2: first vertex raised "D" and plunged with the cut
//                                number, vertices 2 to n, last vertex raised "F"
//   closed POLYLINE (70 = 1 or 129)  n + 3: the first vertex again after vertex n
//   CIRCLE                       76: the rightmost point raised "D" and plunged, the 72
//                                points at 5°, 10°, ... 360°, the 360° point twice more
//                                (in the material, then raised "F")
// Line and vertex coordinates keep their DXF text, "." at character 2, 3 or 4 turned
// into ","; circle points are computed from the leading-number values of the centre and
// radius texts and the angle tables, and written as decimal text with ",".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "drawing/angletables.h"
#include "drawing/cutobject.h"
#include "drawing/importresult.h"

namespace tarvel {

// The scan file's name in the scratch folder.
inline constexpr std::string_view kScanFileName = "tempX";

enum class ScanKind : char {
    PolylineStart = 'P',
    LineStart = 'L',
    CircleStart = 'C',
    ArcStart = 'A',
    Mark = 'M',
    Point = 'p',
    ArcCentreX = 'X',
    Announcement = 'R',
    Value = 'v',
    PolylineEnd = 'E',
    Unknown = '?',  // a record of no known kind, as read back
};

enum class DxfScanStatus {
    Scanned,
    Unreadable,             // the DXF cannot be opened or read
    NoEntities,             // the file ends before a field "ENTITIES"
    NoEndsec,               // the file ends before the scan met "ENDSEC"
    PolylineWithoutVertex,  // the file ends in a POLYLINE's header, before a "VERTEX"
    ArcWithoutCentre,       // the file ends in an ARC, before its group 10
    ScanFileNotWritable,
};

// An entity of the ENTITIES section that the import does not take, and how many times
// it occurs.
struct EntityCount {
    std::string name;
    std::int64_t count = 0;
};

struct DxfScanResult {
    DxfScanStatus status = DxfScanStatus::Scanned;
    // The names after group code 0 in the ENTITIES section other than LINE, POLYLINE,
    // VERTEX, SEQEND and CIRCLE, in the order they first appear; the first twenty
    // names only, the entities of further names are counted in otherEntities.
    std::vector<EntityCount> notImported;
    std::int64_t otherEntities = 0;
    // POLYLINE entities with at least one bulge, which the import follows as chords.
    std::int64_t bulgedPolylines = 0;
    // At least the number of rows the scan file will give.
    std::size_t rowsEstimate = 0;
};

// Reads the DXF at `dxfPath` and writes the scan file at `scanPath` (replaced whole; on
// failure no scan file is left).
DxfScanResult scanDxf(const std::string& dxfPath, const std::string& scanPath);

enum class BuildStatus {
    Built,
    Unreadable,   // the scan file cannot be read back
    TooManyRows,  // the object would pass `maxRows` rows
};

// Appends the rows of the scan file at `scanPath` to `object`, numbering cuts from
// `counter`, which ends one past the last cut's number. When it stops early, the rows
// appended so far stay.
BuildStatus buildFromScan(const std::string& scanPath, const AngleTables& tables, CutObject& object,
                          std::int64_t& counter, std::size_t maxRows = kMaxRows);

// The whole import of the file-name field's `path`: a missing name or file, or unusable
// angle tables, refuse it with the object untouched; otherwise the object is emptied,
// scanned and built, and cutCount becomes the number of cuts. A drawing that cannot be
// scanned or built leaves the object empty and cutCount as it was; one of more than
// `maxRows` rows is refused with the object untouched. After an import, the message (if
// any) tells which entities of the drawing were not imported.
ImportResult importDxfFile(const std::string& path, const AngleTables& tables,
                           const std::string& scanPath, CutObject& object,
                           std::size_t maxRows = kMaxRows);

}  // namespace tarvel
