// How fast "Découper" plays a cutting file when no delay slows it: both feeds at 100
// (slider 0, so every delay is empty), the simulated machine as the port, nothing
// pressed. The figure is ticks per second over the whole run, the check of the file
// before the confirmation included; the reference is reading the same file line by
// line alone, measured in the same run. Goal: at least a million ticks per second.
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "common/eventpump.h"
#include "common/files.h"
#include "common/records.h"
#include "cutting/cutrun.h"
#include "port/simulatedmachine.h"
#include "port/stepdelay.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Figures with a decimal point whatever the locale.
std::string fixed(double value, int decimals) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    return std::string(buf, res.ptr);
}

// Answers Yes to the confirmation and shows nothing.
class YesDialogs final : public tarvel::UserDialogs {
public:
    int messages = 0;
    void tell(const tarvel::Message&) override { ++messages; }
    bool confirm(const tarvel::Message&, bool) override { return true; }
    std::optional<std::string> ask(const tarvel::Message&, std::string_view) override { return std::nullopt; }
    void setBusy(bool) override {}
    std::optional<std::string> chooseOpenFile(const tarvel::FileChoice&) override { return std::nullopt; }
    std::optional<std::string> chooseSaveFile(const tarvel::FileChoice&) override { return std::nullopt; }
};

// Pockets with the default pins: plunge, a square of X+, Y+, a diagonal, X-, Y-, then
// back up. Each pocket ends where it started, so the whole file ends at the origin.
std::uint64_t writeCuttingFile(const std::string& path, std::uint64_t atLeast) {
    tarvel::TextFileWriter out(path);
    std::uint64_t ticks = 0;
    auto put = [&](int value, int times) {
        for (int i = 0; i < times; ++i) {
            out.writeInteger(value);
            out.endRecord();
        }
        ticks += static_cast<std::uint64_t>(times);
    };
    while (ticks < atLeast) {
        put(32, 40);   // Z down
        put(2, 800);   // X+
        put(8, 800);   // Y+
        put(15, 400);  // X- Y- together
        put(3, 400);   // X-
        put(12, 400);  // Y-
        put(48, 40);   // Z up
    }
    if (!out.commit()) {
        std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), out.error().c_str());
        return 0;
    }
    return ticks;
}

}  // namespace

int main() {
    const std::string dir = (std::filesystem::temp_directory_path() / "tarvel-bench-cut-loop").string();
    std::filesystem::create_directories(dir);
    const std::string path = dir + "/bench.def";
    const std::uint64_t ticks = writeCuttingFile(path, 4'000'000);
    if (ticks == 0) return 1;

    const auto readStart = Clock::now();
    std::uint64_t lines = 0;
    {
        tarvel::RecordReader reader(path);
        std::string line;
        while (reader.readLine(line)) ++lines;
    }
    const double readSeconds = secondsSince(readStart);

    tarvel::CuttingForm form;
    form.jobName = path;
    form.cuttingFeed = form.rapidFeed = "100";
    form.speedCoefficient = "0,02";
    form.stepsPerMmX = form.stepsPerMmY = form.stepsPerMmZ = "20";
    form.toolChangeClearance = "30";
    form.xDirWeight = "1", form.xClockWeight = "2", form.yDirWeight = "4", form.yClockWeight = "8";
    form.zDirWeight = "16", form.zClockWeight = "32", form.spareDirWeight = "64", form.spareClockWeight = "128";
    form.invertX = form.invertY = form.invertZ = "0";
    form.port = tarvel::kPort1Address;
    form.configurationRead = true;

    tarvel::CutControl control;
    tarvel::SimulatedMachine machine;
    YesDialogs dialogs;
    tarvel::NoEventPump pump;
    tarvel::CountingWaiter waiter;
    tarvel::CutRunView view;

    const auto runStart = Clock::now();
    const tarvel::CutRunResult result =
        tarvel::runCutProgram(form, control, tarvel::ZSense::Normal, machine, dialogs, pump, waiter, view);
    const double runSeconds = secondsSince(runStart);
    tarvel::removeFile(path);

    const bool whole = result.end == tarvel::CutRunEnd::Finished && result.ticksSent == ticks &&
                       machine.xSteps() == 0 && machine.ySteps() == 0 && machine.zSteps() == 0 &&
                       waiter.total == 0;
    const double rate = static_cast<double>(result.ticksSent) / runSeconds;
    std::printf("cut loop, feed 100, simulated machine\n");
    std::printf("  ticks                 %llu\n", static_cast<unsigned long long>(result.ticksSent));
    std::printf("  run (check + play)    %s s\n", fixed(runSeconds, 3).c_str());
    std::printf("  ticks per second      %s  (goal 1000000: %s)\n", fixed(rate, 0).c_str(),
                rate >= 1e6 ? "met" : "NOT met");
    std::printf("  reference: reading the %llu lines alone  %s s\n", static_cast<unsigned long long>(lines),
                fixed(readSeconds, 3).c_str());
    std::printf("  ratio run / reading   %s\n", fixed(runSeconds / readSeconds, 2).c_str());
    std::printf("  ended at the origin with every tick sent: %s\n", whole ? "yes" : "NO");
    return whole ? 0 : 1;
}
