// Runs every window test class in one offscreen application.
#include <QApplication>
#include <QTest>

int runMainWindowTests(int argc, char** argv);
int runQtDialogsTests(int argc, char** argv);
int runEntryPointWindowTests(int argc, char** argv);
int runConfigurationWindowTests(int argc, char** argv);
int runSimulationViewTests(int argc, char** argv);
int runManualWindowTests(int argc, char** argv);
int runCuttingWindowTests(int argc, char** argv);
int runDrawingWindowTests(int argc, char** argv);
int runWholeJobTests(int argc, char** argv);
int runFileFaultsTests(int argc, char** argv);

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int failed = 0;
    failed += runMainWindowTests(argc, argv);
    failed += runQtDialogsTests(argc, argv);
    failed += runEntryPointWindowTests(argc, argv);
    failed += runConfigurationWindowTests(argc, argv);
    failed += runSimulationViewTests(argc, argv);
    failed += runManualWindowTests(argc, argv);
    failed += runCuttingWindowTests(argc, argv);
    failed += runDrawingWindowTests(argc, argv);
    failed += runWholeJobTests(argc, argv);
    failed += runFileFaultsTests(argc, argv);
    return failed == 0 ? 0 : 1;
}
