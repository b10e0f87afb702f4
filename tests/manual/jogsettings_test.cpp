#include "manual/jogsettings.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/tempdir.h"

namespace tarvel {
namespace {

using testing::TempDir;

TEST(LoadJogSettings, OnlyTheNumberOneSetsAFlag) {
    struct Case {
        std::string file;
        JogSettings expected;
    };
    const Case cases[] = {
        {"\"0\",\"0\",\"0\"\r\n", {false, false, false}},
        {"1,0,1\r\n", {true, false, true}},
        {"\"1\",\"1\",\"1\"\r\n", {true, true, true}},
        {"1,00,1,0\r\n", {true, false, true}},
        {"\"1,0\",2,-1\r\n", {true, false, false}},
        {"0,1", {false, true, false}},  // no line end
        {"1\r\n", {true, false, false}},
        {"oui,X,\r\n", {false, false, false}},
        {"", {false, false, false}},
        {std::string("\xff\x00\x01,1", 5), {false, true, false}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        const std::string path = dir.write("tarvelman.cfg", c.file);
        EXPECT_EQ(loadJogSettings(path), c.expected) << c.file;
    }
    EXPECT_EQ(loadJogSettings(dir.file("absent.cfg")), JogSettings{});
}

TEST(CreateJogSettingsIfMissing, WritesQuotedZerosOnlyWhenAbsent) {
    TempDir dir;
    const std::string path = dir.file("tarvelman.cfg");
    EXPECT_FALSE(createJogSettingsIfMissing(path).has_value());
    EXPECT_EQ(TempDir::read(path), "\"0\",\"0\",\"0\"\r\n");

    dir.write("tarvelman.cfg", "1,1,0\r\n");
    EXPECT_FALSE(createJogSettingsIfMissing(path).has_value());
    EXPECT_EQ(TempDir::read(path), "1,1,0\r\n");

    const auto error = createJogSettingsIfMissing(dir.file("no-such-dir/tarvelman.cfg"));
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->find("no-such-dir"), std::string::npos);
}

TEST(SaveJogSettings, WritesBareIntegersAndKeepsTheOldFileOnFailure) {
    TempDir dir;
    const std::string path = dir.write("tarvelman.cfg", "\"0\",\"0\",\"0\"\r\n");
    EXPECT_FALSE(saveJogSettings({true, false, true}, path).has_value());
    EXPECT_EQ(TempDir::read(path), "1,0,1\r\n");
    EXPECT_EQ(loadJogSettings(path), (JogSettings{true, false, true}));

    // A directory in the way of the rename: the write fails, the file stays.
    const std::string blocked = dir.file("blocked");
    std::filesystem::create_directories(blocked + "/inside");
    EXPECT_TRUE(saveJogSettings({true, true, true}, blocked).has_value());
    EXPECT_TRUE(std::filesystem::is_directory(blocked));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);  // no temporary left
}

}  // namespace
}  // namespace tarvel
