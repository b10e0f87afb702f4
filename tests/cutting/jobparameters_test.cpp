#include "cutting/jobparameters.h"

#include <gtest/gtest.h>

#include "support/tempdir.h"

namespace tarvel {
namespace {

using testing::TempDir;

JobParameters boite() {
    JobParameters p;
    // Ten different values, so that two fields swapped show.
    p.cuttingFeed = "50", p.objectFile = "C:\\pieces\\boite.fra", p.scaleFactor = "1,5", p.stepsPerMmX = "20";
    p.description = "Couvercle, 3 mm", p.rapidFeed = "80", p.cuttingFile = "boite.def", p.toolDescent = "2";
    p.stepsPerMmY = "25", p.stepsPerMmZ = "40";
    return p;
}

TEST(JobParameters, RecordIsTenQuotedFieldsInTheirOrderMatchesTheFormAndRoundTrips) {
    EXPECT_EQ(jobParametersRecord(boite()),
              "\"50\",\"C:\\pieces\\boite.fra\",\"1,5\",\"20\",\"Couvercle, 3 mm\",\"80\",\"boite.def\",\"2\","
              "\"25\",\"40\"\r\n");
    CuttingForm form;
    boite().applyTo(form);
    EXPECT_EQ(form.jobName, "boite.def");
    EXPECT_EQ(form.toolDescent, "2");
    EXPECT_EQ(JobParameters::fromForm(form, "boite.def"), boite());

    // The file keeps commas, line breaks and accents, but not quotes.
    TempDir tmp;
    JobParameters p = boite();
    p.description = "Paramètres par défaut\r\nbord, puis fond\r\n";
    p.objectFile = "/home/moi/pièces/boîte.fra";
    ASSERT_EQ(writeJobParameters(p, tmp.file("boite.det")), std::nullopt);
    auto back = readJobParameters(tmp.file("boite.det"));
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, p);
    // Windows-1252 on disk, so that files made on Windows read unchanged.
    EXPECT_NE(TempDir::read(tmp.file("boite.det")).find("Param\xe8tres"), std::string::npos);

    // Notes may run past the bound of other fields, up to theirs.
    for (std::size_t notes : {200u << 10, (1u << 20) + 1}) {
        p.description.assign(notes, 'n');
        ASSERT_EQ(writeJobParameters(p, tmp.file("long.det")), std::nullopt);
        EXPECT_EQ(readJobParameters(tmp.file("long.det")) == p, notes < (1u << 20));
    }

    // A double quote inside a field shifts or swallows the others: nothing is taken.
    p.description = "dit \"ok\"";
    const std::string ten = jobParametersRecord(p);
    for (const std::string& bad : {ten, "\"1\"," + ten, ten + "\r\n", std::string("\"50\",\"a.fra\",\"1\"\r\n")})
        EXPECT_FALSE(readJobParameters(tmp.write("bad.det", bad))) << bad;
}

}  // namespace
}  // namespace tarvel
