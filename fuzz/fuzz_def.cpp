// The cutting file (.def). The ticks read, written again by the generator's writer and
// read back, are the same ticks.
#include <vector>

#include "cutting/cutprogram.h"
#include "fuzzfiles.h"

using namespace tarvel;

namespace {
std::vector<std::int64_t> readTicks(const std::string& path, CutProgramReader::Status& last) {
    CutProgramReader reader(path);
    std::vector<std::int64_t> ticks;
    std::int64_t value = 0;
    while ((last = reader.next(value)) == CutProgramReader::Status::Tick) ticks.push_back(value);
    if (last != CutProgramReader::Status::End) reader.problem();
    return ticks;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CutProgramReader::Status last;
    const std::vector<std::int64_t> ticks = readTicks(fuzz::writeInput("piece.def", data, size), last);
    if (last == CutProgramReader::Status::ReadError) __builtin_trap();

    const std::string copy = fuzz::freshPath("copie.def");
    CutProgramWriter writer(copy);
    for (std::int64_t t : ticks) writer.write(t);
    if (!writer.commit()) __builtin_trap();
    if (readTicks(copy, last) != ticks || last != CutProgramReader::Status::End) __builtin_trap();
    return 0;
}
