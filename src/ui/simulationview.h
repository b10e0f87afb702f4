// The view of the simulated machine, "Machine simulée": the tool path seen from above
// (cutting moves and raised moves in two colours), the position in mm on X, Y and Z,
// and the four switches, lit when reached.
//
// SimulationTrace follows the machine from start-up: its listener runs inside the
// motion loops, once per port write, so it only adds the point to the ToolPath (and,
// on the very first step, asks for the view to open at the next yield). The view reads
// the trace on a timer, about 30 times a second, and redraws only what was added since.
//
// Object names: the window `simulation`; trace (the drawing), positionX, positionY,
// positionZ (labels "X : 12,35 mm"), outil (in the material or not), contactXHome,
// contactYHome, contactZClearance, contactZHome (property "atteint" true when reached),
// effacerTrace ("Effacer le tracé").
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include <QImage>
#include <QPointF>
#include <QPointer>
#include <QWidget>

#include "port/toolpath.h"

class QLabel;
class QTimer;

namespace tarvel {

struct AppContext;
class SimulatedMachine;
class WindowRegistry;

class SimulationTrace final : public QObject {
    Q_OBJECT

public:
    // `openView` runs once, after the machine's first step, outside the motion's write.
    SimulationTrace(SimulatedMachine& machine, std::function<void()> openView, QObject* parent = nullptr);
    ~SimulationTrace() override;

    SimulatedMachine& machine() { return machine_; }
    const ToolPath& path() const { return path_; }
    // "Effacer le tracé": the path starts again where the tool stands.
    void clear();
    // Where the machine's stops refused steps (mm), one mark per place, the first
    // kMaxBlockedMarks places kept.
    static constexpr std::size_t kMaxBlockedMarks = 1000;
    const std::vector<QPointF>& blockedAt() const { return blockedAt_; }

private:
    SimulatedMachine& machine_;
    ToolPath path_;
    std::vector<QPointF> blockedAt_;
    std::function<void()> openView_;
    int listener_ = 0;
    bool opened_ = false;
};

// The tool path drawn over the machine's travel, Y upwards.
class TraceCanvas final : public QWidget {
public:
    TraceCanvas(SimulationTrace& trace, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {520, 520}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPointF toScreen(double x, double y) const;
    void fitTravel();
    void drawNewSegments();

    SimulationTrace& trace_;
    QRectF travel_;            // mm
    double scale_ = 1;         // pixels per mm
    QPointF origin_;           // screen position of (0, 0)
    QImage cache_;             // the committed segments drawn so far
    std::uint64_t drawnGeneration_ = 0;
    std::uint64_t drawnCorners_ = 0;  // corners whose incoming segment is in the cache
};

class SimulationView final : public QWidget {
    Q_OBJECT

public:
    explicit SimulationView(SimulationTrace& trace, QWidget* parent = nullptr);

    // What the timer does: labels, switches, and a repaint when anything changed.
    void refresh();

private:
    QPointer<SimulationTrace> trace_;
    TraceCanvas* canvas_;
    QLabel* x_;
    QLabel* y_;
    QLabel* z_;
    QLabel* tool_;
    QLabel* switches_[4];
    QTimer* timer_;
    std::uint64_t shownRevision_ = 0;
    std::int64_t shown_[3] = {-1, -1, -1};
    bool first_ = true;
};

inline const QString kSimulationView = QStringLiteral("simulation");

// When the program drives the simulated machine: starts following it, opens the view at
// its first step, and registers the view's factory under `simulation`. Otherwise does
// nothing (there is then no such window).
void registerSimulationView(WindowRegistry& windows, AppContext& app);

}  // namespace tarvel
