// Throughput of "Créer fichier fraisage (DEF)": a zig-zag object of some ten million
// ticks goes through the four stages and their scratch files, and the time is set
// against writing a cutting file of the same number of lines alone, in the same run.
// Every generation pays for its safety here too: the clean-up of the job's folder, the
// claim of the job name, a scratch folder of its own made and removed, the disk-space
// check and the two pending files put in place. Peak memory is read after a small job
// and after the large one: a streamed generation keeps it where it was.
// Goals: at least 10 million ticks per second, flat memory, within 5 times the time of
// writing the cutting file alone.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/files.h"
#include "common/paths.h"
#include "common/textrules.h"
#include "common/userdialogs.h"
#include "cutting/cuttingform.h"
#include "cutting/generator.h"

namespace {

using Clock = std::chrono::steady_clock;

class QuietDialogs final : public tarvel::UserDialogs {
public:
    std::string last;
    void tell(const tarvel::Message& m) override { last = m.text; }
    bool confirm(const tarvel::Message&, bool d) override { return d; }
    std::optional<std::string> ask(const tarvel::Message&, std::string_view) override { return std::nullopt; }
    void setBusy(bool) override {}
    std::optional<std::string> chooseOpenFile(const tarvel::FileChoice&) override { return std::nullopt; }
    std::optional<std::string> chooseSaveFile(const tarvel::FileChoice&) override { return std::nullopt; }
};

long peakKilobytes() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// Rows of 100 mm along X, each 0,5 mm further along Y, the tool in the material:
// 2000 ticks per row at 20 steps per mm, with 10 Y steps spread over them.
std::string writeZigZag(const std::filesystem::path& dir, int rows) {
    tarvel::TextFileWriter fra((dir / "zigzag.fra").string());
    fra.writeAscii("0,0,0\r\n");
    std::string line;
    for (int i = 0; i < rows; ++i) {
        line.assign(i % 2 ? "\"0\",\"" : "\"100\",\"");
        line.append(tarvel::decimalText(i * 0.5));
        line.append("\",\"1\"\r\n");
        fra.writeAscii(line);
    }
    fra.writeAscii("0,0,0\r\n");
    fra.commit();
    return (dir / "zigzag.fra").string();
}

std::uint64_t countLines(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return 0;
    static char buf[1 << 16];
    std::uint64_t lines = 0;
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        for (std::size_t i = 0; i < n; ++i) lines += buf[i] == '\n';
    std::fclose(f);
    return lines;
}

struct Run {
    double seconds = 0;
    std::uint64_t ticks = 0;
    std::uint64_t bytes = 0;
};

Run generate(const std::filesystem::path& dir, const tarvel::Paths& paths, int rows, const std::string& job) {
    tarvel::CuttingForm form;
    form.objectFile = writeZigZag(dir, rows);
    form.jobName = (dir / job).string();
    form.toolDescent = "2";
    form.stepsPerMmX = form.stepsPerMmY = form.stepsPerMmZ = "20";
    const char* weights[] = {"1", "2", "4", "8", "16", "32", "64", "128"};
    std::string* fields[] = {&form.xDirWeight, &form.xClockWeight, &form.yDirWeight, &form.yClockWeight,
                             &form.zDirWeight, &form.zClockWeight, &form.spareDirWeight, &form.spareClockWeight};
    for (int i = 0; i < 8; ++i) *fields[i] = weights[i];
    QuietDialogs dialogs;
    auto start = Clock::now();
    bool ok = tarvel::generateCutProgram(form, dialogs, paths);
    Run r;
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (!ok) {
        std::fprintf(stderr, "generation failed: %s\n", dialogs.last.c_str());
        std::exit(1);
    }
    r.ticks = countLines(form.jobName);
    r.bytes = std::filesystem::file_size(form.jobName);
    return r;
}

// The same number of lines written alone, line by line through the file writer.
double writeAlone(const std::filesystem::path& dir, std::uint64_t lines) {
    auto start = Clock::now();
    tarvel::TextFileWriter out((dir / "alone.def").string());
    for (std::uint64_t i = 0; i < lines; ++i) {
        out.writeInteger(i % 2 ? 51 : 49);
        out.endRecord();
    }
    out.commit();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main() {
    char pattern[] = "/tmp/tarvel-bench-XXXXXX";
    if (!::mkdtemp(pattern)) return 1;
    std::filesystem::path dir(pattern);
    std::filesystem::create_directories(dir / "scratch");
    tarvel::Paths paths{dir.string(), (dir / "scratch").string(), {}};

    Run small = generate(dir, paths, 1000, "small");
    long smallPeak = peakKilobytes();
    Run large = generate(dir, paths, 5200, "large");
    long largePeak = peakKilobytes();
    double alone = writeAlone(dir, large.ticks);

    std::printf("small job: %llu ticks in %.3f s, peak memory %ld KiB\n",
                static_cast<unsigned long long>(small.ticks), small.seconds, smallPeak);
    std::printf("large job: %llu ticks in %.3f s (%.2f million ticks per second), cutting file %.1f MB\n",
                static_cast<unsigned long long>(large.ticks), large.seconds, large.ticks / large.seconds / 1e6,
                large.bytes / 1e6);
    std::printf("peak memory after the large job: %ld KiB (%+ld KiB over the small job)\n", largePeak,
                largePeak - smallPeak);
    std::printf("writing the same %llu lines alone: %.3f s; generation / writing alone: %.2f\n",
                static_cast<unsigned long long>(large.ticks), alone, large.seconds / alone);
    const double rate = large.ticks / large.seconds / 1e6;
    const bool flat = largePeak - smallPeak < 4096;
    std::printf("goals: >= 10 million ticks/s %s, flat memory %s, within 5x of writing alone %s\n",
                rate >= 10 ? "met" : "NOT met", flat ? "met" : "NOT met", large.seconds <= 5 * alone ? "met" : "NOT met");
    std::filesystem::remove_all(dir);
    return 0;
}
