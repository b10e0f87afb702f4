#include "manual/jogsettings.h"

#include <vector>

#include "common/files.h"
#include "common/records.h"
#include "common/textrules.h"

namespace tarvel {

JogSettings loadJogSettings(const std::string& path) {
    JogSettings s;
    if (!fileExists(path)) return s;
    RecordReader reader(path);
    if (!reader.isOpen()) return s;
    std::vector<std::string> fields;
    reader.readRecord(fields, 3);  // a short line leaves the missing flags cleared
    if (reader.failed()) return s;
    bool* flags[] = {&s.invertArrowX, &s.invertArrowY, &s.invertArrowZ};
    for (std::size_t i = 0; i < fields.size() && i < 3; ++i) *flags[i] = readsAsOne(fields[i]);
    return s;
}

std::optional<Message> createJogSettingsIfMissing(const std::string& path) {
    if (fileExists(path)) return std::nullopt;
    const std::string zero = quotedField("0");
    return replaceFileText(path, recordLine({zero, zero, zero}));
}

std::optional<Message> saveJogSettings(const JogSettings& settings, const std::string& path) {
    auto bit = [](bool on) { return std::string(on ? "1" : "0"); };
    return replaceFileText(
        path, recordLine({bit(settings.invertArrowX), bit(settings.invertArrowY), bit(settings.invertArrowZ)}));
}

}  // namespace tarvel
