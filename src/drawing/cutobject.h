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
// reordering each walk one or two columns over objects of 100 000 rows and more. Each
// column is a TextColumn: an imported drawing takes 40 to 55 bytes a row, so a drawing
// at the row limit below stays within reach of an ordinary computer's memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "drawing/textcolumn.h"

namespace tarvel {

// The most rows a load or an import gives an object: a drawing beyond it is refused
// before it fills the memory, with the object left as it was.
inline constexpr std::size_t kMaxRows = 20'000'000;

struct CutObject {
    TextColumn x;          // List1
    TextColumn y;          // List2
    TextColumn z;          // List3
    TextColumn marker;     // List4
    TextColumn cutNumber;  // List5
    TextColumn entryMark;  // List6
    // The text of the "Nbre coupes" field. Only a successful load or import writes it,
    // so a failed one leaves the field as it was, and clearRows() keeps it.
    std::string cutCount;

    // Number of rows of the X column; the six columns hold the same number of rows
    // once an object is loaded or imported.
    std::size_t rows() const { return x.size(); }
    bool empty() const { return x.empty(); }
    // Empties the six columns (not cutCount).
    void clearRows();
    // Keeps the first n rows of every column.
    void truncateRows(std::size_t n);
    void appendRow(std::string_view xText, std::string_view yText, std::string_view zText,
                   std::string_view markerText, std::string_view cutNumberText,
                   std::string_view entryMarkText);
    // The memory the six columns hold.
    std::size_t bytesHeld() const;
};

// Where a load or an import puts its rows. A file that cannot reach `maxRows` rows
// (`mostRows` bounds what it can give) is read straight into the object, whose rows go
// first, so that the old and the new drawing never share the memory. A bigger one is
// read aside and replaces the object's rows at finish(): refused for its size, it
// leaves the object as it was.
class RowLoad {
public:
    RowLoad(CutObject& object, std::uintmax_t mostRows, std::size_t maxRows);
    // Where to append the rows.
    CutObject& rows() { return inPlace_ ? object_ : aside_; }
    // True when one more row would pass the limit.
    bool full() const { return (inPlace_ ? object_ : aside_).rows() >= maxRows_; }
    // The rows read become the object's rows; cutCount is left to the caller.
    void finish();

private:
    CutObject& object_;
    CutObject aside_;
    std::size_t maxRows_;
    bool inPlace_;
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
