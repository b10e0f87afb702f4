// The profile import (.dat).
#include "drawing/datimport.h"
#include "fuzzfiles.h"

using namespace tarvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CutObject object;
    const ImportResult result = importDatFile(fuzz::writeInput("profil.dat", data, size), object);
    if (result.status == ImportStatus::Refused) __builtin_trap();  // the name ends in "dat" and the file is there
    // A profile that imports is one cut, ended raised.
    if (result.status == ImportStatus::Imported && (object.rows() < 2 || object.z.back() != "0"))
        __builtin_trap();
    return 0;
}
