// An object's cells joined into one text, so that a row compares as one value.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace tarvel::testing {

inline std::string joined(std::initializer_list<std::string_view> cells, std::string_view separator = ";") {
    std::string out;
    for (auto cell = cells.begin(); cell != cells.end(); ++cell) {
        if (cell != cells.begin()) out += separator;
        out += *cell;
    }
    return out;
}

}  // namespace tarvel::testing
