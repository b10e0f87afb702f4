#include "drawing/cutobject.h"

#include <algorithm>
#include <utility>

#include "common/textrules.h"

namespace tarvel {

void CutObject::clearRows() {
    x.clear();
    y.clear();
    z.clear();
    marker.clear();
    cutNumber.clear();
    entryMark.clear();
}

void CutObject::reserve(std::size_t n) {
    x.reserve(n);
    y.reserve(n);
    z.reserve(n);
    marker.reserve(n);
    cutNumber.reserve(n);
    entryMark.reserve(n);
}

void CutObject::truncateRows(std::size_t n) {
    for (auto* column : {&x, &y, &z, &marker, &cutNumber, &entryMark})
        if (column->size() > n) column->resize(n);
}

void CutObject::appendRow(std::string xText, std::string yText, std::string zText,
                          std::string markerText, std::string cutNumberText,
                          std::string entryMarkText) {
    x.push_back(std::move(xText));
    y.push_back(std::move(yText));
    z.push_back(std::move(zText));
    marker.push_back(std::move(markerText));
    cutNumber.push_back(std::move(cutNumberText));
    entryMark.push_back(std::move(entryMarkText));
}

CutMarks CutMarker::mark(std::string_view zText) {
    CutMarks marks;
    if (phase == 2) {
        marks.cutNumber = integerText(nextCut);
        ++nextCut;
        ++phase;
    } else {
        marks.cutNumber = ".";
    }
    if (zText != "0") {
        marks.marker = "0";
    } else if (phase == 1) {
        marks.marker = "D";
        phase = 2;
    } else {
        marks.marker = "F";
        phase = 1;
    }
    return marks;
}

std::string CutMarker::cutCountText() const { return integerText(cutCount()); }

std::int64_t markCuts(CutObject& object) {
    const std::size_t n = object.z.size();
    object.marker.resize(n);
    object.cutNumber.resize(n);
    CutMarker marker;
    for (std::size_t i = 0; i < n; ++i) {
        CutMarks marks = marker.mark(object.z[i]);
        object.marker[i] = std::move(marks.marker);
        object.cutNumber[i] = std::move(marks.cutNumber);
    }
    return marker.cutCount();
}

std::string objectListing(const CutObject& object) {
    const std::vector<std::string>* columns[] = {&object.x, &object.y, &object.z,
                                                 &object.marker, &object.cutNumber,
                                                 &object.entryMark};
    std::size_t rows = 0;
    std::size_t bytes = 0;
    for (const auto* column : columns) {
        rows = std::max(rows, column->size());
        for (const auto& cell : *column) bytes += cell.size() + 1;
    }
    std::string out;
    out.reserve(bytes + object.cutCount.size() + 16);
    for (std::size_t i = 0; i < rows; ++i) {
        bool first = true;
        for (const auto* column : columns) {
            if (!first) out += '\t';
            first = false;
            if (i < column->size()) out += (*column)[i];
        }
        out += '\n';
    }
    out += "Nbre coupes\t";
    out += object.cutCount;
    out += '\n';
    return out;
}

}  // namespace tarvel
