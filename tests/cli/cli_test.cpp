// tarvel-cli end to end: the real executable on files made in a temporary directory.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <algorithm>
#include <string>
#include <vector>

#include "support/tempdir.h"

namespace tarvel {
namespace {

using testing::TempDir;

struct CliRun {
    int status = -1;
    std::string out, err;
};

std::string quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

CliRun cli(const TempDir& dir, const std::string& args) {
    CliRun r;
    std::string errFile = dir.file(".stderr");
    // Each test has its own scratch folder: tests run in parallel, and the generator's
    // working files have fixed names.
    std::string cmd = "cd " + quote(dir.str()) + " && TMPDIR=" + quote(dir.str()) + " " + quote(TARVEL_CLI) +
                      " " + args + " 2>" + quote(errFile);
    std::FILE* p = ::popen(cmd.c_str(), "r");
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    int st = ::pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    r.err = TempDir::read(errFile);
    return r;
}

constexpr const char* kDefaultConfig =
    "\"20\",\"20\",\"20\",\"0,02\",\"50\",\"80\",\"10\",\"1\",\"30\",\"1\",\"2\",\"4\",\"8\",\"16\","
    "\"32\",\"64\",\"128\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\",\"8\",\"9\",0,0,0\r\n";
// X 1, then plunge: the worked example of the generator.
constexpr const char* kExampleFra = "0,0,0\r\n\"1\",\"0\",\"0\"\r\n\"1\",\"0\",\"1\"\r\n0,0,0\r\n";

TEST(CliUsage, HelpVersionAndUsageErrors) {
    TempDir dir;
    EXPECT_EQ(cli(dir, "--help").status, 0);
    CliRun v = cli(dir, "--version");
    EXPECT_EQ(v.status, 0);
    EXPECT_EQ(v.out, "tarvel-cli 3.96\n");
    for (const char* bad : {"", "bogus", "object", "object --fra", "object --fra a --nope",
                            "generate --object a", "pack", "pack a b", "play"})
        EXPECT_EQ(cli(dir, bad).status, 2) << bad;
}

TEST(CliObject, PrintsTheObjectAsTheWindowHoldsItAndSaves) {
    TempDir dir;
    dir.write("ex.fra", kExampleFra);
    CliRun r = cli(dir, "object --fra ex.fra --save piece");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "0\t0\t0\tD\t.\t.\n"
              "1\t0\t0\tF\t1\t.\n"
              "1\t0\t1\t0\t.\t.\n"
              "0\t0\t0\tD\t.\t.\n"
              "Nbre coupes\t1\n");
    EXPECT_EQ(TempDir::read(dir.file("piece.fra")),
              "0,0,0\r\n\"0\",\"0\",\"0\"\r\n\"1\",\"0\",\"0\"\r\n\"1\",\"0\",\"1\"\r\n\"0\",\"0\",\"0\"\r\n0,0,0\r\n");

    CliRun again = cli(dir, "object --fra ex.fra --save piece --quiet");
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(again.out, "");
    EXPECT_EQ(again.err, "Nom deja utilisé \n");
}

TEST(CliObject, FailedLoadPrintsTheRowsKeptThenFails) {
    TempDir dir;
    dir.write("bad.fra", "0,0,0\r\n\"5\",\"6\"\r\n");
    CliRun r = cli(dir, "object --fra bad.fra");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "0\t0\t0\tD\t.\t.\nNbre coupes\t\n");
    EXPECT_EQ(r.err, "Saisie incompatible! Le fichier FRA choisi n'est pas utilisable.\n");
    CliRun missing = cli(dir, "object --fra none.fra --quiet");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "Fichier introuvable !\n");
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        out.push_back(text.substr(start, end - start));
    return out;
}

// A square (rows 1-5 inside, back on its start) and a triangle (rows 8-11), as they
// load: the origin rows that the file format adds open the first cut and close the last.
constexpr const char* kSquareAndTriangle =
    "0,0,0\r\n\"0\",\"0\",\"1\"\r\n\"10\",\"0\",\"1\"\r\n\"10\",\"10\",\"1\"\r\n\"0\",\"10\",\"1\"\r\n"
    "\"0\",\"0\",\"1\"\r\n\"0\",\"0\",\"0\"\r\n\"20\",\"0\",\"0\"\r\n\"20\",\"0\",\"1\"\r\n"
    "\"30\",\"0\",\"1\"\r\n\"30\",\"10\",\"1\"\r\n\"20\",\"0\",\"1\"\r\n0,0,0\r\n";

TEST(CliObject, EntryPointsThenReorderStartEachContourAtItsEntry) {
    TempDir dir;
    dir.write("st.fra", kSquareAndTriangle);
    CliRun r = cli(dir, "object --fra st.fra --entry 9=1 --entry 3=2 --reorder --save piece");
    ASSERT_EQ(r.status, 0) << r.err;
    // The triangle from its entry (30, 0) walked once around, then the square from (10, 10).
    const std::vector<std::string> rows = lines(r.out);
    ASSERT_EQ(rows.size(), 14u);
    EXPECT_EQ(std::vector<std::string>(rows.begin(), rows.begin() + 6),
              (std::vector<std::string>{"30\t0\t0\tD\t.\t.", "30\t0\t1\t0\t1\t.", "30\t10\t1\t0\t.\t.",
                                        "20\t0\t1\t0\t.\t.", "30\t0\t1\t0\t.\t.", "30\t0\t0\tF\t.\t."}));
    EXPECT_EQ(rows[7], "10\t10\t1\t0\t2\t.");
    EXPECT_EQ(rows[9], "0\t0\t1\t0\t.\t.");
    EXPECT_EQ(rows[12], "10\t10\t0\tF\t.\t.");
    const std::string saved = TempDir::read(dir.file("piece.fra"));
    const std::string start = "0,0,0\r\n\"30\",\"0\",\"0\"\r\n\"30\",\"0\",\"1\"\r\n";
    EXPECT_EQ(saved.substr(0, start.size()), start);
    EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 15);
}

TEST(CliObject, RefusedEntryOrReorderPrintsTheObjectAndFails) {
    TempDir dir;
    dir.write("st.fra", kSquareAndTriangle);
    struct Case {
        const char* args;
        const char* err;
        const char* lastEntryMark;  // row 9's entry mark as printed
    };
    const Case cases[] = {
        {"--entry 9=1 --entry 0=2",
         "Ne pas mettre de point d'entrée hors de la matière (quand les coordonnées Z sont à 0)\n", "1"},
        {"--entry 9=1 --entry 3=deux", nullptr, "1"},
        {"--entry 9=1 --reorder", "le nombre de découpes est incompatible avec le fichier d'origine\n", "."},
        {"--reorder", "le nombre de découpes est incompatible avec le fichier d'origine\n", "."},
    };
    for (const Case& c : cases) {
        CliRun r = cli(dir, std::string("object --fra st.fra ") + c.args);
        EXPECT_EQ(r.status, 1) << c.args;
        if (c.err) EXPECT_EQ(r.err, c.err) << c.args;
        else EXPECT_NE(r.err.find("numéro d'ordre"), std::string::npos) << r.err;
        ASSERT_NE(r.out.find("Nbre coupes\t2\n"), std::string::npos) << c.args;
        EXPECT_NE(r.out.find(std::string("30\t0\t1\t0\t.\t") + c.lastEntryMark + "\n"), std::string::npos)
            << c.args;
        EXPECT_EQ(r.out.substr(0, 12), "0\t0\t0\tD\t.\t.\n") << "rows not reordered: " << c.args;
    }
}

TEST(CliObject, EntryOptionsThatNameNoRowAreUsageErrors) {
    TempDir dir;
    dir.write("st.fra", kSquareAndTriangle);
    for (const char* bad : {"--entry 3", "--entry x=1", "--entry =1", "--entry -1=1", "--entry 13=1",
                            "--entry 3=1 --entry 99=2", "--dxf st.fra", "--dat a.dat --dxf b.dxf"}) {
        CliRun r = cli(dir, std::string("object --fra st.fra ") + bad);
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_EQ(r.out, "") << bad;
    }
    EXPECT_EQ(cli(dir, "object --entry 3=1").status, 2);
}

// An R12 drawing: a LINE, a CIRCLE and a closed POLYLINE triangle, in this order.
std::string lineCircleTriangleDxf() {
    const char* const pairs[] = {
        "0", "SECTION", "2", "HEADER", "9", "$ACADVER", "1", "AC1009", "0", "ENDSEC",
        "0", "SECTION", "2", "ENTITIES",
        "0", "LINE", "8", "0", "10", "0.0", "20", "0.0", "30", "0.0", "11", "10.5", "21", "5.0", "31", "0.0",
        "0", "CIRCLE", "8", "0", "10", "10.0", "20", "20.0", "30", "0.0", "40", "5.0",
        "0", "POLYLINE", "8", "0", "66", "1", "10", "0.0", "20", "0.0", "30", "0.0", "70", "1",
        "0", "VERTEX", "8", "0", "10", "0.0", "20", "0.0", "30", "0.0",
        "0", "VERTEX", "8", "0", "10", "20.0", "20", "0.0", "30", "0.0",
        "0", "VERTEX", "8", "0", "10", "10.0", "20", "15.0", "30", "0.0",
        "0", "SEQEND", "8", "0",
        "0", "ENDSEC", "0", "EOF"};
    std::string dxf;
    for (const char* line : pairs) dxf += std::string(line) + "\r\n";
    return dxf;
}

TEST(CliObject, DxfImportThenEntryPointsPutTheTriangleFirst) {
    TempDir dir;
    dir.write("d.dxf", lineCircleTriangleDxf());
    CliRun r = cli(dir, "object --dxf d.dxf");
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::string> rows = lines(r.out);
    ASSERT_EQ(rows.size(), 4u + 76u + 6u + 1u);
    EXPECT_EQ(rows.back(), "Nbre coupes\t3");

    // Triangle (rows 80-85) entered at its second vertex, then the circle, then the line.
    CliRun reordered = cli(dir, "object --dxf d.dxf --entry 82=1 --entry 5=2 --entry 1=3 --reorder");
    ASSERT_EQ(reordered.status, 0) << reordered.err;
    std::vector<std::string> after = lines(reordered.out);
    ASSERT_EQ(after.size(), rows.size());
    const std::vector<std::string> triangle = {"20,0\t0,0\t0\tD\t.\t.",  "20,0\t0,0\t1\t0\t1\t.",
                                               "10,0\t15,0\t1\t0\t.\t.", "0,0\t0,0\t1\t0\t.\t.",
                                               "20,0\t0,0\t1\t0\t.\t.",  "20,0\t0,0\t0\tF\t.\t."};
    EXPECT_EQ(std::vector<std::string>(after.begin(), after.begin() + 6), triangle);
    EXPECT_EQ(after[6], "15\t20\t0\tD\t.\t.");
    EXPECT_EQ(after[7], "15\t20\t1\t0\t2\t.");
    EXPECT_EQ(after[81], rows[79]);
    EXPECT_EQ(after[83], "0,0\t0,0\t1\t0\t3\t.");
    EXPECT_EQ(after[85], rows[3]);
}

TEST(CliObject, DatProfileHasNoCutToReorder) {
    TempDir dir;
    dir.write("p.dat", "Profil\r\n1.0 0.0\r\n0.5 0.1\r\n1.0 -0.1\r\n");
    // A profile is never marked, so it has no cut to reorder.
    CliRun reorder = cli(dir, "object --dat p.dat --entry 2=1 --reorder --quiet");
    EXPECT_EQ(reorder.status, 1);
    EXPECT_EQ(reorder.err, "le nombre de découpes est incompatible avec le fichier d'origine\n");
}

TEST(CliGenerate, WritesTheJobAndSaysSo) {
    TempDir dir;
    dir.write("tarvel1.cfg", kDefaultConfig);
    dir.write("ex.fra", kExampleFra);
    CliRun r = cli(dir, "generate --object ex.fra --job job --config tarvel1.cfg --descent 2 "
                     "--description 'Couvercle, 3 mm'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Fichier découpe créé avec succés\n");
    EXPECT_EQ(r.err, "");
    std::string expected;
    for (int i = 0; i < 20; ++i) expected += "2\r\n";
    for (int i = 0; i < 40; ++i) expected += "32\r\n";
    for (int i = 0; i < 20; ++i) expected += "49\r\n51\r\n";
    EXPECT_EQ(TempDir::read(dir.file("job.def")), expected);
    EXPECT_EQ(TempDir::read(dir.file("job.det")),
              "\"50\",\"ex.fra\",\"1\",\"20\",\"Couvercle, 3 mm\",\"80\",\"job.def\",\"2\",\"20\",\"20\"\r\n");

    CliRun twice = cli(dir, "generate --object ex.fra --job job --config tarvel1.cfg");
    EXPECT_EQ(twice.status, 1);
    EXPECT_EQ(twice.err, "Nom de fichier découpe deja utilisé !\n");
}

TEST(CliGenerate, MissingConfigurationIsSaidAndDesignValuesStay) {
    TempDir dir;
    dir.write("ex.fra", kExampleFra);
    CliRun r = cli(dir, "generate --object ex.fra --job job --config none.cfg --descent 1");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "Vous devez configurer en fonction de votre machine avant d'utiliser Tarvel\n");
    // 120 steps per mm by design (120 X ticks, 120 down, 120 back) and no pin weights.
    std::string expected;
    for (int i = 0; i < 360; ++i) expected += "0\r\n";
    EXPECT_EQ(TempDir::read(dir.file("job.def")), expected);
}

TEST(CliGenerate, MissingObjectFileFailsWithOneLine) {
    TempDir dir;
    dir.write("tarvel1.cfg", kDefaultConfig);
    CliRun r = cli(dir, "generate --object absent.fra --job job --config tarvel1.cfg");
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(r.err.empty());
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1);  // one line; no job file is the generator's check
}

TEST(CliPack, RunsOfEqualValues) {
    TempDir dir;
    dir.write("p.def", "2\r\n2\r\n2\r\n3\r\n");
    CliRun r = cli(dir, "pack p.def");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(TempDir::read(dir.file("p.FRD")), "2,3\r\n3,1\r\n");
    CliRun missing = cli(dir, "pack none.def");
    EXPECT_EQ(missing.status, 1);
}

TEST(CliPlay, PlaysOnTheSimulatedMachineBackToTheOrigin) {
    TempDir dir;
    dir.write("tarvel1.cfg", kDefaultConfig);
    dir.write("ex.fra", kExampleFra);
    ASSERT_EQ(cli(dir, "generate --object ex.fra --job job --config tarvel1.cfg --descent 2").status, 0);
    CliRun r = cli(dir, "play job.def --config tarvel1.cfg --trace trace.txt");
    ASSERT_EQ(r.status, 0) << r.err;
    // Two delays a tick: the slider starts on the cutting feed (2450 a delay) for the 20 X
    // ticks and the 40 of the plunge; the 40 ticks of the climb back run at the rapid
    // feed (951).
    EXPECT_EQ(r.out, "ticks 100\nX 0\nY 0\nZ 0\ndelay_us " + std::to_string(60 * 2 * 2450 + 40 * 2 * 951) + "\n");
    std::string trace = TempDir::read(dir.file("trace.txt"));
    EXPECT_EQ(trace.substr(0, 4), "0\n2\n");  // DIR-only, then X CLOCK
    EXPECT_EQ(std::count(trace.begin(), trace.end(), '\n'), 200);
}

TEST(CliPlay, RefusalsExitOneWithTheMessage) {
    TempDir dir;
    dir.write("tarvel1.cfg", kDefaultConfig);
    dir.write("bad.def", "2\r\n300\r\n");
    CliRun r = cli(dir, "play bad.def --config tarvel1.cfg");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("2"), std::string::npos);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(cli(dir, "play none.def --config tarvel1.cfg").err, "Fichier introuvable !\n");
}

}  // namespace
}  // namespace tarvel
