// The configuration window ("Configuration de l'environnement ", `configuration`)
// without its widgets: the working values it shows and its commands. It is the only
// writer of tarvel1.cfg.
//
//   ConfigurationForm form = openConfigurationForm(paths.configFile(), dialogs);
//   changePin(form, StepChannel::XDir, "5", dialogs);   // on every keystroke in a pin field
//   if (saveConfigurationForm(form, paths.configFile(), dialogs)) { /* close the window */ }
//
// The window shows the settings from the steps per mm to the clearance and the eight
// pins of MachineConfig as typed text, and the "Inverser le sens" boxes as its flags.
// The weights are held but not shown: each follows its pin as the user types it.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "common/userdialogs.h"
#include "config/machineconfig.h"

namespace tarvel {

struct ConfigurationForm {
    MachineConfig values;  // every field; invertX/Y/Z are the boxes
};

// Opening: reads the file (missing or short is not reported: absent fields count as
// empty), fills each pin and so recomputes its weight, then puts the default into every
// empty field but the weights. A pin outside 2 to 9 in the file gets the pin message,
// as it would when typed.
ConfigurationForm openConfigurationForm(const std::string& configFile, UserDialogs& dialogs);

// A pin field changed (every keystroke): its weight follows. Pins 2 to 9 give 1 to 128;
// an empty or non-numeric text gives "1" silently; any other number shows "les pinoches
// de sorties sont la 2,3,4,5,6,7,8 ou 9", then the pin becomes "2" (weight "1").
// False when the text was refused and replaced by "2".
bool changePin(ConfigurationForm& form, StepChannel channel, std::string_view text, UserDialogs& dialogs);

// "Sauvegarder la configuration et fermer la page ": refuses empty steps per mm
// ("Saisie incomplete ?") and text holding a double quote (the file could not hold it),
// applies the decimal-point rule to the three steps-per-mm fields (the window shows the
// result) and to the coefficient as written, and replaces the file. True when written:
// the window then closes. False after a message: nothing written, the old file intact.
bool saveConfigurationForm(ConfigurationForm& form, const std::string& configFile, UserDialogs& dialogs);

namespace config_messages {
inline const Message kQuoteInField{
    "Le caractère \" (guillemet) ne peut pas être enregistré dans la configuration. "
    "Retirez-le du champ puis sauvegardez de nouveau.",
    "Saisie", Icon::Exclamation};
}  // namespace config_messages

}  // namespace tarvel
