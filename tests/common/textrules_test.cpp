#include "common/textrules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace tarvel {
namespace {

TEST(NumberText, ReplacesPointAtCharacterPositionsTwoToFourInOrder) {
    const std::pair<const char*, const char*> cases[] = {
        {"0.05", "0,05"}, {"1.2.3", "1,2,3"}, {"-12.5", "-12,5"}, {"100.25", "100,25"}, {"1234.5", "1234.5"},
        {".5", ".5"},     {"1..2", "1,,2"},   {"é.5", "é,5"}};
    for (const auto& [in, out] : cases) EXPECT_EQ(numberText(in), out) << in;
}

TEST(LeadingNumber, ReadsSignDigitsAndPointThenStops) {
    const std::pair<std::string, double> cases[] = {
        {"12,5", 12},  {"  4.5x", 4.5}, {"", 0},     {"-.25", -0.25},
        {"1e-05", 1},  {"+7", 7},       {"-", 0},    {std::string(400, '9'), INFINITY}};
    for (const auto& [in, out] : cases) EXPECT_DOUBLE_EQ(leadingNumber(in), out) << in;
    EXPECT_EQ(leadingNumber("0." + std::string(400, '0') + "1"), 0.0);
}

// A coordinate reads as the comma rule reads it, or as the plain decimal with a point that
// a DXF import leaves beyond the fourth character.
TEST(CommaNumber, ReadsCommaDecimalsAndExponentsAndRefusesTheRestUnlessACoordinate) {
    const std::tuple<const char*, std::optional<double>, double> cases[] = {  // text, comma rule, coordinate
        {"0,02", 0.02, 0.02}, {" 20 ", 20, 20}, {"3,06E-16", 3.06e-16, 3.06e-16}, {"+4,", 4, 4}, {",5", 0.5, 0.5},
        {"12.5", {}, 12.5},   {" -172.8037245316427 ", {}, -172.8037245316427},   {"+1234.5", {}, 1234.5}};
    for (const auto& [in, comma, coordinate] : cases)
        EXPECT_TRUE(commaNumber(in) == comma && coordinateNumber(in) == coordinate) << in;
    for (const std::string& in : std::initializer_list<std::string>{"", " ", "2x", "1,2,3", "1.2.3", "1234.5x", "1234.",
             "-.5", "1,2.5", "1.5E3", "1e", "-", ",", "1E400", std::string(400, '9') + ".5"})
        EXPECT_FALSE(commaNumber(in) || coordinateNumber(in)) << in;
}

TEST(DecimalText, FifteenDigitsCommaAndExponentForms) {
    const std::pair<double, const char*> cases[] = {
        {-12.5, "-12,5"}, {0, "0"}, {1.5e-5, "1,5E-05"}, {0.0001, "0,0001"}, {1.0 / 3.0, "0,333333333333333"},
        {1.0000000000065512e-05, "1,00000000000655E-05"}, {123456789012345.0, "123456789012345"}, {1e15, "1E+15"},
        {10.0 + 5.0 * std::cos(5.0 * std::numbers::pi / 180.0), "14,9809734904587"}, {0.99999999999999999, "1"},
        {0.00009999999999999999, "0,0001"}};  // rounded to 15 digits, out of the exponent form
    for (const auto& [in, out] : cases) EXPECT_EQ(decimalText(in), out) << in;
}

TEST(RoundHalfEven, SendsHalvesToTheEvenNeighbour) {
    const std::pair<double, std::int64_t> cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-1.5, -2}, {0.6, 1}};
    for (const auto& [in, out] : cases) EXPECT_EQ(roundHalfEven(in), out) << in;
}

TEST(ReadsAsOne, TheNumberOneWithACommaOrAPoint) {
    const std::pair<const char*, bool> cases[] = {{"1", true},   {" 1 ", true},  {"1,0", true}, {"1.0", true},
                                                  {"2", false},  {"2.0", false}, {"", false},   {"0,5", false}};
    for (const auto& [text, one] : cases) EXPECT_EQ(readsAsOne(text), one) << text;
}

}  // namespace
}  // namespace tarvel
