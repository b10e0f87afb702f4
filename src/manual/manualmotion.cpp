#include "manual/manualmotion.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

#include "common/textrules.h"
#include "manual/manualmessages.h"
#include "port/portmessages.h"
#include "port/emittick.h"

namespace tarvel {

namespace {

enum class Axis { X, Y, Z };


// The two values of one step of one axis.
struct StepValues {
    int dirOnly = 0;
    int full = 0;
};

// The one of three values that belongs to the axis.
template <class T>
const T& ofAxis(Axis axis, const T& x, const T& y, const T& z) {
    return axis == Axis::X ? x : axis == Axis::Y ? y : z;
}

StepValues stepValues(const ManualForm& form, Axis axis, bool dirHigh) {
    const double d = leadingNumber(ofAxis(axis, form.xDirWeight, form.yDirWeight, form.zDirWeight));
    const double c = leadingNumber(ofAxis(axis, form.xClockWeight, form.yClockWeight, form.zClockWeight));
    if (dirHigh) return {wholeValue(d), wholeValue(d + c)};
    return {0, wholeValue(c)};
}

const std::string& stepsPerMmText(const ManualForm& form, Axis axis) {
    return ofAxis(axis, form.stepsPerMmX, form.stepsPerMmY, form.stepsPerMmZ);
}

std::string_view axisName(Axis axis) {
    static constexpr std::string_view kX = "X", kY = "Y", kZ = "Z";
    return ofAxis(axis, kX, kY, kZ);
}

// The axis's steps per mm by the comma rule, or a message and nullopt.
std::optional<double> stepsPerMm(const ManualForm& form, Axis axis, UserDialogs& dialogs) {
    const std::string& text = stepsPerMmText(form, axis);
    const std::optional<double> v = commaNumber(text);
    if (v && *v > 0.0 && std::isfinite(*v)) return v;
    dialogs.tell(manual_messages::stepsPerMmNotUsable(axisName(axis), text));
    return std::nullopt;
}

// The window's slider and coefficient, read before each delay. While the user retypes
// the coefficient during a move the field may hold no number for a moment: the last
// usable value stays in force rather than a delay that would never end.
class FormSpeed final : public SpeedSource {
public:
    FormSpeed(const ManualForm& form, double coefficient)
        : form_(form), last_(coefficient), lastSlider_(form.delaySetting) {}
    // A slider or coefficient that would make a step last more than a second is not
    // taken: the last usable pair stays in force.
    double sliderValue() override {
        if (!checkStepTime(form_.delaySetting, last_)) lastSlider_ = form_.delaySetting;
        return lastSlider_;
    }
    double coefficient() override {
        double c = last_;
        if (!checkCoefficient(form_.speedCoefficient, c) && !checkStepTime(lastSlider_, c)) last_ = c;
        return last_;
    }

private:
    const ManualForm& form_;
    double last_;
    double lastSlider_;
};

// One manual motion in progress: its steps, its extra yields, and how it ended.
class Motion {
public:
    Motion(ManualForm& form, ManualMachine& machine, double coefficient)
        : form_(form),
          machine_(machine),
          speed_(form, coefficient),
          paced_(machine.waiter, machine.pump, [this] { return form_.stopRequests != stopMark_; }),
          out_{machine.port, form.port, machine.pump, paced_, speed_},
          stopMark_(form.stopRequests) {
        machine.port.useWiring(wiringOf(form, {form.invertX, form.invertY, form.invertZ}, form.stepsPerMmX,
                                        form.stepsPerMmY, form.stepsPerMmZ));
        machine.port.clearFailedWrites();
    }

    // One step; false when the motion is to end here (see end()).
    bool step(const StepValues& v) {
        if (!emitTick(out_, v.dirOnly, v.full, TickPattern::Manual)) {
            if (machine_.port.failedWrites() == 0) return finish(MotionEnd::Aborted);
            machine_.dialogs.tell(portmessages::motionStoppedByPort(machine_.port.failureText()));
            return finish(MotionEnd::PortFailed);
        }
        return checkStop();
    }
    bool steps(const StepValues& v, std::uint64_t n) {
        for (std::uint64_t i = 0; i < n; ++i)
            if (!step(v)) return false;
        return true;
    }
    // The yield before each switch read.
    bool yield() {
        if (!yieldAndContinue(machine_.pump)) return finish(MotionEnd::Aborted);
        return checkStop();
    }
    bool finish(MotionEnd end) {
        end_ = end;
        return false;
    }

    ParallelPort& port() { return machine_.port; }
    std::int16_t address() const { return form_.port; }
    MotionEnd end() const { return end_; }

private:
    bool checkStop() { return form_.stopRequests == stopMark_ || finish(MotionEnd::Stopped); }

    ManualForm& form_;
    ManualMachine& machine_;
    FormSpeed speed_;
    PacedWaiter paced_;
    StepOutput out_;
    std::uint64_t stopMark_;
    MotionEnd end_ = MotionEnd::Done;
};

// The coefficient, or a message and nullopt.
std::optional<double> coefficientOf(const ManualForm& form, UserDialogs& dialogs) {
    double c = 0;
    if (auto problem = checkCoefficient(form.speedCoefficient, c); problem || (problem = checkStepTime(form.delaySetting, c))) {
        dialogs.tell(*problem);
        return std::nullopt;
    }
    return c;
}

struct ArrowMove {
    Axis axis;
    bool dirHighWhenNotInverted;
};

ArrowMove arrowMove(JogArrow arrow) {
    switch (arrow) {
        case JogArrow::XRight: return {Axis::X, true};
        case JogArrow::XLeft: return {Axis::X, false};
        case JogArrow::YRight: return {Axis::Y, true};
        case JogArrow::YLeft: return {Axis::Y, false};
        case JogArrow::ZUp: return {Axis::Z, false};
        case JogArrow::ZDown: break;
    }
    return {Axis::Z, true};
}

bool arrowsInverted(const JogSettings& s, Axis axis) {
    return ofAxis(axis, s.invertArrowX, s.invertArrowY, s.invertArrowZ);
}

bool configurationInverts(const ManualForm& form, Axis axis) {
    return ofAxis(axis, form.invertX, form.invertY, form.invertZ);
}

// The DIR level the arrow writes.
bool arrowDirHigh(const ManualForm& form, const ArrowMove& move) {
    return move.dirHighWhenNotInverted != arrowsInverted(form.arrows, move.axis);
}

// A searching phase may step its axis this many times.
std::uint64_t travelBound(double stepsPerMm) {
    return std::max<std::uint64_t>(1, countedSteps(kHomingTravelMm * stepsPerMm));
}

// Phases 1 and 3: step, yield, read; again while the switch reads anything but 0.
bool searchZ(Motion& motion, const StepValues& v, std::uint64_t bound,
             std::int16_t (ParallelPort::*readSwitch)(std::int16_t), std::string_view caption,
             UserDialogs& dialogs) {
    for (std::uint64_t made = 0;; ++made) {
        if (made == bound) {
            dialogs.tell(manual_messages::switchNotReached(caption, kHomingTravelMm));
            return motion.finish(MotionEnd::SwitchNotFound);
        }
        if (!motion.step(v) || !motion.yield()) return false;
        if ((motion.port().*readSwitch)(motion.address()) == 0) return true;
    }
}

using manual_messages::kXHomeSwitch;
using manual_messages::kYHomeSwitch;
using manual_messages::kZClearanceSwitch;
using manual_messages::kZHomeSwitch;

}  // namespace

MotionEnd jog(ManualForm& form, JogArrow arrow, ManualMachine& machine) {
    if (!form.configurationRead()) return MotionEnd::Refused;
    const ArrowMove move = arrowMove(arrow);
    const std::optional<double> perMm = stepsPerMm(form, move.axis, machine.dialogs);
    if (!perMm) return MotionEnd::Refused;
    const std::optional<double> c = coefficientOf(form, machine.dialogs);
    if (!c) return MotionEnd::Refused;

    const bool dirHigh = arrowDirHigh(form, move);
    const std::uint64_t n = countedSteps(leadingNumber(form.moveDistanceMm) * *perMm);
    Motion motion(form, machine, *c);
    motion.steps(stepValues(form, move.axis, dirHigh), n);
    return motion.end();
}

int arrowSense(const ManualForm& form, JogArrow arrow) {
    const ArrowMove move = arrowMove(arrow);
    return arrowDirHigh(form, move) != configurationInverts(form, move.axis) ? -1 : 1;
}

AxisArrowsText axisArrowsText(const ManualForm& form, JogArrow arrow) {
    namespace msg = manual_messages;
    const Axis axis = arrowMove(arrow).axis;
    // Each axis's pair, the arrow that should make the coordinate grow first; for Z that
    // is ↓, since larger Z is deeper.
    JogArrow growing = JogArrow::XRight, shrinking = JogArrow::XLeft;
    if (axis == Axis::Y) growing = JogArrow::YRight, shrinking = JogArrow::YLeft;
    if (axis == Axis::Z) growing = JogArrow::ZDown, shrinking = JogArrow::ZUp;
    const std::string_view glyphs[] = {"→", "←", "↗", "↙", "↑", "↓"};
    const auto glyph = [&](JogArrow a) { return glyphs[static_cast<int>(a)]; };
    const bool z = axis == Axis::Z;
    const auto line = [&](JogArrow a) { return msg::arrowSenseLine(glyph(a), axisName(axis), arrowSense(form, a) > 0, z); };

    // Up first, as the arrows stand in the box.
    AxisArrowsText text{z ? line(shrinking) + "\n" + line(growing) : line(growing) + "\n" + line(shrinking), {}};
    const JogArrow pointing = z ? shrinking : growing;  // the arrow whose glyph says "larger" (Z: "out")
    if (arrowSense(form, pointing) != (z ? -1 : 1))
        text.warning = msg::arrowsAgainstGlyph(glyph(pointing), axisName(axis), arrowsInverted(form.arrows, axis), z);
    return text;
}

std::string homingStatus(MotionEnd end) {
    switch (end) {
        case MotionEnd::Done: return manual_messages::kHomingDoneStatus;
        case MotionEnd::Stopped: return manual_messages::kHomingStoppedStatus;
        case MotionEnd::SwitchNotFound: return manual_messages::kHomingSwitchNotFoundStatus;
        case MotionEnd::PortFailed: return manual_messages::kHomingPortFailedStatus;
        case MotionEnd::Refused:
        case MotionEnd::Aborted: break;
    }
    return {};
}

MotionEnd home(ManualForm& form, ManualMachine& machine) {
    if (!form.configurationRead()) return MotionEnd::Refused;
    std::optional<double> perMm[3];
    for (Axis axis : {Axis::X, Axis::Y, Axis::Z}) {
        perMm[static_cast<int>(axis)] = stepsPerMm(form, axis, machine.dialogs);
        if (!perMm[static_cast<int>(axis)]) return MotionEnd::Refused;
    }
    const std::optional<double> c = coefficientOf(form, machine.dialogs);
    if (!c) return MotionEnd::Refused;

    const double xPerMm = *perMm[0], yPerMm = *perMm[1], zPerMm = *perMm[2];
    const StepValues zUp = stepValues(form, Axis::Z, !form.invertZ);
    const StepValues zDown = stepValues(form, Axis::Z, form.invertZ);
    const StepValues xHome = stepValues(form, Axis::X, !form.invertX);
    const StepValues yHome = stepValues(form, Axis::Y, !form.invertY);
    const std::uint64_t zBound = travelBound(zPerMm);
    UserDialogs& dialogs = machine.dialogs;
    Motion motion(form, machine, *c);

    auto ended = [&] {
        if (motion.end() == MotionEnd::Stopped && form.stopsReported != form.stopRequests) {
            form.stopsReported = form.stopRequests;
            dialogs.tell(manual_messages::kHomingStopped);
        }
        return motion.end();
    };
    auto notFound = [&](std::string_view caption) {
        dialogs.tell(manual_messages::switchNotReached(caption, kHomingTravelMm));
        motion.finish(MotionEnd::SwitchNotFound);
        return motion.end();
    };

    // Phase 1: Z up to its clearance switch.
    if (!searchZ(motion, zUp, zBound, &ParallelPort::Read_Select, kZClearanceSwitch, dialogs)) return ended();

    // Phase 2: X and Y together. A switch that reads anything but 0 counts against its
    // axis's bound even when it does not read 1, so that a line stuck at another value
    // cannot keep the phase running without steps.
    const std::uint64_t xBound = travelBound(xPerMm), yBound = travelBound(yPerMm);
    std::uint64_t xSearched = 0, ySearched = 0;
    for (;;) {
        if (!motion.yield()) return ended();
        const std::int16_t b = motion.port().Read_Busy(motion.address());
        if (b != 0 && xSearched++ == xBound) return notFound(kXHomeSwitch);
        if (b == 1 && !motion.step(xHome)) return ended();

        if (!motion.yield()) return ended();
        const std::int16_t p = motion.port().Read_Pe(motion.address());
        if (p != 0 && ySearched++ == yBound) return notFound(kYHomeSwitch);
        if (p == 1 && !motion.step(yHome)) return ended();

        if (b == 0 && p == 0) break;
    }

    // Phase 3: Z down to its home switch.
    if (!searchZ(motion, zDown, zBound, &ParallelPort::Read_Error, kZHomeSwitch, dialogs)) return ended();

    // Phase 4: Z back up by the tool descent.
    motion.steps(zUp, countedSteps(leadingNumber(form.toolDescentZ) * zPerMm));
    if (motion.end() == MotionEnd::Done && machine.position) machine.position->resetPosition();
    return ended();
}

}  // namespace tarvel
