// The manual-control settings, tarvelman.cfg: the flags read, saved and read again are
// the same.
#include "manual/jogsettings.h"
#include "fuzzfiles.h"

using namespace tarvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const JogSettings loaded = loadJogSettings(fuzz::writeInput("tarvelman.cfg", data, size));
    const std::string copy = fuzz::freshPath("copy.cfg");
    if (saveJogSettings(loaded, copy)) __builtin_trap();
    if (!(loadJogSettings(copy) == loaded)) __builtin_trap();
    return 0;
}
