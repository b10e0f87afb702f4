// tarvel-screenshots: the pictures of the documentation. Opens every window of the
// program on a plate drawn here, with a simulated machine, and saves the main window
// as one PNG per window into the folder given (docs/screenshots by default), with the
// main window at 1024 x 700 or at the size given:
//   tarvel-screenshots [--size 1280x1024] [folder]
// Messages are answered silently so that nothing waits for a click.
#include <QApplication>
#include <QFileDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <cstdio>
#include <tuple>
#include <fstream>
#include <tuple>
#include <memory>
#include <utility>
#include <vector>

#include "app/mainwindow.h"
#include "app/programwindows.h"
#include "common/textrules.h"
#include "config/machineconfig.h"
#include "port/simulatedmachine.h"
#include "port/stepdelay.h"
#include "ui/appcontext.h"
#include "ui/cutprogresswindow.h"
#include "ui/cuttingwindow.h"
#include "ui/qttranslations.h"
#include "ui/windowregistry.h"

namespace {

using namespace tarvel;

// Every question answered yes, every input and file choice cancelled.
class SilentDialogs final : public UserDialogs {
public:
    void tell(const Message&) override {}
    bool confirm(const Message&, bool) override { return true; }
    std::optional<std::string> ask(const Message&, std::string_view) override { return std::nullopt; }
    void setBusy(bool) override {}
    std::optional<std::string> chooseOpenFile(const FileChoice&) override { return std::nullopt; }
    std::optional<std::string> chooseSaveFile(const FileChoice&) override { return std::nullopt; }
};

// A 130 x 80 mm plate: its outline, a rectangular pocket and a round hole.
std::string plateObject() {
    std::string s = "0,0,0\r\n";
    auto point = [&s](double x, double y, int z) {
        s += "\"" + decimalText(x) + "\",\"" + decimalText(y) + "\",\"" + std::to_string(z) + "\"\r\n";
    };
    auto contour = [&point](const std::vector<std::pair<double, double>>& corners) {
        point(corners.front().first, corners.front().second, 0);
        for (const auto& [x, y] : corners) point(x, y, 1);
        point(corners.front().first, corners.front().second, 1);
        point(corners.front().first, corners.front().second, 0);
    };
    contour({{10, 10}, {140, 10}, {140, 90}, {10, 90}});
    contour({{25, 30}, {65, 30}, {65, 70}, {25, 70}});
    std::vector<std::pair<double, double>> hole;
    for (int i = 0; i < 48; ++i) {
        const double a = 2 * M_PI * i / 48;
        hole.emplace_back(105 + 20 * std::cos(a), 50 + 20 * std::sin(a));
    }
    contour(hole);
    return s + "0,0,0\r\n";
}

template <class T = QWidget>
T* named(QWidget* root, const char* name) {
    T* found = root ? root->findChild<T*>(name) : nullptr;
    if (found == nullptr) throw std::runtime_error(std::string("no control named ") + name);
    return found;
}

class Shooter {
public:
    Shooter(MainWindow& window, QString folder) : window_(window), folder_(std::move(folder)) {}
    // Saves the main window as <name>.png once pending paints are done.
    void shoot(const char* name) {
        QTest::qWait(100);
        const QString file = folder_ + "/" + name + ".png";
        if (window_.grab().save(file, "PNG")) std::printf("%s\n", qPrintable(file));
        else failed_ = true, std::fprintf(stderr, "tarvel-screenshots: impossible d'écrire %s\n", qPrintable(file));
    }
    bool failed() const { return failed_; }

private:
    MainWindow& window_;
    QString folder_;
    bool failed_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication qtApp(argc, argv);
    installQtFrench(qtApp);
    QString folder = QStringLiteral("docs/screenshots");
    QSize size(1024, 700);
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        const QStringList wh = i + 1 < argc && arg == "--size" ? QString(argv[++i]).split('x') : QStringList();
        if (wh.size() == 2) size = QSize(wh[0].toInt(), wh[1].toInt());
        else if (arg == "--size" || !size.isValid()) return std::fprintf(stderr, "tarvel-screenshots: --size LxH\n"), 2;
        else folder = arg;
    }
    QTemporaryDir work;
    if (!QDir().mkpath(folder) || !work.isValid()) {
        std::fprintf(stderr, "tarvel-screenshots: dossier %s inutilisable\n", qPrintable(folder));
        return 1;
    }
    const std::string dir = work.path().toStdString();
    const std::string plate = dir + "/plaque.fra";
    std::ofstream(plate, std::ios::binary) << plateObject();

    SilentDialogs dialogs;
    AppContext app(dialogs);
    app.paths.programDir = QCoreApplication::applicationDirPath().toStdString();  // angle tables, help
    app.paths.configDir = dir;
    app.paths.scratchDir = dir;
    auto machine = std::make_unique<SimulatedMachine>(SimulatedMachineSettings{});
    SimulatedMachine& simulated = *machine;
    app.port.port = std::move(machine);
    app.port.simulated = true;
    app.port.description = "Machine simulée";
    if (saveMachineConfig(MachineConfig::defaults(), app.paths.configFile())) return 1;

    MainWindow window(app);
    window.resize(size);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return 1;
    WindowRegistry& windows = window.windows();
    Shooter shooter(window, folder);

    shooter.shoot("main-window");
    windows.open(kAboutWindow);
    shooter.shoot("about-window");
    windows.close(kAboutWindow);
    windows.open(kConfigurationWindow);
    shooter.shoot("configuration-window");
    windows.close(kConfigurationWindow);

    QWidget* drawing = windows.open(kDrawingWindow);
    named<QAction>(drawing, "fichierfra")->trigger();
    named<QLineEdit>(drawing, "Text1")->setText(QString::fromStdString(plate));
    QTest::mouseClick(named<QPushButton>(drawing, "Command1"), Qt::LeftButton);
    shooter.shoot("drawing-window");
    // An entry point where each cut enters the material, numbered in order.
    auto* depths = named<QListView>(drawing, "List3");
    auto* entries = named<QListView>(drawing, "List6");
    int order = 0;
    for (int row = 1; row < depths->model()->rowCount(); ++row) {
        if (depths->model()->index(row - 1, 0).data().toString() != "0" ||
            depths->model()->index(row, 0).data().toString() != "1")
            continue;
        emit entries->doubleClicked(entries->model()->index(row, 0));
        QWidget* form7 = windows.find("Form7");
        named<QLineEdit>(form7, "Text1")->setText(QString::number(++order));
        QTest::mouseClick(named<QPushButton>(form7, "Command1"), Qt::LeftButton);
    }
    shooter.shoot("drawing-window-entries");
    // Imported drawings, each fitted whole in the picture by the import; the last two
    // from today's CAD programs, their arcs and splines converted.
    for (const auto& [file, name] : {std::pair{"gear-sample.dxf", "drawing-window-dxf"},
                                     std::pair{"HFP1JZ.dxf", "drawing-window-hfp1jz"},
                                     std::pair{"sample.dxf", "drawing-window-sample"}}) {
        named<QAction>(drawing, "fichierdxf")->trigger();
        named<QLineEdit>(drawing, "Text1")->setText(QString(TARVEL_SOURCE_DIR "/tests/data/drawing/") + file);
        QTest::mouseClick(named<QPushButton>(drawing, "Command1"), Qt::LeftButton);
        shooter.shoot(name);
    }
    windows.close(kDrawingWindow);

    app.lastObjectFile = plate;
    auto* mach = windows.open<CuttingWindow>(kCuttingWindow);
    CountingWaiter waiter;  // the cut's delays counted, not waited
    mach->useDelayWaiter(waiter);
    named<QPlainTextEdit>(mach, "description")->setPlainText("Plaque 130 x 80 mm, contreplaqué 5 mm\nfraise 3 mm");
    QTest::mouseClick(named<QPushButton>(mach, "creerDef"), Qt::LeftButton);
    shooter.shoot("cutting-window");

    // The cut in progress, caught halfway along the outline's bottom edge; then paused,
    // caught once the tool is raised and the window says it waits; then resumed and stopped.
    bool shot = false;
    QTimer waitForPause;
    QObject::connect(&waitForPause, &QTimer::timeout, &window, [&] {
        QWidget* progress = windows.find("decencours");
        if (!named<QLabel>(progress, "etatPause")->isVisible()) return;
        waitForPause.stop();
        qobject_cast<CutProgressWindow*>(progress)->refresh();
        shooter.shoot("cut-progress-paused");
        QTest::mouseClick(named<QPushButton>(progress, "reprise"), Qt::LeftButton);
        QTest::mouseClick(named<QPushButton>(progress, "arretUrgence"), Qt::LeftButton);
    });
    const int listener = simulated.addListener([&](const MachineMotion& m) {
        if (shot || m.x != 1400 || m.z <= 0) return;
        shot = true;
        QTimer::singleShot(0, &window, [&] {
            qobject_cast<CutProgressWindow*>(windows.find("decencours"))->refresh();
            shooter.shoot("cut-progress-window");
            QTest::mouseClick(named<QPushButton>(windows.find("decencours"), "pause"), Qt::LeftButton);
            waitForPause.start(5);
        });
    });
    QTest::mouseClick(named<QPushButton>(mach, "decouper"), Qt::LeftButton);
    simulated.removeListener(listener);
    QTest::qWait(100);
    windows.open("simulation");
    shooter.shoot("simulation-view");
    windows.close("simulation");

    windows.open(kManualWindow);
    shooter.shoot("manual-window");

    // Qt's file dialog, in French as the windows open it; a dialog is a window of its own.
    QFileDialog files(&window, "Ouvrir", work.path(), "Fichiers objet (*.fra)");
    files.setOption(QFileDialog::DontUseNativeDialog);
    files.show();
    QTest::qWait(300);
    const QString filesPicture = folder + "/file-dialog.png";
    if (files.grab().save(filesPicture, "PNG")) std::printf("%s\n", qPrintable(filesPicture));
    else return std::fprintf(stderr, "tarvel-screenshots: impossible d'écrire %s\n", qPrintable(filesPicture)), 1;
    files.close();
    window.quitProgram();
    return shooter.failed() || !shot ? 1 : 0;
}
