// The object to be cut: an ordered sequence of tool positions, one row per point, kept
// as six parallel columns of text exactly as the drawing window's lists show them
// (List1 to List6). The row index, from 0, is the point's identity in every command of
// the drawing window.
//
//   x, y       coordinates in mm, decimal text ("," after an import or a save)
//   z          "0": tool raised, out of the material; any other text: in the material
//   marker     "D" start of a cut, "F" end of a cut, "0" inside the material
//   cutNumber  the cut's ordinal on the row after each "D", "." elsewhere
//   entryMark  "." or the order number of an entry point chosen by the user
//
// A column per field rather than a vector of row records: the lists, the view and the
// reordering each walk one or two columns over objects of 100 000 rows and more.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvel {

struct CutObject {
    std::vector<std::string> x;          // List1
    std::vector<std::string> y;          // List2
    std::vector<std::string> z;          // List3
    std::vector<std::string> marker;     // List4
    std::vector<std::string> cutNumber;  // List5
    std::vector<std::string> entryMark;  // List6
    // The text of the "Nbre coupes" field. Only a successful load or import writes it,
    // so a failed one leaves the field as it was, and clearRows() keeps it.
    std::string cutCount;

    // Number of rows of the X column; the six columns hold the same number of rows
    // once an object is loaded or imported.
    std::size_t rows() const { return x.size(); }
    bool empty() const { return x.empty(); }
    // Empties the six columns (not cutCount).
    void clearRows();
    void reserve(std::size_t n);
    // Keeps the first n rows of every column.
    void truncateRows(std::size_t n);
    void appendRow(std::string xText, std::string yText, std::string zText, std::string markerText,
                   std::string cutNumberText, std::string entryMarkText);
};

// The cut-marking rule, one row at a time, so that the loaders, the importers and the
// reordering share it while they append rows.
//
// Rows with Z = "0" alternate "D" and "F" whatever lies between them; the row right
// after a "D" carries the cut number whatever its own Z, because the number is given
// before the marker of the same row is decided.
struct CutMarks {
    std::string marker;
    std::string cutNumber;
};

struct CutMarker {
    int phase = 1;             // 1: looking for a "D"; 2: just after a "D"; 3: inside a cut
    std::int64_t nextCut = 1;  // number of the next cut

    CutMarks mark(std::string_view zText);
    // Number of cuts found so far.
    std::int64_t cutCount() const { return nextCut - 1; }
    std::string cutCountText() const;
};

// Recomputes the marker and cutNumber columns of every row from the Z column (both
// resized to the Z column's length) and returns the number of cuts. cutCount is left to
// the caller: a load shows the number, the reordering keeps the field as it was.
std::int64_t markCuts(CutObject& object);

// The object as text, for the command-line companion: one line per row with the six
// columns x, y, z, marker, cutNumber, entryMark joined by one TAB, then the line
// "Nbre coupes", TAB, cutCount; every line ends with "\n". A column shorter than the
// others gives empty cells.
std::string objectListing(const CutObject& object);

}  // namespace tarvel
