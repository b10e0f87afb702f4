// The details file (.det). Details read, written again and read back are the same,
// unless a field holds a double quote, which a quoted field cannot hold.
#include "cutting/jobparameters.h"
#include "fuzzfiles.h"

using namespace tarvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<JobParameters> read = readJobParameters(fuzz::writeInput("piece.det", data, size));
    if (!read) return 0;
    for (auto field : JobParameters::fields())
        if (((*read).*field).find('"') != std::string::npos) return 0;
    const std::string copy = fuzz::freshPath("copie.det");
    if (writeJobParameters(*read, copy)) __builtin_trap();
    if (readJobParameters(copy) != read) __builtin_trap();
    return 0;
}
