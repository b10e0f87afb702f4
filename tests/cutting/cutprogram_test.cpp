#include "cutting/cutprogram.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/tempdir.h"

namespace tarvel {
namespace {

using testing::TempDir;
using Status = CutProgramReader::Status;

std::vector<std::int64_t> readAll(CutProgramReader& r, Status& last) {
    std::vector<std::int64_t> values;
    std::int64_t v = 0;
    while ((last = r.next(v)) == Status::Tick) values.push_back(v);
    return values;
}

TEST(CutProgram, WritesBareIntegersAndReadsLongProgramsBackAcrossBuffers) {
    TempDir tmp;
    CutProgramWriter w(tmp.file("a.def"));
    for (std::int64_t v : {2, 0, 255, 1023, 1024, 70000}) w.write(v);
    ASSERT_TRUE(w.commit());
    EXPECT_EQ(w.ticksWritten(), 6u);
    EXPECT_EQ(TempDir::read(tmp.file("a.def")), "2\r\n0\r\n255\r\n1023\r\n1024\r\n70000\r\n");

    std::vector<std::int64_t> expected;
    for (std::int64_t i = 0; i < 300000; ++i) expected.push_back(i % 1500);
    CutProgramWriter big(tmp.file("long.def"));
    for (std::int64_t v : expected) big.write(v);
    ASSERT_TRUE(big.commit());
    CutProgramReader r(tmp.file("long.def"));
    Status last{};
    EXPECT_EQ(readAll(r, last), expected);
    EXPECT_EQ(last, Status::End);
}

TEST(CutProgramReader, ReadsAnyLineEndStopsAtTheFirstNonIntegerAndNamesIt) {
    TempDir tmp;
    CutProgramReader ok(tmp.write("a.def", "2\r\n 32 \n48\r51"));
    Status last{};
    EXPECT_EQ(readAll(ok, last), (std::vector<std::int64_t>{2, 32, 48, 51}));
    EXPECT_EQ(last, Status::End);

    const struct {
        std::string text;
        std::int64_t line;
        std::string shown;
    } cases[] = {{"2\r\n3\r\n4,5\r\n6\r\n", 3, "4,5"}, {"2\r\n\r\n3\r\n", 2, ""}, {"1.0\r\n", 1, "1.0"},
                 {"2\r\n+3\r\n", 2, "+3"}, {"99999999999999999999\r\n", 1, "99999999999999999999"},
                 {std::string("1\0", 2) + std::string(500, '7'), 1, "1␀" + std::string(58, '7') + "…"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        CutProgramReader r(tmp.write("bad.def", c.text));
        readAll(r, last);
        EXPECT_EQ(last, Status::NotInteger);
        EXPECT_EQ(r.lineNumber(), c.line);
        std::int64_t v = 0;
        EXPECT_EQ(r.next(v), Status::NotInteger);  // it stays stopped
        const std::string text = r.problem().text;
        EXPECT_NE(text.find("la ligne " + std::to_string(c.line) + " (« " + c.shown + " »)"), std::string::npos)
            << text;
    }
}

}  // namespace
}  // namespace tarvel
