// The details file (.det): the settings a cutting file was made with, so that a job
// reused weeks later comes back with them. One record of ten text fields, each in
// double quotes, joined by single commas, ended by CR LF. Nothing inside a field is
// escaped: the description keeps its line breaks and commas, and reads back whole as
// long as it holds no double quote.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>

#include "cutting/cuttingform.h"

namespace tarvel {

struct JobParameters {
    std::string cuttingFeed;   // 1 "Vitesse d'avance outil dans la matière"
    std::string objectFile;    // 2 the .fra the program was made from
    std::string scaleFactor;   // 3 "Facteur de multiplication de l'objet"
    std::string stepsPerMmX;   // 4
    std::string description;   // 5 "Bloc note"
    std::string rapidFeed;     // 6 "vitesse d'avance hors matière"
    std::string cuttingFile;   // 7 the cutting file's name, ".def" included
    std::string toolDescent;   // 8 "Valeur de descente de l'outil en mm"
    std::string stepsPerMmY;   // 9
    std::string stepsPerMmZ;   // 10

    static constexpr std::size_t kFieldCount = 10;
    // The fields in file order.
    static const std::array<std::string JobParameters::*, kFieldCount>& fields();
    // The form's fields as they stand; `cuttingFile` is given, as the generation names
    // the file it is about to write while the window still holds the job name.
    static JobParameters fromForm(const CuttingForm& form, std::string cuttingFile);
    // Puts the ten fields into the form fields they came from.
    void applyTo(CuttingForm& form) const;

    bool operator==(const JobParameters&) const = default;
};

// The file's one record, CR LF included.
std::string jobParametersRecord(const JobParameters& p);

// Replaces the file with the record. nullopt when done; otherwise why it could not be.
// The details file quotes its fields without escaping and is written in Windows-1252:
// a field with a quote, or with a character the code page lacks, would not read back.
// The message naming the first such field, or nullopt.
std::optional<Message> unwritableField(const JobParameters& p);
std::optional<Message> writeJobParameters(const JobParameters& p, const std::string& path);

// The record of a details file; nullopt when the file cannot be opened, holds more or
// fewer than ten fields, text after a field's closing quote, or notes above 1 MiB.
std::optional<JobParameters> readJobParameters(const std::string& path);

}  // namespace tarvel
