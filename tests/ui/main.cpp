// One window's tests in an offscreen application of their own: each test program
// names its entry point in TARVEL_WINDOW_TEST, so a failure names its window.
#include <QApplication>

int TARVEL_WINDOW_TEST(int argc, char** argv);

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return TARVEL_WINDOW_TEST(argc, argv);
}
