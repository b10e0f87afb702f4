// One motor step on the port; the timing drawing is in emittick.h.
#include "port/emittick.h"

namespace tarvel {

namespace {

// Handlers that ran inside the yield may have asked the program to end.
bool yieldAndContinue(EventPump& pump) {
    pump.yield();
    return !pump.abortRequested();
}

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

    out.port.Write_Port_Bit(out.address, static_cast<std::int16_t>(dirOnly));
    if (afterFirstWrite) afterFirstWrite();
    // Playing a cutting file does not yield between the two writes: the CLOCK low time
    // stays one delay whatever the window system has to do.
    if (!cut && !yieldAndContinue(out.pump)) return false;
    delay(out);

    out.port.Write_Port_Bit(out.address, static_cast<std::int16_t>(full));
    if (!yieldAndContinue(out.pump)) return false;
    delay(out);

    if (cut && !yieldAndContinue(out.pump)) return false;
    return true;
}

}  // namespace tarvel
