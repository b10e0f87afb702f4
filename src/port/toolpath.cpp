#include "port/toolpath.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "port/simulatedmachine.h"

namespace tarvel {

namespace {

// An angle brought into (-pi, pi].
double wrapped(double a) {
    while (a > std::numbers::pi) a -= 2 * std::numbers::pi;
    while (a <= -std::numbers::pi) a += 2 * std::numbers::pi;
    return a;
}

}  // namespace

ToolPath::ToolPath(double toleranceMm, std::size_t maxCorners)
    : tol_(toleranceMm), maxCorners_(std::max<std::size_t>(maxCorners, 4)) {
    restartAt(0, 0, false);
}

void ToolPath::restartAt(double x, double y, bool inMaterial) {
    corners_.clear();
    committed_ = 0;
    ++generation_;
    ++revision_;
    inMaterial_ = inMaterial;
    lx_ = x;
    ly_ = y;
    commit(x, y, inMaterial);
}

void ToolPath::commit(double x, double y, bool inMaterial) {
    if (corners_.size() >= maxCorners_)
        corners_.erase(corners_.begin(), corners_.begin() + static_cast<std::ptrdiff_t>(maxCorners_ / 4));
    corners_.push_back({static_cast<float>(x), static_cast<float>(y), inMaterial});
    ++committed_;
    ax_ = x;
    ay_ = y;
    open_ = false;
    aimed_ = false;
    farthest_ = 0;
}

bool ToolPath::extends(double x, double y) const {
    const double d = std::hypot(x - ax_, y - ay_);
    // Closer to the corner than an earlier point: the tool turned back, and the segment
    // drawn to here would not reach that point.
    if (d < farthest_) return false;
    if (!aimed_ || d <= tol_) return true;
    const double off = wrapped(std::atan2(y - ay_, x - ax_) - base_);
    return off >= lo_ && off <= hi_;
}

void ToolPath::narrowTo(double x, double y) {
    const double d = std::hypot(x - ax_, y - ay_);
    farthest_ = std::max(farthest_, d);
    if (d <= tol_) return;  // near the corner: any direction passes within the tolerance
    const double spread = std::asin(tol_ / d);
    const double angle = std::atan2(y - ay_, x - ax_);
    if (!aimed_) {
        aimed_ = true;
        base_ = angle;
        lo_ = -spread;
        hi_ = spread;
        return;
    }
    const double off = wrapped(angle - base_);
    lo_ = std::max(lo_, off - spread);
    hi_ = std::min(hi_, off + spread);
}

void ToolPath::moveTo(double x, double y, bool inMaterial) {
    if (x == lx_ && y == ly_ && inMaterial == inMaterial_) return;
    ++revision_;
    if (inMaterial != inMaterial_) {
        // The colour changes where the tool entered or left the material.
        if (open_) commit(lx_, ly_, inMaterial_);
        inMaterial_ = inMaterial;
    } else if (!extends(x, y)) {
        commit(lx_, ly_, inMaterial_);
    }
    narrowTo(x, y);
    lx_ = x;
    ly_ = y;
    open_ = x != ax_ || y != ay_;
}

SwitchStates switchesReached(const SimulatedMachine& machine) {
    // Placed as the machine places them: the switch position in mm, rounded to a step.
    const SimulatedMachineSettings& s = machine.settings();
    const Wiring& w = machine.wiring();
    auto at = [](double mm, double stepsPerMm) { return std::llround(mm * stepsPerMm); };
    return {machine.xSteps() <= at(s.xHomeMm, w.stepsPerMmX),
            machine.ySteps() <= at(s.yHomeMm, w.stepsPerMmY),
            machine.zSteps() <= at(s.zClearanceMm, w.stepsPerMmZ),
            machine.zSteps() >= at(s.zHomeMm, w.stepsPerMmZ)};
}

}  // namespace tarvel
