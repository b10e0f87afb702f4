// The cutting window's commands ("Gestion de l'outil de découpe", Mach), over the
// window's working values in CuttingForm. The Qt window copies its fields into the form,
// calls one of these, copies the form back and paints what they return.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/paths.h"
#include "common/userdialogs.h"
#include "cutting/cuttingform.h"
#include "cutting/generator.h"

namespace tarvel {

// Opening: zoom 0.5 and the "*.DEF" file list; then the configuration's fields as text
// (steps per mm, speed coefficient, feeds, tool descent, clearance, the eight weights,
// the three inversion flags) and the port address. Without a configuration file the
// user is sent to the configuration page and the design values stay. With a .fra
// saved since start, it becomes the object file and, less its ".fra", the job name.
void openCuttingWindow(CuttingForm& form, UserDialogs& dialogs, const Paths& paths,
                       const std::string& lastObjectFile);
// The same opening from a configuration file named explicitly (the command-line
// companion's --config).
void openCuttingWindowWith(CuttingForm& form, UserDialogs& dialogs, const std::string& configFile,
                           const std::string& lastObjectFile);

// The file-type choice: the file list's pattern, and the field a pick fills.
std::string filePattern(JobFileKind kind);  // "*.FRA" or "*.DEF"
// A directory chosen in the directory list: its path with a separator goes into the
// object-file field (.FRA choice) or the cutting-file field (.DEF choice).
void pickDirectory(CuttingForm& form, std::string_view directory);
// A double click in the file list: directory, separator, file name, into the same field.
void pickListedFile(CuttingForm& form, std::string_view directory, std::string_view fileName);

// Details file of a cutting file being loaded: ".def" or ".DEF" gives way to ".det";
// any other name gets ".det" added (piecedef -> piecedef.det).
std::string detailsPathForLoad(std::string_view cuttingFile);
// Details file being rewritten: only a lower-case ".def" gives way (piece.DEF ->
// piece.DEF.det).
std::string detailsPathForRewrite(std::string_view cuttingFile);
// The packed copy: the name less its last four characters, then ".FRD".
std::string packedPathFor(std::string_view cuttingFile);

// "Charger fichier fraisage(.DEF)": after its three checks, the ten fields of the
// details file replace the window's. False when a check stopped it or the details file
// could not be used (the fields then stay as they were).
bool loadJob(CuttingForm& form, UserDialogs& dialogs);

// "Modifier le fichier de détails": replaces (or creates) the details file with the
// window's ten fields as they stand.
bool rewriteDetails(const CuttingForm& form, UserDialogs& dialogs);

// "ziper un def": the cutting file as runs, one "value,count" line per run of equal
// values (2,2,2,3 packs into "2,3" and "3,1"). Nothing is written for an empty field,
// a missing or empty source, or a line that is no integer.
bool packJob(const CuttingForm& form, UserDialogs& dialogs);

// Menu "Ouvrir un fichier": a name ending exactly in "fra" becomes the object file (the
// preview is then to be redrawn); one ending exactly in "def" becomes the cutting file
// and its details file is read as "Charger" reads it; anything else changes nothing.
enum class OpenedFile { Nothing, ObjectFile, CuttingFile };
OpenedFile openFileFromMenu(CuttingForm& form, UserDialogs& dialogs);

// Menu "Enregistrer un fichier": the generation under a name chosen in a save dialog,
// less a final ".def". False when cancelled or stopped at a message.
bool saveCutProgramAs(CuttingForm& form, UserDialogs& dialogs, const Paths& paths,
                      const GenerationProgressFn& progress = {});

// ---------------------------------------------------------------------------------
// The preview of the object file's path, in the picture area's units: each object
// point (X, Y) at zoom z lies at (5 + 50 X z, B - 50 Y z), B being the bottom offset,
// 55 after a change of the object-file field and 40 after a zoom.
inline constexpr double kBottomAfterFieldChange = 55;
inline constexpr double kBottomAfterZoom = 40;
// Coordinates beyond this are past what the picture area can draw.
inline constexpr double kPreviewLimit = 1 << 24;

struct PreviewLine {
    double x1, y1, x2, y2;
    bool operator==(const PreviewLine&) const = default;
};
struct Preview {
    std::vector<PreviewLine> lines;  // in drawing order
    bool overflowed = false;         // the zoom was halved; the lines drawn before stay
};

// Draws from the object file named in the field: nothing for a directory (a field
// ending with the separator); a missing or unreadable file, or a point that is no
// number, ends the drawing silently with what was drawn. A point beyond the drawable
// range says "faire un zoom + petit (zoom-)!" and halves the zoom.
Preview previewObject(CuttingForm& form, double bottom, UserDialogs& dialogs);
// "zoom +": zoom x 1.5, then the preview at bottom offset 40.
Preview zoomIn(CuttingForm& form, UserDialogs& dialogs);
// "zoom -": zoom / 2, then the preview at bottom offset 40.
Preview zoomOut(CuttingForm& form, UserDialogs& dialogs);

}  // namespace tarvel
