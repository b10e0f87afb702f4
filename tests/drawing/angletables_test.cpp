#include "drawing/angletables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

#include "common/paths.h"
#include "support/tempdir.h"

namespace tarvel {
namespace {

using testing::TempDir;

TEST(AngleTables, ShippedFilesHoldTheDoubleOfEveryAngle) {
    AngleTables t = readAngleTables(executableDirectory());
    ASSERT_TRUE(t.usable()) << t.fault.value().text;
    for (int i = 1; i <= AngleTables::kLastEntry; ++i) {
        EXPECT_EQ(t.sine[i], std::sin(i * (M_PI / 180.0))) << i;
        EXPECT_EQ(t.cosine[i], std::cos(i * (M_PI / 180.0))) << i;
    }
}

std::string values(int count, const std::string& each = "0.5") {
    std::string text;
    for (int i = 0; i < count; ++i) text += each + "\r\n";
    return text;
}

TEST(AngleTables, FaultsNameTheFileAndTheReason) {
    const std::optional<std::string> none;
    const struct {
        std::optional<std::string> sine, cosine;  // none: no file
        std::string fault;
    } cases[] = {
        {values(363, " +1.5e-3 ") + "\r\n", values(361), ""},
        {none, values(363), "sin1.txt du dossier du programme est absent"},
        {"", values(363), "sin1.txt du dossier du programme est vide"},
        {values(363), values(364), "cos1.txt du dossier du programme contient plus de 363 valeurs"},
        {values(360), values(363), "sin1.txt du dossier du programme s'arrête avant la valeur de 360°"},
        {values(2) + "un demi\r\n" + values(360), values(363),
         "sin1.txt du dossier du programme contient à la ligne 3 une"},
        {values(363), values(10) + "1e999\r\n", "cos1.txt du dossier du programme contient à la ligne 11 une"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        if (c.sine) dir.write("sin1.txt", *c.sine);
        if (c.cosine) dir.write("cos1.txt", *c.cosine);
        AngleTables t = readAngleTables(dir.str());
        EXPECT_TRUE(t.loaded);
        EXPECT_EQ(t.usable(), c.fault.empty()) << c.fault;
        EXPECT_NE(t.fault.value_or(Message{}).text.find(c.fault), std::string::npos) << c.fault;
    }
}

}  // namespace
}  // namespace tarvel
