// The DXF import, both stages: the scan of the drawing into the scan file, then the rows
// built from it. The scan's row estimate, which sizes the object, is never below the rows
// the build makes.
#include "drawing/dxfimport.h"
#include "fuzzfiles.h"

using namespace tarvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const AngleTables& tables = fuzz::computedAngleTables();
    const std::string dxf = fuzz::writeInput("dessin.dxf", data, size);
    const std::string scan = fuzz::scratchFolder() + "/tempX";
    const DxfScanResult scanned = scanDxf(dxf, scan);
    if (scanned.status != DxfScanStatus::Scanned) return 0;
    CutObject object;
    std::int64_t counter = 1;
    if (buildFromScan(scan, tables, object, counter) != BuildStatus::Built) __builtin_trap();
    if (object.rows() > scanned.rowsEstimate) __builtin_trap();
    return 0;
}
