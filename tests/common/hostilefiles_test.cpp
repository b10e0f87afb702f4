// Files no program of ours writes, handed to every reader and writer: none may hang,
// abort or fill the memory, and each refuses them as it refuses an unusable file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "common/files.h"
#include "config/machineconfig.h"
#include "cutting/cutprogram.h"
#include "cutting/jobparameters.h"
#include "drawing/datimport.h"
#include "drawing/dxfimport.h"
#include "drawing/frafile.h"
#include "manual/jogsettings.h"
#include "support/tempdir.h"

namespace tarvel {
namespace {

using testing::TempDir;
constexpr auto ReadError = CutProgramReader::Status::ReadError;

// Each reader's extension, and whether it took the file as usable.
const std::pair<const char*, std::function<bool(const std::string&)>> kReaders[] = {
    {".cfg", [](const std::string& p) { return loadMachineConfig(p).has_value(); }},
    {".man", [](const std::string& p) { return loadJogSettings(p).invertArrowZ; }},
    {".fra", [](const std::string& p) { CutObject o; return readFraFile(p, o).status == FraReadStatus::Read; }},
    {".dat", [](const std::string& p) { CutObject o; return importDatFile(p, o).status == ImportStatus::Imported; }},
    {".dxf", [](const std::string& p) { return scanDxf(p, p + ".scan").status != DxfScanStatus::Unreadable; }},
    {".def", [](const std::string& p) { std::int64_t v; return CutProgramReader(p).next(v) != ReadError; }},
    {".det", [](const std::string& p) { return readJobParameters(p).has_value(); }},
};

TEST(HostileFiles, EveryReaderRefusesWhatIsNoRegularFileAndLinesWithoutEnd) {
    const std::string nineFields = R"("1 1","1","1","1","1","1","1","1","1",)";
    for (const auto& [extension, accepts] : kReaders) {
        TempDir dir;
        auto file = [&](const char* name) { return dir.file(name + std::string(extension)); };
        EXPECT_TRUE(accepts(dir.write(file("short"), nineFields + "\"1\"\r\n"))) << extension;
        EXPECT_FALSE(accepts(dir.write(file("long"), nineFields + std::string(100 << 10, '1')))) << extension;
        ASSERT_EQ(::mkfifo(file("fifo").c_str(), 0600) | ::symlink("/dev/zero", file("zero").c_str()), 0);
        std::filesystem::create_directory(file("folder"));
        for (const char* name : {"fifo", "zero", "folder", "absent"}) EXPECT_FALSE(accepts(file(name))) << file(name);
    }
}

TEST(HostileFiles, WritersFollowSymbolicLinksAndRefuseOtherNonRegularTargets) {
    TempDir dir;
    const std::string target = dir.write("real.cfg", "old");
    ASSERT_EQ(::symlink("real.cfg", dir.file("link").c_str()) | ::mkfifo(dir.file("fifo").c_str(), 0600) |
                  ::symlink("fifo", dir.file("to-fifo").c_str()),
              0);
    std::filesystem::create_directory(dir.path() / "folder");
    EXPECT_FALSE(replaceFileText(dir.file("link"), "new"));
    for (const char* name : {"fifo", "to-fifo", "folder"})
        EXPECT_TRUE(replaceFileText(dir.file(name), "x")) << name;
    EXPECT_EQ(TempDir::read(target), "new");
    namespace fs = std::filesystem;
    EXPECT_TRUE(fs::is_symlink(dir.file("link")) && fs::is_symlink(dir.file("to-fifo")) && fs::is_fifo(dir.file("fifo")));
}

}  // namespace
}  // namespace tarvel
