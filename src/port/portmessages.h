// The French texts of the port subsystem, in one place so that the windows and the
// command-line companion say the same thing.
#pragma once

#include <cmath>
#include <string>

#include "common/textrules.h"

#include "common/userdialogs.h"

namespace tarvel::portmessages {

// A step longer than a second: the machine would crawl and a stop by hand come too late.
inline Message stepTooLong(double seconds) {
    return {"Avec ce coefficient vitesse et cette vitesse, un pas durerait " + decimalText(std::round(seconds * 10) / 10) +
                " s (au plus 1 s). Vérifiez le coefficient vitesse (par exemple 0,02) : rien n'a été envoyé "
                "à la machine.",
            "Coefficient vitesse", Icon::Exclamation};
}
// The simulated machine met a mechanical stop: the tool did not go where the file says.
inline const Message kStepsLostAtStops{
    "Des pas ont été perdus : la machine simulée a refusé des pas en butée, la pièce ne suit pas le "
    "fichier de découpe. Vérifiez la position de départ, ou donnez sa course en mm par TARVEL_SIM_TRAVEL.",
    "Pas perdus", Icon::Exclamation};
// A write that did not reach the data lines: the machine is no longer where the program
// believes, so the motion stops there.
inline Message motionStoppedByPort(const std::string& reason) {
    return {"La machine ne reçoit plus les pas (" + reason +
                ") : le mouvement est arrêté. Vérifiez le câble et le port, puis refaites la prise d'origine.",
            "Port parallèle", Icon::Error};
}
// A coefficient of 0 or less would make every delay loop endless.
inline const Message kBadCoefficient{
    "Le coefficient vitesse doit être un nombre supérieur à 0 (par exemple 0,02).",
    "Coefficient vitesse", Icon::Exclamation};

// Descriptions of the backend that drives the machine (main window status bar).
inline const std::string kSimulated = "Machine simulée";
inline const std::string kSimulatedNoPort = "Machine simulée (aucun port parallèle disponible)";
inline const std::string kSimulatedForced = "Machine simulée (choisie par TARVEL_PORT=sim)";

// `why` is the port's own error, which names the device and the reason.
inline std::string simulatedBecause(const std::string& why) {
    return "Machine simulée (" + why + ")";
}

inline std::string ppdevPort(const std::string& devices) {
    return "Port parallèle " + devices + " (ppdev)";
}

inline std::string cannotOpen(const std::string& device, const std::string& reason) {
    return "Impossible d'ouvrir " + device + " : " + reason;
}

inline std::string cannotClaim(const std::string& device, const std::string& reason) {
    return "Impossible de réserver " + device + " : " + reason;
}

inline std::string writeFailed(const std::string& device, const std::string& reason) {
    return "Erreur d'écriture sur " + device + " : " + reason;
}

inline std::string readFailed(const std::string& device, const std::string& reason) {
    return "Erreur de lecture sur " + device + " : " + reason;
}

inline const std::string kNotAParport = "ce n'est pas un port parallèle";

// Why a port that is there cannot be taken: the two cases the user can put right.
inline const std::string kPortBusy = "occupé par un autre programme";
inline const std::string kPortAccessDenied = "accès refusé : ajoutez-vous au groupe lp";

// Told once at start when a parallel port is there but cannot be used: the program goes
// on with the simulated machine, and nothing it sends reaches the real one.
inline Message realPortNotUsed(const std::string& why) {
    return {"Le port parallèle ne peut pas être utilisé (" + why +
                "). La machine simulée commande à sa place : aucun mouvement n'atteindra la machine "
                "réelle. Corrigez la cause puis relancez Tarvel.",
            "Port parallèle", Icon::Exclamation};
}

inline std::string noDevice(int address) {
    return "Aucun port parallèle pour l'adresse " + std::to_string(address);
}

}  // namespace tarvel::portmessages
