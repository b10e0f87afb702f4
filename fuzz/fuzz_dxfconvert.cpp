// The DXF conversion: the drawing read as group-code pairs, then every entity turned into
// straight segments. Whatever converts gives whole cuts: as many "D" rows as "F" rows as
// cuts counted, and no coordinate that is not a number.
#include <algorithm>
#include "drawing/dxfconvert.h"
#include "fuzzfiles.h"

using namespace tarvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const AngleTables& tables = fuzz::computedAngleTables();
    DxfDrawing drawing;
    if (readDxfDrawing(fuzz::writeInput("dessin.dxf", data, size), drawing)) return 0;
    CutObject object;
    // A coarse tolerance and a low row limit keep each run short.
    const ImportResult r = convertDxfDrawing(drawing, size % 2 ? 0.01 : 0.5, tables, object, 200'000);
    if (r.status != ImportStatus::Imported) return 0;
    const auto count = [&](const char* m) { return std::count(object.marker.begin(), object.marker.end(), m); };
    if (count("D") != count("F") || std::to_string(count("D")) != object.cutCount) __builtin_trap();
    for (std::size_t i = 0; i < object.rows(); ++i) {
        for (const std::string_view text : {object.x[i], object.y[i]})
            if (text.find("NaN") != std::string::npos || text.find("Inf") != std::string::npos) __builtin_trap();
    }
    return 0;
}
