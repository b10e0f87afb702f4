// The machine configuration, tarvel1.cfg. A loaded configuration saved and loaded again
// keeps every value, the first four through the decimal-point rule the save applies,
// unless a field holds a double quote, which a quoted field cannot hold.
#include "config/machineconfig.h"
#include "common/textrules.h"
#include "fuzzfiles.h"

using namespace tarvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::writeInput("tarvel1.cfg", data, size);
    std::optional<MachineConfig> loaded = loadMachineConfig(path);
    if (!loaded) __builtin_trap();  // the file is there

    // The configuration window recomputes every weight from its pin on opening.
    for (const auto* pin : {&loaded->xDirPin, &loaded->xClockPin, &loaded->yDirPin, &loaded->yClockPin,
                            &loaded->zDirPin, &loaded->zClockPin, &loaded->spareDirPin, &loaded->spareClockPin})
        pinWeight(*pin);
    portAddressFor(loaded->portNumber);

    MachineConfig expected = *loaded;
    const auto& fields = MachineConfig::textFields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        std::string& value = expected.*fields[i];
        if (value.find('"') != std::string::npos) return 0;
        if (i < 4) value = numberText(value);
    }
    const std::string copy = fuzz::freshPath("copy.cfg");
    if (saveMachineConfig(*loaded, copy)) __builtin_trap();
    std::optional<MachineConfig> again = loadMachineConfig(copy);
    if (!again) __builtin_trap();
    for (auto field : fields)
        if ((*again).*field != expected.*field) __builtin_trap();
    if (again->invertX != expected.invertX || again->invertY != expected.invertY ||
        again->invertZ != expected.invertZ)
        __builtin_trap();
    return 0;
}
