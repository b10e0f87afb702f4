// The decoding of the data lines; the rule is in stepdecoder.h.
#include "port/stepdecoder.h"

#include <cmath>

namespace tarvel {

namespace {

bool high(int value, int weight) { return (value & weight) != 0; }

int stepOf(int previous, int value, int clock, int dir, bool invert) {
    if (!high(value, clock) || high(previous, clock)) return 0;
    return (high(value, dir) != invert) ? -1 : 1;
}

}  // namespace

AxisSteps decodeSteps(const Wiring& w, int previous, int value) {
    return {stepOf(previous, value, w.xClock, w.xDir, w.invertX), stepOf(previous, value, w.yClock, w.yDir, w.invertY),
            stepOf(previous, value, w.zClock, w.zDir, w.invertZ)};
}

double usableStepsPerMm(double wanted, double current) {
    return (wanted > 0.0 && std::isfinite(wanted)) ? wanted : current;
}

Wiring usableWiring(const Wiring& wanted, const Wiring& current) {
    Wiring w = wanted;
    w.stepsPerMmX = usableStepsPerMm(w.stepsPerMmX, current.stepsPerMmX);
    w.stepsPerMmY = usableStepsPerMm(w.stepsPerMmY, current.stepsPerMmY);
    w.stepsPerMmZ = usableStepsPerMm(w.stepsPerMmZ, current.stepsPerMmZ);
    return w;
}

}  // namespace tarvel
