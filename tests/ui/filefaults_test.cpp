// Every window that writes a file, on a disk (our fileCalls()) that refuses: the window tells
// why, naming the file, stays usable, and the folder keeps exactly the files it had.
#include <filesystem>
#include <functional>

#include "app/programwindows.h"
#include "drawing/drawingmessages.h"
#include "support/faultydisk.h"
#include "ui/cuttingwindow.h"
#include "uitesting.h"

namespace {

namespace fs = std::filesystem;
using namespace tarvel::testing;

FaultyDisk disk;

// The regular files of a folder with their bytes.
std::map<std::string, std::string> filesIn(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.is_regular_file()) files[e.path().filename().string()] = TempDir::read(e.path().string());
    return files;
}

QWidget* configuration(Harness& h) { return h.windows().find(tarvel::kConfigurationWindow); }
QWidget* drawing(Harness& h) { return h.windows().find(tarvel::kDrawingWindow); }
tarvel::CuttingWindow* mach(Harness& h) { return h.windows().find<tarvel::CuttingWindow>(tarvel::kCuttingWindow); }
// The drawing window's "Fichier FRA" with a name and a button ("Charger", "Sauver").
void fichierFra(Harness& h, const std::string& name, const char* button) {
    named<QAction>(drawing(h), "fichierfra")->trigger();
    named<QLineEdit>(drawing(h), "Text1")->setText(QString::fromStdString(name));
    click(drawing(h), button);
}

// The cutting window on the job piece.def, with piece.det and piece.FRD from before.
void openMachOnShortJob(Harness& h) {
    h.tmp.write("piece.det", "\"ancien\",\"1\"\r\n");
    h.tmp.write("piece.FRD", "ancien\r\n");
    h.windows().open(tarvel::kCuttingWindow);
    named<QLineEdit>(mach(h), "jobName")->setText(QString::fromStdString(h.tmp.write("piece.def", "0\r\n2\r\n2\r\n")));
}

// Out 30 m along X and back at 20 steps per mm: 1.2 million ticks, 3.6 MB of cutting file.
void openMachOnLongObject(Harness& h) {
    h.app.lastObjectFile = h.tmp.write("piece.fra", "0,0,0\r\n\"30000\",\"0\",\"0\"\r\n0,0,0\r\n");
    h.windows().open(tarvel::kCuttingWindow);
}

void generate(Harness& h) { click(mach(h), "creerDef"); }
bool generated(Harness& h) {
    return h.dialogs.toldTexts() == std::vector<std::string>{"Fichier découpe créé avec succés"} &&
           fs::file_size(h.tmp.file("piece.def")) > 3'000'000 && fs::exists(h.tmp.file("piece.det"));
}

struct Case {
    const char* what;
    FileFault fault;
    const char* file;  // the file the message names (in the program's or the scratch folder), or none
    std::function<void(Harness&)> setUp, act;
    std::function<bool(Harness&)> done;  // the command did its work once the disk is healthy
};

const Case kCases[] = {
    {"configuration: rename refused", {FileStep::Rename, EIO, "tarvel1.cfg"}, "tarvel1.cfg",
     [](Harness& h) {
              named<QAction>(h.window.get(), "config")->trigger();
         named<QLineEdit>(configuration(h), "rapidFeed")->setText("65");
     },
     [](Harness& h) { click(configuration(h), "sauvegarder"); },
     [](Harness& h) {
         return !h.windows().isOpen(tarvel::kConfigurationWindow) &&
                tarvel::loadMachineConfig(h.app.paths.configFile())->rapidFeed == "65";
     }},
    {"arrow settings: open refused", {FileStep::Open, EACCES, "tarvelman.cfg"}, "tarvelman.cfg",
     [](Harness& h) {
              h.tmp.write("tarvelman.cfg", "1,0,1\r\n");
         QTest::mouseClick(named<QCheckBox>(h.windows().open(tarvel::kManualWindow), "inversionY"), Qt::LeftButton);
     },
     [](Harness& h) { click(h.windows().open(tarvel::kManualWindow), "Command5"); },
     [](Harness& h) { return TempDir::read(h.tmp.file("tarvelman.cfg")) == "1,1,1\r\n"; }},
    // The drawing window holding plaque.fra, saved under "Fichier FRA" as copie. Its save
    // failure is one fixed sentence, which names no file.
    {"object file: disk full", {FileStep::Write, ENOSPC, ".fra", 10}, nullptr,
     [](Harness& h) {
         h.windows().open(tarvel::kDrawingWindow);
         fichierFra(h, h.tmp.write("plaque.fra", "0,0,0\r\n\"5\",\"5\",\"1\"\r\n0,0,0\r\n"), "Command1");
     },
     [](Harness& h) { fichierFra(h, h.tmp.file("copie"), "Command2"); },
     [](Harness& h) {
         return h.app.lastObjectFile == h.tmp.file("copie.fra") && h.windows().isOpen(tarvel::kCuttingWindow);
     }},
    {"job: details file refused", {FileStep::Open, EACCES, "piece.det"}, "piece.det", openMachOnLongObject,
     generate, generated},
    {"job: disk full in a scratch file", {FileStep::Write, ENOSPC, "bit3", 1'500'000}, "/bit3",
     openMachOnLongObject, generate, generated},
    {"job: disk full midway through the cutting file", {FileStep::Write, ENOSPC, "piece.def", 1'500'000},
     "piece.def", openMachOnLongObject, generate, generated},
    {"details: sync refused", {FileStep::Sync, EDQUOT, "piece.det"}, "piece.det", openMachOnShortJob,
     [](Harness& h) { named<QAction>(mach(h), "modifdet")->trigger(); },
     [](Harness& h) { return TempDir::read(h.tmp.file("piece.det")).find("ancien") == std::string::npos; }},
    {"packing: rename refused", {FileStep::Rename, ENOSPC, "piece.FRD"}, "piece.FRD", openMachOnShortJob,
     [](Harness& h) { named<QAction>(mach(h), "zipdef")->trigger(); },
     [](Harness& h) { return TempDir::read(h.tmp.file("piece.FRD")) == "0,1\r\n2,2\r\n"; }},
};

}  // namespace

tarvel::FileCalls& tarvel::fileCalls() { return disk; }

class FileFaultsTest : public QObject {
    Q_OBJECT

private slots:
    void failedWriteIsToldAndChangesNothing() {
        for (const Case& c : kCases) {
            Harness h{tarvel::SimulatedMachineSettings{}, true};
            QVERIFY(h.show());
            c.setUp(h);
            h.dialogs.told.clear();
            const auto before = filesIn(h.tmp.path());
            disk.fault = c.fault;
            c.act(h);
            disk.fault.reset();
            QVERIFY2(h.dialogs.told.size() == 1, c.what);
            const std::string& told = h.dialogs.told[0].text;
            if (!c.file) QCOMPARE(told, tarvel::drawingmessages::kWriteError.text);
            else
                for (const std::string& part : {h.tmp.file(c.file), tarvel::systemErrorText(c.fault.error)})
                    QVERIFY2(told.find(part) != std::string::npos, qPrintable(QString::fromStdString(told)));
            QVERIFY2(filesIn(h.tmp.path()) == before, c.what);
            for (const auto& [name, bytes] : filesIn(h.app.paths.scratchDir))
                QVERIFY2(name.find(".tmp-") == std::string::npos, c.what);

            h.dialogs.told.clear();
            c.act(h);
            QVERIFY2(c.done(h), c.what);
        }
    }
};

QTEST_MAIN(FileFaultsTest)

#include "filefaults_test.moc"
