// The drawing window ("Travail sur les Fichier", `dessin`) without its widgets: the
// working values the window shows and the commands its buttons, menus and lists run.
// The Qt window copies these values to its controls after every command.
//
// Reaching the user only through UserDialogs, it runs the same in the window, in the
// command-line companion and in the tests:
//
//   DrawingForm form(dialogs);
//   form.chooseFileTypeFromMenu(FileType::Fra);
//   form.fileName = "/home/moi/pieces/boite.fra";
//   form.load();
//   std::string text = objectListing(form.object);
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/paths.h"
#include "common/userdialogs.h"
#include "drawing/angletables.h"
#include "drawing/cutobject.h"
#include "drawing/importresult.h"

namespace tarvel {

// The file-type choice: which files the file list shows and which commands it offers.
enum class FileType {
    None,
    Fra,  // "Fichier FRA": "Charger" loads a .fra, "Sauver" is offered
    Dxf,  // "Fichier DXF": "Charger" imports a drawing
    Dat,  // "Fichier DAT": "Charger" imports a profile
};

// What the window does once a command is over.
enum class AfterCommand {
    Stay,
    OpenCuttingWindow,  // close the drawing window and open the cutting window (`Mach`)
};

// The view's zoom factor at open, and after every load or import.
inline constexpr double kZoomAtOpen = 1.0;
inline constexpr double kZoomAfterLoad = 0.35;
// The vertical scroll bar's value after a load.
inline constexpr int kVerticalScrollAfterLoad = 50;

class DrawingForm {
public:
    explicit DrawingForm(UserDialogs& dialogs) : dialogs_(dialogs) {}

    // --- Working values -------------------------------------------------------------
    CutObject object;              // List1..List6, and "Nbre coupes" as object.cutCount
    std::string fileName;          // the file-name field: what "Charger" and "Sauver" use
    std::string loadedFile;        // the path of the object file last loaded
    double zoom = kZoomAtOpen;     // view units per millimetre of the object
    int verticalScroll = 0;        // the vertical scroll bar, -500 to 500
    int selectedRow = -1;          // the row selected in the six lists; -1: none
    std::size_t maxRows = kMaxRows;  // the most rows a load or an import may give

    FileType fileType = FileType::None;
    bool fileControlsVisible = false;  // drive, directory and file lists, file-name field
    bool typeOptionsVisible = false;   // the three "Fichier ..." options

    // The program directory (angle tables) and the scratch folder (the DXF scan file).
    Paths paths = Paths::forThisProgram();
    AngleTables angleTables;  // loaded by loadAngleTables()
    // Whether a DXF import turns what it would leave out (arcs, splines, blocks, bulges...)
    // into straight segments: asked with each drawing that has some (empty), always, never.
    std::optional<bool> convertDxf;
    double convertTolerance = 0.01;  // mm between a chord and its curve

    // --- What the window shows ------------------------------------------------------
    bool loadShown() const { return fileControlsVisible && fileType != FileType::None; }
    bool saveShown() const { return fileControlsVisible && fileType == FileType::Fra; }

    // --- Commands -------------------------------------------------------------------
    // Menu entries "Fichier FRA", "Fichier DXF", "Fichier DAT": show the file controls,
    // hide the type options, set the choice.
    void chooseFileTypeFromMenu(FileType type);

    // "Charger": loadFra, importDxf or importDat of the file-name field, by the choice.
    // False when nothing was loaded, or a message was shown.
    bool load();

    // The window became the active window: reads the angle tables again from the
    // program directory. A fault is kept in angleTables and told by the DXF import.
    void loadAngleTables();

    // Imports the DXF drawing at `path`. The zoom goes to 0.35 first, whatever follows.
    // A missing name or file, or unusable angle tables, change nothing else; a drawing
    // that cannot be imported leaves the object empty and "Nbre coupes" as it was. After
    // an import "Nbre coupes" shows the number of cuts, the file controls are hidden and
    // the choice cleared, and a notice names the entities that were not imported.
    // A drawing with entities that can be converted asks first (No preselected); Yes
    // imports it whole through the conversion instead.
    bool importDxf(const std::string& path);

    // Imports the DAT profile named `name`. A name not ending in "dat", or a missing
    // file, change nothing; an unusable file keeps the rows read and the file controls.
    // "Nbre coupes" is never changed. After an import the file controls are hidden and
    // the choice cleared.
    bool importDat(const std::string& name);

    // "Sauver": saveFra of the file-name field under "Fichier FRA"; no effect otherwise.
    AfterCommand save(std::string& lastObjectFile);

    // Replaces the object by the .fra file at `path`. A missing name or file changes
    // nothing. Once reading starts, the zoom goes to 0.35 and the work lists are emptied;
    // a read error then keeps the rows read before it and leaves "Nbre coupes", the
    // file controls and the scroll bar as they were. True when the whole file loaded,
    // after which the file controls are hidden, the choice cleared and the vertical
    // scroll bar set to 50.
    bool loadFra(const std::string& path);

    // Writes name.fra after the save's checks. On success `lastObjectFile` becomes that
    // path, the file controls are hidden, the choice cleared, and the caller moves to
    // the cutting window; after a message nothing is written and the window stays.
    AfterCommand saveFra(const std::string& name, std::string& lastObjectFile);

    // Enter in the Y list: asks for the selected row's new Y ("Nouvelle valeur",
    // "Modification"), stores the answer through editedYText (even an empty one) and
    // selects the next row, or keeps the last row selected. A cancelled input box changes
    // nothing. False when nothing changed.
    bool editY();

    // Menu "Ouvrir un fichier": loads the .fra chosen in the open dialog. A cancelled
    // dialog, or a name whose last three characters are not exactly "fra", says "action
    // annulée." and changes nothing.
    bool openFromMenu();

private:
    bool finishImport(const ImportResult& result);

    UserDialogs& dialogs_;
};

// The Y edit's decimal-point rule: a "." at character position 2 becomes "," when the
// leading-number value of the text is below 10, a "." at position 3 when it is above 9.
// "5.25" gives "5,25", "12.5" gives "12,5", "-5.5" and "123.5" stay.
std::string editedYText(std::string_view text);

}  // namespace tarvel
