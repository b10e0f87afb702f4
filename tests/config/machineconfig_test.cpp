#include "config/machineconfig.h"

#include <gtest/gtest.h>

#include "support/tempdir.h"

namespace tarvel {
namespace {

constexpr const char* kDefaultLine =
    "\"20\",\"20\",\"20\",\"0,02\",\"50\",\"80\",\"10\",\"1\",\"30\",\"1\",\"2\",\"4\",\"8\",\"16\","
    "\"32\",\"64\",\"128\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\",\"8\",\"9\",0,0,0\r\n";

TEST(SaveMachineConfig, DefaultsGiveExactlyTheOneLine) {
    testing::TempDir dir;
    auto path = dir.file("tarvel1.cfg");
    ASSERT_FALSE(saveMachineConfig(MachineConfig::defaults(), path).has_value());
    EXPECT_EQ(testing::TempDir::read(path), kDefaultLine);
    ASSERT_FALSE(saveMachineConfig(MachineConfig::defaults(), path).has_value());
    EXPECT_EQ(testing::TempDir::read(path), kDefaultLine);  // replaced, not appended
}

TEST(SaveMachineConfig, DecimalPointRuleOnFieldsOneToFourOnly) {
    testing::TempDir dir;
    auto path = dir.file("tarvel1.cfg");
    auto c = MachineConfig::defaults();
    c.speedCoefficient = "0.05";
    c.stepsPerMmX = "12.5";
    c.stepsPerMmY = "1.2.3";
    c.stepsPerMmZ = "100.25";
    c.cuttingFeed = "4.5";
    c.invertY = 1;
    ASSERT_FALSE(saveMachineConfig(c, path).has_value());
    auto back = loadMachineConfig(path);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->stepsPerMmX, "12,5");
    EXPECT_EQ(back->stepsPerMmY, "1,2,3");
    EXPECT_EQ(back->stepsPerMmZ, "100,25");
    EXPECT_EQ(back->speedCoefficient, "0,05");
    EXPECT_EQ(back->cuttingFeed, "4.5");
    EXPECT_EQ(back->invertX, 0);
    EXPECT_EQ(back->invertY, 1);
}

TEST(SaveMachineConfig, UnwritableFileLeavesTheOldOneAndSaysWhy) {
    testing::TempDir dir;
    auto path = dir.file("missing-dir/tarvel1.cfg");
    auto msg = saveMachineConfig(MachineConfig::defaults(), path);
    ASSERT_TRUE(msg.has_value());
    EXPECT_EQ(msg->icon, Icon::Error);
    EXPECT_NE(msg->text.find("n'a pas été enregistrée"), std::string::npos);
}

TEST(LoadMachineConfig, MissingFileIsReportedAsMissing) {
    testing::TempDir dir;
    EXPECT_FALSE(loadMachineConfig(dir.file("tarvel1.cfg")).has_value());
}

TEST(LoadMachineConfig, RoundTripsEveryField) {
    testing::TempDir dir;
    auto path = dir.file("tarvel1.cfg");
    MachineConfig c;
    int i = 0;
    for (auto field : MachineConfig::textFields()) c.*field = "v" + std::to_string(++i) + ",x";
    c.invertX = 1;
    c.invertZ = 1;
    ASSERT_FALSE(saveMachineConfig(c, path).has_value());
    auto back = loadMachineConfig(path);
    ASSERT_TRUE(back.has_value());
    for (auto field : MachineConfig::textFields()) EXPECT_EQ((*back).*field, c.*field);
    EXPECT_EQ(back->invertX, 1);
    EXPECT_EQ(back->invertY, 0);
    EXPECT_EQ(back->invertZ, 1);
}

TEST(LoadMachineConfig, ShortFileLeavesTheRestEmpty) {
    testing::TempDir dir;
    auto path = dir.write("tarvel1.cfg", "\"25\",\"30\"\r\n");
    auto c = loadMachineConfig(path);
    ASSERT_TRUE(c.has_value());
    EXPECT_EQ(c->stepsPerMmX, "25");
    EXPECT_EQ(c->stepsPerMmY, "30");
    EXPECT_EQ(c->stepsPerMmZ, "");
    EXPECT_EQ(c->spareClockPin, "");
    EXPECT_EQ(c->invertZ, 0);
}

TEST(LoadMachineConfig, FlagsAreOneOnlyWhenTheyReadAsOne) {
    testing::TempDir dir;
    std::string head;
    for (int i = 0; i < 25; ++i) head += "\"x\",";
    auto c = loadMachineConfig(dir.write("a.cfg", head + "1,\"1,0\",2\r\n"));
    ASSERT_TRUE(c.has_value());
    EXPECT_EQ(c->invertX, 1);
    EXPECT_EQ(c->invertY, 1);
    EXPECT_EQ(c->invertZ, 0);
}

TEST(PortAddressFor, OnlyTwoSelectsPortTwo) {
    EXPECT_EQ(portAddressFor("2"), 632);
    for (const char* other : {"1", "3", "", " 2", "2,0"}) EXPECT_EQ(portAddressFor(other), 888) << other;
}

TEST(PinWeight, PinsTwoToNineAndTheRest) {
    const char* weights[] = {"1", "2", "4", "8", "16", "32", "64", "128"};
    for (int pin = 2; pin <= 9; ++pin) {
        auto w = pinWeight(std::to_string(pin));
        EXPECT_EQ(w.weight, weights[pin - 2]);
        EXPECT_FALSE(w.refused);
    }
    for (const char* silent : {"", "abc", "2.5x"}) {
        EXPECT_EQ(pinWeight(silent).weight, "1") << silent;
        EXPECT_FALSE(pinWeight(silent).refused) << silent;
    }
    for (const char* refused : {"1", "12", "10", "0", "-3", "2,5"}) EXPECT_TRUE(pinWeight(refused).refused) << refused;
}

TEST(MachineConfigDefaults, WeightsFollowThePins) {
    auto c = MachineConfig::defaults();
    EXPECT_EQ(c.xDirWeight, "1");
    EXPECT_EQ(c.zClockWeight, "32");
    EXPECT_EQ(c.spareClockWeight, "128");
}

}  // namespace
}  // namespace tarvel
