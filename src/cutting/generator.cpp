#include "cutting/generator.h"

#include <optional>

#include "common/files.h"
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
    if (fileExists(job + ".det") || (!fromSaveDialog && fileExists(job + ".def"))) return msg::kJobNameUsed;
    return std::nullopt;
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
    return std::nullopt;
}

// The four stages in their order, over scratch files cleared first.
StageFailure runStages(const GeneratorSettings& settings, const Paths& paths, const GenerationProgressFn& progress,
                       const std::string& cuttingFile) {
    for (auto name : kGeneratorScratchFiles) removeFile(paths.scratchFile(name));
    GenerationRun run{settings, paths, progress};
    if (auto f = scaleObject(run)) return f;
    if (auto f = segmentObject(run)) return f;
    if (auto f = writeSegmentBits(run)) return f;
    return combineBits(run, cuttingFile);
}

bool generate(CuttingForm& form, const std::string& job, bool fromSaveDialog, UserDialogs& dialogs,
              const Paths& paths, const GenerationProgressFn& progress) {
    if (auto m = firstFailingCheck(form, job, fromSaveDialog)) {
        dialogs.tell(*m);
        return false;
    }
    GeneratorSettings settings;
    if (auto m = readSettings(form, settings)) {
        dialogs.tell(*m);
        return false;
    }
    const std::string detailsFile = job + ".det";
    const std::string cuttingFile = job + ".def";
    if (const auto failure = writeJobParameters(JobParameters::fromForm(form, cuttingFile), detailsFile)) {
        dialogs.tell(msg::generationFailed(failure->text));
        return false;
    }

    dialogs.setBusy(true);
    StageFailure failure = runStages(settings, paths, progress, cuttingFile);
    if (failure) {
        // The cutting file only appears once complete; the details file must go too.
        removeFile(detailsFile);
        dialogs.setBusy(false);
        dialogs.tell(*failure);
        return false;
    }
    form.jobName = cuttingFile;
    dialogs.setBusy(false);
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
