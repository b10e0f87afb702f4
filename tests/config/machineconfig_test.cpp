#include "config/machineconfig.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "support/tempdir.h"

namespace tarvel {
namespace {

using testing::TempDir;

TEST(SaveMachineConfig, DefaultsGiveExactlyTheOneLineAndAFailureKeepsTheFile) {
    TempDir dir;
    const auto path = dir.file("tarvel1.cfg");
    ASSERT_FALSE(saveMachineConfig(MachineConfig::defaults(), path).has_value());
    EXPECT_EQ(TempDir::read(path),
              "\"20\",\"20\",\"20\",\"0,02\",\"50\",\"80\",\"10\",\"1\",\"30\",\"1\",\"2\",\"4\",\"8\",\"16\","
              "\"32\",\"64\",\"128\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\",\"8\",\"9\",0,0,0\r\n");
    const auto msg = saveMachineConfig(MachineConfig::defaults(), dir.file("missing-dir/tarvel1.cfg"));
    ASSERT_TRUE(msg.has_value());
    EXPECT_NE(msg->text.find("n'a pas été enregistrée"), std::string::npos);
}

// Every field holds its own value and one flag at a time is set, so two fields swapped
// on the way in or out fail. The steps per mm and the coefficient are saved with a comma.
TEST(MachineConfigFile, EveryFieldIsReadAndWrittenInItsOwnPlaceAndAShortFileLeavesTheRestEmpty) {
    std::string fields;
    std::vector<std::string> expected = {"1.5", "2", "3", "4.5"};
    for (int i = 5; i <= 25; ++i) fields += ",\"" + std::to_string(i) + "\"", expected.push_back(std::to_string(i));
    for (const char* flags : {"1,0,0", "0,1,0", "0,0,1"}) {
        SCOPED_TRACE(flags);
        TempDir dir;
        const auto c = loadMachineConfig(dir.write("in.cfg", "\"1.5\",\"2\",\"3\",\"4.5\"" + fields + "," + flags));
        ASSERT_TRUE(c.has_value());
        const std::vector<std::string> named = {
            c->stepsPerMmX, c->stepsPerMmY, c->stepsPerMmZ, c->speedCoefficient, c->cuttingFeed,
            c->rapidFeed, c->toolDescentZ, c->portNumber, c->toolChangeClearance, c->xDirWeight,
            c->xClockWeight, c->yDirWeight, c->yClockWeight, c->zDirWeight, c->zClockWeight,
            c->spareDirWeight, c->spareClockWeight, c->xDirPin, c->xClockPin, c->yDirPin,
            c->yClockPin, c->zDirPin, c->zClockPin, c->spareDirPin, c->spareClockPin};
        EXPECT_EQ(named, expected);
        using std::to_string;
        EXPECT_EQ(to_string(c->invertX) + "," + to_string(c->invertY) + "," + to_string(c->invertZ), flags);
        ASSERT_FALSE(saveMachineConfig(*c, dir.file("out.cfg")).has_value());
        EXPECT_EQ(TempDir::read(dir.file("out.cfg")), "\"1,5\",\"2\",\"3\",\"4,5\"" + fields + "," + flags + "\r\n");
    }
    // A short file leaves the rest empty and the flags unset.
    TempDir dir;
    const auto c = loadMachineConfig(dir.write("a.cfg", "\"25\",\"30\"\r\n"));
    ASSERT_TRUE(c.has_value());
    EXPECT_EQ(std::tuple(c->stepsPerMmX, c->stepsPerMmY, c->stepsPerMmZ, c->spareClockPin, c->invertZ),
              std::tuple("25", "30", "", "", false));
}

// Only "2" selects port 2; pins 2 to 9 weigh powers of two, others are 1 or refused.
TEST(PortAndPins, AddressAndWeightsFollowTheirFields) {
    EXPECT_EQ(portAddressFor("2"), 632);
    for (const char* other : {"1", "3", "", " 2", "2,0"}) EXPECT_EQ(portAddressFor(other), 888) << other;
    const std::pair<const char*, const char*> weighed[] = {{"2", "1"}, {"5", "8"}, {"9", "128"}, {"3,0", "2"},
                                                           {"", "1"},  {"abc", "1"}, {"2.5x", "1"}};
    for (const auto& [pin, weight] : weighed) {
        EXPECT_EQ(pinWeight(pin).weight, weight) << pin;
        EXPECT_FALSE(pinWeight(pin).refused) << pin;
    }
    for (const char* refused : {"1", "10", "0", "-3", "2,5"}) EXPECT_TRUE(pinWeight(refused).refused) << refused;
}

}  // namespace
}  // namespace tarvel
