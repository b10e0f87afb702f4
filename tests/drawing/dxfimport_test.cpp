#include "drawing/dxfimport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "common/paths.h"
#include "common/records.h"
#include "drawing/angletables.h"
#include "drawing/drawingmessages.h"
#include "support/joined.h"
#include "support/tempdir.h"

namespace tarvel {
namespace {

using testing::TempDir;
using Texts = std::vector<std::string>;
namespace msg = drawingmessages;

// A DXF whose ENTITIES section holds `body` (group codes and values, one per line), after
// a HEADER and a TABLES section whose fields must never act.
std::string dxf(const std::string& body) {
    return "  0\nSECTION\n  2\nHEADER\n  9\n$EXTMIN\n 10\n0.0\n 20\n0.0\n  0\nENDSEC\n"
           "  0\nSECTION\n  2\nTABLES\n  0\nLTYPE\n  2\nLINE\n 62\n1\n 40\n0.0\n  0\nENDSEC\n"
           "  0\nSECTION\n  2\nENTITIES\n" +
           body + "  0\nENDSEC\n  0\nEOF\n";
}

// The scan file as "a,b,kind" records joined by " | ".
std::string scanOf(const std::string& dxfText, DxfScanStatus expected = DxfScanStatus::Scanned) {
    TempDir dir;
    EXPECT_EQ(scanDxf(dir.write("d.dxf", dxfText), dir.file("tempX")).status, expected);
    RecordReader in(dir.file("tempX"));
    std::string out;
    std::vector<std::string> f;
    while (in.isOpen() && !in.atEnd() && in.readRecord(f, 3))
        out += (out.empty() ? "" : " | ") + f[0] + "," + f[1] + "," + f[2];
    return out;
}

struct Imported {
    ImportResult result;
    CutObject object;
};

// Imports the DXF at `path` (or written from `text`) over a one-row object counting "7" cuts.
Imported import(const std::string& path, const std::string& scanFile = "tempX") {
    static const AngleTables tables = readAngleTables(executableDirectory());
    TempDir scratch;
    Imported i;
    i.object.appendRow("1", "2", "0", "D", ".", ".");
    i.object.cutCount = "7";
    i.result = importDxfFile(path, tables, scratch.file(scanFile), i.object);
    return i;
}
Imported importText(const std::string& text, const std::string& scanFile = "tempX") {
    TempDir dir;
    return import(dir.write("d.dxf", text), scanFile);
}

std::string fixture(const std::string& name) { return TARVEL_TESTDATA_DIR "/drawing/" + name; }

// Rows as "x;y;z;marker;cutNumber" (every entry mark is checked to be ".").
Texts rowsOf(const CutObject& o) {
    Texts rows;
    for (std::size_t i = 0; i < o.rows(); ++i) {
        EXPECT_EQ(o.entryMark[i], ".");
        rows.push_back(testing::joined({o.x[i], o.y[i], o.z[i], o.marker[i], o.cutNumber[i]}));
    }
    return rows;
}

const std::string kLine = "  0\nLINE\n  5\n10\n  8\n0\n 10\n0.0\n 20\n0.0\n 30\n0.0\n 11\n10.5\n 21\n5.0\n 31\n0.0\n";
const std::string kCircle = "  0\nCIRCLE\n  8\n0\n 10\n10\n 20\n20\n 40\n5\n";
std::string triangle(const std::string& flags) {
    return "  0\nPOLYLINE\n  8\n0\n 66\n1\n 10\n0.0\n 20\n0.0\n 70\n" + flags +
           "\n  0\nVERTEX\n 10\n1\n 20\n2\n  0\nVERTEX\n 10\n3\n 20\n4\n  0\nVERTEX\n 10\n5\n 20\n6\n"
           "  0\nSEQEND\n";
}

TEST(ScanDxf, RecordsOfEachEntity) {
    const std::string closed = "0,0,P | 19,19,M | 1,2,p | 3,4,p | 5,6,p | 1,2,p | 1,1,E";
    const std::string open = "0,0,P | 19,19,M | 1,2,p | 3,4,p | 5,6,p | 1,1,E";
    const struct {
        std::string body, records;
    } cases[] = {
        {kLine, "ligne,ligne,L | 19,19,M | 0.0,0.0,p | 10.5,5.0,p"},
        {"  0\nLINE\n 62\n1\n 10\n0\n 20\n0\n 11\n1\n 21\n2\n", "ligne,ligne,L | 11,11,M | 0,0,p | 1,2,p"},
        {kCircle, "cercle,cercle,C | 19,19,M | 10,20,p | rayon,rayon,R | 5,5,v"},
        {triangle("1"), closed},
        {triangle("129"), closed},
        {triangle("9"), open},
        {"  0\nPOLYLINE\n 70\n0\n  0\nVERTEX\n 10\n1\n 20\n2\n 42\n1.0\n  0\nSEQEND\n",
         "0,0,P | 19,19,M | 1,2,p | rayon,rayon,R | 1.0,1.0,v | 1,1,E"},
        {"  0\nARC\n 62\n1\n 10\n5.0\n 20\n6.0\n 40\n3.0\n 50\n0.0\n 51\n90.0\n",
         "arc,arc,A | 5.0,5.0,X | 5.0,6.0,p | rayon,rayon,R | 3.0,3.0,v | 0.0,0.0,v | 90.0,90.0,v"},
        {"  0\nline\n 10\n1\n 20\n2\n 11\n3\n 21\n4\n", "1,2,p | 3,4,p"},
    };
    for (const auto& c : cases) EXPECT_EQ(scanOf(dxf(c.body)), c.records) << c.body;
}

TEST(ScanDxf, StopsWhereTheFileEndsTooEarly) {
    const std::string entities = "  0\nSECTION\n  2\nENTITIES\n";
    const std::pair<std::string, DxfScanStatus> cases[] = {
        {"  0\nSECTION\n  2\nHEADER\n  0\nENDSEC\n  0\nEOF\n", DxfScanStatus::NoEntities},
        {entities + "  0\nLINE\n 10\n", DxfScanStatus::NoEndsec},
        {entities + "  0\nPOLYLINE\n 70\n1\n  0\nENDSEC\n  0\nEOF\n", DxfScanStatus::PolylineWithoutVertex},
        {entities + "  0\nARC\n  8\n0\n  0\nENDSEC\n  0\nEOF\n", DxfScanStatus::ArcWithoutCentre},
    };
    for (const auto& [text, status] : cases) EXPECT_EQ(scanOf(text, status), "") << text;

    TempDir dir;
    ASSERT_EQ(scanDxf(dir.write("d.dxf", dxf(kLine)), dir.file("tempX")).status, DxfScanStatus::Scanned);
    EXPECT_EQ(TempDir::read(dir.file("tempX")),
              "\"ligne\",\"ligne\",\"L\"\r\n\"19\",\"19\",\"M\"\r\n\"0.0\",\"0.0\",\"p\"\r\n"
              "\"10.5\",\"5.0\",\"p\"\r\n");
    EXPECT_EQ(scanDxf(dir.str(), dir.file("tempX")).status, DxfScanStatus::Unreadable);
}

TEST(ImportDxf, CircleInFiveDegreeChordsFromItsRightmostPoint) {
    Imported i = importText(dxf(kCircle + "  0\nCIRCLE\n 10\n0\n 20\n0\n 40\n5\n"));
    Texts rows = rowsOf(i.object);
    ASSERT_EQ(rows.size(), 152u);
    EXPECT_EQ(Texts(rows.begin(), rows.begin() + 3),
              (Texts{"15;20;0;D;.", "15;20;1;0;1", "14,9809734904587;20,4357787137383;1;0;."}));
    EXPECT_EQ(Texts(rows.begin() + 73, rows.begin() + 76), (Texts{"15;20;1;0;.", "15;20;1;0;.", "15;20;0;F;."}));
    // cos 90° is not exactly 0 in the tables: the second circle's 90° point shows it.
    EXPECT_EQ(rows[76 + 19], "3,06161699786838E-16;5;1;0;.");
    EXPECT_EQ(i.object.cutCount, "2");
}

TEST(ImportDxf, PolylineVerticesKeepTheirTextAndIgnoreWidthsAndBulges) {
    Imported i = importText(dxf(
        "  0\nPOLYLINE\n 40\n2.0\n 70\n1\n  0\nVERTEX\n 10\n1234.5\n 20\n-12.5\n 40\n0.5\n 41\n0.5\n"
        " 42\n1\n  0\nVERTEX\n 10\n1\n 20\n1\n 62\n5\n  0\nVERTEX\n 10\n0\n 20\n0.25\n  0\nSEQEND\n"));
    // Whole-number vertices are neither a polyline end ("1") nor a start ("0"), and the
    // second vertex's own colour is no vertex.
    EXPECT_EQ(rowsOf(i.object), (Texts{"1234.5;-12,5;0;D;.", "1234.5;-12,5;1;0;1", "1;1;1;0;.", "0;0,25;1;0;.",
                                       "1234.5;-12,5;1;0;.", "1234.5;-12,5;0;F;."}));
}

TEST(ImportDxf, ArcsAndStrayRecordsAddNothing) {
    const std::string expected = "0,0;0,0;0;D;.|0,0;0,0;1;0;1|10,5;5,0;1;0;.|10,5;5,0;0;F;.|"
                                 "0,0;0,0;0;D;.|0,0;0,0;1;0;2|10,5;5,0;1;0;.|10,5;5,0;0;F;.";
    for (const std::string between : {
             "  0\nARC\n 10\n5\n 20\n5\n 40\n3\n 50\n0\n 51\n90\n",
             // A text at the origin written in whole numbers: its point "0","0" is no
             // polyline start; a handle "10" is no group code.
             "  0\nTEXT\n  5\n10\n 10\n0\n 20\n0\n 40\n2.5\n  1\nPiece\n",
             "  0\nSEQEND\n  0\nLWPOLYLINE\n 90\n2\n 10\n1\n 20\n1\n 10\n0\n 20\n0\n",
         }) {
        Imported i = importText(dxf(kLine + between + kLine));
        std::string rows;
        for (const std::string& r : rowsOf(i.object)) rows += (rows.empty() ? "" : "|") + r;
        EXPECT_EQ(rows, expected) << between;
        EXPECT_EQ(i.object.cutCount, "2");
    }
}

TEST(ImportDxf, NoticeNamesTwentyKindsOfLeftOutEntitiesAtMost) {
    // Nothing importable: an empty object, no cut, and an information notice.
    Imported arc = importText(dxf("  0\nARC\n 10\n5\n 20\n5\n 40\n3\n 50\n0\n 51\n90\n"));
    EXPECT_EQ(arc.result.status, ImportStatus::Imported);
    EXPECT_TRUE(arc.object.empty());
    EXPECT_EQ(arc.object.cutCount, "0");
    EXPECT_EQ(arc.result.message.value().icon, Icon::Information);

    std::string body;
    for (int i = 1; i <= 25; ++i) body += "  0\nK" + std::to_string(i) + "\n";
    const std::string text = importText(dxf(body + "  0\nK1\n")).result.message.value().text;
    EXPECT_NE(text.find(": 2 K1, 1 K2, "), std::string::npos) << text;
    EXPECT_NE(text.find(", 1 K20 et 5 entités d'autres sortes."), std::string::npos) << text;

    // A text whose value line is missing: the pairs of lines get back in step.
    Imported damaged = importText(dxf("  0\nTEXT\n  1\n  0\nPOINT\n 10\n1\n 20\n1\n  0\nPOINT\n 10\n1\n"));
    EXPECT_NE(damaged.result.message.value().text.find(": 1 TEXT, 1 POINT."), std::string::npos);
}

TEST(ImportDxf, FailuresLeaveTheObjectEmptyAndTheCountAlone) {
    const std::string whole = TempDir::read(fixture("r12-drawing.dxf"));
    ASSERT_GT(whole.size(), 5000u);
    for (std::size_t size = 0; size < whole.size(); size += 131) {
        Imported i = importText(whole.substr(0, size));
        ASSERT_NE(i.result.status, ImportStatus::Refused);
        if (i.result.status == ImportStatus::Failed) {
            EXPECT_TRUE(i.object.empty()) << size;
            EXPECT_EQ(i.object.cutCount, "7") << size;
        }
    }
    Imported unwritable = importText(dxf(kLine), "missing/tempX");
    EXPECT_EQ(unwritable.result.status, ImportStatus::Failed);
    EXPECT_EQ(unwritable.result.message.value().text, msg::kScanFileUnusable.text);
    EXPECT_TRUE(unwritable.object.empty());
    EXPECT_EQ(unwritable.object.cutCount, "7");
}

TEST(ImportDxf, RealDrawings) {
    const std::string notice = "Le dessin contient des entités qui ne sont pas importées : ";
    const struct {
        std::string file;
        std::size_t rows;
        std::string cuts, message;
    } cases[] = {
        // 255 polylines, 2852 vertices, 226 of them closed: n + 2 rows each, one more if closed.
        {"gear-sample.dxf", 2852 + 2 * 255 + 226, "255", "16 polylignes ont des arcs remplacés par des segments droits."},
        {"HFP1JZ.dxf", 16 * 4 + 6 * 76, "22", notice + "22 ARC, 1 DIMENSION."},
        {"sample.dxf", 1 * 4 + 3 * 76, "4", notice + "2 LWPOLYLINE, 1 ARC, 1 SPLINE."},
        {"r12-drawing.dxf", 3 * 4 + 76 + 5 + 6, "6", notice + "1 ARC, 1 TEXT."},
        {"r2000-drawing.dxf", 4 + 76, "2", notice + "2 LWPOLYLINE, 1 ARC, 1 SPLINE, 1 ELLIPSE, 1 INSERT."},
        // Hand-made files that stop without closing their ENTITIES section.
        {"line.dxf", 0, "7", msg::kDxfNoEndsec.text},
        {"ztest.dxf", 0, "7", msg::kDxfNoEndsec.text},
        {"arc.dxf", 0, "7", msg::kDxfNoEndsec.text},
    };
    for (const auto& c : cases) {
        Imported i = import(fixture(c.file));
        EXPECT_EQ(i.object.rows(), c.rows) << c.file;
        EXPECT_EQ(i.object.cutCount, c.cuts) << c.file;
        const std::string told = i.result.message ? i.result.message->text : "";
        EXPECT_EQ(told.substr(0, c.message.size()), c.message) << c.file;
        EXPECT_EQ(i.result.message.has_value(), !c.message.empty()) << c.file;
        EXPECT_EQ(std::count(i.object.marker.begin(), i.object.marker.end(), "F"), c.rows ? std::stoi(c.cuts) : 0);
    }
    // The R12 drawing: a line first, then the open polyline with widths and bulge dropped.
    Texts rows = rowsOf(import(fixture("r12-drawing.dxf")).object);
    ASSERT_EQ(rows.size(), 99u);
    EXPECT_EQ(Texts(rows.begin(), rows.begin() + 4),
              (Texts{"0,0;0,0;0;D;.", "0,0;0,0;1;0;1", "10,5;5,0;1;0;.", "10,5;5,0;0;F;."}));
    EXPECT_EQ(Texts(rows.begin() + 84, rows.begin() + 89),
              (Texts{"0,0;0,0;0;D;.", "0,0;0,0;1;0;4", "10,0;0,0;1;0;.", "10,0;10,0;1;0;.", "10,0;10,0;0;F;."}));
    EXPECT_EQ(rows.back(), "300,0;400,0;0;F;.");
}

TEST(AngleTables, ShippedFilesHoldTheDoubleOfEveryAngle) {
    AngleTables t = readAngleTables(executableDirectory());
    ASSERT_TRUE(t.usable()) << t.fault.value().text;
    for (int i = 1; i <= AngleTables::kLastEntry; ++i) {
        EXPECT_EQ(t.sine[i], std::sin(i * (M_PI / 180.0))) << i;
        EXPECT_EQ(t.cosine[i], std::cos(i * (M_PI / 180.0))) << i;
    }
}

std::string values(int count, const std::string& each = "0.5") {
    std::string text;
    for (int i = 0; i < count; ++i) text += each + "\r\n";
    return text;
}

TEST(AngleTables, FaultsNameTheFileAndTheReason) {
    const std::optional<std::string> none;
    const struct {
        std::optional<std::string> sine, cosine;  // none: no file
        std::string fault;
    } cases[] = {
        {values(363, " +1.5e-3 ") + "\r\n", values(361), ""},
        {none, values(363), "sin1.txt du dossier du programme est absent"},
        {"", values(363), "sin1.txt du dossier du programme est vide"},
        {values(363), values(364), "cos1.txt du dossier du programme contient plus de 363 valeurs"},
        {values(360), values(363), "sin1.txt du dossier du programme s'arrête avant la valeur de 360°"},
        {values(2) + "un demi\r\n" + values(360), values(363),
         "sin1.txt du dossier du programme contient à la ligne 3 une"},
        {values(363), values(10) + "1e999\r\n", "cos1.txt du dossier du programme contient à la ligne 11 une"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        if (c.sine) dir.write("sin1.txt", *c.sine);
        if (c.cosine) dir.write("cos1.txt", *c.cosine);
        AngleTables t = readAngleTables(dir.str());
        EXPECT_TRUE(t.loaded);
        EXPECT_EQ(t.usable(), c.fault.empty()) << c.fault;
        EXPECT_NE(t.fault.value_or(Message{}).text.find(c.fault), std::string::npos) << c.fault;
    }
}

}  // namespace
}  // namespace tarvel
