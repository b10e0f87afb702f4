// tarvel-cli end to end: the real executable on files made in a temporary directory.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <algorithm>
#include <string>

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
    for (const char* help : {"--help", "-h", "object --help", "play job.def --help"}) {
        CliRun r = cli(dir, help);
        EXPECT_EQ(r.status, 0) << help;
        EXPECT_EQ(r.out.rfind("Utilisation : tarvel-cli COMMANDE [OPTIONS]\n", 0), 0u) << help;
        EXPECT_EQ(r.err, "") << help;
    }
    CliRun v = cli(dir, "--version");
    EXPECT_EQ(v.status, 0);
    EXPECT_EQ(v.out, "tarvel-cli 3.96\n");
    for (const char* bad : {"", "bogus", "object", "object --fra", "object --fra a --nope",
                            "object --fra a --entry x=1", "generate --object a", "pack", "pack a b", "play"}) {
        CliRun r = cli(dir, bad);
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_EQ(r.out, "") << bad;
        EXPECT_EQ(r.err.substr(0, 13), "tarvel-cli : ") << bad;
    }
}

TEST(CliObject, PrintsTheObjectAndSavesIt) {
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

    // A refusal: exit status 1, its message alone on one line of standard error.
    CliRun again = cli(dir, "object --fra ex.fra --save piece --quiet");
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(again.out, "");
    EXPECT_EQ(again.err, "Nom deja utilisé \n");
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
}

TEST(CliPack, RunsOfEqualValues) {
    TempDir dir;
    dir.write("p.def", "2\r\n2\r\n2\r\n3\r\n");
    CliRun r = cli(dir, "pack p.def");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(TempDir::read(dir.file("p.FRD")), "2,3\r\n3,1\r\n");
}

TEST(CliPlay, PrintsTicksPositionDelaysAndTimeLeft) {
    TempDir dir;
    dir.write("tarvel1.cfg", kDefaultConfig);
    // Nothing moves: every delay runs at the cutting feed (2450 iterations), two a tick.
    std::string still;
    for (int i = 0; i < 13000; ++i) still += "0\r\n";
    dir.write("still.def", still);
    CliRun r = cli(dir, "play still.def --config tarvel1.cfg --trace trace.txt");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "ticks 13000\nX 0\nY 0\nZ 0\ndelay_us 63700000\ntime_left 1 min 04 s\n");
    const std::string trace = TempDir::read(dir.file("trace.txt"));
    EXPECT_EQ(std::count(trace.begin(), trace.end(), '\n'), 26000);
    EXPECT_EQ(trace.find_first_not_of("0\n"), std::string::npos);

    CliRun missing = cli(dir, "play none.def --config tarvel1.cfg");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "Fichier introuvable !\n");
}

}  // namespace
}  // namespace tarvel
