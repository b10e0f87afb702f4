// The drawing window's file handling: which kind of file it works on, the directory and
// file lists, the file-name field, "Effacer", "Renommer", and leaving the window.
//
// The file-type choice decides the file-list pattern and the commands shown:
//
//   choice                  pattern   "Charger"           "Sauver"
//   "Fichier FRA"           *.FRA     loads the .fra      shown
//   "Fichier DXF"           *.DXF     imports a drawing   hidden
//   "Fichier DAT"           *.DAT     imports a profile   hidden
//   none                    *.*       hidden              hidden
//
// The lists themselves are the file-choosing windows' own (common/filelisting.h).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/filelisting.h"
#include "common/userdialogs.h"
#include "drawing/drawingwindow.h"

namespace tarvel {

std::string_view filePattern(FileType type);

// Type options "Fichier FRA", "Fichier DXF", "Fichier DAT": the choice only.
void chooseFileTypeOption(DrawingForm& form, FileType type);
// Menu "Choisir un fichier ": the file controls and the three type options shown.
void showFileChoice(DrawingForm& form);

// Directory change, and drive change with the drive's root: lists `directory` (Dir1,
// File1) and puts its text in the file-name field. A directory that cannot be read says
// so and changes nothing.
bool changeDirectory(DrawingForm& form, FileLists& lists, UserDialogs& dialogs,
                     const std::string& directory);
// The file list again, with the pattern of the form's choice (after a choice, a delete,
// a rename). A directory that has become unreadable lists nothing.
void refreshFileList(const DrawingForm& form, FileLists& lists);
// Click in the file list: the file-name field names that file.
void fileClicked(DrawingForm& form, const FileLists& lists, std::string_view name);

// "Effacer": deletes the file named in the file-name field after "Confirmer effacer ?".
// A field that is empty or names a directory ("/" at the end) is refused with a warning.
// A deletion the file system refuses is told in French and leaves the disk as it was.
// True when the file was deleted.
bool deleteFile(const DrawingForm& form, UserDialogs& dialogs);

// "Renommer": asks the new name ("nouveau nom?", offering the field's text), then
// confirms. A name without a directory stays in the file's own directory; a path moves
// the file. An existing file is never replaced. A cancelled input box ends the command;
// an empty name, a missing file or a name in use is told in French and changes nothing.
// True when the file was renamed.
bool renameFile(const DrawingForm& form, UserDialogs& dialogs);

// "Revenir à l'écran d'accueil": true when the window may close; X and Y lists of
// different lengths keep it open with a message.
bool mayReturnToMainWindow(const DrawingForm& form, UserDialogs& dialogs);

}  // namespace tarvel
