// The French texts of manual control ("Manettes virtuelles"): jogging, homing and the
// arrow settings file, in one place so that the window and its tests say the same thing.
#pragma once

#include <string>
#include <string_view>

#include "common/textrules.h"
#include "common/userdialogs.h"

namespace tarvel::manual_messages {

inline const std::string kTitle = "Manettes virtuelles";
inline const std::string kHomingTitle = "A la niche";

// The switches homing looks for, as its messages name them.
inline constexpr std::string_view kXHomeSwitch = "Pin 11 point 0 axe X";
inline constexpr std::string_view kYHomeSwitch = "Pin 12 point 0 axe Y";
inline constexpr std::string_view kZClearanceSwitch = "Pin 13 dégagement axe Z";
inline constexpr std::string_view kZHomeSwitch = "Pin 15 point 0 axe Z";

// A steps-per-mm field that cannot drive a move: nothing is written to the port.
inline Message stepsPerMmNotUsable(std::string_view axis, std::string_view typed) {
    const std::string field = "Le nombre de pas par mm de l'axe " + std::string(axis);
    if (typed.empty()) return {field + " n'est pas saisi : aucun mouvement n'a été fait.", kTitle, Icon::Exclamation};
    return {field + " (« " + excerpt(typed) +
                " ») doit être un nombre supérieur à 0, avec la virgule comme séparateur décimal "
                "(par exemple 12,5) : aucun mouvement n'a été fait.",
            kTitle, Icon::Exclamation};
}

// Homing ran its whole travel bound without the switch reading 0: nothing moves any more.
inline Message switchNotReached(std::string_view switchCaption, double travelMm) {
    return {"Origine machine non trouvée : le contact « " + std::string(switchCaption) +
                " » n'a pas été atteint après " + decimalText(travelMm) +
                " mm. Vérifiez le câblage et le contact, puis relancez « A la niche ».",
            kHomingTitle, Icon::Exclamation};
}

// "Arrêter" pressed while homing: the machine stands wherever it was.
inline const Message kHomingStopped{
    "Retour à l'origine arrêté : la machine n'est pas à son origine. Relancez « A la niche » avant de découper.",
    kHomingTitle, Icon::Exclamation};

// tarvelman.cfg could not be written by "quitter": the arrows keep their settings until the
// program ends, the file keeps the previous ones.
inline Message jogSettingsNotSaved(std::string_view reason) {
    return {"Le sens des flèches n'a pas pu être enregistré dans tarvelman.cfg. " + std::string(reason) +
                " Les cases cochées restent valables jusqu'à la fin du programme ; le fichier garde "
                "les réglages précédents.",
            kTitle, Icon::Exclamation};
}

// tarvelman.cfg was missing and could not be created: the arrows start uninverted.
inline Message jogSettingsNotCreated(std::string_view reason) {
    return {"Le fichier tarvelman.cfg (sens des flèches) n'a pas pu être créé. " + std::string(reason) +
                " Les flèches gardent leur sens normal.",
            kTitle, Icon::Exclamation};
}

// Beside the arrows, in the cutting files' coordinates: "→ : X augmente",
// "↑ : Z diminue (sort de la matière)".
inline std::string arrowSenseLine(std::string_view glyph, std::string_view axis, bool grows, bool isZ) {
    std::string line = std::string(glyph) + " : " + std::string(axis) + (grows ? " augmente" : " diminue");
    if (isZ) line += grows ? " (entre dans la matière)" : " (sort de la matière)";
    return line;
}

// An arrow that moves against its glyph, and the box that turns it round.
inline std::string arrowsAgainstGlyph(std::string_view glyph, std::string_view axis, bool boxTicked, bool isZ) {
    const std::string g(glyph), a(axis);
    const std::string what = isZ ? g + " enfonce l'outil dans la matière. " : g + " diminue " + a + ". ";
    const std::string wish = isZ ? g + " sorte l'outil de la matière." : g + " augmente " + a + ".";
    return what + (boxTicked ? "Décochez" : "Cochez") + " « " + a + " » dans « Inversion du sens des flèches » pour que " +
           wish;
}

// How homing ended, shown in the window under its command.
inline const std::string kHomingRunningStatus = "Prise d'origine en cours…";
inline const std::string kHomingDoneStatus = "Prise d'origine terminée.";
inline const std::string kHomingStoppedStatus = "Prise d'origine arrêtée : la machine n'est pas à son origine.";
inline const std::string kHomingSwitchNotFoundStatus = "Prise d'origine interrompue : un contact n'a pas été trouvé.";
inline const std::string kHomingPortFailedStatus = "Prise d'origine interrompue : le port ne reçoit plus les pas.";

}  // namespace tarvel::manual_messages
