// Moving the machine by hand: the six arrows of "Manettes virtuelles" and homing
// ("A la niche"). Every step is emitTick's manual pattern with the window's slider and
// coefficient read afresh before each delay:
//
//   write B (DIR, CLOCK low) ─ yield ─ delay ─ write A = B + CLOCK ─ yield ─ delay
//
// For one axis with DIR weight d and CLOCK weight c: DIR high gives B = d, A = d + c;
// DIR low gives B = 0, A = c. The other axes' lines are driven low during the move, and
// after the last step CLOCK stays high until the next write.
//
// Homing, the DIR levels for a configuration "Inverser le sens" flag of 0 (1 swaps them):
//
//   phase  axis  DIR   switch read after each step     ends when
//   1      Z     high  Read_Select  pin 13 clearance   it reads 0 (at least one step)
//   2      X     high  Read_Busy    pin 11 X home  ┐   both read 0; each pass reads X
//          Y     high  Read_Pe      pin 12 Y home  ┘   then Y, stepping an axis reading 1
//   3      Z     low   Read_Error   pin 15 Z home      it reads 0 (at least one step)
//   4      Z     high  none                            tool descent x Z steps per mm
//
// A switch that never reads 0 would keep its axis running: each searching phase gives up
// after kHomingTravelMm of its axis, says so and moves nothing more. "Arrêter" ends any
// manual motion after the step or read in progress. Commands pressed meanwhile run to
// their end inside the running motion's yields, which then resumes.
#pragma once

#include <string>

#include "common/eventpump.h"
#include "common/userdialogs.h"
#include "manual/manualform.h"
#include "port/parallelport.h"
#include "port/stepdelay.h"
#include "port/trackedport.h"

namespace tarvel {

// Longer than any hobby machine's axis: a switch not reached within this travel is not
// going to be reached.
inline constexpr double kHomingTravelMm = 2000;

enum class JogArrow {
    XRight,  // Command10: DIR high unless the X arrows are inverted
    XLeft,   // Command11: DIR low
    YRight,  // Command6:  DIR high
    YLeft,   // Command7:  DIR low
    ZUp,     // Command8:  DIR low
    ZDown,   // Command9:  DIR high
};

// How a manual motion ended.
enum class MotionEnd {
    Done,
    Refused,         // nothing written: no configuration read, or a field that is no usable number
    Stopped,         // "Arrêter"
    Aborted,         // the program is ending; nothing more is written or said
    SwitchNotFound,  // homing ran its travel bound
    PortFailed,      // a write did not reach the port; said in French
};

// Where a manual motion goes: the port and the window system, from the window.
struct ManualMachine {
    ParallelPort& port;
    EventPump& pump;
    DelayWaiter& waiter;
    UserDialogs& dialogs;
    // The commanded position, back to 0, 0, 0 when a homing ends at its reference.
    TrackedPort* position = nullptr;
};

// One arrow: floor(distance x steps per mm) steps of the arrow's axis. Refused before
// any write, with a message, when the axis's steps per mm is not a number above 0 or
// the coefficient not a number above 0; refused silently when no configuration was read
// (the window said so when it opened).
MotionEnd jog(ManualForm& form, JogArrow arrow, ManualMachine& machine);

// "A la niche": the four phases above. Refused like jog, checking the three steps per
// mm (they set the travel bounds). A bound reached or a stop is told in French. Ended
// with its four phases done, it makes where it stands the commanded position's 0, 0, 0.
MotionEnd home(ManualForm& form, ManualMachine& machine);

// Which way an arrow moves its axis in the cutting files' coordinates: +1 towards larger
// coordinates (for Z, deeper into the material), -1 towards smaller. The arrow's DIR level
// comes from the table jog uses; the machine turns the axis as the cutting files do, DIR
// low after the configuration's "Inverser le sens" flag meaning larger coordinates.
int arrowSense(const ManualForm& form, JogArrow arrow);

// What the window shows in the box of an arrow's axis: which way its two arrows go and,
// when the arrow pointing right, away or up (→, ↗, ↑) moves towards smaller coordinates
// or into the material, a warning naming the "Inversion du sens des flèches" box to
// change. The warning is empty when the arrows follow their glyphs.
struct AxisArrowsText {
    std::string sense;
    std::string warning;
};
AxisArrowsText axisArrowsText(const ManualForm& form, JogArrow arrow);

// The status the window shows once homing has ended; empty when it ended without moving
// (refused, with its message) or because the program is ending.
std::string homingStatus(MotionEnd end);

// "Arrêter".
inline void requestStop(ManualForm& form) { ++form.stopRequests; }

}  // namespace tarvel
