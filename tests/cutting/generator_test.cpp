#include "cutting/generator.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "config/machineconfig.h"
#include "cutting/cuttingmessages.h"
#include "support/scripteddialogs.h"
#include "support/tempdir.h"

namespace tarvel {
namespace {

namespace fs = std::filesystem;
namespace m = cutting_messages;
using testing::ScriptedDialogs;
using testing::TempDir;

struct Point {
    std::string x, y, z;
};

std::string crlfLines(const std::vector<std::string>& lines) {
    std::string s;
    for (const auto& l : lines) s += l + "\r\n";
    return s;
}

std::string repeated(const std::string& line, int times) { return crlfLines(std::vector(times, line)); }

// A job in a folder of its own, on the default configuration's pins, 20 steps per mm and
// descent 2, with the scratch files in their own folder.
struct Job {
    TempDir tmp;
    Paths paths{tmp.str(), tmp.file("scratch"), {}};
    CuttingForm form;
    ScriptedDialogs dialogs;

    Job() {
        fs::create_directories(tmp.path() / "job");
        fs::create_directories(tmp.path() / "scratch");
        static_cast<PinWeights&>(form) = MachineConfig::defaults();
        form.description = "essai", form.toolDescent = "2", form.jobName = job();
        form.stepsPerMmX = form.stepsPerMmY = form.stepsPerMmZ = "20";
        form.invertX = form.invertY = form.invertZ = "0";
    }
    // An object file as the drawing window saves it: 0,0,0, the quoted points, 0,0,0.
    void object(const std::vector<Point>& points) {
        std::string text = "0,0,0\r\n";
        for (const auto& p : points) text += "\"" + p.x + "\",\"" + p.y + "\",\"" + p.z + "\"\r\n";
        form.objectFile = tmp.write("piece.fra", text + "0,0,0\r\n");
    }
    std::string job() const { return tmp.file("job/piece"); }
    std::string cuttingFile() const { return TempDir::read(job() + ".def"); }
    // The scratch files of a short job as the last stage begins, in the run's own folder
    // (gone after).
    std::map<std::string, std::string> scratchSeen;
    std::string scratch(const std::string& name) const { return scratchSeen.at(name); }
    std::vector<std::string> jobFiles() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(tmp.path() / "job")) names.push_back(e.path().filename());
        return names;
    }
    bool generate() {
        return generateCutProgram(form, dialogs, paths, [this](const GenerationProgress& p) {
            std::error_code ec;
            if (p.stage == GenerationStage::Combining && p.done == 0 && p.total < 1000)
                for (const auto& run : fs::directory_iterator(paths.scratchDir, ec))
                    for (auto name : kGeneratorScratchFiles)
                        if (fs::exists(run.path() / name, ec)) scratchSeen[std::string(name)] = TempDir::read(run.path() / name);
            return true;
        });
    }
};

// Object 0,0,0 / 1,0,0 / 1,0,1 / 0,0,0 with descent 2, 20 steps per mm, scale 1.
TEST(Generation, WorkedExampleGivesItsScratchFilesAndHundredTicks) {
    Job g;
    g.object({{"1", "0", "0"}, {"1", "0", "1"}});
    ASSERT_TRUE(g.generate());
    EXPECT_EQ(g.scratch("prem"), crlfLines({"0,0,0,0", "20,0,0,0", "20,0,40,0", "0,0,0,0"}));
    EXPECT_EQ(g.scratch("objet"), crlfLines({"0,20,0,0,0,0,0,0", "0,0,0,0,0,40,0,0", "1,20,0,0,1,40,0,0"}));
    EXPECT_EQ(g.cuttingFile(), repeated("2", 20) + repeated("32", 40) + repeated("49\r\n51", 20));
    EXPECT_EQ(g.scratch("bit1"), repeated("0", 60) + repeated("1", 40));
    EXPECT_EQ(g.scratch("bit2").substr(0, 10), "\"1\"\r\n\"1\"\r\n");
    EXPECT_EQ(g.scratch("bit8"), repeated("\"0\"", 100));
    EXPECT_TRUE(fs::is_empty(g.tmp.path() / "scratch"));

    EXPECT_EQ(g.form.jobName, g.job() + ".def");
    EXPECT_EQ(g.dialogs.toldTexts(), std::vector<std::string>{"Fichier découpe créé avec succés"});
    EXPECT_EQ(g.dialogs.told[0].title, "Découpe");
    EXPECT_EQ(g.dialogs.told[0].icon, Icon::Error);
    EXPECT_EQ(g.dialogs.busyChanges, (std::vector<bool>{true, false}));
    EXPECT_EQ(TempDir::read(g.job() + ".det"), "\"\",\"" + g.form.objectFile + "\",\"1\",\"20\",\"essai\",\"\",\"" +
                                                 g.job() + ".def\",\"2\",\"20\",\"20\"\r\n");
}

TEST(Generation, ReadsEachFieldByItsOwnRule) {
    const struct {
        const char *scale, *descent, *steps;
        const char* prem;  // the record of the point X 2, Z 1
    } cases[] = {
        {"1,5", "2", "20", "40,0,40,0"},   // scale by the leading-number rule: 1
        {"1.5", "2", "20", "60,0,40,0"},   // 1.5
        {"1", "2,5", "20", "40,0,40,0"},   // descent 2
        {"1", "2", "12,5", "25,0,25,0"},   // steps per mm by the comma rule: 12.5
        {"3", "1", "0,1", "0.6,0,0.1,0"},  // 15 significant digits: 2 x 3 x 0,1 is 0.6000000000000001
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.scale) + " / " + c.descent + " / " + c.steps);
        Job g;
        g.form.scaleFactor = c.scale, g.form.toolDescent = c.descent;
        g.form.stepsPerMmX = g.form.stepsPerMmY = g.form.stepsPerMmZ = c.steps;
        g.object({{"2", "0", "1"}});
        ASSERT_TRUE(g.generate());
        EXPECT_EQ(g.scratch("prem"), crlfLines({"0,0,0,0", c.prem, "0,0,0,0"}));
    }
}

TEST(Generation, ChecksFailInOrderWithTheirMessagesAndWriteNothing) {
    using G = Job;
    const struct {
        const char* name;
        std::function<void(G&)> spoil;
        Message expected;
    } cases[] = {
        // Each case also spoils every later field, so only the order picks the message.
        {"job name ending in def", [](G& g) { g.form.jobName = g.job() + "def", g.form.description.clear(); },
         m::kJobNameHasExtension},
        {"empty description", [](G& g) { g.form.description.clear(), g.form.objectFile.clear(); },
         m::kDescriptionEmpty},
        {"empty object file", [](G& g) { g.form.objectFile.clear(), g.form.jobName.clear(); }, m::kObjectFileEmpty},
        {"empty job name", [](G& g) { g.form.jobName.clear(), g.form.toolDescent.clear(); }, m::kJobNameEmpty},
        {"job name equal to the object file",
         [](G& g) { g.form.jobName = g.form.objectFile, g.form.toolDescent.clear(); }, m::kSameFileNames},
        {"empty tool descent", [](G& g) { g.form.toolDescent.clear(), g.form.scaleFactor.clear(); },
         m::kToolDescentEmpty},
        {"empty scale factor", [](G& g) { g.form.scaleFactor.clear(), g.tmp.write("job/piece.det", "x"); },
         m::kScaleFactorEmpty},
        {"details file exists", [](G& g) { g.tmp.write("job/piece.det", "x"); }, m::kJobNameUsed},
        {"cutting file exists", [](G& g) { g.tmp.write("job/piece.def", "2\r\n"); }, m::kJobNameUsed},
        {"upper-case DEF is no extension but its file exists",
         [](G& g) { g.form.jobName = g.job() + "DEF", g.tmp.write("job/pieceDEF.def", ""); }, m::kJobNameUsed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Job g;
        g.object({{"1", "0", "0"}});
        c.spoil(g);
        const auto before = g.jobFiles();
        EXPECT_FALSE(g.generate());
        ASSERT_EQ(g.dialogs.told.size(), 1u);
        const Message& told = g.dialogs.told[0];
        EXPECT_EQ(std::tie(told.text, told.title, told.icon),
                  std::tie(c.expected.text, c.expected.title, c.expected.icon));
        EXPECT_EQ(g.jobFiles(), before);
        EXPECT_TRUE(fs::is_empty(g.tmp.path() / "scratch"));
        EXPECT_TRUE(g.dialogs.busyChanges.empty());
    }
}

TEST(Generation, EachSegmentIsRoundedInvertedAndWeightedOnItsOwn) {
    const auto unitSteps = [](CuttingForm& f) { f.stepsPerMmX = f.stepsPerMmY = "1"; };
    const struct {
        const char* name;
        std::vector<Point> points;
        std::function<void(CuttingForm&)> change;
        std::string def;
    } cases[] = {
        // The pulse rule: the smaller axis steps at the ticks where its share passes a whole
        // step. Out along X and Y at one step per mm, back along X, then Y home.
        {"pulse rule 10/3", {{"10", "3", "0"}, {"0", "3", "0"}}, unitSteps,
         crlfLines({"2", "2", "10", "2", "2", "10", "2", "2", "10", "2"}) + repeated("3", 10) + repeated("12", 3)},
        {"pulse rule 7/1", {{"7", "1", "0"}, {"0", "1", "0"}}, unitSteps,
         repeated("2", 6) + repeated("10", 1) + repeated("3", 7) + repeated("12", 1)},
        {"pulse rule 4/4", {{"4", "4", "0"}, {"0", "4", "0"}}, unitSteps,
         repeated("10", 4) + repeated("3", 4) + repeated("12", 4)},
        // Four moves of 0.4 step along X make no X step although they cover 1.6 steps; a move
        // that rounds to no step still sets its DIR; the return steps X once at its tick 20.
        {"rounding",
         {{"0,02", "0", "0"}, {"0,04", "0", "0"}, {"0,06", "0", "0"}, {"0,08", "1", "0"}, {"0,06", "1", "0"},
          {"0,06", "1", "0"}},
         [](CuttingForm&) {}, repeated("8", 20) + repeated("13", 19) + repeated("15", 1)},
        // A triangle in fractions of a step ends a step off the origin on each axis; without drift, on it.
        {"triangle", {{"0,4", "0,4", "0"}, {"1,2", "1", "0"}, {"0,7", "0,6", "0"}, {"0,4", "0,4", "0"}}, unitSteps,
         crlfLines({"10"})},
        {"triangle without drift", {{"0,4", "0,4", "0"}, {"1,2", "1", "0"}, {"0,7", "0,6", "0"}, {"0,4", "0,4", "0"}},
         [&](CuttingForm& f) { unitSteps(f), f.noDrift = true; }, crlfLines({"10", "15"})},
        {"never moves", {{"0", "0", "0"}, {"0,01", "0", "0"}}, [](CuttingForm&) {}, ""},
        {"inversion", {{"1", "0", "0"}, {"1", "0", "1"}},
         [](CuttingForm& f) { f.invertX = "1", f.invertZ = "1,0"; },  // 1 after the comma rule
         repeated("19", 20) + repeated("49", 40) + repeated("32\r\n34", 20)},
        // X, Y and Z steps per mm all differ: 3, 2 and 4 steps in a segment of 4 ticks.
        {"steps per mm of each axis", {{"3", "1", "1"}},
         [](CuttingForm& f) { f.stepsPerMmX = "1", f.stepsPerMmY = "2", f.stepsPerMmZ = "4", f.toolDescent = "1"; },
         crlfLines({"34", "42", "34", "40", "55", "63", "55", "61"})},
        // Only a flag that reads 1 inverts: "2" leaves X as it is while Z is inverted.
        {"inversion flag 2", {{"1", "0", "0"}, {"1", "0", "1"}},
         [](CuttingForm& f) { f.invertX = "2", f.invertZ = "1"; },
         repeated("18", 20) + repeated("48", 40) + repeated("33\r\n35", 20)},
        {"shared pins add up", {{"-1", "-1", "0"}},
         [](CuttingForm& f) { f.xDirWeight = f.yDirWeight = "4", f.xClockWeight = f.yClockWeight = "2"; },
         repeated("12", 20) + repeated("4", 20)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Job g;
        g.object(c.points);
        c.change(g.form);
        ASSERT_TRUE(g.generate());
        EXPECT_EQ(g.cuttingFile(), c.def);
    }
}

// Only the part of each text that says which value failed: the wording of the number
// rules is tested with them.
TEST(Generation, FailuresSayWhyAndLeaveNoJobFile) {
    using G = Job;
    const auto objectText = [](const char* text) {
        return [=](G& g) { g.form.objectFile = g.tmp.write("p.fra", text); };
    };
    const struct {
        std::function<void(G&)> spoil;
        const char* part;
    } cases[] = {
        {[](G& g) { g.form.stepsPerMmY = "12.5"; }, "de l'axe Y (« 12.5 »)"},
        {[](G& g) { g.form.zClockWeight = "2.5"; }, "Z CLOCK (« 2.5 »)"},
        {[](G& g) { g.form.objectFile = g.tmp.file("absent.fra"); }, "introuvable ou illisible"},
        {objectText("0,0,0\r\n\"1234.5x\",\"0\",\"1\"\r\n0,0,0\r\n"), "ligne 2, la valeur X « 1234.5x »"},
        {objectText("0,0,0\r\n\"1\",\"0\"\r\n0,0,0\r\n"), "la ligne 2 ne contient pas"},
        {[](G& g) { g.paths.scratchDir = g.tmp.file("no-such-folder"); }, "aucun dossier de travail"},
        {objectText("0,0,0\r\n\"1\",\"0\",\"2\"\r\n0,0,0\r\n"), "ligne 2, la valeur Z « 2 » n'est ni 0"},
        // 2 x 2040952255126 mm at 20 steps per mm: refused before a tick is written.
        {objectText("0,0,0\r\n\"2040952255126\",\"0\",\"0\"\r\n0,0,0\r\n"), "compterait 81638090205040 pas"},
        // Fields the details file cannot hold back.
        {[](G& g) { g.form.description = "dit \"oui\""; }, "« Bloc note » contient un guillemet"},
        {[](G& g) { g.form.jobName += "\""; }, "« fichier découpe » contient un guillemet"},
        {[](G& g) { g.form.objectFile = g.tmp.write("p\".fra", "0,0,0\r\n0,0,0\r\n"); }, "« fichier objet » contient"},
        {[](G& g) { g.form.description = "5 €, 2 ★"; }, "caractère « ★ » du champ « Bloc note »"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.part);
        Job g;
        g.object({{"1", "0", "0"}});
        c.spoil(g);
        const std::string job = g.form.jobName;
        EXPECT_FALSE(g.generate());
        ASSERT_EQ(g.dialogs.told.size(), 1u);
        EXPECT_NE(g.dialogs.told[0].text.find(c.part), std::string::npos) << g.dialogs.told[0].text;
        EXPECT_TRUE(g.jobFiles().empty());
        EXPECT_TRUE(fs::is_empty(g.tmp.path() / "scratch"));
        EXPECT_EQ(g.form.jobName, job);
    }
}

TEST(Generation, SaveDialogNameSkipsTheExtensionAndSameNameChecks) {
    Job g, typed;
    g.object({{"1", "0", "0"}});
    g.tmp.write("job/piecedef.def", "old\r\n");
    ASSERT_TRUE(generateCutProgramAs(g.form, g.job() + "def", g.dialogs, g.paths));
    EXPECT_EQ(TempDir::read(g.job() + "def.def"), repeated("2", 20) + repeated("3", 20));
    EXPECT_EQ(g.form.jobName, g.job() + "def.def");
    // Only an existing details file refuses the chosen name.
    g.dialogs = ScriptedDialogs();
    EXPECT_FALSE(generateCutProgramAs(g.form, g.job() + "def", g.dialogs, g.paths));
    EXPECT_EQ(g.dialogs.toldTexts(), std::vector<std::string>{m::kJobNameUsed.text});
    // A typed name in upper-case .DEF is no extension: it is kept and .def added.
    typed.object({{"1", "0", "0"}});
    typed.form.jobName = typed.job() + ".DEF";
    ASSERT_TRUE(typed.generate());
    EXPECT_EQ(typed.form.jobName, typed.job() + ".DEF.def");
    EXPECT_TRUE(fs::exists(typed.job() + ".DEF.det"));
}

TEST(Generation, ProgressReportsTicksAndItsAnswerCancels) {
    Job g, cancelled;
    g.object({{"30000", "0", "0"}});  // 600 000 ticks out, 600 000 back
    std::vector<GenerationProgress> combining;
    ASSERT_TRUE(generateCutProgram(g.form, g.dialogs, g.paths, [&](const GenerationProgress& p) {
        if (p.stage == GenerationStage::Combining) combining.push_back(p);
        return true;
    }));
    ASSERT_EQ(combining.size(), 2u);  // as the stage begins, then after 2^20 ticks
    EXPECT_EQ(std::tie(combining[1].done, combining[1].total), std::tuple(1u << 20, 1200000u));
    // Cancelled halfway through the cutting file: nothing is kept.
    cancelled.object({{"30000", "0", "0"}});
    EXPECT_FALSE(generateCutProgram(cancelled.form, cancelled.dialogs, cancelled.paths,
                                    [](const GenerationProgress& p) { return p.done < 1u << 20; }));
    EXPECT_EQ(cancelled.dialogs.toldTexts(), std::vector<std::string>{m::kGenerationCancelled.text});
    EXPECT_TRUE(cancelled.jobFiles().empty() && fs::is_empty(cancelled.tmp.path() / "scratch"));
}

// Generations at once, in one scratch folder: each job is what it is alone; the same
// name twice goes to one of them whole, and the other is told the name is in use.
TEST(Generation, RunsAtOnceKeepApart) {
    const std::vector<Point> objects[2] = {{{"30000", "0", "1"}}, {{"0", "20000", "0"}, {"10", "20000", "1"}}};
    Job alone[2], both[2], same[2];
    for (int i = 0; i < 2; ++i) {
        for (Job* j : {&alone[i], &both[i], &same[i]}) j->object(objects[i]), j->paths = alone[0].paths;
        ASSERT_TRUE(alone[i].generate());
    }
    same[1].form.jobName = same[0].job();
    const auto atOnce = [](Job& a, Job& b) {
        bool first = false;
        std::thread t([&] { first = a.generate(); });
        const bool second = b.generate();
        t.join();
        return std::pair(first, second);
    };
    EXPECT_EQ(atOnce(both[0], both[1]), std::pair(true, true));
    for (int i = 0; i < 2; ++i) EXPECT_TRUE(both[i].cuttingFile() == alone[i].cuttingFile()) << i;
    const auto [first, second] = atOnce(same[0], same[1]);
    ASSERT_NE(first, second);
    const int won = first ? 0 : 1;
    EXPECT_EQ(same[1 - won].dialogs.toldTexts(), std::vector<std::string>{m::kJobNameUsed.text});
    EXPECT_TRUE(same[0].cuttingFile() == alone[won].cuttingFile());
    EXPECT_NE(TempDir::read(same[0].job() + ".det").find(same[won].form.objectFile), std::string::npos);
    EXPECT_TRUE(fs::is_empty(alone[0].tmp.path() / "scratch"));
}

}  // namespace
}  // namespace tarvel
