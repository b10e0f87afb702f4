// Importing a wing or blade profile (.dat): one point per line, x then y separated by
// spaces, in units of the chord, usually after a title line. The profile becomes a single
// cut, mirrored and shifted into the unit square: X = 1 − x (the leading edge at X = 1),
// Y = y + 0.5 (the chord line at Y = 0.5). The cutting window's scale factor sizes it.
//
// Each field the program's field reader gives (leading blanks dropped, a comma ends a
// field) is one line:
//   - a title line: its first character is not "0", "." or "1" (a profile in millimetres,
//     whose x starts with 2 to 9, is one too), or the line is empty;
//   - a point line: first character "0", "." or "1" and a space somewhere; x is the text
//     before the first space, y the text after it, both read by the leading-number rule;
//   - anything else (no space: "0.5" alone, x and y separated by a tab) is passed over.
// The first point after exactly one title line is appended raised then lowered; every
// other point lowered; the last point is appended once more, raised. The usual layout
// (title, then n points) thus gives n + 2 rows; a file without a title starts in the
// material. Rows carry an empty marker and cut number and the entry mark "."; the cut
// count is left alone (saving as .fra and loading again derives them).
//
// Coordinates are written as decimal text with ",", and a value below 0.0001 in magnitude
// is written out in plain decimals instead of the exponent form (see datNumberText).
//
// x and y are read exactly (the nearest double of the text), so 1 − 0.99999 is written
// 0,0000099999 and 1 − 0.98745 is written 0,01255. A reading that rounds every text
// toward zero would be one step off for about half of all ordinary texts and leave stray
// digits in the rows of real profiles.
#pragma once

#include <string>

#include "drawing/cutobject.h"
#include "drawing/importresult.h"

namespace tarvel {

// Decimal text with "," (15 significant digits, no trailing zeros); where that text
// would take the exponent form for a small value, plain decimals instead:
//   positive: "0,", exponent − 1 zeros, the first five significant digits
//   negative: "-0,", the same zeros, the first six significant digits
// 1,23456789E-05 gives 0,000012345 and -1,23456789E-05 gives -0,0000123456.
std::string datNumberText(double value);

// The import of the file-name field's `name`. A name whose last three characters are not
// exactly "dat", or no file under it, refuse it with the object untouched. Otherwise the
// object is emptied and filled; a file that gives no point (empty, blanks only, titles
// only) or that cannot be read fails with the rows read so far kept. A profile of more
// than `maxRows` rows is refused with the object untouched.
ImportResult importDatFile(const std::string& name, CutObject& object, std::size_t maxRows = kMaxRows);

}  // namespace tarvel
