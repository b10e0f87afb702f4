#include "common/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/paths.h"
#include "support/tempdir.h"

namespace tarvel {
namespace {

std::size_t entriesIn(const std::filesystem::path& dir) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir), {}));
}

unsigned modeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// The real disk, with every call written down, and one call refused when asked.
class RecordingDisk final : public FileCalls {
public:
    std::vector<std::string> calls;
    std::string refuse;  // the name of the call to fail with ENOSPC

    int createTemporary(const std::string& target, std::string& temporaryPath) override {
        return pass("create") ? real().createTemporary(target, temporaryPath) : -ENOSPC;
    }
    long write(int fd, const char* data, std::size_t size) override {
        return pass("write") ? real().write(fd, data, size) : -ENOSPC;
    }
    int sync(int fd) override { return pass("sync") ? real().sync(fd) : -ENOSPC; }
    int setMode(int fd, unsigned mode) override { return pass("mode") ? real().setMode(fd, mode) : -ENOSPC; }
    int rename(const std::string& from, const std::string& to) override {
        return pass("rename") ? real().rename(from, to) : -ENOSPC;
    }

private:
    static FileCalls& real() { return systemFileCalls(); }
    bool pass(const char* call) {
        calls.emplace_back(call);
        return refuse != call;
    }
};

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
    TextFileWriter missing("/nonexistent-tarvel-dir/x.cfg");
    EXPECT_FALSE(missing.isOpen());
    EXPECT_FALSE(missing.commit());
    EXPECT_NE(missing.error().find("/nonexistent-tarvel-dir/x.cfg"), std::string::npos);
}

// The data is on the disk before the name moves to it, so that a crash in between
// leaves the old file rather than an empty new one.
TEST(TextFileWriter, SyncsBeforeRenaming) {
    testing::TempDir dir;
    RecordingDisk disk;
    TextFileWriter w(dir.file("a.cfg"), disk);
    w.write("x");
    ASSERT_TRUE(w.commit());
    EXPECT_EQ(disk.calls, (std::vector<std::string>{"create", "mode", "write", "sync", "rename"}));
}

TEST(TextFileWriter, RefusedCallLeavesTheOldFileAndSaysWhy) {
    for (const char* call : {"create", "mode", "write", "sync", "rename"}) {
        testing::TempDir dir;
        auto path = dir.write("a.cfg", "old");
        RecordingDisk disk;
        disk.refuse = call;
        TextFileWriter w(path, disk);
        w.write("new");
        EXPECT_FALSE(w.commit()) << call;
        EXPECT_EQ(w.error(), "Impossible d'écrire le fichier " + path + " : le disque est plein.") << call;
        EXPECT_EQ(testing::TempDir::read(path), "old") << call;
        EXPECT_EQ(entriesIn(dir.path()), 1u) << call;
    }
}

TEST(TextFileWriter, ReplacedFileKeepsItsPermissions) {
    testing::TempDir dir;
    for (unsigned mode : {0640u, 0604u, 0755u}) {
        auto path = dir.write("a.cfg", "old");
        ::chmod(path.c_str(), mode);
        ASSERT_TRUE(replaceFileText(path, "new"));
        EXPECT_EQ(modeOf(path), mode);
    }
    const mode_t mask = ::umask(022);
    ASSERT_TRUE(replaceFileText(dir.file("new.cfg"), "new"));
    ::umask(mask);
    EXPECT_EQ(modeOf(dir.file("new.cfg")), 0644u);  // a new file as any other the user makes
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

// Opening a window leaves nothing in the temporary directory; the first scratch file
// named makes the private folder.
TEST(ScratchDirectory, IsMadeOnFirstUseAndPrivateToTheUser) {
    testing::TempDir tmp;
    ::setenv("TMPDIR", tmp.str().c_str(), 1);
    const Paths paths = Paths::forThisProgram();
    EXPECT_EQ(entriesIn(tmp.path()), 0u);
    const std::string dir = std::filesystem::path(paths.scratchFile("tempX")).parent_path().string();
    ::unsetenv("TMPDIR");
    EXPECT_EQ(std::filesystem::path(dir).parent_path(), tmp.path());
    struct stat st {};
    ASSERT_EQ(::lstat(dir.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(st.st_uid, ::geteuid());
}

}  // namespace
}  // namespace tarvel
