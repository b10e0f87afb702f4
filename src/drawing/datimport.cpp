#include "drawing/datimport.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "common/files.h"
#include "common/records.h"
#include "common/textrules.h"
#include "drawing/drawingmessages.h"

namespace tarvel {

namespace {
namespace msg = drawingmessages;

bool startsPointLine(std::string_view field) {
    return !field.empty() && (field[0] == '0' || field[0] == '.' || field[0] == '1');
}
}  // namespace

std::string datNumberText(double value) {
    std::string text = decimalText(value);
    const std::size_t e = text.find('E');
    if (e == std::string::npos) return text;
    int exponent = 0;
    std::string_view expText = std::string_view(text).substr(e + 1);
    if (!expText.empty() && expText.front() == '+') expText.remove_prefix(1);
    std::from_chars(expText.data(), expText.data() + expText.size(), exponent);
    // Large values keep the exponent form; only small ones are written out.
    if (exponent >= 0) return text;

    const bool negative = text.front() == '-';
    std::string digits;
    for (char c : std::string_view(text).substr(0, e))
        if (c >= '0' && c <= '9') digits += c;
    std::string out = negative ? "-0," : "0,";
    out.append(static_cast<std::size_t>(-exponent - 1), '0');
    out += digits.substr(0, negative ? 6 : 5);
    return out;
}

ImportResult importDatFile(const std::string& name, CutObject& object, std::size_t maxRows) {
    if (lastChars(name, 3) != "dat") return {ImportStatus::Refused, msg::kNotDatFile};
    if (!fileExists(name)) return {ImportStatus::Refused, msg::kFileNotFound};

    RecordReader in(name);
    // Every row takes at least a byte of the file.
    std::error_code sizeError;
    const std::uintmax_t bytes = std::filesystem::file_size(name, sizeError);
    RowLoad load(object, sizeError ? UINTMAX_MAX : bytes + 1, maxRows);
    CutObject& rows = load.rows();
    // The rows read so far replace the object's, whatever else stops the reading.
    auto unusable = [&load]() -> ImportResult {
        load.finish();
        return {ImportStatus::Failed, msg::kDatUnusable};
    };
    const ImportResult tooMany{ImportStatus::Refused, msg::tooManyRows(maxRows)};
    if (!in.isOpen()) return unusable();

    std::int64_t titles = 0;
    bool anyPoint = false;
    std::string lastX, lastY;
    std::string field;
    while (in.readField(field)) {
        if (!startsPointLine(field)) {
            ++titles;
            continue;
        }
        const std::size_t space = field.find(' ');
        if (space == std::string::npos) continue;
        std::string_view line(field);
        const double xValue = 1 - leadingNumber(line.substr(0, space));
        const double yValue = leadingNumber(line.substr(space + 1)) + 0.5;
        // A number beyond the range of a double cannot be a coordinate: a conversion error,
        // the points before it stay.
        if (!std::isfinite(xValue) || !std::isfinite(yValue)) return unusable();
        std::string x = datNumberText(xValue);
        std::string y = datNumberText(yValue);
        if (titles == 1) {
            if (load.full()) return tooMany;
            rows.appendRow(x, y, "0", "", "", ".");
            titles = 0;
        }
        if (load.full()) return tooMany;
        rows.appendRow(x, y, "1", "", "", ".");
        lastX = std::move(x);
        lastY = std::move(y);
        anyPoint = true;
    }
    if (in.failed() || !anyPoint) return unusable();
    if (load.full()) return tooMany;
    rows.appendRow(lastX, lastY, "0", "", "", ".");
    load.finish();
    return {};
}

}  // namespace tarvel
