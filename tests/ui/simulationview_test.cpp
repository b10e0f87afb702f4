// The simulated machine's view: opened by the first motion, following the machine,
// and reopened from the status bar.
#include <QStatusBar>

#include "ui/simulationview.h"
#include "uitesting.h"

using tarvel::SimulatedMachine;

namespace {

// Default wiring: X DIR 1 / CLOCK 2, Y DIR 4 / CLOCK 8, Z DIR 16 / CLOCK 32. DIR low
// drives towards larger coordinates (Z larger: deeper).
struct AxisLines {
    int dir, clock;
};
constexpr AxisLines kX{1, 2}, kY{4, 8}, kZ{16, 32};

void steps(SimulatedMachine& m, AxisLines axis, int count) {
    const int dir = count < 0 ? axis.dir : 0;
    for (int i = 0; i < std::abs(count); ++i) {
        m.Write_Port_Bit(tarvel::kPort1Address, static_cast<std::int16_t>(dir));
        m.Write_Port_Bit(tarvel::kPort1Address, static_cast<std::int16_t>(dir | axis.clock));
    }
    m.Write_Port_Bit(tarvel::kPort1Address, 0);
}

int pixelsNear(const QImage& image, QColor colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            n += std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) +
                     std::abs(c.blue() - colour.blue()) < 40;
        }
    return n;
}

}  // namespace

class SimulationViewTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<tarvel::testing::Harness> h_;
    tarvel::MainWindow* window_ = nullptr;
    SimulatedMachine* machine_ = nullptr;

    tarvel::WindowRegistry& windows() { return h_->windows(); }
    QString label(const char* name) {
        return windows().find("simulation")->findChild<QLabel*>(name)->text();
    }
    bool lit(const char* name) {
        return windows().find("simulation")->findChild<QLabel*>(name)->property("atteint").toBool();
    }

    void start(tarvel::SimulatedMachineSettings settings = {}) {
        h_ = std::make_unique<tarvel::testing::Harness>(settings);
        machine_ = h_->machine;
        QVERIFY(h_->show());
        window_ = h_->window.get();
    }

private slots:
    void cleanup() { h_.reset(); }

    // Only the first motion opens the view, behind the window in use; once closed, the
    // status bar's button brings it back.
    void firstMotionOpensTheViewAndTheStatusBarReopensIt() {
        start();
        windows().open("Form2");
        QTest::qWait(50);
        QVERIFY(!windows().isOpen("simulation"));  // nothing moved yet
        steps(*machine_, kX, 20);
        QTRY_VERIFY(windows().isOpen("simulation"));
        QCOMPARE(window_->area().activeSubWindow(), windows().frame("Form2"));
        QTRY_COMPARE(label("positionX"), QString("X : 1,00 mm"));

        QVERIFY(windows().frame("simulation")->close());
        QVERIFY(!windows().isOpen("simulation"));
        steps(*machine_, kY, 10);
        QTest::qWait(50);
        QVERIFY(!windows().isOpen("simulation"));
        auto* reopen = window_->statusBar()->findChild<QPushButton*>("voirSimulation");
        QVERIFY(reopen != nullptr);
        QCOMPARE(reopen->text(), QString("Voir la machine simulée"));
        QTest::mouseClick(reopen, Qt::LeftButton);
        QVERIFY(windows().isOpen("simulation"));
        QCOMPARE(label("positionY"), QString("Y : 0,50 mm"));
    }

    void labelsAndSwitchesFollowTheMachine() {
        tarvel::SimulatedMachineSettings s;
        s.xHomeMm = -0.5;
        s.zClearanceMm = -0.25;
        start(s);
        windows().open("simulation");
        QCOMPARE(label("positionZ"), QString("Z : 0,00 mm"));
        QVERIFY(!lit("contactXHome"));

        steps(*machine_, kX, -10);   // onto the X home switch
        steps(*machine_, kY, 7);
        steps(*machine_, kZ, 3);     // into the material
        QTRY_COMPARE(label("positionX"), QString("X : -0,50 mm"));
        QCOMPARE(label("positionY"), QString("Y : 0,35 mm"));
        QCOMPARE(label("positionZ"), QString("Z : 0,15 mm"));
        QCOMPARE(label("outil"), QString("Outil dans la matière"));
        QVERIFY(lit("contactXHome"));
        QVERIFY(!lit("contactZClearance"));

        steps(*machine_, kX, 1);     // off the switch again
        steps(*machine_, kZ, -8);    // up to the clearance switch
        QTRY_VERIFY(lit("contactZClearance"));
        QVERIFY(!lit("contactXHome"));
        QCOMPARE(label("outil"), QString("Outil hors matière"));
    }

    void drawsBothKindsOfMoveAndClears() {
        start();
        auto* view = windows().open<tarvel::SimulationView>("simulation");
        QWidget* canvas = view->findChild<QWidget*>("trace");
        const QColor cutting(0xc0, 0x39, 0x2b), raised(0x4a, 0x90, 0xd9);

        steps(*machine_, kX, 800);   // 40 mm raised
        steps(*machine_, kZ, 2);
        steps(*machine_, kY, 800);   // 40 mm in the material
        steps(*machine_, kZ, -2);    // raised again: the tool mark is not red
        view->refresh();
        QImage drawn = canvas->grab().toImage();
        QVERIFY2(pixelsNear(drawn, cutting) > 30, "cutting move not drawn");
        QVERIFY2(pixelsNear(drawn, raised) > 30, "raised move not drawn");

        QTest::mouseClick(view->findChild<QPushButton*>("effacerTrace"), Qt::LeftButton);
        drawn = canvas->grab().toImage();
        QCOMPARE(pixelsNear(drawn, cutting), 0);
        QCOMPARE(pixelsNear(drawn, raised), 0);
    }

    void machineOutlivingTheWindowsIsNoLongerFollowed() {
        start();
        windows().open("simulation");
        h_->window.reset();
        // A listener left behind would write into freed memory here.
        steps(*machine_, kX, 3);
        QCOMPARE(machine_->xSteps(), std::int64_t(3));
    }
};

int runSimulationViewTests(int argc, char** argv) {
    SimulationViewTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "simulationview_test.moc"
