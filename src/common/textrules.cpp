#include "common/textrules.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <locale.h>
#include <stdlib.h>
#include <string>

namespace tarvel {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

double parseDouble(std::string_view s, std::chars_format format, bool& ok) {
    double v = 0;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v, format);
    ok = ptr == s.data() + s.size() && (ec == std::errc() || ec == std::errc::result_out_of_range);
    if (ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone on overflow or underflow; strtod in the C
        // locale (never the process locale) gives the infinite or zero value it reads as.
        static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
        std::string copy(s);
        v = strtod_l(copy.c_str(), nullptr, cLocale);
    }
    return v;
}

}  // namespace

std::size_t byteOfCharacter(std::string_view text, std::size_t pos) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;  // continuation byte
        if (++chars == pos) return i;
    }
    return std::string_view::npos;
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::optional<double> pointNumber(std::string_view text) {
    std::string_view s = trimBlanks(text);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    double v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<double> coordinateNumber(std::string_view text) {
    if (const std::optional<double> v = commaNumber(text)) return v;
    std::string_view s = trimBlanks(text);
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    const std::size_t intStart = i;
    while (i < s.size() && isDigit(s[i])) ++i;
    if (i == intStart || i == s.size() || s[i] != '.') return std::nullopt;
    const std::size_t fracStart = ++i;
    while (i < s.size() && isDigit(s[i])) ++i;
    if (i == fracStart || i != s.size()) return std::nullopt;
    return pointNumber(s);
}

bool readsAsOne(std::string_view text) {
    if (const std::optional<double> v = commaNumber(text)) return *v == 1.0;
    // A flag written with a decimal point ("1.0") is the same number.
    std::string withComma(text);
    for (char& c : withComma)
        if (c == '.') c = ',';
    const std::optional<double> v = commaNumber(withComma);
    return v && *v == 1.0;
}

std::string numberText(std::string_view text) {
    std::string s(text);
    for (std::size_t pos = 2; pos <= 4; ++pos) {
        std::size_t at = byteOfCharacter(s, pos);
        if (at != std::string::npos && s[at] == '.') s[at] = ',';
    }
    return s;
}

double leadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::size_t start = i;
    bool digits = false;
    while (i < text.size() && isDigit(text[i])) { ++i; digits = true; }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) { ++i; digits = true; }
    }
    if (!digits) return 0.0;
    bool ok = false;
    double v = parseDouble(text.substr(start, i - start), std::chars_format::fixed, ok);
    return negative ? -v : v;
}

std::optional<double> commaNumber(std::string_view text) {
    std::string_view s = trimBlanks(text);
    std::string plain;
    plain.reserve(s.size());
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-') plain += '-';
        ++i;
    }
    bool digits = false;
    while (i < s.size() && isDigit(s[i])) { plain += s[i++]; digits = true; }
    if (i < s.size() && s[i] == ',') {
        plain += '.';
        ++i;
        while (i < s.size() && isDigit(s[i])) { plain += s[i++]; digits = true; }
    }
    if (!digits) return std::nullopt;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        plain += 'e';
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) plain += s[i++];
        bool expDigits = false;
        while (i < s.size() && isDigit(s[i])) { plain += s[i++]; expDigits = true; }
        if (!expDigits) return std::nullopt;
    }
    if (i != s.size()) return std::nullopt;
    bool ok = false;
    double v = parseDouble(plain, std::chars_format::general, ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::string millimetreText(double mm) {
    if (!std::isfinite(mm)) return decimalText(mm);
    if (std::fabs(mm) < 0.005) mm = 0;
    char buf[400];
    const auto res = std::to_chars(buf, buf + sizeof buf, mm, std::chars_format::fixed, 2);
    std::string out(buf, res.ptr);
    std::replace(out.begin(), out.end(), '.', ',');
    return out;
}

std::string decimalText(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value < 0 ? "-Inf" : "Inf";
    if (value == 0) return "0";

    // 15 significant digits: d.dddddddddddddde±X
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
    std::string_view sci(buf, static_cast<std::size_t>(res.ptr - buf));
    bool negative = sci.front() == '-';
    if (negative) sci.remove_prefix(1);
    std::size_t e = sci.find('e');
    std::string digits;
    for (char c : sci.substr(0, e)) if (c != '.') digits += c;
    int exponent = 0;
    std::string_view expText = sci.substr(e + 1);
    if (!expText.empty() && expText.front() == '+') expText.remove_prefix(1);
    std::from_chars(expText.data(), expText.data() + expText.size(), exponent);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    std::string out = negative ? "-" : "";
    if (exponent < -4 || exponent >= 15) {
        out += digits[0];
        if (digits.size() > 1) { out += ','; out.append(digits, 1, std::string::npos); }
        char expBuf[16];
        std::snprintf(expBuf, sizeof expBuf, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
        out += expBuf;
        return out;
    }
    if (exponent < 0) {
        out += "0,";
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out += digits;
        return out;
    }
    std::size_t intDigits = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= intDigits) {
        out += digits;
        out.append(intDigits - digits.size(), '0');
    } else {
        out.append(digits, 0, intDigits);
        out += ',';
        out.append(digits, intDigits, std::string::npos);
    }
    return out;
}

std::string integerText(std::int64_t value) {
    char buf[32];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

std::int64_t roundHalfEven(double value) {
    double r = std::nearbyint(value);  // the default rounding mode sends halves to even
    if (r >= 9.2e18) return std::numeric_limits<std::int64_t>::max();
    if (r <= -9.2e18) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(r);
}

std::string_view lastChars(std::string_view text, std::size_t n) {
    return text.size() <= n ? text : text.substr(text.size() - n);
}

std::string excerpt(std::string_view text) {
    constexpr std::size_t kShownChars = 60;
    std::string shown;
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool continuation = (static_cast<unsigned char>(c) & 0xC0) == 0x80;
        if (!continuation && chars++ == kShownChars) return shown + "…";
        if (c == '\0') shown += "␀";
        else if (c == '\r' || c == '\n') shown += ' ';
        else shown += c;
    }
    return shown;
}

}  // namespace tarvel
