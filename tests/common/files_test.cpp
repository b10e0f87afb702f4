#include "common/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "common/paths.h"
#include "support/tempdir.h"

namespace tarvel {
namespace {

std::size_t entriesIn(const std::filesystem::path& dir) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir), {}));
}

TEST(TextFileWriter, ReplacesTheFileOnlyAtCommit) {
    testing::TempDir dir;
    auto path = dir.write("a.cfg", "old\r\n");
    {
        TextFileWriter w(path);
        ASSERT_TRUE(w.isOpen());
        w.write("Paramètres");
        w.endRecord();
        w.writeInteger(-42);
        EXPECT_EQ(testing::TempDir::read(path), "old\r\n");
        ASSERT_TRUE(w.commit());
    }
    EXPECT_EQ(testing::TempDir::read(path), "Param\xE8tres\r\n-42");
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

TEST(TextFileWriter, UncommittedWriterLeavesNoTraceAndOldFileIntact) {
    testing::TempDir dir;
    auto path = dir.write("a.cfg", "old");
    {
        TextFileWriter w(path);
        w.write(std::string(3 << 20, 'x'));  // past one buffer flush
    }
    EXPECT_EQ(testing::TempDir::read(path), "old");
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

TEST(TextFileWriter, UnwritableDirectoryFailsWithAFrenchReason) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes everywhere";
    testing::TempDir dir;
    std::filesystem::create_directory(dir.path() / "ro");
    ::chmod((dir.path() / "ro").c_str(), 0500);
    TextFileWriter w(dir.file("ro/x.cfg"));
    w.write("abc");
    EXPECT_FALSE(w.commit());
    EXPECT_NE(w.error().find("accès refusé"), std::string::npos) << w.error();
}

TEST(TextFileWriter, MissingDirectoryFails) {
    TextFileWriter w("/nonexistent-tarvel-dir/x.cfg");
    EXPECT_FALSE(w.isOpen());
    EXPECT_FALSE(w.commit());
    EXPECT_NE(w.error().find("/nonexistent-tarvel-dir/x.cfg"), std::string::npos);
}

TEST(FileTests, ExistenceMeansARegularFile) {
    testing::TempDir dir;
    auto f = dir.write("f", "");
    EXPECT_TRUE(fileExists(f));
    EXPECT_FALSE(fileExists(dir.str()));
    EXPECT_TRUE(directoryExists(dir.str()));
    EXPECT_FALSE(fileExists(""));
    EXPECT_TRUE(removeFile(f));
    EXPECT_TRUE(removeFile(f));  // already gone counts as removed
    EXPECT_FALSE(fileExists(f));
}

TEST(ProgramFilePath, AddsOneSeparatorOnly) {
    EXPECT_EQ(programFilePath("/opt/tarvel", "tarvel1.cfg"), "/opt/tarvel/tarvel1.cfg");
    EXPECT_EQ(programFilePath("/", "tarvel1.cfg"), "/tarvel1.cfg");
    EXPECT_EQ(programFilePath("/opt/tarvel/", "tarvelman.cfg"), "/opt/tarvel/tarvelman.cfg");
}

TEST(Paths, SettingsGoToTheUserFolderOnlyWhenOneIsGiven) {
    Paths beside{"/opt/tarvel", "/tmp/s", {}};
    EXPECT_EQ(beside.configFile(), "/opt/tarvel/tarvel1.cfg");
    EXPECT_EQ(beside.jogSettingsFile(), "/opt/tarvel/tarvelman.cfg");
    Paths installed{"/usr/lib/tarvel", "/tmp/s", "/home/u/.config/tarvel"};
    EXPECT_EQ(installed.configFile(), "/home/u/.config/tarvel/tarvel1.cfg");
    EXPECT_EQ(installed.jogSettingsFile(), "/home/u/.config/tarvel/tarvelman.cfg");
    EXPECT_EQ(installed.dataFile("sin1.txt"), "/usr/lib/tarvel/sin1.txt");
}

TEST(ScratchDirectory, IsPrivateToTheUser) {
    std::string dir = defaultScratchDirectory();
    struct stat st {};
    ASSERT_EQ(::lstat(dir.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(st.st_uid, ::geteuid());
}

}  // namespace
}  // namespace tarvel
