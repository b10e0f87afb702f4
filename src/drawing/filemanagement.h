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
// Patterns match whatever the case of the name: the program writes ".fra" in lower case,
// and drawings made on the old system come as ".DXF" or ".dxf" alike.
//
// The current directory text always ends with the separator, so that a click in the
// file list makes the full path by appending the name: /pieces/ + boite.fra.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/userdialogs.h"
#include "drawing/drawingwindow.h"

namespace tarvel {

std::string_view filePattern(FileType type);
// "*.EXT" (or "*.*") against a file name, case ignored.
bool matchesFilePattern(std::string_view name, std::string_view pattern);

// Type options "Fichier FRA", "Fichier DXF", "Fichier DAT": the choice only.
void chooseFileTypeOption(DrawingForm& form, FileType type);
// Menu "Choisir un fichier ": the file controls and the three type options shown.
void showFileChoice(DrawingForm& form);

// The directory and file lists.
struct FileLists {
    std::string directoryText;             // the current directory, ending with "/"
    std::vector<std::string> directories;  // Dir1: ".." (except at the root), then sub-directories
    std::vector<std::string> files;        // File1: the files that match the pattern
};

// Directory change, and drive change with the drive's root: lists `directory` and puts
// its text in the file-name field. Hidden entries (a name starting with ".") are not
// listed. A directory that cannot be read says so and changes nothing.
bool changeDirectory(DrawingForm& form, FileLists& lists, UserDialogs& dialogs,
                     const std::string& directory);
// The file list again, with the pattern of the form's choice (after a choice, a delete,
// a rename). A directory that has become unreadable lists nothing.
void refreshFileList(const DrawingForm& form, FileLists& lists);
// Where an entry of the directory list leads: ".." is the parent directory.
std::string directoryEntryPath(const FileLists& lists, std::string_view entry);
// Click in the file list: the file-name field names that file.
void fileClicked(DrawingForm& form, const FileLists& lists, std::string_view name);

// "Effacer": deletes the file named in the file-name field after "Confirmer effacer ?".
// A field that is empty or names a directory ("/" at the end) is refused with a warning.
// A deletion the file system refuses is told in French and leaves the disk as it was.
// True when the file was deleted.
bool effacer(const DrawingForm& form, UserDialogs& dialogs);

// "Renommer": asks the new name ("nouveau nom?", offering the field's text), then
// confirms. A name without a directory stays in the file's own directory; a path moves
// the file. An existing file is never replaced. A cancelled input box ends the command;
// an empty name, a missing file or a name in use is told in French and changes nothing.
// True when the file was renamed.
bool renommer(const DrawingForm& form, UserDialogs& dialogs);

// "Revenir à l'écran d'accueil": true when the window may close; X and Y lists of
// different lengths keep it open with a message.
bool revenirAccueil(const DrawingForm& form, UserDialogs& dialogs);

}  // namespace tarvel
