// The object file (.fra). Whatever the file, the six columns keep one length; a file read
// whole numbers as many cuts as "Nbre coupes" says, and saved and read again gives the
// same rows between the two origin lines the save adds (X and Y through the number-text
// rule), unless a field holds a double quote, which a quoted field cannot hold.
#include <algorithm>

#include "common/textrules.h"
#include "drawing/frafile.h"
#include "fuzzfiles.h"

using namespace tarvel;

namespace {
bool sameLengths(const CutObject& o) {
    const std::size_t n = o.x.size();
    return o.y.size() == n && o.z.size() == n && o.marker.size() == n && o.cutNumber.size() == n &&
           o.entryMark.size() == n;
}
bool holdsQuote(const TextColumn& column) {
    return std::any_of(column.begin(), column.end(),
                       [](std::string_view s) { return s.find('"') != std::string_view::npos; });
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CutObject object;
    object.appendRow("1", "2", "0", "D", ".", ".");  // rows of an earlier object
    object.cutCount = "7";
    const FraReadResult read = readFraFile(fuzz::writeInput("piece.fra", data, size), object);
    if (read.status == FraReadStatus::Refused || read.message.has_value() != (read.status != FraReadStatus::Read))
        __builtin_trap();
    if (!sameLengths(object)) __builtin_trap();
    if (read.status != FraReadStatus::Read) return 0;

    const auto numbered = std::count_if(object.cutNumber.begin(), object.cutNumber.end(),
                                        [](std::string_view s) { return s != "."; });
    if (object.cutCount != integerText(numbered)) __builtin_trap();

    if (holdsQuote(object.x) || holdsQuote(object.y) || holdsQuote(object.z)) return 0;
    const std::string name = fuzz::freshPath("copie");
    fuzz::freshPath("copie.fra");
    if (writeFraFile(name, object)) __builtin_trap();
    CutObject again;
    if (readFraFile(fraPathFor(name), again).status != FraReadStatus::Read) __builtin_trap();
    if (again.rows() != object.rows() + 2) __builtin_trap();
    for (std::size_t i = 0; i < object.rows(); ++i)
        if (again.x[i + 1] != numberText(object.x[i]) || again.y[i + 1] != numberText(object.y[i]) ||
            again.z[i + 1] != object.z[i])
            __builtin_trap();
    return 0;
}
