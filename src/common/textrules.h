// How the program turns typed and stored text into numbers and back.
//
// Coordinates and settings stay text as the user typed them; each operation converts
// them at the moment it reads them, with one of the rules below, and each caller says
// which. None of these depend on the process locale (Qt installs a French one).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarvel {

// Number-text rule (also the decimal-point rule of the settings fields): a "." at
// character position 2, then 3, then 4 (counted from 1) becomes ",", each test made on
// the result of the previous one. "1.2.3" gives "1,2,3"; "1234.5" stays.
std::string numberText(std::string_view text);

// Blanks (spaces and tabs) removed from both ends.
std::string_view trimBlanks(std::string_view text);

// Byte offset in UTF-8 text of the character at 1-based position `pos`, or npos.
std::size_t byteOfCharacter(std::string_view text, std::size_t pos);

// An on/off flag stored as a number: set when the text is the number 1, written with a
// decimal comma or point and blanks around allowed ("1", " 1", "1,0", "1.0"); "2", ""
// and words leave it unset.
bool readsAsOne(std::string_view text);

// Leading-number rule: blanks skipped, then an optional sign, digits and a "." decimal
// part; reading stops at the first other character. "12,5" reads 12, "" reads 0,
// "1e-05" reads 1 (no exponent).
double leadingNumber(std::string_view text);

// Comma rule: a whole number with "," as the decimal separator and an optional
// exponent ("0,02", "-3", "3,06E-16"), blanks allowed around it. Anything else
// (empty text, a ".", letters, a second comma) is not a number.
std::optional<double> commaNumber(std::string_view text);

// Decimal-point rule, for the files the program reads as written by programs: an
// optional "+" or "-", digits with "." as decimal point, an optional exponent, blanks
// around allowed ("0.0871557427476582", "-2E-05"). Anything else, infinities included,
// is not a number.
std::optional<double> pointNumber(std::string_view text);

// A coordinate of the object (X or Y of a row or of a .fra record): the comma rule,
// and also a plain decimal with a "." (an optional sign, digits, one ".", digits, no
// comma or exponent, blanks around allowed). The number-text rule turns a "." into ","
// only up to the fourth character, so a DXF coordinate of -100 or less or of 1000 or
// more keeps its point ("-172.8037245316427", "1234.5") and reads as the number it
// writes. Anything else ("1.2.3", "12.5x", "") is not a number.
std::optional<double> coordinateNumber(std::string_view text);

// Decimal text with "," as separator: at most 15 significant digits, no trailing
// zeros, exponent form below 0.0001 in magnitude ("3,06E-16") and from 1E+15 up.
std::string decimalText(double value);

// Millimetres as the windows show them: two decimals, "," as separator, never "-0,00"
// ("12,35", "-3,00").
std::string millimetreText(double mm);

// A whole number as bare decimal text.
std::string integerText(std::int64_t value);

// Rounds to the nearest integer, halves to even (2.5 gives 2, 3.5 gives 4).
std::int64_t roundHalfEven(double value);

// The last n characters of text (all of it when shorter): the extension checks of the
// program compare these exactly, case included.
std::string_view lastChars(std::string_view text, std::size_t n);

// A file's text as a message quotes it: its first 60 characters, then "…" when there
// was more, so that a line of megabytes neither floods a terminal nor freezes a message
// box. A NUL byte shows as "␀", line breaks as spaces: the quote stays one visible line.
std::string excerpt(std::string_view text);

}  // namespace tarvel
