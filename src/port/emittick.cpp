// One motor step on the port; the timing drawing is in emittick.h.
#include "port/emittick.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/textrules.h"

namespace tarvel {

namespace {

// V and c are read here, not once per step, so that a slider moved during the first
// delay already sets the second.
void delay(StepOutput& out) {
    const double v = out.speed.sliderValue();
    const double c = out.speed.coefficient();
    stepDelay(v, c, out.waiter);
}

}  // namespace

bool emitTick(StepOutput& out, int dirOnly, int full, TickPattern pattern,
              const std::function<void()>& afterFirstWrite) {
    const bool cut = pattern == TickPattern::CutProgram;

    // A write that failed ends the step: the caller finds it in failedWrites().
    out.port.Write_Port_Bit(out.address, static_cast<std::int16_t>(dirOnly));
    if (out.port.failedWrites() != 0) return false;
    if (afterFirstWrite) afterFirstWrite();
    // Playing a cutting file does not yield between the two writes: the CLOCK low time
    // stays one delay whatever the window system has to do.
    if (!cut && !yieldAndContinue(out.pump)) return false;
    delay(out);

    out.port.Write_Port_Bit(out.address, static_cast<std::int16_t>(full));
    if (out.port.failedWrites() != 0 || !yieldAndContinue(out.pump)) return false;
    delay(out);

    if (cut && !yieldAndContinue(out.pump)) return false;
    return true;
}

int wholeValue(double v) {
    if (!std::isfinite(v)) return 0;
    return static_cast<int>(roundHalfEven(std::clamp(v, -32768.0, 32767.0)));
}

std::uint64_t countedSteps(double n) {
    if (!(n >= 1.0)) return 0;
    if (n >= 1.8e19) return std::numeric_limits<std::uint64_t>::max();
    return static_cast<std::uint64_t>(std::floor(n));
}

Wiring wiringOf(const PinWeights& weights, const AxisInversion& invert, std::string_view stepsPerMmX,
                std::string_view stepsPerMmY, std::string_view stepsPerMmZ) {
    const auto value = [](const std::string& weight) { return wholeValue(leadingNumber(weight)); };
    Wiring w;
    w.xDir = value(weights.xDirWeight);
    w.xClock = value(weights.xClockWeight);
    w.yDir = value(weights.yDirWeight);
    w.yClock = value(weights.yClockWeight);
    w.zDir = value(weights.zDirWeight);
    w.zClock = value(weights.zClockWeight);
    w.invertX = invert.x;
    w.invertY = invert.y;
    w.invertZ = invert.z;
    w.stepsPerMmX = commaNumber(stepsPerMmX).value_or(0.0);
    w.stepsPerMmY = commaNumber(stepsPerMmY).value_or(0.0);
    w.stepsPerMmZ = commaNumber(stepsPerMmZ).value_or(0.0);
    return w;
}

}  // namespace tarvel
