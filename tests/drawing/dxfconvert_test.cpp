#include "drawing/dxfconvert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/paths.h"
#include "common/textrules.h"
#include "drawing/drawingwindow.h"
#include "support/joined.h"
#include "support/scripteddialogs.h"
#include "support/tempdir.h"

namespace tarvel {
namespace {

using testing::TempDir;
using Texts = std::vector<std::string>;

std::string dxf(const std::string& body, const std::string& header = "", const std::string& blocks = "") {
    return "  0\nSECTION\n  2\nHEADER\n" + header + "  0\nENDSEC\n  0\nSECTION\n  2\nBLOCKS\n" + blocks +
           "  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n" + body + "  0\nENDSEC\n  0\nEOF\n";
}

struct Converted {
    CutObject object;
    std::optional<Message> told;
    Texts rows;  // "x;y;z;marker;cutNumber"
};

Converted convert(const std::string& text, double tolerance = 0.01) {
    static const AngleTables tables = readAngleTables(executableDirectory());
    TempDir dir;
    DxfDrawing drawing;
    Converted c;
    EXPECT_FALSE(readDxfDrawing(dir.write("d.dxf", text), drawing).has_value());
    c.told = convertDxfDrawing(drawing, tolerance, tables, c.object).message;
    for (std::size_t i = 0; i < c.object.rows(); ++i)
        c.rows.push_back(testing::joined(
            {c.object.x[i], c.object.y[i], c.object.z[i], c.object.marker[i], c.object.cutNumber[i]}));
    return c;
}

const std::string kQuarterArc = "  0\nARC\n 10\n0\n 20\n0\n 40\n10\n 50\n0\n 51\n90\n";
const std::string kMinusZ = "210\n0\n220\n0\n230\n-1\n";

TEST(ConvertDxf, ShapesBecomeCutsWithTheRowsOfAPolyline) {
    const struct {
        std::string body, header;
        std::size_t rows;
        std::string first, last;
    } cases[] = {
        // 90° at r = 10 within 0,01 mm: ceil((π/2) / (2 acos(0,999))) = 18 chords.
        {kQuarterArc, "", 21, "10;0;0;D;.", "6,12323399573677E-16;10;0;F;."},
        {"  0\nARC\n 10\n10\n 20\n0\n 40\n5\n 50\n0\n 51\n90\n" + kMinusZ, "", 16, "-15;0;0;D;.", "-10;5;0;F;."},
        // A closed LWPOLYLINE whose first segment is a half circle ends on its first point.
        {"  0\nLWPOLYLINE\n 70\n1\n 10\n0.0\n 20\n0.0\n 42\n1\n 10\n10.0\n 20\n0.0\n", "", 29, "0,0;0,0;0;D;.",
         "0,0;0,0;0;F;."},
        {"  0\nLINE\n 10\n0\n 20\n0\n 11\n1.5\n 21\n2\n", "  9\n$INSUNITS\n 70\n1\n", 4, "0;0;0;D;.",
         "38,1;50,8;0;F;."},
        {"  0\nELLIPSE\n 10\n0\n 20\n0\n 11\n20\n 21\n0\n 40\n0.5\n", "", 0, "20;0;0;D;.", "20;0;0;F;."},
    };
    for (const auto& c : cases) {
        const Converted got = convert(dxf(c.body, c.header));
        ASSERT_FALSE(got.rows.empty()) << c.body;
        if (c.rows > 0) {
            EXPECT_EQ(got.rows.size(), c.rows) << c.body;
        }
        EXPECT_EQ(got.rows.front(), c.first) << c.body;
        EXPECT_EQ(got.rows.back(), c.last) << c.body;
        EXPECT_EQ(got.object.cutCount, "1");
        EXPECT_FALSE(got.told);
    }
}

TEST(ConvertDxf, BulgedSegmentsStayWithinTheToleranceOfTheirArc) {
    // Bulge -1: a clockwise half circle from (0,0) to (10,0), over the top.
    for (double tolerance : {0.5, 0.01, 0.0001}) {
        const Converted c = convert(dxf("  0\nLWPOLYLINE\n 10\n0\n 20\n0\n 42\n-1\n 10\n10\n 20\n0\n"), tolerance);
        ASSERT_GT(c.rows.size(), 4u);
        for (std::size_t i = 1; i + 1 < c.object.rows(); ++i) {
            const double x = *commaNumber(c.object.x[i]), y = *commaNumber(c.object.y[i]);
            EXPECT_NEAR(std::hypot(x - 5, y), 5, 1e-9) << i;
            EXPECT_GE(y, -1e-9);
            if (i + 2 < c.object.rows()) {  // the chord to the next point
                const double mx = (x + *commaNumber(c.object.x[i + 1])) / 2, my = (y + *commaNumber(c.object.y[i + 1])) / 2;
                EXPECT_LE(5 - std::hypot(mx - 5, my), tolerance);
            }
        }
    }
}

TEST(ConvertDxf, DrawingsThePlainImportTakesKeepTheirRows) {
    const std::string body = "  0\nLINE\n 10\n0.0\n 20\n0.0\n 11\n10.5\n 21\n1234.5\n  0\nCIRCLE\n 10\n10\n 20\n20\n"
                             " 40\n5\n  0\nPOLYLINE\n 70\n1\n  0\nVERTEX\n 10\n1.25\n 20\n2\n  0\nVERTEX\n 10\n3\n"
                             " 20\n4\n  0\nSEQEND\n  0\nTEXT\n 10\n1\n 20\n1\n";
    testing::ScriptedDialogs dialogs;
    DrawingForm form(dialogs);
    TempDir dir;
    form.paths = {executableDirectory(), dir.str(), {}};
    form.convertDxf = false;
    ASSERT_TRUE(form.importDxf(dir.write("d.dxf", dxf(body))));
    const Converted c = convert(dxf(body));
    EXPECT_EQ(objectListing(c.object), objectListing(form.object));
    EXPECT_EQ(c.told.value().text, "Le dessin contient des entités qui ne sont pas importées : 1 TEXT.");
}

TEST(ConvertDxf, BlocksArePlacedAndTheirNestingBounded) {
    const std::string blocks = "  0\nBLOCK\n  2\nB\n 10\n1\n 20\n0\n  0\nLINE\n 10\n1\n 20\n0\n 11\n2\n 21\n0\n"
                               "  0\nENDBLK\n  0\nBLOCK\n  2\nSELF\n  0\nINSERT\n  2\nSELF\n  0\nENDBLK\n";
    // Moved to (10, 10), doubled and turned a quarter: the line runs up from there.
    const Converted c = convert(dxf("  0\nINSERT\n  2\nB\n 10\n10\n 20\n10\n 41\n2\n 42\n2\n 50\n90\n  0\nINSERT\n"
                                    "  2\nSELF\n  0\nINSERT\n  2\nNONE\n",
                                    "", blocks));
    EXPECT_EQ(c.rows, (Texts{"10;10;0;D;.", "10;10;1;0;1", "10;12;1;0;.", "10;12;0;F;."}));
    EXPECT_EQ(c.told.value().text, "Le dessin contient des entités qui ne sont pas importées : 2 INSERT.");
}

TEST(DrawingFormDxf, AsksBeforeConvertingAndNoKeepsThePlainImport) {
    const std::string sample = TARVEL_TESTDATA_DIR "/drawing/sample.dxf";
    for (const bool yes : {false, true}) {
        testing::ScriptedDialogs dialogs;
        dialogs.confirmAnswers = {yes};
        DrawingForm form(dialogs);
        TempDir dir;
        form.paths = {executableDirectory(), dir.str(), {}};
        ASSERT_TRUE(form.importDxf(sample));
        ASSERT_EQ(dialogs.asked.size(), 1u);
        EXPECT_EQ(dialogs.asked[0].text,
                  "Le dessin contient 2 LWPOLYLINE, 1 ARC et 1 SPLINE qui ne sont pas importés. Les convertir en "
                  "segments (écart au plus 0,01 mm) et les importer aussi ?");
        EXPECT_EQ(form.object.cutCount, yes ? "8" : "4");
        EXPECT_EQ(dialogs.told.size(), yes ? 0u : 1u);
    }
    DxfDrawing inches;
    inches.units = 1;
    inches.bulgedPolylines = 16;
    EXPECT_EQ(conversionQuestion(inches, 0.05).text,
              "16 polylignes ont des arcs remplacés par des segments droits. Le dessin est en pouces : ses longueurs "
              "sont converties en millimètres. Les convertir en segments (écart au plus 0,05 mm) et les importer "
              "aussi ?");
}

TEST(ReadDxfDrawing, DamagedFilesAreToldNotConverted) {
    const std::pair<std::string, std::string> cases[] = {
        {"  0\nSECTION\n  2\nENTITIES\n  0\nLINE\nX\n", "la ligne 7 devrait porter un code de groupe et porte « X »"},
        {"  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n", "avant la fin de sa section ENTITIES"},
        {"  0\nSECTION\n  2\nHEADER\n  0\nENDSEC\n", "n'a pas de section ENTITIES"},
    };
    TempDir dir;
    for (const auto& [text, told] : cases) {
        DxfDrawing d;
        EXPECT_NE(readDxfDrawing(dir.write("d.dxf", text), d).value_or(Message{}).text.find(told), std::string::npos)
            << text;
    }
    // Values that are no numbers, a spline whose knots do not fit: left out and named.
    const Converted c = convert(dxf("  0\nARC\n 10\nun\n 40\n1\n  0\nSPLINE\n 71\n3\n 40\n0\n 10\n1\n 20\n1\n" + kQuarterArc));
    EXPECT_EQ(c.object.cutCount, "1");
    EXPECT_EQ(c.told.value().text, "Le dessin contient des entités qui ne sont pas importées : 1 ARC, 1 SPLINE.");
}

TEST(ToleranceFromText, PositiveNumbersWithCommaOrPoint) {
    EXPECT_EQ(toleranceFromText("0,01"), 0.01);
    EXPECT_EQ(toleranceFromText("0.5"), 0.5);
    for (const char* bad : {"", "0", "-0,1", "abc", "1,2,3", "inf"}) EXPECT_FALSE(toleranceFromText(bad)) << bad;
}

}  // namespace
}  // namespace tarvel
