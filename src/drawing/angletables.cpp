#include "drawing/angletables.h"

#include <string_view>

#include "common/paths.h"
#include "common/records.h"
#include "common/textrules.h"
#include "drawing/drawingmessages.h"

namespace tarvel {

namespace {

namespace msg = drawingmessages;

// Fills entries 1.. of `table`; nullopt when the file served.
std::optional<Message> readTable(const std::string& programDir, std::string_view name,
                                 std::array<double, AngleTables::kLastEntry + 1>& table) {
    RecordReader in(programFilePath(programDir, name));
    if (!in.isOpen()) return msg::angleTableFault(name, msg::kAngleTableMissing);
    int index = -1;  // the first value, for 0°, is read and dropped
    std::string field;
    while (true) {
        const std::int64_t line = in.lineNumber();
        if (!in.readField(field)) break;
        std::string_view text = trimBlanks(field);
        if (text.empty()) continue;
        std::optional<double> value = pointNumber(text);
        if (!value) return msg::angleTableFault(name, msg::angleTableNotANumber(integerText(line)));
        if (++index > AngleTables::kLastEntry) return msg::angleTableFault(name, msg::kAngleTableTooLong);
        if (index > 0) table[static_cast<std::size_t>(index)] = *value;
    }
    if (in.failed()) return msg::angleTableFault(name, msg::kAngleTableMissing);
    if (index < 0) return msg::angleTableFault(name, msg::kAngleTableEmpty);
    if (index < AngleTables::kLastUsed) return msg::angleTableFault(name, msg::kAngleTableTooShort);
    return std::nullopt;
}

}  // namespace

AngleTables readAngleTables(const std::string& programDir) {
    AngleTables t;
    t.loaded = true;
    t.fault = readTable(programDir, "sin1.txt", t.sine);
    if (!t.fault) t.fault = readTable(programDir, "cos1.txt", t.cosine);
    return t;
}

}  // namespace tarvel
