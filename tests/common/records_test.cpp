#include "common/records.h"

#include <gtest/gtest.h>

#include "common/encoding.h"
#include "support/tempdir.h"

namespace tarvel {
namespace {

using Fields = std::vector<std::string>;

Fields allFields(std::string_view text, std::vector<FieldEnd>* ends = nullptr) {
    auto r = RecordReader::fromText(text);
    Fields out;
    FieldEnd e;
    for (std::string f; r.readField(f, &e); out.push_back(f))
        if (ends) ends->push_back(e);
    return out;
}

TEST(RecordReader, SplitsFieldsByTheFileRules) {
    const std::pair<const char*, Fields> cases[] = {
        {"\"12,5\",\"-3,25\",\"1\"\r\n", {"12,5", "-3,25", "1"}}, {"0,0,0\r\n", {"0", "0", "0"}},
        {"  0\r\n 10\r\n", {"0", "10"}},                  // leading blanks skipped
        {"abc  ,d\r\n", {"abc  ", "d"}},                 // unquoted keeps trailing blanks
        {"\"a\"xyz,b\n", {"a", "b"}},                    // text after the closing quote dropped
        {"a\rb\nc\r\nd", {"a", "b", "c", "d"}},          // CR, LF, CR LF
        {"\"deux\r\nlignes\",x\r\n", {"deux\r\nlignes", "x"}},
        {"a,\r\nb\r\n", {"a", "", "b"}}, {"\r\n", {""}}, {"\"sans fin", {"sans fin"}}, {"\t\"q\"", {"q"}}};
    for (const auto& [text, expected] : cases) EXPECT_EQ(allFields(text), expected) << text;
    std::vector<FieldEnd> ends;
    allFields("a,b\r\nc", &ends);
    EXPECT_EQ(ends, (std::vector<FieldEnd>{FieldEnd::Comma, FieldEnd::LineEnd, FieldEnd::FileEnd}));
    // A record needs all its fields on its line.
    auto r = RecordReader::fromText("1,2,3,4\r\n5,6\r\n7,8,9\r\n");
    Fields a, b, c;
    EXPECT_TRUE(r.readRecord(a, 3));
    EXPECT_FALSE(r.readRecord(b, 3));
    EXPECT_EQ(r.lineNumber(), 3);
    EXPECT_TRUE(r.readRecord(c, 3) && r.atEnd());
    // The fourth field is dropped with its line.
    EXPECT_EQ((std::vector{a, b, c}), (std::vector<Fields>{{"1", "2", "3"}, {"5", "6"}, {"7", "8", "9"}}));
    EXPECT_FALSE(r.readRecord(c, 3));
}

// A quoted field may hold line ends; the records after it are told by their own line.
TEST(RecordReader, LineNumbersCountTheLineEndsInsideQuotes) {
    const std::pair<const char*, std::vector<std::int64_t>> cases[] = {
        {"\"a\r\nb\",1\r\nx,y\r\n", {3, 4}}, {"\"a\nb\nc\",1\nx,y\n", {4, 5}}, {"x,y\r\"a\rb\",1\rz,w", {2, 4, 4}}};
    for (const auto& [text, afterEach] : cases) {
        auto r = RecordReader::fromText(text);
        Fields f;
        std::vector<std::int64_t> lines;
        while (r.readRecord(f, 2)) lines.push_back(r.lineNumber());
        EXPECT_EQ(lines, afterEach) << text;
    }
}

TEST(RecordReader, ReadLineKeepsTheWholeLineFilesAreWindows1252AndTheWriterQuotes) {
    auto r = RecordReader::fromText(" 1.0  0.5, x\r\nlast");
    std::string first, last;
    EXPECT_TRUE(r.readLine(first) && r.readLine(last));
    EXPECT_EQ(first + "|" + last, " 1.0  0.5, x|last");
    EXPECT_FALSE(r.readLine(last));
    EXPECT_EQ(recordLine({quotedField("0,02"), "0", quotedField("")}), "\"0,02\",0,\"\"\r\n");

    // Files are read as Windows-1252, across the reader's buffer boundaries.
    testing::TempDir dir;
    std::string big;
    for (int i = 0; i < 30000; ++i) big += "\"d\xE9" "cal\xE9\",\"" + std::to_string(i) + "\"\r\n";
    auto path = dir.write("big.txt", big);
    RecordReader file(path);
    Fields f;
    int n = 0;
    while (file.readRecord(f, 2) && f == Fields{"décalé", std::to_string(n)}) ++n;
    EXPECT_EQ(n, 30000) << ::testing::PrintToString(f);
    EXPECT_FALSE(file.failed());
}

TEST(Windows1252, EveryByteAndFrenchTextRoundTripTheRestBecomesQuestionMarks) {
    const std::string text = "Paramètres par défaut à l'échelle – «coupe» €";
    const std::string bytes = windows1252FromUtf8(text);
    EXPECT_EQ(bytes, "Param\xE8tres par d\xE9" "faut \xE0 l'\xE9" "chelle \x96 \xAB" "coupe\xBB \x80");
    EXPECT_EQ(utf8FromWindows1252(bytes), text);
    // Unmappable characters, a cut sequence, a byte that starts none.
    EXPECT_EQ(windows1252FromUtf8("日本|a\xC3|\xFF" "b"), "??|a?|?b");
    // Every byte survives a round trip.
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(windows1252FromUtf8(utf8FromWindows1252(all)), all);
}

}  // namespace
}  // namespace tarvel
