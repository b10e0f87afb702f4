#include "drawing/frafile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "drawing/drawingmessages.h"
#include "support/joined.h"
#include "support/tempdir.h"

namespace tarvel {
namespace {

using testing::TempDir;
using Texts = std::vector<std::string>;
namespace msg = drawingmessages;

CutObject rows(const std::vector<Texts>& xyz) {
    CutObject o;
    for (const auto& r : xyz) o.appendRow(r[0], r[1], r[2], "", "", ".");
    markCuts(o);
    return o;
}

std::set<std::string> filesIn(const TempDir& dir) {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        names.insert(e.path().filename());
    return names;
}

TEST(FraFile, SavedBytesAndReloadWithShiftedMarkers) {
    TempDir dir;
    CutObject saved =
        rows({{"10", "21", "0"}, {"11", "22", "1"}, {"30.5", "23", "1"}, {"12", "24", "0"}});
    ASSERT_EQ(saved.marker, (Texts{"D", "0", "0", "F"}));
    ASSERT_FALSE(writeFraFile(dir.file("piece"), saved));
    EXPECT_EQ(TempDir::read(dir.file("piece.fra")),
              "0,0,0\r\n\"10\",\"21\",\"0\"\r\n\"11\",\"22\",\"1\"\r\n\"30,5\",\"23\",\"1\"\r\n"
              "\"12\",\"24\",\"0\"\r\n0,0,0\r\n");

    CutObject back;
    FraReadResult r = readFraFile(dir.file("piece.fra"), back);
    EXPECT_EQ(r.status, FraReadStatus::Read);
    EXPECT_EQ(back.x, (Texts{"0", "10", "11", "30,5", "12", "0"}));
    EXPECT_EQ(back.y, (Texts{"0", "21", "22", "23", "24", "0"}));
    EXPECT_EQ(back.z, (Texts{"0", "0", "1", "1", "0", "0"}));
    EXPECT_EQ(back.marker, (Texts{"D", "F", "0", "0", "D", "F"}));
    EXPECT_EQ(back.cutNumber, (Texts{".", "1", ".", ".", ".", "2"}));
    EXPECT_EQ(back.entryMark, Texts(6, "."));
    EXPECT_EQ(back.cutCount, "2");

    // X and Y by the number-text rule, Z as held; Windows-1252 on disk.
    ASSERT_FALSE(writeFraFile(dir.file("p"), rows({{"5.25", "-12.5", "1.5"}, {"5€", "é", "ü"}})));
    EXPECT_EQ(TempDir::read(dir.file("p.fra")),
              "0,0,0\r\n\"5,25\",\"-12,5\",\"1.5\"\r\n\"5\x80\",\"\xE9\",\"\xFC\"\r\n0,0,0\r\n");
    readFraFile(dir.file("p.fra"), back);
    EXPECT_EQ(testing::joined({back.x[2], back.y[2], back.z[2]}, ""), "5€éü");
}

TEST(FraFile, SaveRefusalsComeInOrderAndWriteNothing) {
    const struct {
        const char* name;
        std::set<std::string> existing;
        bool columnsDiffer;  // checked after the name
        const Message& expected;
    } cases[] = {
        {"", {}, true, msg::kNoFileName},
        {"piecedxf", {"piecedxf"}, true, msg::kNoExtension},
        {"piece.dat", {}, false, msg::kNoExtension},
        {"profilpro", {}, false, msg::kNoExtension},
        {"piece", {"piece"}, true, msg::kNameInUse},
        {"piece", {"piece.fra"}, false, msg::kNameInUse},
        {"piece", {"autre.fra"}, true, msg::kColumnLengths},
        {"absent/piece", {}, false, msg::kWriteError},
    };
    for (const auto& c : cases) {
        TempDir dir;
        for (const auto& f : c.existing) dir.write(f, "x");
        CutObject o = rows({{"1", "2", "0"}, {"3", "4", "1"}});
        if (c.columnsDiffer) o.z.pop_back();
        std::optional<Message> refusal = writeFraFile(*c.name ? dir.file(c.name) : "", o);
        ASSERT_TRUE(refusal) << c.name;
        EXPECT_EQ(std::tie(refusal->text, refusal->title, refusal->icon),
                  std::tie(c.expected.text, c.expected.title, c.expected.icon)) << c.name;
        EXPECT_EQ(filesIn(dir), c.existing) << c.name;
    }
}

TEST(FraReader, NamesTheLineAndColumnWhereAFileStops) {
    const struct {
        const char* text;
        std::size_t rows;
        std::optional<FraFailure::Kind> failure;
        std::int64_t line;
        int column;
    } cases[] = {
        {"0,0,0\r\n\"1\",\"2\",\"3\"\r\n", 2, std::nullopt, 0, 0},
        {"0,0,0\r\n\r\n\"1\",\"2\",\"3\"\r\n", 1, FraFailure::Kind::LineIncomplete, 2, 0},
        {"0,0,0\r\n\"1\",\"2\"\r\n0,0,0\r\n", 1, FraFailure::Kind::LineIncomplete, 2, 0},
        {"0,0,0\r\n\"1\",\"y\",\"1\"\r\n", 1, FraFailure::Kind::NotNumber, 2, 1},
        {"0,0,0\r\n\"1234.5\",\"-172.8\",\"1.0\"\r\n", 1, FraFailure::Kind::NotNumber, 2, 2},
    };
    TempDir dir;
    for (const auto& c : cases) {
        FraReader in(dir.write("p.fra", c.text));
        std::string x, y, z;
        std::size_t rows = 0;
        std::optional<FraFailure> failure;
        while (!failure && in.next(x, y, z)) {
            double xyz[3];
            failure = fraNumbers(x, y, z, in.lineNumber(), xyz);
            if (!failure) ++rows;
        }
        if (!failure) failure = in.failure();
        EXPECT_EQ(rows, c.rows) << c.text;
        ASSERT_EQ(failure.has_value(), c.failure.has_value()) << c.text;
        if (failure) {
            EXPECT_EQ(std::make_tuple(failure->kind, failure->line, failure->column),
                      std::make_tuple(*c.failure, c.line, c.column)) << c.text;
        }
    }
}

}  // namespace
}  // namespace tarvel
