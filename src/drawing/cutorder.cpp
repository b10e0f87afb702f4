#include "drawing/cutorder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>

#include "common/textrules.h"
#include "drawing/drawingmessages.h"

namespace tarvel {

namespace {

bool isRow(const TextColumn& column, int row) {
    return row >= 0 && static_cast<std::size_t>(row) < column.size();
}

// The whole number n >= 1 whose decimal text is exactly `mark`, if any: the only marks
// the collection can ever match, since it compares texts ("01" and " 1" are not "1").
std::optional<std::int64_t> orderNumberOf(std::string_view mark) {
    if (mark.empty() || mark.size() > 18 || mark[0] == '0') return std::nullopt;
    std::int64_t n = 0;
    for (char c : mark) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return n;
}

// How many times the collection scans the rows: "Nbre coupes" by the leading-number
// rule, counted as a loop from 1 to it counts.
std::int64_t scanCount(const std::string& cutCountText) {
    const double v = leadingNumber(cutCountText);
    if (!(v >= 1)) return 0;
    return v >= 4e18 ? std::int64_t{4'000'000'000'000'000'000} : static_cast<std::int64_t>(std::floor(v));
}

// The entry rows in the order of their numbers 1, 2, 3, ...: `scans` passes over the
// rows from the first to the last, each taking a row whose mark is the number wanted
// next and then wanting the one after. A pass therefore takes several entry points when
// they lie in increasing rows; a number missing from the sequence ends the collection.
// The rows marked with each number are indexed first, so a pass costs a few look-ups
// instead of a walk over every row of a large object.
std::vector<std::size_t> collectEntryRows(const TextColumn& entryMarks,
                                          std::int64_t scans) {
    std::map<std::int64_t, std::vector<std::size_t>> rowsByNumber;
    for (std::size_t row = 0; row < entryMarks.size(); ++row)
        if (auto n = orderNumberOf(entryMarks[row])) rowsByNumber[*n].push_back(row);

    std::vector<std::size_t> entries;
    std::int64_t wanted = 1;
    for (std::int64_t pass = 0; pass < scans; ++pass) {
        std::size_t from = 0;
        bool took = false;
        for (;;) {
            auto numbered = rowsByNumber.find(wanted);
            if (numbered == rowsByNumber.end()) break;
            const auto& rows = numbered->second;
            auto at = std::lower_bound(rows.begin(), rows.end(), from);
            if (at == rows.end()) break;
            entries.push_back(*at);
            from = *at + 1;
            ++wanted;
            took = true;
        }
        // The next pass would look for the same number from the same first row.
        if (!took) break;
    }
    return entries;
}

// A cut as the rebuild takes it: its "D" row d and its "F" row f.
struct CutRows {
    std::size_t d, f;
};

// The cut entered at row e: f the first "F" row after e, d the last "D" row before f.
// None when e lies in no cut: no "F" row after it, or no "D" row between it and that "F".
std::optional<CutRows> cutEnteredAt(const CutObject& o, std::size_t e) {
    const std::size_t n = std::min(o.rows(), o.marker.size());
    std::size_t f = e + 1;
    while (f < n && o.marker[f] != "F") ++f;
    if (f >= n) return std::nullopt;
    // The "D" found first going down from f - 1 must lie before e: an entry on the "D"
    // row itself, or a "D" between e and f, puts e in no cut.
    for (std::size_t r = f; r-- > 0;)
        if (o.marker[r] == "D") return r < e ? std::optional<CutRows>(CutRows{r, f}) : std::nullopt;
    return std::nullopt;
}

// Every entry point inside a cut, one in each cut, numbered 1, 2, 3 without a gap. A
// rebuild that only stops at the object's length cannot see a cut entered twice and
// another left out, so the marks are checked before anything is rebuilt.
bool entryPointsFitCuts(const CutObject& o) {
    std::vector<std::int64_t> numbers;
    std::size_t cuts = 0;
    bool inCut = false, cutEntered = false;
    for (std::size_t row = 0; row < o.rows(); ++row) {
        const bool marked = o.entryMark[row] != ".";
        if (o.marker[row] == "D") {
            // A second "D" before the "F" starts the cut again, as the rebuild sees it.
            if (marked || cutEntered) return false;
            inCut = true;
        } else if (o.marker[row] == "F") {
            if (marked || (inCut && !cutEntered)) return false;
            cuts += inCut ? 1 : 0;
            inCut = cutEntered = false;
        } else if (marked) {
            const std::optional<std::int64_t> number = orderNumberOf(o.entryMark[row]);
            if (!number || !inCut || cutEntered) return false;
            numbers.push_back(*number);
            cutEntered = true;
        }
    }
    if (numbers.size() != cuts) return false;
    std::sort(numbers.begin(), numbers.end());
    for (std::size_t i = 0; i < numbers.size(); ++i)
        if (numbers[i] != static_cast<std::int64_t>(i) + 1) return false;
    return true;
}

class Rebuild {
public:
    explicit Rebuild(const CutObject& object) : o_(object) {}

    // The rebuilt rows so far.
    TextColumn x, y, z;

    // Appends the cut that holds entry row e, entered at e. False when e lies in no cut.
    bool appendCutEnteredAt(std::size_t e) {
        const std::optional<CutRows> cut = cutEnteredAt(o_, e);
        if (!cut) return false;
        const auto [d, f] = *cut;

        if (e - d == 1) {
            // A: already entered at its first inside row; also the cut of one inside
            // row (f - d = 2), where there is nothing to walk.
            raised(e);
            inside(e);
            for (std::size_t r = e + 1; r < f; ++r) inside(r);
            raised(f - 1);
        } else if (f - e > 1) {
            // B: around the closed contour from e back to e, skipping f - 1, which
            // stands where d + 1 stands.
            raised(e);
            inside(e);
            std::size_t r = e + 1;
            for (;;) {
                if (r == f - 1) r = d + 1;
                inside(r);
                if (r == e) break;
                ++r;
            }
            raised(e);
        } else {
            // C: entered on the last inside row; cut in its own direction.
            raised(d + 1);
            inside(d + 1);
            for (std::size_t r = d + 2; r <= e; ++r) inside(r);
            raised(e);
        }
        return true;
    }

private:
    void append(std::size_t row, const char* z) {
        x.push_back(o_.x[row]);
        y.push_back(o_.y[row]);
        this->z.push_back(z);
    }
    void raised(std::size_t row) { append(row, "0"); }
    void inside(std::size_t row) { append(row, "1"); }

    const CutObject& o_;
};

// The distance in mm between two rows' points, their coordinates read as the view reads
// them; none when a coordinate is not a number.
std::optional<double> distanceBetween(const CutObject& o, std::size_t a, std::size_t b) {
    if (std::max(a, b) >= std::min(o.x.size(), o.y.size())) return std::nullopt;
    const auto xa = coordinateNumber(o.x[a]), ya = coordinateNumber(o.y[a]);
    const auto xb = coordinateNumber(o.x[b]), yb = coordinateNumber(o.y[b]);
    if (!xa || !ya || !xb || !yb) return std::nullopt;
    return std::hypot(*xa - *xb, *ya - *yb);
}

// Builds the new rows. True when they reach the object's length.
bool rebuildInto(const CutObject& object, Rebuild& rebuild) {
    const std::size_t n = object.rows();
    if (object.y.size() != n || object.z.size() != n || object.marker.size() != n ||
        object.entryMark.size() != n || !entryPointsFitCuts(object))
        return false;

    const std::vector<std::size_t> entries =
        collectEntryRows(object.entryMark, scanCount(object.cutCount));
    for (std::size_t e : entries) {
        if (!rebuild.appendCutEnteredAt(e)) return false;
        if (rebuild.x.size() == n) return true;
        if (rebuild.x.size() > n) return false;
    }
    return false;  // the entry points ran out first
}

}  // namespace

bool doubleClickEntryMark(const CutObject& object, std::size_t row, int& selectedRow,
                          UserDialogs& dialogs) {
    if (row >= object.entryMark.size()) return false;
    selectedRow = static_cast<int>(row);
    const std::string_view marker = row < object.marker.size() ? object.marker[row] : std::string_view();
    if (marker == "D" || marker == "F") {
        dialogs.tell(drawingmessages::kEntryOutsideMaterial);
        return false;
    }
    return true;
}

bool doubleClickMarker(CutObject& object, std::size_t row, int& selectedRow) {
    if (row >= object.marker.size()) return false;
    object.marker.set(row, "D");
    selectedRow = static_cast<int>(row);
    return true;
}

std::optional<std::string> openCutEntry(const CutObject& object, std::size_t row) {
    const std::optional<CutRows> cut = cutEnteredAt(object, row);
    if (!cut) return std::nullopt;  // no cut: the reordering refuses it anyway
    const std::size_t first = cut->d + 1, last = cut->f - 1;
    // Entered on its first or its last inside row, a cut is rebuilt as it was drawn.
    if (row == first || row == last) return std::nullopt;
    const std::optional<double> endsApart = distanceBetween(object, first, last);
    const bool sameTexts = object.x[first] == object.x[last] && last < object.y.size() &&
                           object.y[first] == object.y[last];
    if (sameTexts || endsApart == 0.0) return std::nullopt;

    // Walked as if closed, the cut goes from its next-to-last inside row straight back to
    // its first, in place of its last segment.
    std::optional<drawingmessages::OpenCutLengths> lengths;
    const auto added = distanceBetween(object, last - 1, first);
    const auto dropped = distanceBetween(object, last - 1, last);
    if (endsApart && added && dropped) lengths = {*endsApart, *added, *dropped};
    std::int64_t cutNumber = 0;  // its "F" row is the cutNumber-th
    for (std::size_t r = 0; r <= cut->f; ++r) cutNumber += object.marker[r] == "F" ? 1 : 0;
    return drawingmessages::openCutFacts(cutNumber, lengths);
}

bool reorderCuts(CutObject& object, UserDialogs& dialogs) {
    Rebuild rebuild(object);
    const bool rebuilt = rebuildInto(object, rebuild);
    if (rebuilt) {
        object.x = std::move(rebuild.x);
        object.y = std::move(rebuild.y);
        object.z = std::move(rebuild.z);
        markCuts(object);
    } else {
        dialogs.tell(drawingmessages::kCutCountMismatch);
    }
    object.entryMark.assign(object.entryMark.size(), ".");
    return rebuilt;
}

bool reorderShownCuts(DrawingForm& form, UserDialogs& dialogs) {
    return reorderCuts(form.object, dialogs);
}

std::string reorderStatusText(const CutObject& object, bool reordered) {
    if (!reordered) return drawingmessages::kOrderKept;
    std::size_t cuts = 0;
    for (std::size_t i = 0; i < object.cutNumber.size(); ++i)
        if (object.cutNumber[i] != ".") ++cuts;
    return drawingmessages::cutsReordered(cuts);
}

std::optional<std::size_t> EntryPointForm::confirmEntry(CutObject& object, int selectedRow) {
    const std::optional<double> number = commaNumber(orderNumber);
    if (!number) {
        dialogs_.tell(drawingmessages::kOrderNumberNotANumber);
        return std::nullopt;
    }
    if (!isRow(object.entryMark, selectedRow)) {
        visible = false;
        return std::nullopt;
    }
    const auto row = static_cast<std::size_t>(selectedRow);
    // "Non" (the default) leaves the mark, the field and the window as they were.
    if (const auto facts = openCutEntry(object, row);
        facts && !dialogs_.confirm(drawingmessages::openCutQuestion(*facts), false))
        return std::nullopt;
    visible = false;
    object.entryMark.set(row, orderNumber);
    orderNumber = decimalText(*number + 1);
    return row;
}

void EntryPointForm::removeEntry(CutObject& object, int selectedRow) {
    if (isRow(object.entryMark, selectedRow))
        object.entryMark.set(static_cast<std::size_t>(selectedRow), ".");
    visible = false;
}

void EntryPointForm::removeAllEntries(CutObject& object) {
    object.entryMark.assign(object.z.size(), ".");
    visible = false;
}

}  // namespace tarvel
