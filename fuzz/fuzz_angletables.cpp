// The angle tables: the input serves as both sin1.txt and cos1.txt. Tables that can be
// used hold a finite number in every entry the circles use.
#include <cmath>

#include "drawing/angletables.h"
#include "fuzzfiles.h"

using namespace tarvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::writeInput("sin1.txt", data, size);
    fuzz::writeInput("cos1.txt", data, size);
    const AngleTables tables = readAngleTables(fuzz::scratchFolder());
    if (!tables.usable()) return 0;
    for (int i = 1; i <= AngleTables::kLastUsed; ++i)
        if (!std::isfinite(tables.sine[static_cast<std::size_t>(i)]) ||
            !std::isfinite(tables.cosine[static_cast<std::size_t>(i)]))
            __builtin_trap();
    return 0;
}
