// tarvel-cli object: a freshly opened drawing window, "Charger" of a file, entry points
// given in the entry-point window, "Réorganisation coupes", then "Sauver" under a name,
// printing the object as the window holds it.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/clidialogs.h"
#include "cli/commands.h"
#include "drawing/cutobject.h"
#include "drawing/cutorder.h"
#include "drawing/drawingmessages.h"
#include "drawing/dxfconvert.h"
#include "drawing/drawingwindow.h"

namespace tarvel::cli {

namespace {

// --entry ROW=ORDER: a double click on the entry-mark list at ROW (from 0), then
// "Valider" with ORDER typed in the order-number field; --allow-open answers yes when it
// asks about an open cut.
struct EntryOption {
    std::size_t row = 0;
    std::string order;
};

std::optional<EntryOption> parseEntry(const std::string& text) {
    const std::size_t eq = text.find('=');
    if (eq == std::string::npos || eq == 0 || eq > 9) return std::nullopt;
    EntryOption entry;
    for (std::size_t i = 0; i < eq; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        entry.row = entry.row * 10 + static_cast<std::size_t>(text[i] - '0');
    }
    entry.order = text.substr(eq + 1);
    return entry;
}

struct FileOption {
    const char* name;
    FileType type;
};
constexpr FileOption kFileOptions[] = {
    {"--fra", FileType::Fra}, {"--dxf", FileType::Dxf}, {"--dat", FileType::Dat}};

}  // namespace

int runObject(const Args& args) {
    Options o;
    int status = kDone;
    if (!parseOptions(args, {"--fra", "--dxf", "--dat", "--save", "--entry", "--tolerance"},
                      {"--reorder", "--quiet", "--convert", "--allow-open"}, o,
                      status))
        return status;
    if (!o.positional.empty()) return usageError("argument inattendu : " + o.positional.front());

    const FileOption* chosen = nullptr;
    const std::string* file = nullptr;
    for (const FileOption& option : kFileOptions) {
        const std::string* value = o.last(option.name);
        if (value == nullptr) continue;
        if (chosen != nullptr) return usageError("un seul fichier à charger : --fra, --dxf ou --dat");
        chosen = &option;
        file = value;
    }
    if (chosen == nullptr) return usageError("indiquer le fichier à charger avec --fra, --dxf ou --dat");

    std::vector<EntryOption> entries;
    for (const std::string& text : o.all("--entry")) {
        std::optional<EntryOption> entry = parseEntry(text);
        if (!entry) return usageError("--entry attend LIGNE=NUMÉRO, par exemple 3=1 : " + text);
        entries.push_back(*entry);
    }

    CliDialogs dialogs;
    DrawingForm form(dialogs);
    form.chooseFileTypeFromMenu(chosen->type);
    form.fileName = *file;
    // No question here: --convert answers it.
    form.convertDxf = o.has("--convert");
    if (const std::string* tolerance = o.last("--tolerance")) {
        // A tolerance alone would convert nothing: say so rather than ignore it.
        if (!o.has("--convert")) return usageError("--tolerance ne sert qu'avec --convert");
        const std::optional<double> mm = toleranceFromText(*tolerance);
        if (!mm) return usageError(drawingmessages::badTolerance(*tolerance).text);
        form.convertTolerance = *mm;
    }
    const bool loaded = form.load();
    auto print = [&] {
        if (o.has("--quiet")) return;
        const std::string listing = objectListing(form.object);
        std::fwrite(listing.data(), 1, listing.size(), stdout);
    };
    auto failWithLastMessage = [&](const char* otherwise) {
        print();
        return fail(dialogs.told.empty() ? otherwise : dialogs.told.back().text);
    };
    if (!loaded) return failWithLastMessage("Le fichier n'a pas pu être chargé.");
    // A drawing imported with entities left out comes with a notice: said, not a failure.
    for (const Message& notice : dialogs.told) printLine(stderr, notice.text);
    dialogs.told.clear();

    // Rows are checked against the object before any is entered: a row out of range is a
    // command line that names no row, not a step that fails halfway.
    for (const EntryOption& entry : entries) {
        if (entry.row >= form.object.entryMark.size())
            return usageError("--entry : pas de ligne " + std::to_string(entry.row) + " dans l'objet, qui en a " +
                              std::to_string(form.object.entryMark.size()));
    }
    int selectedRow = kNoSelectedRow;
    EntryPointForm entryPoints(dialogs);
    for (const EntryOption& entry : entries) {
        if (!doubleClickEntryMark(form.object, entry.row, selectedRow, dialogs))
            return failWithLastMessage("Point d'entrée refusé.");
        // Nobody is there to answer the open-cut question: only --allow-open says yes.
        if (const auto facts = openCutEntry(form.object, entry.row); facts && !o.has("--allow-open")) {
            dialogs.tell(drawingmessages::openCutRefused(*facts));
            return failWithLastMessage("");
        }
        entryPoints.show();
        entryPoints.orderNumber = entry.order;
        entryPoints.confirmEntry(form.object, selectedRow);
        if (entryPoints.visible) return failWithLastMessage("Numéro d'ordre refusé.");
    }
    if (o.has("--reorder") && !reorderShownCuts(form, dialogs))
        return failWithLastMessage("La réorganisation des coupes a échoué.");
    print();

    if (const std::string* name = o.last("--save")) {
        // A load hides the file choice; the user chooses "Fichier FRA" again to save.
        std::string lastObjectFile;
        form.chooseFileTypeFromMenu(FileType::Fra);
        form.fileName = *name;
        if (form.save(lastObjectFile) != AfterCommand::OpenCuttingWindow)
            return fail(dialogs.told.empty() ? "L'objet n'a pas été sauvé." : dialogs.told.back().text);
    }
    return kDone;
}

}  // namespace tarvel::cli
