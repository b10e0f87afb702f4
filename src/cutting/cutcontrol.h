// The state a running cut shares with the cut-in-progress window ("Découpe en cours").
//
// The window's buttons never act by themselves: each only sets its flag, and the cut
// tests the flags between ticks. The slider holds 100 minus the feed in force, and the
// cut reads it before every delay, so a moved slider acts at the next delay.
#pragma once

#include <cstdint>
#include <string>

namespace tarvel {

struct CutControlFlags {
    int stopRequested = 0;       // "Arret d'urgence"
    int pauseRequested = 0;      // "Pause"
    int resumeRequested = 0;     // "Reprise"
    int deeperRequested = 0;     // "+ profond"
    int shallowerRequested = 0;  // "- profond"
    int outOfMaterial = 1;       // set by the running cut only
};

struct CutControl {
    CutControlFlags flags;
    double liveCuttingFeed = 0;  // feeds 0..100 without unit; 100 means no delay
    double liveRapidFeed = 0;
    int slider = 0;              // 0..100, design value 0
    std::string speedLabel;      // shows 100 - slider; empty at design time

    void pressStop() { flags.stopRequested = 1; }
    void pressPause() { flags.pauseRequested = 1; }
    void pressResume() { flags.resumeRequested = 1; }
    void pressDeeper() { flags.deeperRequested = 1; }
    void pressShallower() { flags.shallowerRequested = 1; }

    // The slider's change rule, whether the user or the running cut moved it: the label
    // shows the feed, which becomes the feed of the current state (in or out of the
    // material).
    void setSlider(int value);

    // The run's first assignment, before anything is sent: the slider and its label show
    // the cutting feed, and neither live feed changes, whatever state the previous run
    // left `outOfMaterial` in (with 1 the change rule would overwrite the rapid feed).
    void presetSlider(int value);

    // Start of a run: requests left from an earlier run are forgotten. A stop is not
    // among them: only a run that ends on it clears it.
    void clearRunRequests();
};

// The cut-in-progress window's estimate, rounded to the second: "45 s", "3 min 07 s",
// "1 h 02 min 09 s".
std::string timeLeftText(std::uint64_t microseconds);
// Its line in the window: "Temps restant estimé : 3 min 07 s".
std::string estimatedTimeLeftLine(std::uint64_t microseconds);

}  // namespace tarvel
