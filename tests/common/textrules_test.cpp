#include "common/textrules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace tarvel {
namespace {

TEST(NumberText, ReplacesPointAtPositionsTwoToFourInOrder) {
    const std::pair<const char*, const char*> cases[] = {
        {"0.05", "0,05"},     {"12.5", "12,5"},     {"1.2.3", "1,2,3"},  {"5.25", "5,25"},
        {"-12.5", "-12,5"},   {"100.25", "100,25"}, {"1234.5", "1234.5"}, {"-123.5", "-123.5"},
        {".5", ".5"},         {"20", "20"},         {"", ""},             {"0,02", "0,02"},
        {"1..2", "1,,2"},     {"4.5", "4,5"}};
    for (const auto& [in, out] : cases) EXPECT_EQ(numberText(in), out) << in;
}

TEST(NumberText, CountsCharactersNotBytes) {
    EXPECT_EQ(numberText("é.5"), "é,5");
}

TEST(LeadingNumber, ReadsSignDigitsAndPointThenStops) {
    const std::pair<const char*, double> cases[] = {
        {"12,5", 12},   {"12.5", 12.5}, {"", 0},       {"abc", 0},     {"-3.25", -3.25},
        {"+7", 7},      {"  4.5x", 4.5}, {"\t2", 2},   {"1e-05", 1},   {".5", 0.5},
        {"-.25", -0.25}, {"-", 0},      {"1.", 1},     {"0.001260", 0.00126}};
    for (const auto& [in, out] : cases) EXPECT_DOUBLE_EQ(leadingNumber(in), out) << in;
}

TEST(LeadingNumber, HugeDigitRunIsInfiniteNotGarbage) {
    EXPECT_TRUE(std::isinf(leadingNumber(std::string(400, '9'))));
    EXPECT_EQ(leadingNumber("0." + std::string(400, '0') + "1"), 0.0);
}

TEST(CommaNumber, ReadsCommaDecimalsAndExponents) {
    const std::pair<const char*, double> cases[] = {
        {"0,02", 0.02}, {"12,5", 12.5}, {"-3", -3}, {" 20 ", 20}, {"3,06E-16", 3.06e-16},
        {"1E+15", 1e15}, {"+4,", 4},     {",5", 0.5}, {"1", 1}};
    for (const auto& [in, out] : cases) {
        auto v = commaNumber(in);
        ASSERT_TRUE(v.has_value()) << in;
        EXPECT_DOUBLE_EQ(*v, out) << in;
    }
}

TEST(CommaNumber, RefusesWhatIsNotANumber) {
    for (const char* in : {"", " ", "12.5", "1,2,3", "abc", "1e", "2x", "-", ",", "1E400"})
        EXPECT_FALSE(commaNumber(in).has_value()) << in;
}

TEST(DecimalText, FifteenDigitsCommaAndExponentForms) {
    const std::pair<double, const char*> cases[] = {
        {12.5, "12,5"},
        {0.5, "0,5"},
        {1, "1"},
        {0, "0"},
        {-12.5, "-12,5"},
        {3.06e-16, "3,06E-16"},
        {1.5e-5, "1,5E-05"},
        {0.0001, "0,0001"},
        {0.50126, "0,50126"},
        {1.0000000000065512e-05, "1,00000000000655E-05"},
        {1.0 / 3.0, "0,333333333333333"},
        {10.0 + 5.0 * std::cos(5.0 * std::numbers::pi / 180.0), "14,9809734904587"},
        {123456789012345.0, "123456789012345"},
        {1e15, "1E+15"},
        {-2.5e-7, "-2,5E-07"},
        {100, "100"}};
    for (const auto& [in, out] : cases) EXPECT_EQ(decimalText(in), out) << in;
}

TEST(DecimalText, RoundingToFifteenDigitsCanLeaveExponentForm) {
    EXPECT_EQ(decimalText(0.00009999999999999999), "0,0001");
    EXPECT_EQ(decimalText(0.99999999999999999), "1");
}

TEST(RoundHalfEven, SendsHalvesToTheEvenNeighbour) {
    const std::pair<double, std::int64_t> cases[] = {
        {0.5, 0}, {1.5, 2}, {2.5, 2}, {-0.5, 0}, {-1.5, -2}, {0.4, 0}, {0.6, 1}, {39.9999, 40}};
    for (const auto& [in, out] : cases) EXPECT_EQ(roundHalfEven(in), out) << in;
}

TEST(LastChars, ComparesTheTailExactly) {
    EXPECT_EQ(lastChars("piece.def", 3), "def");
    EXPECT_EQ(lastChars("ab", 3), "ab");
    EXPECT_EQ(lastChars("piece.DEF", 4), ".DEF");
}

}  // namespace
}  // namespace tarvel
