#include "common/encoding.h"

#include <array>
#include <cstdint>

namespace tarvel {

namespace {

// Code points of bytes 0x80..0x9F in Windows-1252. The five bytes the code page leaves
// undefined map to the C1 control of the same value, so every byte survives a round trip.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool isAscii(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

int windows1252Byte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (std::size_t i = 0; i < kHighControls.size(); ++i)
        if (kHighControls[i] == cp) return static_cast<int>(0x80 + i);
    return '?';
}

}  // namespace

std::string utf8FromWindows1252(std::string_view bytes) {
    if (isAscii(bytes)) return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    for (char c : bytes) {
        auto b = static_cast<unsigned char>(c);
        if (b < 0x80) out += c;
        else if (b < 0xA0) appendUtf8(out, kHighControls[b - 0x80]);
        else appendUtf8(out, b);
    }
    return out;
}

namespace {
// The code point at `i` and its length in bytes; 0 for a stray byte of broken UTF-8.
std::size_t nextCodePoint(std::string_view text, std::size_t i, char32_t& cp) {
    auto b = static_cast<unsigned char>(text[i]);
    std::size_t len = 0;
    if (b < 0x80) { cp = b; len = 1; }
    else if ((b & 0xE0) == 0xC0) { cp = b & 0x1F; len = 2; }
    else if ((b & 0xF0) == 0xE0) { cp = b & 0x0F; len = 3; }
    else if ((b & 0xF8) == 0xF0) { cp = b & 0x07; len = 4; }
    if (len == 0 || i + len > text.size()) return 0;
    for (std::size_t k = 1; k < len; ++k) {
        auto cb = static_cast<unsigned char>(text[i + k]);
        if ((cb & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (cb & 0x3F);
    }
    return len;
}
}  // namespace

std::string windows1252FromUtf8(std::string_view text) {
    if (isAscii(text)) return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t cp = 0;
        const std::size_t len = nextCodePoint(text, i, cp);
        if (len == 0) {
            out += '?';
            ++i;
            continue;
        }
        out += static_cast<char>(windows1252Byte(cp));
        i += len;
    }
    return out;
}

std::string firstCharacterOutsideWindows1252(std::string_view text) {
    if (isAscii(text)) return {};
    for (std::size_t i = 0; i < text.size();) {
        char32_t cp = 0;
        const std::size_t len = nextCodePoint(text, i, cp);
        if (len == 0) return std::string(text.substr(i, 1));
        if (cp != U'?' && windows1252Byte(cp) == '?') return std::string(text.substr(i, len));
        i += len;
    }
    return {};
}

}  // namespace tarvel
