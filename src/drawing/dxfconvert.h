// Converting the DXF entities the import leaves out: drawings from current CAD programs
// (R2000 and later) hold arcs, light polylines, splines, ellipses and blocks, which the
// machine can only follow as straight segments. On request the import reads the drawing
// a second time with this reader and rebuilds the whole object from it:
//
//   readDxfDrawing     DXF group-code pairs  ->  DxfDrawing (HEADER units, BLOCKS, ENTITIES)
//   convertDxfDrawing  DxfDrawing            ->  rows of the CutObject, one cut per entity
//
// Unlike the keyword scan of dxfimport.h this reader takes the file as what it is, pairs
// of lines: a group code, then its value. It keeps, per entity, the groups it needs and
// passes over every other.
//
// Each entity becomes a polyline of straight segments, in the order of the file, with the
// rows of an imported POLYLINE (first point raised "D", plunged with the cut number, the
// other points in the material, last point raised "F"). No chord strays from its curve by
// more than the tolerance:
//   ARC, bulged vertices   n = ceil(angle / (2 acos(1 - tol / r))) equal chords
//   ELLIPSE, SPLINE        chords halved until the curve's points at a quarter, half and
//                          three quarters of each chord lie within the tolerance of it
//   LINE, CIRCLE           as the plain import: two points; 72 chords of 5°
// A closed shape ends on its first point, written with the same text. Coordinates keep
// their DXF text (number-text rule) where nothing moves them: lines and polyline vertices
// outside blocks, in millimetres, seen from +Z; every other point is computed and written
// with decimalText.
//
// Where an entity lands:
//   - an extrusion direction (210/220/230) other than +Z puts ARC, CIRCLE, LWPOLYLINE,
//     POLYLINE and INSERT in their own object coordinate system (the DXF arbitrary-axis
//     rule); for (0, 0, -1) that mirrors X, as a CAD program shows it;
//   - an INSERT places its block: minus the block's base point, scaled (41, 42), turned
//     (50), moved to the insertion point; blocks nest up to kMaxBlockDepth deep;
//   - $INSUNITS 1, 5 and 6 (inches, centimetres, metres) scale the drawing to millimetres.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "drawing/angletables.h"
#include "drawing/cutobject.h"
#include "drawing/dxfimport.h"
#include "drawing/importresult.h"

namespace tarvel {

inline constexpr double kDefaultTolerance = 0.01;  // mm
inline constexpr int kMaxBlockDepth = 8;

struct DxfVertex {
    std::string xText, yText;  // as the DXF wrote them
    double x = 0, y = 0, bulge = 0;
};

enum class DxfShape { Line, Polyline, Circle, Arc, Ellipse, Spline, Insert };

struct DxfEntity {
    DxfShape shape = DxfShape::Line;
    std::string name;  // the DXF name, for the notice of what was left out
    bool bad = false;  // a value that is no number, or geometry that cannot be drawn
    bool closed = false;
    std::vector<DxfVertex> points;  // vertices; line ends; centre; spline control points
    std::vector<double> weights, knots;
    std::vector<DxfVertex> fitPoints;
    double nx = 0, ny = 0, nz = 1;  // extrusion direction
    // radius or ratio (40), angles or parameters (50/51, 41/42), scales (41/42), rotation
    double radius = 0, start = 0, end = 0, ratio = 1, scaleX = 1, scaleY = 1, rotation = 0;
    double majorX = 0, majorY = 0;  // ellipse: major axis end from the centre
    double startTangentX = 0, startTangentY = 0, endTangentX = 0, endTangentY = 0;
    bool tangents = false;
    int degree = 3;
    std::string block;  // INSERT: the block's name
};

struct DxfBlock {
    std::string name;
    double baseX = 0, baseY = 0;
    std::vector<DxfEntity> entities;
};

struct DxfDrawing {
    int units = 0;                  // $INSUNITS
    std::vector<DxfEntity> entities;
    std::vector<DxfBlock> blocks;
    // Entities of the ENTITIES section that the conversion takes in addition to the plain
    // import's (ARC, LWPOLYLINE, SPLINE, ELLIPSE, INSERT), counted in order of first
    // appearance, and the POLYLINE entities with at least one bulge.
    std::vector<EntityCount> convertible;
    std::int64_t bulgedPolylines = 0;
    // Every other entity of ENTITIES that is not taken (TEXT, DIMENSION, HATCH...).
    std::vector<EntityCount> leftOut;

    bool anythingToConvert() const { return !convertible.empty() || bulgedPolylines > 0; }
    // Millimetres per drawing unit.
    double unitScale() const;
};

// Reads the drawing at `path`; without `entities`, only its units and counts (what the
// question needs). A file that cannot be read, or is not group-code pairs up to the end of
// its ENTITIES section, gives the message that says so.
std::optional<Message> readDxfDrawing(const std::string& path, DxfDrawing& drawing, bool entities = true);

// The question that offers the conversion, with the drawing's counts and units.
Message conversionQuestion(const DxfDrawing& drawing, double tolerance);

// Replaces the object's rows by the drawing's, every entity turned into straight segments
// within `tolerance` mm. More than `maxRows` rows, or blocks that nest into too many
// entities, refuse it with the object as it was. The message after an import names what
// was left out.
ImportResult convertDxfDrawing(const DxfDrawing& drawing, double tolerance, const AngleTables& tables,
                               CutObject& object, std::size_t maxRows = kMaxRows);

// A tolerance typed by the user, "0,01" or "0.01": a positive number, or nothing.
std::optional<double> toleranceFromText(const std::string& text);

}  // namespace tarvel
