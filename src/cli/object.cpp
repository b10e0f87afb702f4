// tarvel-cli object: a freshly opened drawing window, "Charger" of a file, then
// "Sauver" under a name, printing the object as the window holds it.
#include <cstdio>

#include "cli/clidialogs.h"
#include "cli/commands.h"
#include "drawing/cutobject.h"
#include "drawing/drawingwindow.h"

namespace tarvel::cli {

int runObject(const Args& args) {
    Options o;
    int status = kDone;
    if (!parseOptions(args, {"--fra", "--save", "--entry"}, {"--reorder", "--quiet"}, o, status))
        return status;
    if (!o.positional.empty()) return usageError("argument inattendu : " + o.positional.front());
    const std::string* fra = o.last("--fra");
    if (!fra) return usageError("indiquer le fichier à charger avec --fra");
    if (!o.all("--entry").empty() || o.has("--reorder"))
        return usageError("--entry et --reorder ne sont pas encore disponibles");

    CliDialogs dialogs;
    DrawingForm form(dialogs);
    form.chooseFileTypeFromMenu(FileType::Fra);
    form.fileName = *fra;
    bool loaded = form.charger();
    auto print = [&] {
        if (!o.has("--quiet")) std::fputs(objectListing(form.object).c_str(), stdout);
    };
    if (!loaded) {
        print();
        return fail(dialogs.told.empty() ? "Le fichier n'a pas pu être chargé." : dialogs.told.back().text);
    }
    print();
    if (const std::string* name = o.last("--save")) {
        // A load hides the file choice; the user chooses "Fichier FRA" again to save.
        std::string lastObjectFile;
        form.chooseFileTypeFromMenu(FileType::Fra);
        form.fileName = *name;
        if (form.sauver(lastObjectFile) != AfterCommand::OpenCuttingWindow)
            return fail(dialogs.told.empty() ? "L'objet n'a pas été sauvé." : dialogs.told.back().text);
    }
    return kDone;
}

}  // namespace tarvel::cli
