#include "common/files.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "common/leftovers.h"
#include "common/paths.h"
#include "support/faultydisk.h"
#include "support/tempdir.h"

namespace tarvel {
namespace {

using testing::FileStep;
using testing::TempDir;

std::size_t entriesIn(const std::filesystem::path& dir) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir), {}));
}

TEST(TextFileWriter, ReplacesTheFileOnlyAtCommit) {
    TempDir dir;
    auto path = dir.write("a.cfg", "old");
    TextFileWriter(path).write(std::string(3 << 20, 'x'));  // past one buffer flush, then dropped
    TextFileWriter w(path);
    w.write("Paramètres");
    w.endRecord();
    w.writeInteger(-42);
    EXPECT_EQ(TempDir::read(path), "old");
    EXPECT_EQ(entriesIn(dir.path()), 2u);  // the file and the one being written
    ASSERT_TRUE(w.commit());
    EXPECT_EQ(TempDir::read(path), "Param\xE8tres\r\n-42");
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

// The data is on the disk before the name moves to it, so that a crash in between
// leaves the old file rather than an empty new one.
TEST(TextFileWriter, SyncsBeforeRenaming) {
    TempDir dir;
    testing::FaultyDisk disk;
    TextFileWriter w(dir.file("a.cfg"), disk);
    w.write("x");
    ASSERT_TRUE(w.commit());
    EXPECT_EQ(disk.calls,
              (std::vector{FileStep::Open, FileStep::Mode, FileStep::Write, FileStep::Sync, FileStep::Rename}));
}

TEST(TextFileWriter, RefusedCallLeavesTheOldFileAndSaysWhy) {
    for (FileStep step : {FileStep::Open, FileStep::Mode, FileStep::Write, FileStep::Sync, FileStep::Rename}) {
        SCOPED_TRACE(static_cast<int>(step));
        TempDir dir;
        auto path = dir.write("a.cfg", "old");
        testing::FaultyDisk disk;
        disk.fault = {step, ENOSPC, ""};
        TextFileWriter w(path, disk);
        w.write("new");
        EXPECT_FALSE(w.commit());
        EXPECT_EQ(w.error(), "Impossible d'écrire le fichier " + path + " : le disque est plein.");
        EXPECT_EQ(TempDir::read(path), "old");
        EXPECT_EQ(entriesIn(dir.path()), 1u);
    }
}

TEST(TextFileWriter, ReplacedFileKeepsItsPermissions) {
    TempDir dir;
    for (unsigned mode : {0640u, 0604u, 0755u}) {
        auto path = dir.write("a.cfg", "old");
        ::chmod(path.c_str(), mode);
        ASSERT_EQ(replaceFileText(path, "new"), std::nullopt);
        EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(mode));
    }
    const mode_t mask = ::umask(022);
    ASSERT_EQ(replaceFileText(dir.file("new.cfg"), "new"), std::nullopt);
    ::umask(mask);
    // a new file as any other the user makes
    EXPECT_EQ(std::filesystem::status(dir.file("new.cfg")).permissions(), std::filesystem::perms(0644));
}

TEST(FileTests, ExistenceMeansARegularFile) {
    TempDir dir;
    auto f = dir.write("f", "");
    EXPECT_TRUE(fileExists(f) && directoryExists(dir.str()));
    EXPECT_FALSE(fileExists(dir.str()) || directoryExists(f));
    EXPECT_TRUE(removeFile(f) && removeFile(f) && !fileExists(f));  // already gone counts as removed
}

// Opening a window leaves nothing in the temporary directory; the first scratch file
// named makes the private folder.
TEST(ScratchDirectory, IsMadeOnFirstUseAndPrivateToTheUser) {
    TempDir tmp;
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

// When <temp>/tarvel-<user> is not ours, one private folder is used instead, the same
// each time: the runtime folder when it is private, else ~/.cache/tarvel.
TEST(ScratchDirectory, TakenNameFallsBackToOnePrivateFolder) {
    TempDir tmp, runtime, home;
    const std::string user = ::getpwuid(::geteuid())->pw_name;
    std::filesystem::create_directory_symlink("/", tmp.path() / ("tarvel-" + user));
    const std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("TMPDIR", tmp.str().c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", runtime.str().c_str(), 1);
    ::setenv("HOME", home.str().c_str(), 1);
    ::chmod(runtime.str().c_str(), 0700);
    const std::string first = defaultScratchDirectory(), again = defaultScratchDirectory();
    ::chmod(runtime.str().c_str(), 0755);  // others may enter: not private
    const std::string fallback = defaultScratchDirectory();
    ::unsetenv("TMPDIR"), ::unsetenv("XDG_RUNTIME_DIR"), ::setenv("HOME", oldHome.c_str(), 1);
    EXPECT_EQ(first, runtime.file("tarvel"));
    EXPECT_EQ(again, first);
    EXPECT_EQ(fallback, home.file(".cache/tarvel"));
    EXPECT_EQ(std::filesystem::status(fallback).permissions(), std::filesystem::perms::owner_all);
}

// What a killed run leaves goes at the next clean-up; what a running one holds stays.
TEST(Leftovers, GoWithTheirProcessOnly) {
    TempDir dir;
    const auto pidName = [](const char* before, long pid) { return before + std::to_string(pid) + "-a1B2c3"; };
    const pid_t child = ::fork();
    if (child == 0) {  // killed while putting a job in place: its .def is there, not its .det
        NameClaim claim(dir.file("job"));
        claim.announce({dir.file("job.def"), dir.file("job.det")});
        dir.write("job.def", "2\r\n");
        dir.write(pidName(".a.cfg.tmp-", ::getpid()), "x");
        std::filesystem::create_directory(dir.file(pidName("gen-", ::getpid())));
        // Its job's folder elsewhere, noted in its scratch folder, holds a temporary too.
        std::filesystem::create_directory(dir.file("jobs"));
        dir.write("jobs/" + pidName(".x.def.tmp-", ::getpid()), "x");
        noteJobFolder(dir.file(pidName("gen-", ::getpid())), dir.file("jobs"));
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    const std::set<std::string> kept = {pidName(".a.cfg.tmp-", ::getpid()), pidName("gen-", ::getpid()), "b.def"};
    for (const auto& name : kept)
        name.starts_with("gen") ? (void)std::filesystem::create_directory(dir.file(name)) : (void)dir.write(name, "");
    removeLeftovers(dir.str());
    std::set<std::string> left;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) left.insert(e.path().filename());
    EXPECT_EQ(left.erase("jobs"), 1u);
    EXPECT_EQ(left, kept);
    EXPECT_TRUE(std::filesystem::is_empty(dir.file("jobs")));
}

}  // namespace
}  // namespace tarvel
