// One motor step, the same for every motion of the program: two writes of the whole
// data register, each followed by a counted delay.
//
//            write 1 (DIR only)        write 2 (DIR + CLOCK)
//  DIR   ____/‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾  settles a whole delay before the edge
//  CLOCK ______________________________/‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾  the driver steps on this rising edge
//            |<---- stepDelay ---->|    |<---- stepDelay ---->|
//
// After the step the CLOCK lines stay high until the next step writes its DIR-only value.
// Where the user interface gets to run differs by caller:
//
//   caller                         after write 1        after write 2
//   playing a cutting file         (in-material test)   yield, delay, yield
//   manual Z moves inside a cut    yield                yield, delay
//   manual jog and homing          yield                yield, delay
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "common/eventpump.h"
#include "config/stepchannels.h"
#include "port/parallelport.h"
#include "port/stepdelay.h"

namespace tarvel {

enum class TickPattern { CutProgram, CutManualZ, Manual };

// Where a step reads its speed: the slider value V and the coefficient c are read
// afresh before each delay, so a slider moved during a motion acts at the next delay.
class SpeedSource {
public:
    virtual ~SpeedSource() = default;
    virtual double sliderValue() = 0;
    virtual double coefficient() = 0;
};

struct StepOutput {
    ParallelPort& port;
    std::int16_t address;
    EventPump& pump;
    DelayWaiter& waiter;
    SpeedSource& speed;
};

// One step:
//   Manual, CutManualZ: write dirOnly, yield, delay, write full, yield, delay
//   CutProgram:         write dirOnly, afterFirstWrite, delay, write full, yield, delay, yield
// `afterFirstWrite` runs right after write 1 (the cut's in-material test); the manual
// patterns call it too when given, before their yield. V and c are read from the
// SpeedSource just before each delay. Returns false when the program is ending (the
// pump's abort request, checked after every yield) or a write failed (the port's
// failedWrites()): nothing more is written and the caller stops at once.
bool emitTick(StepOutput& out, int dirOnly, int full, TickPattern pattern,
              const std::function<void()>& afterFirstWrite = {});

// A weight, or a sum of weights, as the whole value it puts on the data lines. The
// weights come from text a person typed and may be anything, infinities included.
int wholeValue(double v);
// The steps a counted move of n makes: floor(n) when n >= 1, none otherwise.
std::uint64_t countedSteps(double n);

// What a simulated machine needs to decode a window's writes: the six axis weights read
// as every motion reads them (leading-number rule, whole values), the inversion flags,
// and the steps per mm by the comma rule, as the cutting file and the manual moves
// counted their steps (a field with no number gives 0: the machine keeps its value).
Wiring wiringOf(const PinWeights& weights, const AxisInversion& invert, std::string_view stepsPerMmX,
                std::string_view stepsPerMmY, std::string_view stepsPerMmZ);

}  // namespace tarvel
