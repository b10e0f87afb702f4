// tarvel-cli end to end: the real executable on files made in a temporary directory.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <tuple>

#include "support/tempdir.h"

namespace tarvel {
namespace {

using testing::TempDir;

struct CliRun {
    int status = -1;
    std::string out, err;
};

// Runs in `dir`, its own scratch folder too: tests run in parallel, and the generator's
// working files have fixed names. The temporary folders' names need no quoting.
CliRun cli(const TempDir& dir, const std::string& args, const std::string& environment = "") {
    CliRun r;
    const std::string cmd = "cd " + dir.str() + " && " + environment + " TMPDIR=" + dir.str() + " '" + TARVEL_CLI + "' " + args +
                            " 2>.stderr >.stdout";
    const int st = std::system(cmd.c_str());
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    r.out = TempDir::read(dir.file(".stdout"));
    r.err = TempDir::read(dir.file(".stderr"));
    return r;
}

std::string times(int n, const std::string& text) {
    std::string out;
    while (n-- > 0) out += text;
    return out;
}

constexpr const char* kDefaultConfig =
    "\"20\",\"20\",\"20\",\"0,02\",\"50\",\"80\",\"10\",\"1\",\"30\",\"1\",\"2\",\"4\",\"8\",\"16\","
    "\"32\",\"64\",\"128\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\",\"8\",\"9\",0,0,0\r\n";
// X 1, then plunge: the worked example of the generator.
constexpr const char* kExampleFra = "0,0,0\r\n\"1\",\"0\",\"0\"\r\n\"1\",\"0\",\"1\"\r\n0,0,0\r\n";

TEST(CliUsage, HelpVersionAndUsageErrors) {
    TempDir dir;
    for (const char* help : {"--help", "-h", "object --help", "play job.def --help"}) {
        const CliRun r = cli(dir, help);
        EXPECT_TRUE(r.status == 0 && r.err.empty() &&
                    r.out.starts_with("Utilisation : tarvel-cli COMMANDE [OPTIONS]\n"))
            << help;
    }
    const CliRun v = cli(dir, "--version");
    EXPECT_EQ(std::tie(v.status, v.out), std::tuple(0, "tarvel-cli 3.96\n"));
    for (const char* bad : {"", "bogus", "object", "object --fra", "object --fra a --nope",
                            "object --fra a --entry x=1",
                            "object --dxf a --convert --tolerance 0", "object --dxf a --tolerance 0,01",
                            "generate --object a", "pack", "pack a b", "play"}) {
        const CliRun r = cli(dir, bad);
        EXPECT_TRUE(r.status == 2 && r.out.empty() && r.err.starts_with("tarvel-cli : ")) << bad << ": " << r.err;
    }
}

TEST(CliObject, PrintsTheObjectAndSavesIt) {
    TempDir dir;
    dir.write("ex.fra", kExampleFra);
    CliRun r = cli(dir, "object --fra ex.fra --save piece");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "0\t0\t0\tD\t.\t.\n" "1\t0\t0\tF\t1\t.\n" "1\t0\t1\t0\t.\t.\n" "0\t0\t0\tD\t.\t.\n"
                     "Nbre coupes\t1\n");
    EXPECT_EQ(TempDir::read(dir.file("piece.fra")),
              "0,0,0\r\n\"0\",\"0\",\"0\"\r\n\"1\",\"0\",\"0\"\r\n\"1\",\"0\",\"1\"\r\n\"0\",\"0\",\"0\"\r\n0,0,0\r\n");

    // A refusal: exit status 1, its message alone on one line of standard error.
    const CliRun again = cli(dir, "object --fra ex.fra --save piece --quiet");
    EXPECT_EQ(std::tie(again.status, again.out, again.err), std::tuple(1, "", "Nom deja utilisé \n"));
}

TEST(CliGenerate, WritesTheJobAndSaysSo) {
    TempDir dir;
    dir.write("tarvel1.cfg", kDefaultConfig);
    dir.write("ex.fra", kExampleFra);
    CliRun r = cli(dir, "generate --object ex.fra --job job --config tarvel1.cfg --descent 2 "
                     "--description 'Couvercle, 3 mm'");
    EXPECT_EQ(std::tie(r.status, r.out, r.err), std::tuple(0, "Fichier découpe créé avec succés\n", ""));
    EXPECT_EQ(TempDir::read(dir.file("job.def")), times(20, "2\r\n") + times(40, "32\r\n") + times(20, "49\r\n51\r\n"));
    EXPECT_EQ(TempDir::read(dir.file("job.det")),
              "\"50\",\"ex.fra\",\"1\",\"20\",\"Couvercle, 3 mm\",\"80\",\"job.def\",\"2\",\"20\",\"20\"\r\n");
}

// SIGINT once the generation's scratch folder exists: exit status 1, a French line, and
// nothing left behind but the empty private scratch folder.
TEST(CliGenerate, InterruptedLeavesNoFile) {
    TempDir dir;
    dir.write("tarvel1.cfg", kDefaultConfig);
    dir.write("long.fra", "0,0,0\r\n\"100000\",\"0\",\"0\"\r\n0,0,0\r\n");  // 4 million ticks
    const std::string cmd = "cd " + dir.str() + " && (TMPDIR=" + dir.str() + " '" + TARVEL_CLI +
                            "' generate --object long.fra --job job --config tarvel1.cfg --descent 2 2>.stderr & "
                            "for i in $(seq 1000); do ls -d tarvel-*/gen-* >/dev/null 2>&1 && break; sleep 0.01; "
                            "done; kill -INT $!; wait $!)";
    const int st = std::system(cmd.c_str());
    EXPECT_EQ(WIFEXITED(st) ? WEXITSTATUS(st) : -1, 1);
    EXPECT_EQ(TempDir::read(dir.file(".stderr")), "Création du fichier découpe annulée : aucun fichier n'a été gardé.\n");
    std::set<std::string> left;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir.path()))
        left.insert(e.path().filename().string().substr(0, 7));
    EXPECT_EQ(left, (std::set<std::string>{".stderr", "long.fr", "tarvel1", "tarvel-"}));
}

TEST(CliPack, RunsOfEqualValues) {
    TempDir dir;
    dir.write("p.def", "2\r\n2\r\n2\r\n3\r\n");
    const CliRun r = cli(dir, "pack p.def");
    EXPECT_EQ(std::tie(r.status, r.out, r.err), std::tuple(0, "", ""));
    EXPECT_EQ(TempDir::read(dir.file("p.FRD")), "2,3\r\n3,1\r\n");
}

TEST(CliPlay, PrintsTicksPositionDelaysAndTimeLeft) {
    TempDir dir;
    dir.write("tarvel1.cfg", kDefaultConfig);
    // Nothing moves: every delay runs at the cutting feed (2450 iterations), two a tick.
    dir.write("still.def", times(13000, "0\r\n"));
    CliRun r = cli(dir, "play still.def --config tarvel1.cfg --trace trace.txt");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "ticks 13000\nX 0\nY 0\nZ 0\ndelay_us 63700000\ntime_left 1 min 04 s\n");
    EXPECT_EQ(TempDir::read(dir.file("trace.txt")), times(26000, "0\n"));

    const CliRun missing = cli(dir, "play none.def --config tarvel1.cfg");
    EXPECT_EQ(std::tie(missing.status, missing.out, missing.err), std::tuple(1, "", "Fichier introuvable !\n"));

    // 120 steps of X at 20 steps per mm on a machine of 5 mm either way: 20 refused.
    dir.write("far.def", times(120, "2\r\n"));
    const CliRun far = cli(dir, "play far.def --config tarvel1.cfg");
    EXPECT_EQ(far.status, 0) << far.err;
    const CliRun stopped = cli(dir, "play far.def --config tarvel1.cfg", "TARVEL_SIM_TRAVEL=5");
    EXPECT_EQ(stopped.status, 1);
    EXPECT_NE(stopped.out.find("X 100\n"), std::string::npos) << stopped.out;
    EXPECT_NE(stopped.out.find("blocked X 20 Y 0 Z 0\n"), std::string::npos) << stopped.out;
    EXPECT_EQ(stopped.err, "Des pas ont été perdus : la machine simulée a refusé des pas en butée, la pièce ne suit pas le "
                           "fichier de découpe. Vérifiez la position de départ, ou donnez sa course en mm par "
                           "TARVEL_SIM_TRAVEL.\n");
}

}  // namespace
}  // namespace tarvel
