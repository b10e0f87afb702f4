#include "drawing/datimport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "drawing/drawingmessages.h"
#include "support/joined.h"
#include "support/tempdir.h"

namespace tarvel {
namespace {

using testing::TempDir;
using Texts = std::vector<std::string>;

struct Import {
    ImportResult result;
    CutObject object;
};

// Imports `content` written as `name` (nothing written without content) over a one-row object.
Import importText(const char* content, const std::string& name = "profil.dat") {
    TempDir dir;
    Import i;
    i.object.appendRow("9", "9", "0", "D", ".", "2");
    i.object.cutCount = "5";
    i.result = importDatFile(content ? dir.write(name, content) : dir.file(name), i.object);
    return i;
}

// Rows as "X;Y;Z"; checks that markers and cut numbers are empty and entry marks ".".
Texts rowsOf(const CutObject& o) {
    Texts rows;
    for (std::size_t i = 0; i < o.rows(); ++i) {
        EXPECT_EQ(testing::joined({o.marker[i], o.cutNumber[i], o.entryMark[i]}, ""), ".") << i;
        rows.push_back(testing::joined({o.x[i], o.y[i], o.z[i]}));
    }
    return rows;
}

TEST(ImportDat, RowsOfEachLayout) {
    const struct {
        const char* content;
        Texts rows;
    } cases[] = {
        {"SD 7003\r\n1.000000  0.001260\r\n", {"0;0,50126;0", "0;0,50126;1", "0;0,50126;0"}},
        // Small values written out in five digits, six after a minus; large ones keep the exponent.
        {"T\r\n0.99999 250000000000000000000\r\n", {"0,0000099999;2,5E+20;0", "0,0000099999;2,5E+20;1",
                                                    "0,0000099999;2,5E+20;0"}},
        {"\r\n  1.000020    0.001191\r\n", {"-0,0000199999;0,501191;0", "-0,0000199999;0,501191;1",
                                            "-0,0000199999;0,501191;0"}},
        // No title: the object starts in the material. Two titles: no more than that.
        {"1 0\r\n0.5 0.1\r\n", {"0;0,5;1", "0,5;0,6;1", "0,5;0,6;0"}},
        {"A\r\nB\r\n1 0\r\n", {"0;0,5;1", "0;0,5;0"}},
        // Ignored: no y, a tab; a title: x from 2 to 9; an empty line is a title.
        {"T\r\n0.5\r\n0.5\t0.1\r\n1 0\r\n", {"0;0,5;0", "0;0,5;1", "0;0,5;0"}},
        {"T\r\n2.5 1\r\n1 0\r\n", {"0;0,5;1", "0;0,5;0"}},
        // A title after the points have begun raises the tool before the next point.
        {"1 0\r\n-\r\n0 abc\r\n", {"0;0,5;1", "1;0,5;0", "1;0,5;1", "1;0,5;0"}},
        // A comma ends a field: each part is a line of its own.
        {"1 0,0.5 0.25\r\n", {"0;0,5;1", "0,5;0,75;1", "0,5;0,75;0"}},
    };
    for (const auto& c : cases) {
        Import i = importText(c.content);
        EXPECT_EQ(i.result.status, ImportStatus::Imported) << c.content;
        EXPECT_EQ(rowsOf(i.object), c.rows) << c.content;
        EXPECT_EQ(i.object.cutCount, "5");
    }
}

TEST(ImportDat, RefusalsLeaveTheObjectAndFailuresKeepThePointsBeforeTheFault) {
    const std::string big = "T\r\n1 0\r\n0.5 1" + std::string(400, '0') + "\r\n0 0\r\n";
    const std::string unusable = drawingmessages::kDatUnusable.text;
    const struct {
        const char *content, *name;
        ImportStatus status;
        const char* told;
        std::size_t rows;
    } cases[] = {
        {"T\r\n1 0\r\n", "profil.DAT", ImportStatus::Refused, drawingmessages::kNotDatFile.text.c_str(), 1},
        {nullptr, "autre.dat", ImportStatus::Refused, drawingmessages::kFileNotFound.text.c_str(), 1},
        {"SD 7003\r\n", "p.dat", ImportStatus::Failed, unusable.c_str(), 0},
        {"0.5\r\n", "p.dat", ImportStatus::Failed, unusable.c_str(), 0},
        // A number out of range is a conversion error.
        {big.c_str(), "p.dat", ImportStatus::Failed, unusable.c_str(), 2},
    };
    for (const auto& c : cases) {
        Import i = importText(c.content, c.name);
        EXPECT_EQ(i.result.status, c.status) << c.name;
        EXPECT_EQ(i.result.message.value().text, c.told);
        EXPECT_EQ(i.object.rows(), c.rows);
    }
}

TEST(ImportDat, RealProfiles) {
    const struct {
        const char* file;
        std::size_t points;
        const char* firstZ;
    } cases[] = {{"SD7003.dat", 61, "0"}, {"ht12.dat", 141, "0"}, {"pod_2d.dat", 20, "1"}};
    for (const auto& c : cases) {
        CutObject o;
        ImportResult r = importDatFile(TARVEL_TESTDATA_DIR "/drawing/" + std::string(c.file), o);
        EXPECT_EQ(r.status, ImportStatus::Imported) << c.file;
        ASSERT_EQ(o.rows(), c.points + (*c.firstZ == '0' ? 2 : 1)) << c.file;
        EXPECT_EQ(testing::joined({o.z.front(), o.z.back()}, ""), std::string(c.firstZ) + "0") << c.file;
        EXPECT_EQ(std::count(o.z.begin(), o.z.end(), "1"), static_cast<long>(c.points)) << c.file;
    }
}

}  // namespace
}  // namespace tarvel
