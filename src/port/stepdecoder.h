// What a write of the data register does to the motors, for every part of the program
// that follows the machine from the values it is sent (the simulated machine, the
// commanded position, the extent of a cutting file):
//   - an axis steps when its CLOCK bit rises from 0 (previous value) to 1 (this value);
//   - it moves towards larger coordinates when (DIR level XOR "Inverser le sens") is 0,
//     towards smaller ones when it is 1.
// A weight of 0 (an unwired signal) never reads high, so its axis never steps.
#pragma once

#include "port/parallelport.h"

namespace tarvel {

// -1, 0 or +1 per axis.
struct AxisSteps {
    int x = 0, y = 0, z = 0;
};

AxisSteps decodeSteps(const Wiring& wiring, int previous, int value);

// Steps per mm come from text the user typed; a value that is not a positive number
// keeps the one in force, so that positions in mm stay finite.
double usableStepsPerMm(double wanted, double current);
// The wiring with each unusable steps per mm replaced by the one of `current`.
Wiring usableWiring(const Wiring& wanted, const Wiring& current);

}  // namespace tarvel
