// Files are read and written in Windows-1252, so that files made on the old platform
// load unchanged; text in memory is UTF-8. Conversion happens at the file boundary only.
#pragma once

#include <string>
#include <string_view>

namespace tarvel {

std::string utf8FromWindows1252(std::string_view bytes);
// Characters that Windows-1252 cannot hold become "?".
std::string windows1252FromUtf8(std::string_view text);
// The first character of `text` that Windows-1252 cannot hold (as UTF-8); empty when
// every one can.
std::string firstCharacterOutsideWindows1252(std::string_view text);

}  // namespace tarvel
