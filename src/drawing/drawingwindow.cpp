#include "drawing/drawingwindow.h"

#include "common/textrules.h"
#include "drawing/datimport.h"
#include "drawing/drawingmessages.h"
#include "common/files.h"
#include "drawing/dxfconvert.h"
#include "drawing/dxfimport.h"
#include "drawing/frafile.h"

namespace tarvel {

namespace {

void commaAt(std::string& text, std::size_t pos) {
    std::size_t at = byteOfCharacter(text, pos);
    if (at != std::string::npos && text[at] == '.') text[at] = ',';
}

}  // namespace

std::string editedYText(std::string_view text) {
    const double value = leadingNumber(text);
    std::string s(text);
    if (value < 10) commaAt(s, 2);
    if (value > 9) commaAt(s, 3);
    return s;
}

void DrawingForm::chooseFileTypeFromMenu(FileType type) {
    fileControlsVisible = true;
    typeOptionsVisible = false;
    fileType = type;
}

bool DrawingForm::load() {
    switch (fileType) {
        case FileType::Fra:
            return loadFra(fileName);
        case FileType::Dxf:
            return importDxf(fileName);
        case FileType::Dat:
            return importDat(fileName);
        case FileType::None:
            break;
    }
    return false;
}

void DrawingForm::loadAngleTables() { angleTables = readAngleTables(paths.programDir); }

bool DrawingForm::importDxf(const std::string& path) {
    zoom = kZoomAfterLoad;
    // The window loads the tables when it becomes active; a form that never was (the
    // command-line companion) loads them here.
    if (!angleTables.loaded) loadAngleTables();
    if (convertDxf != false && !path.empty() && fileExists(path) && angleTables.usable()) {
        // Counted first, read whole only once the conversion is wanted. Asked only when
        // there is something to convert: a drawing the plain import takes whole, or one
        // that this reading refuses, goes to the plain import.
        DxfDrawing drawing;
        std::optional<Message> unreadable = readDxfDrawing(path, drawing, convertDxf == true);
        bool convert = convertDxf == true;
        if (!convert && !unreadable && drawing.anythingToConvert() &&
            dialogs_.confirm(conversionQuestion(drawing, convertTolerance), false)) {
            convert = true;
            drawing = DxfDrawing{};
            unreadable = readDxfDrawing(path, drawing);
        }
        if (convert)
            return finishImport(unreadable ? ImportResult{ImportStatus::Refused, unreadable}
                                           : convertDxfDrawing(drawing, convertTolerance, angleTables, object, maxRows));
    }
    const ScratchRun scratch(paths, "imp");
    if (!scratch.ready()) return finishImport({ImportStatus::Refused, drawingmessages::kScanFileUnusable});
    return finishImport(
        importDxfFile(path, angleTables, scratch.paths().scratchFile(kScanFileName), object, maxRows));
}

bool DrawingForm::importDat(const std::string& name) {
    return finishImport(importDatFile(name, object, maxRows));
}

bool DrawingForm::finishImport(const ImportResult& result) {
    if (result.status != ImportStatus::Refused) {
        // The rows were replaced: nothing that pointed into the old object holds.
        zoom = kZoomAfterLoad;
        selectedRow = -1;
    }
    if (result.status != ImportStatus::Imported) {
        dialogs_.tell(*result.message);
        return false;
    }
    fileControlsVisible = false;
    typeOptionsVisible = false;
    fileType = FileType::None;
    if (result.message) dialogs_.tell(*result.message);
    return true;
}

AfterCommand DrawingForm::save(std::string& lastObjectFile) {
    if (fileType != FileType::Fra) return AfterCommand::Stay;
    return saveFra(fileName, lastObjectFile);
}

bool DrawingForm::loadFra(const std::string& path) {
    FraReadResult result = readFraFile(path, object, maxRows);
    if (result.status == FraReadStatus::Refused) {
        dialogs_.tell(*result.message);
        return false;
    }
    // The rows were replaced, even if only in part: nothing that pointed into the old
    // object holds any more.
    loadedFile = path;
    zoom = kZoomAfterLoad;
    selectedRow = -1;
    if (result.status == FraReadStatus::ReadError) {
        dialogs_.tell(*result.message);
        return false;
    }
    fileControlsVisible = false;
    typeOptionsVisible = false;
    fileType = FileType::None;
    verticalScroll = kVerticalScrollAfterLoad;
    return true;
}

AfterCommand DrawingForm::saveFra(const std::string& name, std::string& lastObjectFile) {
    if (auto refusal = writeFraFile(name, object)) {
        dialogs_.tell(*refusal);
        return AfterCommand::Stay;
    }
    lastObjectFile = fraPathFor(name);
    fileControlsVisible = false;
    typeOptionsVisible = false;
    fileType = FileType::None;
    return AfterCommand::OpenCuttingWindow;
}

bool DrawingForm::editY() {
    if (selectedRow < 0 || static_cast<std::size_t>(selectedRow) >= object.y.size()) return false;
    const auto row = static_cast<std::size_t>(selectedRow);
    std::optional<std::string> answer = dialogs_.ask(drawingmessages::kEditY, object.y[row]);
    if (!answer) return false;
    object.y.set(row, editedYText(*answer));
    if (row + 1 < object.y.size()) ++selectedRow;
    return true;
}

bool DrawingForm::openFromMenu() {
    std::optional<std::string> chosen = dialogs_.chooseOpenFile(drawingmessages::kOpenFraChoice);
    if (!chosen || lastChars(*chosen, 3) != "fra") {
        dialogs_.tell(drawingmessages::kActionCancelled);
        return false;
    }
    return loadFra(*chosen);
}

}  // namespace tarvel
