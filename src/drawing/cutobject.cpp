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

void CutObject::truncateRows(std::size_t n) {
    for (auto* column : {&x, &y, &z, &marker, &cutNumber, &entryMark})
        if (column->size() > n) column->resize(n);
}

void CutObject::appendRow(std::string_view xText, std::string_view yText, std::string_view zText,
                          std::string_view markerText, std::string_view cutNumberText,
                          std::string_view entryMarkText) {
    x.push_back(xText);
    y.push_back(yText);
    z.push_back(zText);
    marker.push_back(markerText);
    cutNumber.push_back(cutNumberText);
    entryMark.push_back(entryMarkText);
}

std::size_t CutObject::bytesHeld() const {
    return x.bytesHeld() + y.bytesHeld() + z.bytesHeld() + marker.bytesHeld() +
           cutNumber.bytesHeld() + entryMark.bytesHeld();
}

RowLoad::RowLoad(CutObject& object, std::uintmax_t mostRows, std::size_t maxRows)
    : object_(object), maxRows_(maxRows), inPlace_(mostRows <= maxRows) {
    if (inPlace_) object_.clearRows();
}

void RowLoad::finish() {
    if (inPlace_) return;
    for (auto [to, from] : {std::pair{&object_.x, &aside_.x}, {&object_.y, &aside_.y},
                            {&object_.z, &aside_.z}, {&object_.marker, &aside_.marker},
                            {&object_.cutNumber, &aside_.cutNumber},
                            {&object_.entryMark, &aside_.entryMark}})
        *to = std::move(*from);
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
    // Written afresh rather than row by row, so that no old text lingers in the columns.
    object.marker.clear();
    object.cutNumber.clear();
    CutMarker marker;
    for (std::string_view z : object.z) {
        const CutMarks marks = marker.mark(z);
        object.marker.push_back(marks.marker);
        object.cutNumber.push_back(marks.cutNumber);
    }
    return marker.cutCount();
}

std::string objectListing(const CutObject& object) {
    const TextColumn* columns[] = {&object.x,      &object.y,         &object.z,
                                   &object.marker, &object.cutNumber, &object.entryMark};
    std::size_t rows = 0;
    std::size_t bytes = 0;
    for (const auto* column : columns) {
        rows = std::max(rows, column->size());
        for (std::string_view cell : *column) bytes += cell.size() + 1;
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
