// The simulated machine's view: opened by the first motion, following the machine,
// and reopened from the status bar, which names the machine.
#include "ui/simulationview.h"
#include "uitesting.h"

using tarvel::SimulatedMachine;

namespace {

// Default wiring: X DIR 1 / CLOCK 2, Y DIR 4 / CLOCK 8, Z DIR 16 / CLOCK 32. DIR low
// drives towards larger coordinates (Z larger: deeper).
struct AxisLines { int dir, clock; };
constexpr AxisLines kX{1, 2}, kY{4, 8}, kZ{16, 32};

void steps(SimulatedMachine& m, AxisLines axis, int count) {
    const int dir = count < 0 ? axis.dir : 0;
    for (int i = 0; i < std::abs(count); ++i) {
        m.Write_Port_Bit(tarvel::kPort1Address, static_cast<std::int16_t>(dir));
        m.Write_Port_Bit(tarvel::kPort1Address, static_cast<std::int16_t>(dir | axis.clock));
    }
    m.Write_Port_Bit(tarvel::kPort1Address, 0);
}

}  // namespace

class SimulationViewTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<tarvel::testing::Harness> h_;
    SimulatedMachine* machine_ = nullptr;

    tarvel::WindowRegistry& windows() { return h_->windows(); }
    QLabel* labelNamed(const char* name) { return tarvel::testing::named<QLabel>(windows().find("simulation"), name); }
    QString label(const char* name) { return labelNamed(name)->text(); }
    bool lit(const char* name) { return labelNamed(name)->property("atteint").toBool(); }

    void start(tarvel::SimulatedMachineSettings settings = {}) {
        h_ = std::make_unique<tarvel::testing::Harness>(settings);
        machine_ = h_->machine;
        QVERIFY(h_->show());
    }

private slots:
    void cleanup() { h_.reset(); }

    // Only the first motion opens the view, behind the window in use; once closed, the
    // status bar's button brings it back.
    void firstMotionOpensTheViewAndTheStatusBarReopensIt() {
        start();
        windows().open("Form2");
        steps(*machine_, kX, 20);
        QTRY_VERIFY(windows().isOpen("simulation"));
        QCOMPARE(h_->window->area().activeSubWindow(), windows().frame("Form2"));
        QTRY_COMPARE(label("positionX"), QString("X : 1,00 mm"));

        QVERIFY(windows().frame("simulation")->close());
        steps(*machine_, kY, 10);
        QTest::qWait(50);
        QVERIFY(!windows().isOpen("simulation"));
        QCOMPARE(tarvel::testing::named<QLabel>(h_->window->statusBar(), "portMachine")->text(),
                 QString("Commande de la machine : Machine simulée"));
        tarvel::testing::click(h_->window->statusBar(), "voirSimulation");
        QVERIFY(windows().isOpen("simulation"));
        QCOMPARE(label("positionY"), QString("Y : 0,50 mm"));
    }

    void labelsAndSwitchesFollowTheMachine() {
        tarvel::SimulatedMachineSettings s;
        s.xHomeMm = -0.5;
        s.zClearanceMm = -0.25;
        start(s);
        windows().open("simulation");
        steps(*machine_, kX, -10);   // onto the X home switch
        steps(*machine_, kY, 7);
        steps(*machine_, kZ, 3);     // into the material
        QTRY_COMPARE(label("positionX"), QString("X : -0,50 mm"));
        QCOMPARE(label("positionY") + "|" + label("positionZ") + "|" + label("outil"),
                 QString("Y : 0,35 mm|Z : 0,15 mm|Outil dans la matière"));
        QVERIFY(lit("contactXHome") && !lit("contactZClearance"));

        steps(*machine_, kX, 1);     // off the switch again
        steps(*machine_, kZ, -8);    // up to the clearance switch
        QTRY_VERIFY(lit("contactZClearance") && !lit("contactXHome"));
        QCOMPARE(label("outil"), QString("Outil hors matière"));

        // Past the overtravel the stop refuses 19 of 60 steps: one mark, where they were lost.
        steps(*machine_, kX, -60);
        QCOMPARE(machine_->blockedX(), 19u);
        auto* trace = h_->window->findChild<tarvel::SimulationTrace*>();
        QVERIFY(trace);
        QCOMPARE(trace->blockedAt(), std::vector<QPointF>{QPointF(-2.5, 0.35)});
    }

};

QTEST_MAIN(SimulationViewTest)

#include "simulationview_test.moc"
