#include "cutting/jobparameters.h"

#include <vector>

#include "common/files.h"
#include "common/records.h"
#include "common/encoding.h"
#include "cutting/cuttingmessages.h"

namespace tarvel {

namespace {
// The notes may be long; every other field keeps the bound of all records.
constexpr std::size_t kNotesBound = 1 << 20;
}  // namespace

const std::array<std::string JobParameters::*, JobParameters::kFieldCount>& JobParameters::fields() {
    static const std::array<std::string JobParameters::*, kFieldCount> order{
        &JobParameters::cuttingFeed, &JobParameters::objectFile,  &JobParameters::scaleFactor,
        &JobParameters::stepsPerMmX, &JobParameters::description, &JobParameters::rapidFeed,
        &JobParameters::cuttingFile, &JobParameters::toolDescent, &JobParameters::stepsPerMmY,
        &JobParameters::stepsPerMmZ};
    return order;
}

JobParameters JobParameters::fromForm(const CuttingForm& form, std::string cuttingFile) {
    JobParameters p;
    p.cuttingFeed = form.cuttingFeed;
    p.objectFile = form.objectFile;
    p.scaleFactor = form.scaleFactor;
    p.stepsPerMmX = form.stepsPerMmX;
    p.description = form.description;
    p.rapidFeed = form.rapidFeed;
    p.cuttingFile = std::move(cuttingFile);
    p.toolDescent = form.toolDescent;
    p.stepsPerMmY = form.stepsPerMmY;
    p.stepsPerMmZ = form.stepsPerMmZ;
    return p;
}

void JobParameters::applyTo(CuttingForm& form) const {
    form.cuttingFeed = cuttingFeed;
    form.objectFile = objectFile;
    form.scaleFactor = scaleFactor;
    form.stepsPerMmX = stepsPerMmX;
    form.description = description;
    form.rapidFeed = rapidFeed;
    form.jobName = cuttingFile;
    form.toolDescent = toolDescent;
    form.stepsPerMmY = stepsPerMmY;
    form.stepsPerMmZ = stepsPerMmZ;
}

std::string jobParametersRecord(const JobParameters& p) {
    std::vector<std::string> quoted;
    quoted.reserve(JobParameters::kFieldCount);
    for (auto field : JobParameters::fields()) quoted.push_back(quotedField(p.*field));
    return recordLine(quoted);
}

std::optional<Message> writeJobParameters(const JobParameters& p, const std::string& path) {
    return replaceFileText(path, jobParametersRecord(p));
}

std::optional<Message> unwritableField(const JobParameters& p) {
    static const char* const captions[JobParameters::kFieldCount] = {
        "Vitesse d'avance outil dans la matière", "fichier objet", "Facteur de multiplication de l'objet",
        "pas par mm X", "Bloc note", "vitesse d'avance hors matière", "fichier découpe",
        "Valeur de descente de l'outil en mm", "pas par mm Y", "pas par mm Z"};
    for (std::size_t i = 0; i < JobParameters::kFieldCount; ++i) {
        const std::string& text = p.*JobParameters::fields()[i];
        if (text.find('"') != std::string::npos) return cutting_messages::fieldHoldsQuote(captions[i]);
        if (auto c = firstCharacterOutsideWindows1252(text); !c.empty())
            return cutting_messages::fieldCharacterNotWritable(captions[i], c);
    }
    return std::nullopt;
}

std::optional<JobParameters> readJobParameters(const std::string& path) {
    RecordReader reader(path);
    if (!reader.isOpen()) return std::nullopt;
    // Exactly ten fields and nothing beside them: a double quote inside a field shifts
    // or swallows the others, and the window must not take shifted values as settings.
    JobParameters p;
    FieldEnd end = FieldEnd::FileEnd;
    for (std::size_t i = 0; i < JobParameters::kFieldCount; ++i) {
        const auto field = JobParameters::fields()[i];
        const bool last = i + 1 == JobParameters::kFieldCount;
        reader.setRecordBound(field == &JobParameters::description ? kNotesBound : RecordReader::kDefaultRecordBound);
        if (!reader.readField(p.*field, &end) || (end == FieldEnd::Comma) == last) return std::nullopt;
    }
    if (!reader.atEnd() || reader.failed() || reader.strayText()) return std::nullopt;
    return p;
}

}  // namespace tarvel
