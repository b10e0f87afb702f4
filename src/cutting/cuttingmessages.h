// Every message of the cutting job, in one table, so that the windows and tarvel-cli
// say the same thing. Texts, titles and icons of the program's own messages are kept
// exactly as the program has always shown them (spelling included).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/textrules.h"
#include "common/userdialogs.h"
#include "cutting/cutcontrol.h"
#include "port/trackedport.h"

namespace tarvel::cutting_messages {

// ---------------------------------------------------------------------------------
// Creating a cutting job: "Créer fichier fraisage (DEF)" and "Enregistrer un fichier".
// The eight checks, in the order they are made.
inline const Message kJobNameHasExtension{"Ne pas mettre d'extension au nom de fichier", "Nom fichier ",
                                          Icon::Question};
inline const Message kDescriptionEmpty{"Descriptif vide ?", "descriptif", Icon::Exclamation};
inline const Message kObjectFileEmpty{"Saisie du nom de fichier des coordonnées ?", "Nom fichier ?",
                                      Icon::Question};
inline const Message kJobNameEmpty{"Saisie du nom de fichier de decoupe ?", "Nom fichier ?", Icon::Question};
inline const Message kSameFileNames{"les noms de fichiers doivent être differents !", "Nom fichier ?",
                                    Icon::Error};
inline const Message kToolDescentEmpty{"Saisie de la valeur de descente d'outil ?", "Nom fichier ?",
                                       Icon::Question};
inline const Message kScaleFactorEmpty{"Saisie incomplete ?", "Saisie", Icon::Error};
inline const Message kJobNameUsed{"Nom de fichier découpe deja utilisé !", "Nom", Icon::Error};
// The program has always shown its success with the error icon.
inline const Message kCutProgramCreated{"Fichier découpe créé avec succés", "Découpe", Icon::Error};

// Fields that cannot be read as the numbers the generation needs: nothing is written.
inline Message stepsPerMmNotNumber(std::string_view axis, std::string_view typed) {
    std::string field = "Le nombre de pas par mm de l'axe " + std::string(axis);
    if (typed.empty()) return {field + " n'est pas saisi.", "Mauvaise saisie !", Icon::Error};
    return {field + " (« " + excerpt(typed) +
                " ») n'est pas un nombre. Utilisez la virgule comme séparateur décimal, par exemple 12,5.",
            "Mauvaise saisie !", Icon::Error};
}
inline Message channelWeightNotWhole(std::string_view channel, std::string_view typed) {
    return {"La valeur de la sortie " + std::string(channel) + " (« " + excerpt(typed) +
                " ») doit être un nombre entier positif. Vérifiez la configuration de la machine.",
            "Mauvaise saisie !", Icon::Error};
}

// A failure after the checks: the job's files are removed and the user is told why.
inline Message generationFailed(std::string_view reason) {
    return {"La création du fichier découpe a échoué : " + std::string(reason) +
                " Aucun fichier de découpe ni de détails n'a été gardé.",
            "Découpe", Icon::Error};
}
// What stops a generation midway, each said through generationFailed.
inline Message objectFileUnreadable(std::string_view path) {
    return generationFailed("le fichier objet " + std::string(path) + " est introuvable ou illisible.");
}
inline Message objectLineIncomplete(std::string_view path, std::int64_t line) {
    return generationFailed("dans le fichier objet " + std::string(path) + ", la ligne " + integerText(line) +
                            " ne contient pas les trois valeurs X, Y, Z.");
}
inline Message objectValueNotNumber(std::string_view path, std::int64_t line, std::string_view column,
                                    std::string_view text) {
    return generationFailed("dans le fichier objet " + std::string(path) + ", ligne " + integerText(line) +
                            ", la valeur " + std::string(column) + " « " + excerpt(text) +
                            " » n'est pas un nombre (écrivez par exemple 12,5).");
}
inline Message objectValueTooLarge(std::string_view path, std::int64_t line) {
    return generationFailed("dans le fichier objet " + std::string(path) + ", ligne " + integerText(line) +
                            ", le point donne un nombre de pas trop grand.");
}
inline Message scratchFileUnreadable(std::string_view path, std::int64_t line) {
    return generationFailed("le fichier de travail " + std::string(path) + " est illisible à la ligne " +
                            integerText(line) + ".");
}

// ---------------------------------------------------------------------------------
// Cutting files read back (.def).
inline Message cutFileLineNotInteger(std::string_view path, std::int64_t line, std::string_view text) {
    return {"Le fichier découpe " + std::string(path) + " est illisible : la ligne " + integerText(line) +
                " (« " + excerpt(text) + " ») n'est pas un nombre entier.",
            "Mauvaise saisie !", Icon::Error};
}
inline Message cutFileReadError(std::string_view path) {
    return {"Le fichier découpe " + std::string(path) + " n'a pas pu être lu jusqu'au bout.",
            "Mauvaise saisie !", Icon::Error};
}

// ---------------------------------------------------------------------------------
// The cutting window ("Gestion de l'outil de découpe").
// "Charger fichier fraisage(.DEF)", in the order of its checks.
inline const Message kLoadNameEmpty{"Saisie nom du fichier de découpe ?", "Nom fichier ?", Icon::Question};
inline const Message kLoadFileNotFound{"Fichier introuvable !", "Nom fichier ?", Icon::Error};
inline const Message kLoadNotCuttingFile{"choisir un fichier de découpe valide", "Nom fichier ?",
                                         Icon::Question};
// The details file of a cutting file could not be used: the fields stay as they were.
inline Message detailsFileMissing(std::string_view path) {
    return {"Le fichier de détails " + std::string(path) +
                " est introuvable : les paramètres affichés n'ont pas été changés.",
            "Fichier de détails", Icon::Exclamation};
}
inline Message detailsFileUnreadable(std::string_view path) {
    return {"Le fichier de détails " + std::string(path) +
                " est illisible (il doit contenir dix champs) : les paramètres affichés n'ont pas été changés.",
            "Fichier de détails", Icon::Exclamation};
}

// "Modifier le fichier de détails".
inline const Message kRewriteNameEmpty{
    "Saisir ou choisir d'abord le fichier de découpe dont il faut modifier les détails.", "Nom fichier ?",
    Icon::Question};
inline Message detailsWriteFailed(std::string_view reason) {
    return {"Le fichier de détails n'a pas pu être écrit. " + std::string(reason), "Fichier de détails",
            Icon::Error};
}

// "ziper un def".
inline const Message kPackNameEmpty{"Saisir ou choisir d'abord le fichier de découpe à compresser.",
                                    "Nom fichier ?", Icon::Question};
inline Message packSourceMissing(std::string_view path) {
    return {"Le fichier de découpe " + std::string(path) + " est introuvable : rien n'a été compressé.",
            "Nom fichier ?", Icon::Error};
}
inline Message packSourceEmpty(std::string_view path) {
    return {"Le fichier de découpe " + std::string(path) + " est vide : rien n'a été compressé.",
            "ziper un def", Icon::Exclamation};
}
inline Message packTargetIsSource(std::string_view path) {
    return {"Le fichier " + std::string(path) +
                " serait remplacé par sa propre copie compressée : rien n'a été compressé.",
            "ziper un def", Icon::Exclamation};
}
inline Message packWriteFailed(std::string_view reason) {
    return {"Le fichier compressé n'a pas pu être écrit. " + std::string(reason), "ziper un def", Icon::Error};
}

// The preview: the drawing would leave the picture area's range at this zoom.
inline const Message kPreviewOverflow{"faire un zoom + petit (zoom-)!", "Mauvaise saisie !", Icon::Error};

// ---------------------------------------------------------------------------------
// Playing a cutting file: "Découper" and the cut in progress.
// The program's own messages; each is an error box unless its icon says otherwise.
inline const Message kCutNameEmpty{"Saisie nom du fichier de découpe ?", "Nom fichier ?", Icon::Error};
inline const Message kCutFileNotFound{"Fichier introuvable !", "Nom fichier ?", Icon::Error};
inline const Message kCutConfirm{"Prêt pour la découpe ?", "Découpe", Icon::Error};  // Yes / No, No first
inline const Message kCutPaused{"Pause !", "Découpe interrompue", Icon::Error};
inline const Message kCutStopped{"Découpe arretée !", "Découpe", Icon::Error};
inline const Message kCutFinished{"découpe terminée !", "Découpe", Icon::Error};

// The cutting window's status once a run is over: where the tool stands, from the
// position it started at.
inline std::string runEndPosition(bool stopped, const MmPosition& fromOrigin) {
    return std::string(stopped ? "Découpe arrêtée" : "Fin de la découpe") + " : l'outil est à X " +
           millimetreText(fromOrigin.x) + " mm, Y " + millimetreText(fromOrigin.y) + " mm, Z " +
           millimetreText(fromOrigin.z) + " mm de l'origine du travail.";
}

// What a cutting file will do, shown before "Découper"; no duration when the feeds or
// the coefficient cannot be read.
inline std::string jobExtent(const MmPosition& low, const MmPosition& high, std::optional<std::uint64_t> microseconds) {
    auto range = [](const char* axis, double from, double to) {
        return std::string(axis) + " de " + millimetreText(from) + " à " + millimetreText(to) + " mm";
    };
    std::string line = "Travail : " + range("X", low.x, high.x) + ", " + range("Y", low.y, high.y) + ", " +
                       range("Z", low.z, high.z);
    if (microseconds) line += " ; durée estimée " + timeLeftText(*microseconds);
    return line;
}

// Checks made before the confirmation, so that nothing is ever sent from a file or a
// window the run could not carry through.
// Without a configuration the channel weights are empty and every value would go to
// the wrong pins.
inline const Message kCutNoConfiguration{"Aucune configuration : configurez la machine avant de découper.",
                                         "aller en page configuration !!!", Icon::Exclamation};
inline Message cutFileUnreadable(std::string_view path) {
    return {"Le fichier de découpe " + std::string(path) +
                " n'a pas pu être lu jusqu'au bout. Rien n'a été envoyé à la machine.",
            "Fichier de découpe", Icon::Error};
}
// A long line is cut short: what matters is where it is.
inline std::string cutRecordExcerpt(std::string_view text) { return "« " + excerpt(text) + " »"; }
// Pins shared by two signals add up, so a generated file can hold values above 255.
inline Message cutRecordNotPortValue(std::int64_t line, std::string_view text) {
    return {"Ligne " + integerText(line) + " du fichier de découpe : " + cutRecordExcerpt(text) +
                " n'est pas un nombre entier de 0 à 255. Rien n'a été envoyé à la machine.",
            "Fichier de découpe", Icon::Error};
}
// Found while cutting: what the run reads no longer matches what it checked.
inline const Message kCutFileChangedDuringRun{
    "Le fichier de découpe a changé pendant la découpe, qui s'arrête ici.", "Fichier de découpe", Icon::Error};
// `field` is the caption of the feed field in the cutting window.
inline Message cutFeedOutOfRange(std::string_view field, std::string_view text) {
    return {"« " + std::string(field) + " » doit être un nombre de 0 à 100 (saisi : " +
                cutRecordExcerpt(text) + "). Rien n'a été envoyé à la machine.",
            "Mauvaise saisie !", Icon::Exclamation};
}
inline constexpr std::string_view kCuttingFeedCaption = "Vitesse d'avance outil dans la matière";
inline constexpr std::string_view kRapidFeedCaption = "vitesse d'avance hors matière";

// The file dialogs of the menu commands that open a file and save a cutting file.
inline const std::string kOpenFileTitle = "Ouvrir un fichier";
inline const std::string kOpenFileFilter = "Fichiers objet et découpe (*.fra *.def);;Tous les fichiers (*)";
inline const std::string kSaveFileTitle = "Enregistrer un fichier";
inline const std::string kSaveFileFilter = "Fichiers découpe (*.def)";

// ---------------------------------------------------------------------------------
// A generation's own safeguards: fields the details file cannot hold, an object row
// that is no tool state, a job too long or too large for its disk, a cancelled run.
// The details file quotes its fields without escaping: a quote would end one early.
inline Message fieldHoldsQuote(std::string_view field) {
    return {"Le champ « " + std::string(field) +
                " » contient un guillemet (\") que le fichier de détails ne peut pas enregistrer. "
                "Retirez-le puis recommencez.",
            "Mauvaise saisie !", Icon::Exclamation};
}
inline Message fieldCharacterNotWritable(std::string_view field, std::string_view character) {
    return {"Le caractère « " + std::string(character) + " » du champ « " + std::string(field) +
                " » ne peut pas être enregistré dans le fichier de détails (jeu de caractères "
                "Windows-1252). Retirez-le puis recommencez.",
            "Mauvaise saisie !", Icon::Exclamation};
}
inline Message objectZNotToolState(std::string_view path, std::int64_t line, std::string_view text) {
    return generationFailed("dans le fichier objet " + std::string(path) + ", ligne " + integerText(line) +
                            ", la valeur Z « " + std::string(text) +
                            " » n'est ni 0 (outil levé) ni 1 (outil dans la matière).");
}
// Sizes as a person reads them: "12,3 Go", "450,0 Mo".
inline std::string sizeText(std::uint64_t bytes) {
    const bool giga = bytes >= 1000000000u;
    const std::uint64_t tenths = (bytes + (giga ? 50000000u : 50000u)) / (giga ? 100000000u : 100000u);
    return integerText(static_cast<std::int64_t>(tenths / 10)) + "," +
           integerText(static_cast<std::int64_t>(tenths % 10)) + (giga ? " Go" : " Mo");
}
inline constexpr std::uint64_t kMostTicks = 2000000000u;
inline Message jobTooLong(std::uint64_t ticks, std::uint64_t bytes) {
    return generationFailed("le fichier découpe compterait " + integerText(static_cast<std::int64_t>(ticks)) +
                            " pas (environ " + sizeText(bytes) + "), plus que la limite de " +
                            integerText(static_cast<std::int64_t>(kMostTicks)) +
                            " pas. Vérifiez les coordonnées de l'objet, le facteur de multiplication "
                            "et les nombres de pas par mm.");
}
inline Message jobDoesNotFit(std::uint64_t ticks, std::uint64_t needed, std::string_view folder,
                             std::uint64_t available) {
    return generationFailed("le fichier découpe compterait " + integerText(static_cast<std::int64_t>(ticks)) +
                            " pas et demanderait environ " + sizeText(needed) + " dans le dossier " +
                            std::string(folder) + ", qui n'a que " + sizeText(available) + " de libres.");
}
inline const Message kNoPrivateScratchFolder = generationFailed(
    "aucun dossier de travail privé n'a pu être créé (dossier temporaire, $XDG_RUNTIME_DIR ou ~/.cache).");
inline const Message kGenerationCancelled{"Création du fichier découpe annulée : aucun fichier n'a été gardé.",
                                          "Découpe", Icon::Exclamation};

}  // namespace tarvel::cutting_messages
