#include "cutting/generator.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <optional>

#include "common/encoding.h"
#include "common/files.h"
#include "common/leftovers.h"
#include "common/textrules.h"
#include "cutting/cuttingmessages.h"
#include "cutting/generationstages.h"
#include "cutting/jobparameters.h"

namespace tarvel {

namespace {

namespace msg = cutting_messages;

// The checks of the window's command, in their order. `fromSaveDialog`: the job name
// was chosen in a save dialog, which made the name itself and asked before replacing a
// file: the extension and equal-name checks and an existing cutting file do not apply.
std::optional<Message> firstFailingCheck(const CuttingForm& form, const std::string& job, bool fromSaveDialog) {
    if (!fromSaveDialog && lastChars(job, 3) == "def") return msg::kJobNameHasExtension;
    if (form.description.empty()) return msg::kDescriptionEmpty;
    if (form.objectFile.empty()) return msg::kObjectFileEmpty;
    if (job.empty()) return msg::kJobNameEmpty;
    if (!fromSaveDialog && job == form.objectFile) return msg::kSameFileNames;
    if (form.toolDescent.empty()) return msg::kToolDescentEmpty;
    if (form.scaleFactor.empty()) return msg::kScaleFactorEmpty;
    return std::nullopt;
}

// The last check: the name is in use when its details file exists, or its cutting file
// unless a save dialog already asked before replacing it. A generation killed while
// putting the two in place leaves neither (see NameClaim), so no half job blocks a name.
bool jobNameUsed(const std::string& job, bool fromSaveDialog) {
    return fileExists(job + ".det") || (!fromSaveDialog && fileExists(job + ".def"));
}

std::optional<Message> readSettings(const CuttingForm& form, GeneratorSettings& s) {
    s.objectFile = form.objectFile;
    s.scale = leadingNumber(form.scaleFactor);
    s.descent = leadingNumber(form.toolDescent);
    const std::pair<const std::string*, double*> steps[] = {
        {&form.stepsPerMmX, &s.stepsX}, {&form.stepsPerMmY, &s.stepsY}, {&form.stepsPerMmZ, &s.stepsZ}};
    const char* axes[] = {"X", "Y", "Z"};
    for (int i = 0; i < 3; ++i) {
        auto n = commaNumber(*steps[i].first);
        if (!n) return msg::stepsPerMmNotNumber(axes[i], *steps[i].first);
        *steps[i].second = *n;
    }
    if (auto m = readChannelWeights(form, s.weights)) return m;
    s.invert = readAxisInversion(form);
    s.noDrift = form.noDrift;
    return std::nullopt;
}

// What a job of `ticks` ticks needs on disk: the eight bit files (a DIR record takes 3
// bytes, a CLOCK record 5) while the cutting file is written beside them, each of its
// lines as long as the largest value the weights can sum to.
struct JobSize {
    std::uint64_t scratch, cutting;
};
JobSize jobSize(std::uint64_t ticks, const ChannelWeights& weights) {
    std::int64_t largest = 0;
    for (int i = 0; i < 6; ++i) largest += std::max<std::int64_t>(0, weights.weight[static_cast<std::size_t>(i)]);
    const std::uint64_t line = integerText(largest).size() + 2;
    const auto times = [ticks](std::uint64_t bytes) { return ticks > UINT64_MAX / bytes ? UINT64_MAX : ticks * bytes; };
    return {times(4 * 3 + 4 * 5), times(line)};
}

// Refuses a job that is beyond any sane length or would fill its folders, before the
// stages that write a record per tick begin.
std::optional<Message> jobTooLarge(const GenerationRun& run, const std::string& jobFolder) {
    const JobSize size = jobSize(run.totalTicks, run.settings.weights);
    if (run.totalTicks > msg::kMostTicks) return msg::jobTooLong(run.totalTicks, size.cutting);
    struct Folder {
        std::string path;
        struct statvfs fs;
        struct stat st;
        bool known;
    } folders[2] = {{jobFolder, {}, {}, false}, {run.paths.scratchDir, {}, {}, false}};
    for (auto& f : folders) f.known = ::statvfs(f.path.c_str(), &f.fs) == 0 && ::stat(f.path.c_str(), &f.st) == 0;
    const bool shared = folders[0].known && folders[1].known && folders[0].st.st_dev == folders[1].st.st_dev;
    const std::uint64_t needs[2] = {size.cutting + (shared ? size.scratch : 0), size.scratch};
    for (int i = 0; i < 2; ++i) {
        if (!folders[i].known) continue;
        // A margin for the details file, the other scratch files and whatever else is
        // being written meanwhile.
        const std::uint64_t needed = needs[i] + needs[i] / 20 + (1u << 20);
        const std::uint64_t available = static_cast<std::uint64_t>(folders[i].fs.f_bavail) * folders[i].fs.f_frsize;
        std::error_code ec;
        const std::string shown = std::filesystem::absolute(folders[i].path, ec).lexically_normal().string();
        if (needed > available) return msg::jobDoesNotFit(run.totalTicks, needed, shown, available);
    }
    return std::nullopt;
}

// The four stages in their order, in a scratch folder of the run's own, asking whether
// to go on as each but the first begins.
StageFailure runStages(GenerationRun& run, const std::string& jobFolder, const std::string& cuttingFile) {
    if (auto f = scaleObject(run)) return f;
    if (!run.report(GenerationStage::Segmenting, 0, 0)) return msg::kGenerationCancelled;
    if (auto f = segmentObject(run)) return f;
    if (auto f = jobTooLarge(run, jobFolder)) return f;
    if (!run.report(GenerationStage::Interpolating, 0, run.totalTicks)) return msg::kGenerationCancelled;
    if (auto f = writeSegmentBits(run)) return f;
    if (!run.report(GenerationStage::Combining, 0, run.totalTicks)) return msg::kGenerationCancelled;
    return combineBits(run, cuttingFile);
}

// A name beside the job for a file written whole before it is put in place; its pid
// lets a later start remove it should this run be killed (see leftovers.h).
std::string pendingName(const std::string& final) {
    const std::size_t slash = final.find_last_of('/');
    const std::size_t base = slash == std::string::npos ? 0 : slash + 1;
    return final.substr(0, base) + ".tmp-" + std::to_string(::getpid()) + "-" + final.substr(base);
}

// Messages name the job's files as the user knows them, not by their pending names.
void nameAsKnown(Message& m, const std::string& pending, const std::string& final) {
    for (std::size_t at; (at = m.text.find(pending)) != std::string::npos;) m.text.replace(at, pending.size(), final);
}

// Everything from the claim of the name to the two files in place: the last of the
// eight checks once the name is claimed, then the checks of the fields' contents.
// Whatever it made (claim, scratch folder, pending files) is gone when it returns.
std::optional<Message> makeJob(const CuttingForm& form, const std::string& job, bool fromSaveDialog,
                               const JobParameters& details, UserDialogs& dialogs, const Paths& paths,
                               const GenerationProgressFn& progress) {
    std::string jobFolder = std::filesystem::path(job).parent_path().string();
    if (jobFolder.empty()) jobFolder = ".";
    removeLeftovers(jobFolder);
    // Made before the claim, so the claim is released before the folder goes: a run
    // killed at any point leaves its note of the job's folder for the next start.
    const ScratchRun scratch(paths, "gen");
    if (!scratch.ready()) return msg::kNoPrivateScratchFolder;
    noteJobFolder(scratch.paths().scratchDir, jobFolder);
    NameClaim claim(job);
    // The claim is the program's own business: a folder that refuses it refuses the job.
    if (!claim.held() && claim.error() != EWOULDBLOCK)
        return msg::generationFailed("Impossible d'écrire le fichier " + job + ".det : " +
                                     systemErrorText(claim.error()) + ".");
    if (!claim.held() || jobNameUsed(job, fromSaveDialog)) return msg::kJobNameUsed;
    if (auto m = unwritableField(details)) return m;
    GeneratorSettings settings;
    if (auto m = readSettings(form, settings)) return m;

    const std::string detailsFile = job + ".det", cuttingFile = job + ".def";
    const std::string pendingDetails = pendingName(detailsFile), pendingCutting = pendingName(cuttingFile);
    if (auto failure = writeJobParameters(details, pendingDetails)) {
        nameAsKnown(*failure, pendingDetails, detailsFile);
        return msg::generationFailed(failure->text);
    }
    dialogs.setBusy(true);
    GenerationRun run{settings, scratch.paths(), progress};
    StageFailure failure = runStages(run, jobFolder, pendingCutting);
    // Both files appear together or not at all: should this run be killed between the
    // two renames, the claim has the one already there removed.
    if (!failure) {
        const bool cuttingPlaced = claim.announce({cuttingFile, detailsFile}) && renameFile(pendingCutting, cuttingFile);
        if (!cuttingPlaced || !renameFile(pendingDetails, detailsFile)) {
            if (cuttingPlaced) removeFile(cuttingFile);
            failure = msg::generationFailed("les fichiers " + cuttingFile + " et " + detailsFile +
                                            " n'ont pas pu être mis en place.");
        }
    }
    removeFile(pendingCutting);
    removeFile(pendingDetails);
    if (failure) nameAsKnown(*failure, pendingCutting, cuttingFile);
    dialogs.setBusy(false);
    return failure;
}

bool generate(CuttingForm& form, const std::string& job, bool fromSaveDialog, UserDialogs& dialogs,
              const Paths& paths, const GenerationProgressFn& progress) {
    const std::string cuttingFile = job + ".def";
    const JobParameters details = JobParameters::fromForm(form, cuttingFile);
    std::optional<Message> refusal = firstFailingCheck(form, job, fromSaveDialog);
    if (!refusal) refusal = makeJob(form, job, fromSaveDialog, details, dialogs, paths, progress);
    if (refusal) {
        dialogs.tell(*refusal);
        return false;
    }
    form.jobName = cuttingFile;
    dialogs.tell(msg::kCutProgramCreated);
    return true;
}

}  // namespace

bool generateCutProgram(CuttingForm& form, UserDialogs& dialogs, const Paths& paths,
                        const GenerationProgressFn& progress) {
    const std::string job = form.jobName;
    return generate(form, job, false, dialogs, paths, progress);
}

bool generateCutProgramAs(CuttingForm& form, const std::string& jobName, UserDialogs& dialogs,
                          const Paths& paths, const GenerationProgressFn& progress) {
    return generate(form, jobName, true, dialogs, paths, progress);
}

}  // namespace tarvel
