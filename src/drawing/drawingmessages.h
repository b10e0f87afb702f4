// The French texts of the drawing window and of the object file, in one place so that
// the window and the command-line companion say the same thing. Every one is an error
// box with a single button.
#pragma once

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

// "Revenir à l'écran d'accueil" with X and Y lists of different lengths.
inline const Message kHomeListLengths{
    "Vérifier que les listes comtiennent le même nombre de coordonnées", "Défaut",
    Icon::Exclamation};

}  // namespace tarvel::drawingmessages
