// The manual-control window's working values ("Manettes virtuelles", form5) and its
// opening and "quitter" commands. The Qt window keeps one ManualForm up to date as the
// user types and moves the slider, so that a running motion reads the slider and the
// coefficient as they stand before each delay.
//
// Copied from the configuration when the window is created, never written back: the
// steps per mm, the speed coefficient, the tool descent, the port, the eight weights and
// the "Inverser le sens" flags.
// The arrows obey only the JogSettings flags; homing obeys only the configuration's.
#pragma once

#include <cstdint>
#include <string>

#include "common/paths.h"
#include "common/userdialogs.h"
#include "config/stepchannels.h"
#include "manual/jogsettings.h"

namespace tarvel {

// The weights are the form's fields of the same names (the spare pair is never used).
struct ManualForm : PinWeights {
    // Shown and editable. Steps per mm and the coefficient are read by the comma rule,
    // the distance by the leading-number rule (2,5 moves 2 mm, empty moves nothing).
    std::string stepsPerMmX = "120", stepsPerMmY = "120", stepsPerMmZ = "120";  // "Paramètre machine, nombre de pas /mm"
    std::string speedCoefficient = "0,01";                                       // "coefficient vitesse"
    std::string moveDistanceMm = "1";                                            // "mm à déplacer"
    int delaySetting = 20;                                                       // "reglage vitesse", 1 to 100
    JogSettings arrows;                                                          // "Inversion du sens des flèches"

    // Not shown. Weights are read by the leading-number rule; empty reads as 0.
    std::string toolDescentZ;  // homing's last phase, leading-number rule
    bool invertX = false, invertY = false, invertZ = false;
    std::int16_t port = 0;  // 888 or 632 once a configuration was read; 0: none, no motion

    // "Arrêter": every press stops the manual motions running at that moment, nested
    // ones included; a motion started later is not affected. A stop is reported once.
    std::uint64_t stopRequests = 0;
    std::uint64_t stopsReported = 0;

    // The number beside the slider: it grows as the machine gets faster.
    int speedDisplay() const { return 100 - delaySetting; }
    bool configurationRead() const { return port != 0; }
};

// Opening (first creation of the window). Without tarvel1.cfg: "Veuillez configurer
// sinon ... ", and the design values stay (no port, arrows uninverted). Otherwise the
// configuration's fields, then tarvelman.cfg, created as "0","0","0" when missing.
void openManualWindow(ManualForm& form, UserDialogs& dialogs, const Paths& paths);

// "quitter", first step: tarvelman.cfg written anew from the check boxes. False, after
// a French message, when it could not be: the file keeps the previous settings. The
// window hides and the cutting window comes back either way.
bool saveArrowSettings(const ManualForm& form, UserDialogs& dialogs, const Paths& paths);

}  // namespace tarvel
