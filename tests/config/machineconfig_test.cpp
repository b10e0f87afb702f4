#include "config/machineconfig.h"

#include <gtest/gtest.h>

#include <tuple>

#include "support/tempdir.h"

namespace tarvel {
namespace {

using testing::TempDir;

TEST(SaveMachineConfig, DefaultsGiveExactlyTheOneLineEvenSavedTwice) {
    TempDir dir;
    const auto path = dir.file("tarvel1.cfg");
    for (int i = 0; i < 2; ++i) {
        ASSERT_FALSE(saveMachineConfig(MachineConfig::defaults(), path).has_value());
        EXPECT_EQ(TempDir::read(path),
                  "\"20\",\"20\",\"20\",\"0,02\",\"50\",\"80\",\"10\",\"1\",\"30\",\"1\",\"2\",\"4\",\"8\",\"16\","
                  "\"32\",\"64\",\"128\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\",\"8\",\"9\",0,0,0\r\n");
    }
    const auto msg = saveMachineConfig(MachineConfig::defaults(), dir.file("missing-dir/tarvel1.cfg"));
    ASSERT_TRUE(msg.has_value());
    EXPECT_EQ(msg->icon, Icon::Error);
    EXPECT_NE(msg->text.find("n'a pas été enregistrée"), std::string::npos);
    EXPECT_FALSE(loadMachineConfig(dir.file("absent.cfg")).has_value());
}

TEST(SaveMachineConfig, DecimalPointBecomesACommaOnFieldsOneToFourOnlyAndAllElseRoundTrips) {
    TempDir dir;
    const auto path = dir.file("tarvel1.cfg");
    MachineConfig c;
    int i = 0;
    for (auto field : MachineConfig::textFields()) c.*field = "v" + std::to_string(++i) + ",x";
    c.speedCoefficient = "0.05";
    c.stepsPerMmX = "12.5";
    c.stepsPerMmY = "1.2.3";
    c.stepsPerMmZ = "100.25";
    c.cuttingFeed = "4.5";
    c.invertX = c.invertZ = 1;
    ASSERT_FALSE(saveMachineConfig(c, path).has_value());
    const auto back = loadMachineConfig(path);
    ASSERT_TRUE(back.has_value());
    MachineConfig expected = c;
    expected.speedCoefficient = "0,05";
    expected.stepsPerMmX = "12,5";
    expected.stepsPerMmY = "1,2,3";
    expected.stepsPerMmZ = "100,25";
    for (auto field : MachineConfig::textFields()) EXPECT_EQ((*back).*field, expected.*field);
    EXPECT_EQ(back->cuttingFeed, "4.5");
    EXPECT_EQ(std::tuple(back->invertX, back->invertY, back->invertZ), std::tuple(1, 0, 1));
}

TEST(LoadMachineConfig, ShortFileLeavesTheRestEmptyAndFlagsAreOneOnlyWhenTheyReadAsOne) {
    TempDir dir;
    const auto c = loadMachineConfig(dir.write("a.cfg", "\"25\",\"30\"\r\n"));
    ASSERT_TRUE(c.has_value());
    EXPECT_EQ(std::tuple(c->stepsPerMmX, c->stepsPerMmY, c->stepsPerMmZ, c->spareClockPin, c->invertZ),
              std::tuple("25", "30", "", "", 0));
    std::string line;
    for (int i = 0; i < 25; ++i) line += "\"x\",";
    const auto f = loadMachineConfig(dir.write("b.cfg", line + "1,\"1,0\",2\r\n"));
    ASSERT_TRUE(f.has_value());
    EXPECT_EQ(std::tuple(f->invertX, f->invertY, f->invertZ), std::tuple(1, 1, 0));
}

TEST(PortAddressFor, OnlyTwoSelectsPortTwo) {
    EXPECT_EQ(portAddressFor("2"), 632);
    for (const char* other : {"1", "3", "", " 2", "2,0"}) EXPECT_EQ(portAddressFor(other), 888) << other;
}

TEST(PinWeight, PinsTwoToNineWeighPowersOfTwoOthersAreOneOrRefused) {
    for (int pin = 2; pin <= 9; ++pin) {
        const auto w = pinWeight(std::to_string(pin));
        EXPECT_EQ(w.weight, std::to_string(1 << (pin - 2)));
        EXPECT_FALSE(w.refused);
    }
    for (const char* silent : {"", "abc", "2.5x"}) {
        EXPECT_EQ(pinWeight(silent).weight, "1") << silent;
        EXPECT_FALSE(pinWeight(silent).refused) << silent;
    }
    for (const char* refused : {"1", "12", "10", "0", "-3", "2,5"}) EXPECT_TRUE(pinWeight(refused).refused) << refused;
}

}  // namespace
}  // namespace tarvel
