#include "manual/jogsettings.h"

#include <gtest/gtest.h>

#include "support/tempdir.h"

namespace tarvel {
namespace {

using testing::TempDir;

TEST(LoadJogSettings, OnlyTheNumberOneSetsAFlag) {
    const std::pair<std::string, JogSettings> cases[] = {
        {"\"0\",\"0\",\"0\"\r\n", {false, false, false}}, {"1,0,1\r\n", {true, false, true}},
        {"\"1\",\"1\",\"1\"\r\n", {true, true, true}},
        {"\"1,0\",2,-1\r\n", {true, false, false}},  // quoted: 1,0 reads as one
        {"0,1", {false, true, false}}, {"oui,X,\r\n", {false, false, false}}, {"", {false, false, false}},
        {std::string("\xff\x00\x01,1", 5), {false, true, false}},
    };
    TempDir dir;
    for (const auto& [file, expected] : cases) EXPECT_EQ(loadJogSettings(dir.write("m.cfg", file)), expected) << file;
    EXPECT_EQ(loadJogSettings(dir.file("absent.cfg")), JogSettings{});
}

}  // namespace
}  // namespace tarvel
