// "Découper": playing a cutting file to the machine, tick by tick, while the
// cut-in-progress window ("Découpe en cours") can pause, stop, go 1 mm deeper or
// shallower and change the feed.
//
// One tick of the file (r is the record, the DIR mask keeps only the direction lines):
//
//   write r AND DIR mask ─ in-material test ─ delay ─ write r ─ yield ─ delay ─ yield
//                          (may switch feed)   ^V read here       ^V read again
//   then: pause?  yield, + profond?  yield, - profond?  stop?
//
// The in-material test runs before the tick's first delay, so a plunge runs at the
// cutting feed from its first step and a retreat at the rapid feed from its first step.
// The window's handlers run only inside the yields; they set flags and move the
// slider, and the loop reads them at its next test or delay.
//
// Z sense of a run (U raises the tool, D lowers it; Zmask = Z dir + Z clock weights):
//
//   sense       U        D        r enters the material when      r leaves it when
//   Normal      Z dir    0        r AND Zmask = Z clock           = Z dir + Z clock
//   Inverted    0        Z dir    r AND Zmask = Z dir + Z clock   = Z clock
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/eventpump.h"
#include "common/userdialogs.h"
#include "cutting/cutcontrol.h"
#include "cutting/cuttingform.h"
#include "port/parallelport.h"
#include "port/stepdelay.h"
#include "port/trackedport.h"

namespace tarvel {

// The cutting window holds two "Découper" commands and shows the one that matches its
// invertZ field.
enum class ZSense { Normal, Inverted };

// Inverted when the invertZ field readsAsOne, the command the window shows.
ZSense zSenseOf(const CuttingForm& form);

// What a simulated machine needs to decode the values, from the window's fields.
Wiring wiringOf(const CuttingForm& form);

// Ticks of a cutting file by the feed they run at. Only the run sets outOfMaterial,
// from the records alone, so the file tells exactly which tick runs at which feed.
struct TickCounts {
    std::uint64_t beforeFirstPlunge = 0;  // at the slider as the run set it at its start
    std::uint64_t inMaterial = 0;         // at the cutting feed
    std::uint64_t outOfMaterial = 0;      // at the rapid feed

    std::uint64_t total() const { return beforeFirstPlunge + inMaterial + outOfMaterial; }
};

// What a cutting file does, found in one pass over its records with the form's wiring
// and a Z sense: its ticks by feed, and the box the tool sweeps, in steps from the
// job's origin (where the tool stands when the run starts).
struct JobSurvey {
    TickCounts ticks;
    StepPosition low, high;
};

// Surveys the file named in the form's cutting-file field; a file that cannot be read
// or holds a record that is no port value gives the run's message for it.
std::optional<Message> surveyCutFile(const CuttingForm& form, ZSense sense, JobSurvey& survey);

// The delays of a whole run of these ticks at the form's feeds and coefficient, as the
// cut-in-progress window counts them (see CutProgress); none when a feed or the
// coefficient is not usable.
std::optional<std::uint64_t> estimatedRunMicroseconds(const TickCounts& ticks, const CuttingForm& form);

// "Travail : X de 0,00 à 373,20 mm, ... ; durée estimée 12 min 15 s", in the mm of the
// form's steps per mm.
std::string jobExtentLine(const JobSurvey& survey, const CuttingForm& form);

// Where the cut stands, for the cut-in-progress window.
//
// The time left is the sum of the delays still to come for the ticks not yet sent, at
// one microsecond per delay iteration (the program's busy wait): two delays per tick, of
// stepDelayCount(V, coefficient) each, where V is
//   - for ticks in the material: 100 - the cutting feed now in force;
//   - for ticks out of the material after the first plunge: 100 - the rapid feed;
//   - for ticks before the first plunge: the slider as it stands (the run starts with the
//     slider on the cutting feed and switches to the rapid feed only when it leaves).
// Which ticks are in the material is known exactly from the file, since the test reads
// only the records. Not counted: pauses, "+ profond" / "- profond" moves, port writes
// and the window system's time inside the yields; a feed changed later changes the
// estimate then.
struct CutProgress {
    std::uint64_t ticksDone = 0;   // ticks whose values have been written
    std::uint64_t totalTicks = 0;  // records of the cutting file
    std::uint64_t microsecondsLeft = 0;

    // 0 to 100, rounded down; 100 for an empty file.
    int percent() const;
};

// The windows a run shows, hides and updates. Every call does nothing by default, which
// is what the command-line companion wants; the Qt windows override what they show.
class CutRunView {
public:
    virtual ~CutRunView() = default;
    virtual void hideCuttingWindow() {}
    virtual void showCuttingWindow() {}
    virtual void showProgressWindow() {}
    virtual void hideProgressWindow() {}
    // The run is over: the cut-in-progress window goes, its slider back at its design value.
    virtual void closeProgressWindow() {}
    // The run moved the slider (CutControl::slider and speedLabel already hold the new
    // value): show it without applying the change rule a second time. The first call
    // comes before the checks, while no cut-in-progress window is shown; a window shown
    // later takes the slider and label from CutControl.
    virtual void sliderChanged(int /*value*/) {}
    // Once with 0 ticks done when the cut-in-progress window is shown, then as each tick
    // is sent; a window should only store the figures here and draw them when it gets to
    // run, inside the loop's yields.
    virtual void progress(const CutProgress& /*progress*/) {}
    // The run waits for "Reprise" with the tool raised (true), or goes on (false).
    virtual void pauseChanged(bool /*paused*/) {}
};

enum class CutRunEnd {
    Refused,   // a check failed: its message was shown, nothing sent, no window changed
    Declined,  // "Prêt pour la découpe ?" not answered Yes: nothing sent
    Finished,  // every record sent: "découpe terminée !"
    Stopped,   // "Arret d'urgence" (or a file that changed meanwhile): "Découpe arretée !"
    Aborted,   // the program is ending: left at once, no message, windows untouched
};

struct CutRunResult {
    CutRunEnd end = CutRunEnd::Refused;
    std::uint64_t totalTicks = 0;       // records found by the check of the file
    std::uint64_t ticksSent = 0;        // records whose values were written to the port
    std::uint64_t delayIterations = 0;  // every delay of the run, manual Z moves included
    std::optional<Message> problem;     // the message of a refusal or of a changed file
};

// Plays the cutting file named in the form's cutting-file field (jobName) to `port` at
// the form's port address, with the form's weights, clearance, steps per mm and
// coefficient as they stand at the start. Before the confirmation it checks, each
// failure showing its message and sending nothing: the field is not empty, the file
// exists, a configuration was read (form.port != 0), both feed fields read (comma rule)
// as numbers from 0 to 100, the coefficient is a number above 0, and every record of the
// file is a whole number from 0 to 255. At the end the live feeds are written back into
// the form's two feed fields.
//
// Every record is sent, the last one included: the last tick belongs to the return to the
// origin, so the tool ends where the file says, at the origin.
//
// Delays go through `waiter` (BusyWaiter in the program; CountingWaiter to count
// without waiting). After every yield, a pump that reports abortRequested() ends the
// run at once: no further write, no message.
CutRunResult runCutProgram(CuttingForm& form, CutControl& control, ZSense sense, ParallelPort& port,
                           UserDialogs& dialogs, EventPump& pump, DelayWaiter& waiter, CutRunView& view);

}  // namespace tarvel
