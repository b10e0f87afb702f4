// Cut order and entry points: the user picks, for every cut, a row inside the material
// where the tool enters and the cut's place in the new order, then "Réorganisation
// coupes" rebuilds the object so that each cut starts and ends at its entry point.
//
// An entry point is a row whose entry mark holds its order number ("1", "2", ...)
// instead of ".". The double click on the entry-mark list (List6) picks the row, the
// entry-point window (Form7) gives it its number. SelectedRow, the row last picked by a
// double click, is shared by the whole program; here it is passed by reference.
//
// The rebuild takes each cut as the marking rule found it: a "D" row d (tool raised at
// the approach point), the inside rows, an "F" row f. With the entry row e:
//
//   A  e = d + 1         e, e+1 ... f-1                  the cut as it was
//   B  d+1 < e < f-1     e, e+1 ... f-2, d+1 ... e       once around a closed contour
//   C  e = f - 1         d+1 ... e                       the cut as it was
//
// each walk framed by a raised row on its first point and a raised row on its last.
// In B row f-1 is never taken: a closed contour ends on the spot where it began (d+1).
// An open cut entered that way would gain a segment that is not in the drawing, so
// "Valider" asks before placing such an entry point.
// Every rebuilt cut has as many rows as the cut from d to f, so the object keeps its
// length when every cut got exactly one entry point.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "common/userdialogs.h"
#include "drawing/cutobject.h"
#include "drawing/drawingwindow.h"

namespace tarvel {

// SelectedRow before any double click.
inline constexpr int kNoSelectedRow = -1;

// Double click on the entry-mark list at `row`: `selectedRow` becomes the row. On a "D"
// or "F" row the user is told not to enter outside the material and false comes back;
// true means the entry-point window is to be shown. A row past the end of the list (a
// click below the last item) does nothing and gives false.
bool doubleClickEntryMark(const CutObject& object, std::size_t row, int& selectedRow,
                          UserDialogs& dialogs);

// Double click on the marker list at `row`: its marker becomes "D" and `selectedRow`
// the row. Nothing else is recomputed. False for a row past the end of the list.
bool doubleClickMarker(CutObject& object, std::size_t row, int& selectedRow);

// Why an entry point at `row` would change the drawn path, or none when it keeps it. The
// rebuild walks every cut entered elsewhere than on its first or last inside row as a
// closed contour: on an open cut (its first and last inside rows at different places)
// that adds a segment from its next-to-last inside row back to its first and drops its
// last segment. The text names the cut and those lengths, for "Valider" to ask about.
std::optional<std::string> openCutEntry(const CutObject& object, std::size_t row);

// "Réorganisation coupes". First checks the entry marks: each cut ("D" row to "F" row)
// holds exactly one, none lies outside a cut, and they are numbered 1, 2, 3 without a
// gap. Then collects the entry points by their numbers, "Nbre coupes" times (cutCount
// read by the leading-number rule), rebuilds every cut from its entry point, and when
// the rebuilt rows reach the object's length replaces X, Y, Z by them and marks them
// again; cutCount stays as it is. Any other end says
// "le nombre de découpes est incompatible avec le fichier d'origine" and leaves X, Y
// and Z as they were. Either way every entry mark is "." afterwards.
bool reorderCuts(CutObject& object, UserDialogs& dialogs);

// "Réorganisation coupes" in the drawing window: reorderCuts on its object.
bool reorderShownCuts(DrawingForm& form, UserDialogs& dialogs);

// The drawing window's status line after "Réorganisation coupes": how many cuts the
// object now holds in the new order, or that the order was kept.
std::string reorderStatusText(const CutObject& object, bool reordered);

// The entry-point window (Form7) without its widgets. It acts on the drawing window's
// object at SelectedRow and hides after each command.
class EntryPointForm {
public:
    explicit EntryPointForm(UserDialogs& dialogs) : dialogs_(dialogs) {}

    // "Numéro d'ordre de la découpe ": the number the next entry point gets.
    std::string orderNumber = "1";
    bool visible = false;

    // Shown by a double click on the entry-mark list.
    void show() { visible = true; }

    // "Valider un nouveau point d'entrée dans la matière": the entry mark of
    // `selectedRow` becomes the field's text and the field shows that number plus one
    // (comma rule, "," as separator). Returns the row marked, for the view to draw
    // over. A field that is not a number is refused with a message, and the window stays
    // open to correct it. An entry that would change the path of an open cut
    // (openCutEntry) is asked about first, "Non" preselected; "Non" changes nothing and
    // keeps the window open. A `selectedRow` that is no row of the object (the object was
    // loaded again meanwhile) marks nothing, and the window hides as usual.
    std::optional<std::size_t> confirmEntry(CutObject& object, int selectedRow);

    // "Supprimer un point d'entrée dans la matière": the entry mark of `selectedRow`
    // becomes ".".
    void removeEntry(CutObject& object, int selectedRow);

    // "Supprimer tous les points d'entrée": one "." per row of the Z column. The field
    // keeps its number.
    void removeAllEntries(CutObject& object);

private:
    UserDialogs& dialogs_;
};

}  // namespace tarvel
