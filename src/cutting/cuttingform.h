// The cutting window's working values ("Gestion de l'outil de découpe"): every field is
// the text as typed; each command converts the fields it reads with the rule it names.
// The Qt window only copies these in and out; every command works on this record.
#pragma once

#include <cstdint>
#include <string>

#include "common/paths.h"
#include "common/userdialogs.h"
#include "config/stepchannels.h"

namespace tarvel {

enum class JobFileKind { Object, Cutting };  // "Choisir un fichier d'objet (.FRA)" / "de découpe (.DEF)"

// The eight weights, copied from the configuration all at once, are the form's fields
// of the same names.
struct CuttingForm : PinWeights {
    // Fields saved in the details file (their order there: see JobParameters).
    std::string objectFile;          // "Choisir un fichier d'objet à découper (.FRA)"
    std::string jobName;             // cutting-file field: job name, or the .def path
    std::string scaleFactor = "1";   // "Facteur de multiplication de l'objet"
    std::string toolDescent;         // "Valeur de descente de l'outil en mm"
    std::string description = "Paramètres par défaut\r\n";  // "Bloc note"
    std::string cuttingFeed;         // "Vitesse d'avance outil dans la matière"
    std::string rapidFeed;           // "vitesse d'avance hors matière"
    std::string stepsPerMmX = "120", stepsPerMmY = "120", stepsPerMmZ = "120";
    // Fields copied from the configuration only.
    std::string speedCoefficient = "0,01";  // "Coefficient vitesse"
    std::string toolChangeClearance;        // "dégagement pour changement outil"
    std::string invertX, invertY, invertZ;  // "0" / "1" as decimal text; empty without configuration

    // Window values that are not fields.
    std::int16_t port = 0;  // 888 or 632 once a configuration was read; 0: none read
    bool configurationRead = false;
    double previewZoom = 0.5;
    // "Arrondi sans dérive": each point at the step nearest its own position, so the
    // rounding of one segment does not shift the next. A choice of this generation
    // only: the details file does not hold it.
    bool noDrift = false;
    JobFileKind fileKind = JobFileKind::Cutting;  // "*.DEF" at open
};

}  // namespace tarvel
