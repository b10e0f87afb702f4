#include "drawing/datimport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/tempdir.h"

namespace tarvel {
namespace {

using testing::TempDir;
using Texts = std::vector<std::string>;

TEST(DatNumberText, CommaTextAndSmallValuesWrittenOut) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {0.5, "0,5"}, {1, "1"}, {0, "0"}, {-0.086992, "-0,086992"},
        {1.23456789e-05, "0,000012345"}, {-1.23456789e-05, "-0,0000123456"},
        {1.5e-05, "0,000015"}, {-2e-07, "-0,0000002"},
        {1 - 0.99999, "0,0000099999"},           // the exact difference
        {1.00000000000655e-05, "0,000010000"},   // what the old reader made of it
        {0.0001, "0,0001"}, {2.5e20, "2,5E+20"},
    };
    for (const auto& c : cases) EXPECT_EQ(datNumberText(c.value), c.text) << c.value;
}

struct Import {
    ImportResult result;
    CutObject object;
};

Import importText(const std::string& content) {
    TempDir dir;
    Import i;
    i.object.appendRow("9", "9", "0", "D", ".", "2");
    i.object.cutCount = "5";
    i.result = importDatFile(dir.write("profil.dat", content), i.object);
    return i;
}

// Rows as "X;Y;Z"; checks that markers and cut numbers are empty and entry marks ".".
Texts rowsOf(const CutObject& o) {
    Texts rows;
    for (std::size_t i = 0; i < o.rows(); ++i) {
        EXPECT_EQ(o.marker[i] + o.cutNumber[i] + o.entryMark[i], ".") << i;
        rows.push_back(o.x[i] + ";" + o.y[i] + ";" + o.z[i]);
    }
    return rows;
}

TEST(ImportDat, RowsOfEachLayout) {
    const struct {
        std::string content;
        Texts rows;
    } cases[] = {
        {"SD 7003\r\n1.000000  0.001260\r\n", {"0;0,50126;0", "0;0,50126;1", "0;0,50126;0"}},
        {"T\r\n0.99999 -0.5\r\n", {"0,0000099999;0;0", "0,0000099999;0;1", "0,0000099999;0;0"}},
        // No title: the object starts in the material. Two titles: no more than that.
        {"1 0\r\n0.5 0.1\r\n", {"0;0,5;1", "0,5;0,6;1", "0,5;0,6;0"}},
        {"A\r\nB\r\n1 0\r\n", {"0;0,5;1", "0;0,5;0"}},
        // Ignored: no y, a tab; a title: x from 2 to 9; an empty line is a title.
        {"T\r\n0.5\r\n0.5\t0.1\r\n1 0\r\n", {"0;0,5;0", "0;0,5;1", "0;0,5;0"}},
        {"T\r\n2.5 1\r\n1 0\r\n", {"0;0,5;1", "0;0,5;0"}},
        {"\r\n  1.000020    0.001191\r\n", {"-0,0000199999;0,501191;0", "-0,0000199999;0,501191;1", "-0,0000199999;0,501191;0"}},
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

TEST(ImportDat, RefusalsLeaveTheObjectAndFilesWithoutAPointEmptyIt) {
    const std::string unusable = "le fichier choisi n'est pas utilisable choisir un fichier valide ou reportez "
                                 "vous à la notice d'utilisation. ";
    for (const std::string content : {"", "   \r\n\t\r\n", "SD 7003\r\n", "0.5\r\n"}) {
        Import i = importText(content);
        EXPECT_EQ(i.result.status, ImportStatus::Failed);
        EXPECT_EQ(i.result.message.value().text, unusable);
        EXPECT_TRUE(i.object.empty());
    }
    // A number out of range is a conversion error: the points before it stay.
    Import big = importText("T\r\n1 0\r\n0.5 1" + std::string(400, '0') + "\r\n0 0\r\n");
    EXPECT_EQ(big.result.message.value().text, unusable);
    EXPECT_EQ(rowsOf(big.object), (Texts{"0;0,5;0", "0;0,5;1"}));
    TempDir dir;
    dir.write("profil.DAT", "T\r\n1 0\r\n");
    for (auto [name, text] : {std::pair{dir.file("profil.DAT"), "choisir un fichier DAT"},
                              {std::string(), "choisir un fichier DAT"},
                              {dir.file("autre.dat"), "Fichier introuvable !"}}) {
        CutObject o;
        o.appendRow("9", "9", "0", "D", ".", ".");
        ImportResult r = importDatFile(name, o);
        EXPECT_EQ(r.status, ImportStatus::Refused);
        EXPECT_EQ(r.message.value().text, text);
        EXPECT_EQ(o.rows(), 1u);
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
        const std::size_t raised = std::string(c.firstZ) == "0" ? 2 : 1;
        ASSERT_EQ(o.rows(), c.points + raised) << c.file;
        EXPECT_EQ(o.z.front(), c.firstZ) << c.file;
        EXPECT_EQ(o.z.back(), "0") << c.file;
        EXPECT_EQ(std::count(o.z.begin(), o.z.end(), "1"), static_cast<long>(c.points)) << c.file;
    }
}

}  // namespace
}  // namespace tarvel
