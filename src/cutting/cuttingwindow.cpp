#include "cutting/cuttingwindow.h"

#include <cmath>
#include <optional>

#include "common/files.h"
#include "common/textrules.h"
#include "config/machineconfig.h"
#include "cutting/cutprogram.h"
#include "cutting/cuttingmessages.h"
#include "cutting/jobparameters.h"
#include "drawing/frafile.h"

namespace tarvel {

namespace {

namespace msg = cutting_messages;

// The text less its last n characters (not bytes: a name may end in "é").
std::string withoutLastChars(std::string_view text, std::size_t n) {
    std::size_t end = text.size();
    while (n > 0 && end > 0) {
        --end;
        while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
        --n;
    }
    return std::string(text.substr(0, end));
}

std::string& fieldOfKind(CuttingForm& form) {
    return form.fileKind == JobFileKind::Object ? form.objectFile : form.jobName;
}

// The details file beside a cutting file fills the job's fields: "Charger" and the menu
// "Ouvrir un fichier" both end here.
bool readDetailsInto(CuttingForm& form, const std::string& cuttingFile, UserDialogs& dialogs) {
    const std::string path = detailsPathForLoad(cuttingFile);
    if (!fileExists(path)) {
        dialogs.tell(msg::detailsFileMissing(path));
        return false;
    }
    auto details = readJobParameters(path);
    if (!details) {
        dialogs.tell(msg::detailsFileUnreadable(path));
        return false;
    }
    details->applyTo(form);
    return true;
}

std::string directoryOfPath(std::string_view path) {
    auto slash = path.find_last_of('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

}  // namespace

void openCuttingWindow(CuttingForm& form, UserDialogs& dialogs, const Paths& paths,
                       const std::string& lastObjectFile) {
    openCuttingWindowWith(form, dialogs, paths.configFile(), lastObjectFile);
}

void openCuttingWindowWith(CuttingForm& form, UserDialogs& dialogs, const std::string& configFile,
                           const std::string& lastObjectFile) {
    form.previewZoom = 0.5;
    form.fileKind = JobFileKind::Cutting;
    auto config = loadMachineConfig(configFile);
    if (!config) {
        dialogs.tell(config_messages::kMissingForCutting);
        return;
    }
    form.stepsPerMmX = config->stepsPerMmX;
    form.stepsPerMmY = config->stepsPerMmY;
    form.stepsPerMmZ = config->stepsPerMmZ;
    form.speedCoefficient = config->speedCoefficient;
    form.cuttingFeed = config->cuttingFeed;
    form.rapidFeed = config->rapidFeed;
    form.toolDescent = config->toolDescentZ;
    form.port = portAddressFor(config->portNumber);
    form.toolChangeClearance = config->toolChangeClearance;
    static_cast<PinWeights&>(form) = *config;
    form.invertX = config->invertX ? "1" : "0";
    form.invertY = config->invertY ? "1" : "0";
    form.invertZ = config->invertZ ? "1" : "0";
    form.configurationRead = true;
    if (!lastObjectFile.empty()) {
        form.objectFile = lastObjectFile;
        form.jobName = withoutLastChars(lastObjectFile, 4);
    }
}

std::string filePattern(JobFileKind kind) { return kind == JobFileKind::Object ? "*.FRA" : "*.DEF"; }

void pickDirectory(CuttingForm& form, std::string_view directory) {
    fieldOfKind(form) = withTrailingSeparator(directory);
}

void pickListedFile(CuttingForm& form, std::string_view directory, std::string_view fileName) {
    fieldOfKind(form) = withTrailingSeparator(directory) + std::string(fileName);
}

std::string detailsPathForLoad(std::string_view cuttingFile) {
    auto ending = lastChars(cuttingFile, 4);
    if (ending == ".def" || ending == ".DEF") return withoutLastChars(cuttingFile, 4) + ".det";
    return std::string(cuttingFile) + ".det";
}

std::string detailsPathForRewrite(std::string_view cuttingFile) {
    if (lastChars(cuttingFile, 4) == ".def") return withoutLastChars(cuttingFile, 4) + ".det";
    return std::string(cuttingFile) + ".det";
}

std::string packedPathFor(std::string_view cuttingFile) { return withoutLastChars(cuttingFile, 4) + ".FRD"; }

bool loadJob(CuttingForm& form, UserDialogs& dialogs) {
    const std::string name = form.jobName;
    if (name.empty()) {
        dialogs.tell(msg::kLoadNameEmpty);
        return false;
    }
    if (!fileExists(name)) {
        dialogs.tell(msg::kLoadFileNotFound);
        return false;
    }
    auto ending = lastChars(name, 3);
    if (ending != "def" && ending != "DEF") {
        dialogs.tell(msg::kLoadNotCuttingFile);
        return false;
    }
    return readDetailsInto(form, name, dialogs);
}

bool rewriteDetails(const CuttingForm& form, UserDialogs& dialogs) {
    if (form.jobName.empty()) {
        dialogs.tell(msg::kRewriteNameEmpty);
        return false;
    }
    const JobParameters details = JobParameters::fromForm(form, form.jobName);
    if (const auto m = unwritableField(details)) {
        dialogs.tell(*m);
        return false;
    }
    if (const auto failure = writeJobParameters(details, detailsPathForRewrite(form.jobName))) {
        dialogs.tell(msg::detailsWriteFailed(failure->text));
        return false;
    }
    return true;
}

bool packJob(const CuttingForm& form, UserDialogs& dialogs) {
    const std::string& source = form.jobName;
    if (source.empty()) {
        dialogs.tell(msg::kPackNameEmpty);
        return false;
    }
    CutProgramReader in(source);
    if (!fileExists(source) || !in.isOpen()) {
        dialogs.tell(msg::packSourceMissing(source));
        return false;
    }
    const std::string target = packedPathFor(source);
    if (isSameFile(source, target)) {
        dialogs.tell(msg::packTargetIsSource(source));
        return false;
    }
    std::int64_t value = 0;
    auto status = in.next(value);
    if (status == CutProgramReader::Status::End) {
        dialogs.tell(msg::packSourceEmpty(source));
        return false;
    }
    TextFileWriter out(target);
    while (status == CutProgramReader::Status::Tick) {
        std::int64_t runValue = value;
        std::int64_t count = 0;
        do {
            ++count;
            status = in.next(value);
        } while (status == CutProgramReader::Status::Tick && value == runValue);
        out.writeInteger(runValue);
        out.writeAscii(",");
        out.writeInteger(count);
        out.endRecord();
    }
    if (status != CutProgramReader::Status::End) {
        dialogs.tell(in.problem());
        return false;  // the writer drops what it had
    }
    if (!out.commit()) {
        dialogs.tell(msg::packWriteFailed(out.error()));
        return false;
    }
    return true;
}

OpenedFile openFileFromMenu(CuttingForm& form, UserDialogs& dialogs) {
    FileChoice choice{msg::kOpenFileTitle, directoryOfPath(form.objectFile), msg::kOpenFileFilter};
    auto name = dialogs.chooseOpenFile(choice);
    if (!name) return OpenedFile::Nothing;
    auto ending = lastChars(*name, 3);
    if (ending == "fra") {
        form.objectFile = *name;
        return OpenedFile::ObjectFile;
    }
    if (ending == "def") {
        form.jobName = *name;
        readDetailsInto(form, *name, dialogs);
        return OpenedFile::CuttingFile;
    }
    return OpenedFile::Nothing;
}

bool saveCutProgramAs(CuttingForm& form, UserDialogs& dialogs, const Paths& paths,
                      const GenerationProgressFn& progress) {
    FileChoice choice{msg::kSaveFileTitle, directoryOfPath(form.objectFile), msg::kSaveFileFilter};
    auto name = dialogs.chooseSaveFile(choice);
    if (!name) return false;
    std::string job = lastChars(*name, 4) == ".def" ? withoutLastChars(*name, 4) : *name;
    return generateCutProgramAs(form, job, dialogs, paths, progress);
}

Preview previewObject(CuttingForm& form, double bottom, UserDialogs& dialogs) {
    Preview preview;
    const std::string& path = form.objectFile;
    // The preview follows every keystroke: a name that is no regular file (a folder, a
    // FIFO, /dev/zero) is passed over by a look at it, without opening it.
    if (!fileExists(path)) return preview;
    FraReader in(path);
    const double zoom = form.previewZoom;
    std::string x, y, z;
    bool first = true;
    double px = 0, py = 0;
    while (in.next(x, y, z)) {
        double xyz[3];
        if (fraNumbers(x, y, z, in.lineNumber(), xyz)) break;
        const double wx = 5 + 50 * (xyz[0] * zoom);
        const double wy = bottom - 50 * (xyz[1] * zoom);
        if (!(std::fabs(wx) <= kPreviewLimit) || !(std::fabs(wy) <= kPreviewLimit)) {
            dialogs.tell(msg::kPreviewOverflow);
            form.previewZoom /= 2;
            preview.overflowed = true;
            break;
        }
        if (!first) preview.lines.push_back({px, py, wx, wy});
        px = wx;
        py = wy;
        first = false;
    }
    return preview;
}

Preview zoomIn(CuttingForm& form, UserDialogs& dialogs) {
    form.previewZoom *= 1.5;
    return previewObject(form, kBottomAfterZoom, dialogs);
}

Preview zoomOut(CuttingForm& form, UserDialogs& dialogs) {
    form.previewZoom /= 2;
    return previewObject(form, kBottomAfterZoom, dialogs);
}

}  // namespace tarvel
