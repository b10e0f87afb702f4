// The French texts of the drawing window and of the object file, in one place so that
// the window and the command-line companion say the same thing. Every one is an error
// box with a single button.
#pragma once

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/textrules.h"
#include "common/userdialogs.h"

namespace tarvel::drawingmessages {

// Loading and saving an object file.
inline const Message kNoFileName{"Nom du fichier ?", "Saisie incomplette !", Icon::Error};
inline const Message kFileNotFound{"Fichier introuvable !", "Mauvaise saisie !", Icon::Error};
inline const Message kIncompatibleFra{
    "Saisie incompatible! Le fichier FRA choisi n'est pas utilisable.", "Mauvaise saisie !",
    Icon::Error};
inline const Message kNoExtension{"Ne pas mettre d'extension au fichier", "essaie encore",
                                  Icon::Error};
inline const Message kNameInUse{"Nom deja utilisé ", "Mauvaise saisie !", Icon::Error};
inline const Message kColumnLengths{"Nombre de X <> Y<> Z ", "Mauvaise saisie !", Icon::Error};
inline const Message kWriteError{
    "Une erreur est survenue pendant la création du fichier reportez vous à la notice "
    "d'utilisation",
    "Mauvaise saisie !", Icon::Error};

// Menu "Ouvrir un fichier": no file chosen, or a name that does not end in "fra".
inline const Message kActionCancelled{"action annulée.", "Mauvaise saisie !", Icon::Error};

// The Y edit's input box (Enter in the Y list).
inline const Message kEditY{"Nouvelle valeur", "Modification", Icon::Question};

// --- Cut order and entry points --------------------------------------------------------

// Double click on the entry-mark list on a "D" or "F" row.
inline const Message kEntryOutsideMaterial{
    "Ne pas mettre de point d'entrée hors de la matière (quand les coordonnées Z sont à 0)",
    "essaie encore", Icon::Error};
// "Réorganisation coupes" that could not give every cut one entry point.
inline const Message kCutCountMismatch{
    "le nombre de découpes est incompatible avec le fichier d'origine", "Mauvaise saisie !",
    Icon::Error};
// "Valider" in the entry-point window with an order number that is not a number.
inline const Message kOrderNumberNotANumber{
    "Le numéro d'ordre de la découpe doit être un nombre : 1 pour la première découpe, 2 pour "
    "la suivante...",
    "essaie encore", Icon::Error};

// The drawing window's status line after "Réorganisation coupes".
inline const std::string kOrderKept = "Réorganisation refusée : les coupes gardent leur ordre.";
inline std::string cutsReordered(std::size_t cuts) {
    return cuts == 1 ? "1 coupe réorganisée." : std::to_string(cuts) + " coupes réorganisées.";
}

// The open dialog of menu "Ouvrir un fichier".
inline const FileChoice kOpenFraChoice{"Ouvrir un fichier", "", "Fichiers FRA (*.fra)"};

// --- The view, and the window's file commands ------------------------------------------
// (the confirmations and the input box below are questions, not error boxes)

// A zoom or scroll redraw with X and Y lists of different lengths.
inline const Message kViewListLengths{
    "Vérifier que les deux listes comtiennent le même nombre de coordonnées", "Défaut",
    Icon::Exclamation};
// A redraw that could not draw: no object, a coordinate that is not a number.
inline const Message kChooseFile{"Choisir un fichier!", "Mauvaise saisie !", Icon::Error};
// A list-click redraw whose points land too far: the zoom is halved.
inline const Message kZoomOverflow{"faire un zoom + petit (zoom-)!", "Mauvaise saisie !",
                                   Icon::Error};

// "Effacer" and "Renommer".
inline const Message kNothingToDelete{
    "je ne peux pas effacer de fichier si aucun fichier n'est sélectionné", "essaie encore",
    Icon::Error};
inline const Message kConfirmDelete{"Confirmer effacer ?", "Effacer", Icon::Question};
inline const Message kNothingToRename{
    "je ne peux pas renommer un fichier s'il n'est pas selectionné", "essaie encore", Icon::Error};
inline const Message kAskNewName{"nouveau nom?", "Modification", Icon::Question};
inline const Message kConfirmRename{"Confirmer renommer ?", "renommer", Icon::Question};
// The file system refused a command of the file lists; `reason` is the system's, in French.
inline Message directoryUnreadable(std::string_view directory, std::string_view reason) {
    return {"Impossible de lire le dossier " + std::string(directory) + " : " + std::string(reason) + ".",
            "Mauvaise saisie !", Icon::Error};
}
inline Message deleteFailed(std::string_view path, std::string_view reason) {
    return {"Impossible de supprimer le fichier " + std::string(path) + " : " + std::string(reason) + ".",
            kConfirmDelete.title, Icon::Error};
}
inline Message renameToNothing(std::string_view path) {
    return {"Impossible de renommer le fichier " + std::string(path) + " : le nouveau nom est vide.",
            kConfirmRename.title, Icon::Error};
}
inline Message renameFailed(std::string_view path, std::string_view to, std::string_view reason) {
    return {"Impossible de renommer le fichier " + std::string(path) + " en " + std::string(to) + " : " +
                std::string(reason) + ".",
            kConfirmRename.title, Icon::Error};
}

// "Revenir à l'écran d'accueil" with X and Y lists of different lengths.
inline const Message kHomeListLengths{
    "Vérifier que les listes comtiennent le même nombre de coordonnées", "Défaut",
    Icon::Exclamation};

// --- DXF and DAT import ----------------------------------------------------------------

// "Charger" under "Fichier DXF": a drawing that cannot be imported. The object is left
// empty and "Nbre coupes" as it was.
inline const Message kDxfUnreadable{
    "Le fichier DXF ne peut pas être lu : aucun dessin n'a été importé.", "Mauvaise saisie !",
    Icon::Error};
inline const Message kDxfNoEntities{
    "Le fichier DXF n'a pas de section ENTITIES : aucun dessin n'a été importé.",
    "Mauvaise saisie !", Icon::Error};
inline const Message kDxfNoEndsec{
    "Le fichier DXF se termine avant la fin de sa section ENTITIES (ENDSEC) : aucun dessin "
    "n'a été importé.",
    "Mauvaise saisie !", Icon::Error};
inline const Message kDxfPolylineWithoutVertex{
    "Le fichier DXF se termine dans une POLYLINE qui n'a pas de sommet (VERTEX) : aucun "
    "dessin n'a été importé.",
    "Mauvaise saisie !", Icon::Error};
inline const Message kDxfArcWithoutCentre{
    "Le fichier DXF se termine dans un ARC qui n'a pas de centre (groupe 10) : aucun dessin "
    "n'a été importé.",
    "Mauvaise saisie !", Icon::Error};
inline const Message kScanFileUnusable{
    "Le fichier de travail de l'import DXF (tempX, dans le dossier temporaire) ne peut pas "
    "être écrit ou relu : aucun dessin n'a été importé.",
    "Mauvaise saisie !", Icon::Error};
inline const Message kDxfTooBig{
    "Le dessin est trop grand pour la mémoire de l'ordinateur : aucun dessin n'a été importé.",
    "Mauvaise saisie !", Icon::Error};

// After a DXF import, the entities of the drawing that were not imported; `list` reads
// like "12 ARC, 3 LWPOLYLINE".
// `list` names the kinds counted one by one ("3 ARC, 1 SPLINE"); `others` counts the
// entities of every further kind.
inline Message notImportedEntities(std::string_view list, std::int64_t others) {
    std::string named(list);
    if (others > 0) named += " et " + integerText(others) + " entités d'autres sortes";
    return {"Le dessin contient des entités qui ne sont pas importées : " + named +
                ".\nSeules les lignes (LINE), les polylignes (POLYLINE) et les cercles (CIRCLE) "
                "sont importés : enregistrez le dessin au format DXF R12 en convertissant ces "
                "entités en polylignes pour les importer.",
            "Import DXF", Icon::Information};
}

// sin1.txt or cos1.txt cannot fill the angle tables: the DXF import is refused.
inline const std::string kAngleTableMissing = "est absent ou illisible";
inline const std::string kAngleTableEmpty = "est vide";
inline const std::string kAngleTableTooShort = "s'arrête avant la valeur de 360°";
inline const std::string kAngleTableTooLong = "contient plus de 363 valeurs";
inline std::string angleTableNotANumber(std::string_view line) {
    return "contient à la ligne " + std::string(line) + " une valeur qui n'est pas un nombre";
}
inline Message angleTableFault(std::string_view file, std::string_view why) {
    return {"Le fichier " + std::string(file) + " du dossier du programme " + std::string(why) +
                " : les cercles ne peuvent pas être calculés et l'import DXF est impossible. "
                "Réinstallez ce fichier avec le programme.",
            "Tables d'angles", Icon::Error};
}

// "Charger" under "Fichier DAT".
inline const Message kNotDatFile{"choisir un fichier DAT", "essaie encore", Icon::Error};
inline const Message kDatUnusable{
    "le fichier choisi n'est pas utilisable choisir un fichier valide ou reportez vous à la "
    "notice d'utilisation. ",
    "Mauvaise saisie !", Icon::Error};

// A load or an import that would give the object more rows than `limit`: refused before
// the memory runs out, the drawing shown stays.
inline Message tooManyRows(std::size_t limit) {
    return {"Le dessin a plus de " + integerText(static_cast<std::int64_t>(limit)) +
                " points : il est trop grand pour être chargé. Le dessin affiché est conservé.",
            "Dessin trop grand", Icon::Error};
}

// --- Entry points on open cuts ---------------------------------------------------------

// What the reordering would do to an open cut entered in its middle: it joins its
// next-to-last point to its first (`added`) and leaves out its last segment (`dropped`).
struct OpenCutLengths {
    double endsApart, added, dropped;
};
// A length as the user reads it: mm to the hundredth.
inline std::string millimetres(double mm) {
    const double hundredths = std::round(mm * 100) / 100;
    return hundredths == 0 ? std::string("moins de 0,01 mm") : decimalText(hundredths) + " mm";
}
// The facts that begin the question "Valider" asks, and the command-line refusal.
// Without lengths, a coordinate of the cut is not a number.
inline std::string openCutFacts(std::int64_t cut, const std::optional<OpenCutLengths>& l) {
    return "La coupe n° " + integerText(cut) + " est ouverte : ses deux extrémités " +
           (l ? "sont à " + millimetres(l->endsApart) + " l'une de l'autre" : "ne sont pas au même endroit") +
           ". Avec un point d'entrée ailleurs qu'à son début ou à sa fin, la réorganisation la "
           "parcourt comme un contour fermé : elle ajoute un segment " +
           (l ? "de " + millimetres(l->added) + " " : "") + "qui n'est pas dans le dessin et retire son dernier segment" +
           (l ? " (" + millimetres(l->dropped) + ")" : "") + ".";
}
inline Message openCutQuestion(const std::string& facts) {
    return {facts + " Le placer quand même ?", "Coupe ouverte", Icon::Question};
}
// tarvel-cli object --entry on such a row, without --allow-open.
inline Message openCutRefused(const std::string& facts) {
    return {facts + " Ajoutez --allow-open pour le placer quand même.", "Coupe ouverte", Icon::Error};
}

// --- Converting what the DXF import leaves out ------------------------------------------

// `kinds` reads like "22 ARC et 2 LWPOLYLINE", `bulgedNotice` is bulgedPolylines() or
// empty, `units` the drawing's unit in words ("pouces") or empty for millimetres.
inline Message conversionQuestion(std::string_view kinds, std::string_view bulgedNotice,
                                  std::string_view units, std::string_view tolerance) {
    std::string text;
    if (!kinds.empty()) text = "Le dessin contient " + std::string(kinds) + " qui ne sont pas importés.";
    if (!bulgedNotice.empty()) text += (text.empty() ? "" : " ") + std::string(bulgedNotice) + ".";
    if (!units.empty())
        text += " Le dessin est en " + std::string(units) + " : ses longueurs sont converties en millimètres.";
    return {text + " Les convertir en segments (écart au plus " + std::string(tolerance) +
                " mm) et les importer aussi ?",
            "Import DXF", Icon::Question};
}
// Polylines whose bulges the plain import follows as straight chords.
inline std::string bulgedPolylines(std::int64_t count) {
    return count == 1 ? "1 polyligne a des arcs remplacés par des segments droits"
                      : integerText(count) + " polylignes ont des arcs remplacés par des segments droits";
}
// After a conversion, what is still left out (TEXT, DIMENSION, HATCH...).
inline Message notConvertedEntities(std::string_view list) {
    return {"Le dessin contient des entités qui ne sont pas importées : " + std::string(list) + ".",
            "Import DXF", Icon::Information};
}
inline Message dxfNotPairs(std::int64_t line, std::string_view text) {
    return {"Le fichier DXF ne peut pas être converti : la ligne " + integerText(line) +
                " devrait porter un code de groupe et porte « " + std::string(text) + " ».",
            "Mauvaise saisie !", Icon::Error};
}
inline const Message kBlocksTooMany{
    "Les blocs du dessin (INSERT) se répètent en trop d'entités : le dessin ne peut pas être "
    "converti. Le dessin affiché est conservé.",
    "Dessin trop grand", Icon::Error};
inline Message badTolerance(std::string_view text) {
    return {"La tolérance doit être un nombre de millimètres plus grand que zéro, par exemple 0,01 : « " +
                std::string(text) + " ».",
            "Mauvaise saisie !", Icon::Error};
}

}  // namespace tarvel::drawingmessages
