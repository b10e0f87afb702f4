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

}  // namespace tarvel::drawingmessages
