// Importing large DXF drawings: 100 000 LINE entities, then 10 000 CIRCLE entities (76
// rows each), both written here as R12 text; then 10 MB of ARC, LWPOLYLINE with bulges
// and SPLINE entities converted into segments within 0,01 mm. Each import runs in a child process so that
// its peak memory is its own; the time is set against reading the same file's fields
// alone, the floor of any import that looks at every field. Goal: under one second each.
// Memory: the bytes a row of the object holds, counted two ways, by the columns' own
// account and by the allocator's count of what the import left allocated. Goal: 64 bytes
// a row or less.
// The processor time and the load average are printed beside the elapsed time: on a
// machine shared with other work the elapsed time says more about the others.
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "common/files.h"
#include "common/paths.h"
#include "common/records.h"
#include "drawing/angletables.h"
#include "drawing/dxfconvert.h"
#include "drawing/dxfimport.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

long peakKilobytes() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// Processor time of this process, user and system: the machine may be shared.
double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void number(std::string& out, double v) {
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
}

void group(std::string& out, const char* code, double v) {
    out += code;
    out += "\r\n";
    number(out, v);
    out += "\r\n";
}

// One entity per 10 mm square of a grid, with the handle, layer and 3D groups an R12
// export carries.
std::string drawing(int count, bool circles) {
    std::string text = "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n";
    char handle[16];
    for (int i = 0; i < count; ++i) {
        const double x = (i % 300) * 10.0 + 0.125, y = (i / 300) * 10.0 + 0.25;
        text += circles ? "  0\r\nCIRCLE\r\n  5\r\n" : "  0\r\nLINE\r\n  5\r\n";
        auto r = std::to_chars(handle, handle + sizeof handle, i + 0x100, 16);
        text.append(handle, r.ptr);
        text += "\r\n  8\r\nPIECE\r\n";
        group(text, " 10", x);
        group(text, " 20", y);
        group(text, " 30", 0.0);
        if (circles) {
            group(text, " 40", 4.5);
        } else {
            group(text, " 11", x + 7.5);
            group(text, " 21", y + 3.75);
            group(text, " 31", 0.0);
        }
    }
    return text + "  0\r\nENDSEC\r\n  0\r\nEOF\r\n";
}

// About `bytes` of R2000 entities: an arc of 5 mm, a closed light polyline of four
// vertices, two of them bulged, and a cubic spline of six control points, by turns.
std::string drawingToConvert(std::size_t bytes) {
    std::string text = "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n";
    for (int i = 0; text.size() < bytes; ++i) {
        const double x = (i % 300) * 20.0 + 0.125, y = (i / 300) * 20.0 + 0.25;
        text += "  0\r\n";
        switch (i % 3) {
            case 0:
                text += "ARC\r\n  8\r\nPIECE\r\n";
                group(text, " 10", x), group(text, " 20", y), group(text, " 40", 5.0);
                group(text, " 50", 15.0), group(text, " 51", 290.0);
                break;
            case 1:
                text += "LWPOLYLINE\r\n  8\r\nPIECE\r\n 90\r\n4\r\n 70\r\n1\r\n";
                group(text, " 10", x), group(text, " 20", y), group(text, " 42", 0.4);
                group(text, " 10", x + 12), group(text, " 20", y);
                group(text, " 10", x + 12), group(text, " 20", y + 8), group(text, " 42", -0.25);
                group(text, " 10", x), group(text, " 20", y + 8);
                break;
            default:
                text += "SPLINE\r\n  8\r\nPIECE\r\n 70\r\n8\r\n 71\r\n3\r\n 72\r\n10\r\n 73\r\n6\r\n";
                for (double k : {0.0, 0.0, 0.0, 0.0, 1.0, 2.0, 3.0, 3.0, 3.0, 3.0}) group(text, " 40", k);
                for (int j = 0; j < 6; ++j)
                    group(text, " 10", x + 3.0 * j), group(text, " 20", y + (j % 2 ? 9.0 : 1.0));
                break;
        }
    }
    return text + "  0\r\nENDSEC\r\n  0\r\nEOF\r\n";
}

// Bytes the allocator has handed out and not had back, small blocks and mapped ones.
std::size_t allocatedBytes() {
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

double readFieldsOnly(const std::string& path) {
    const auto start = Clock::now();
    tarvel::RecordReader in(path);
    std::string field;
    std::size_t n = 0;
    while (in.readField(field)) n += field.size();
    const double s = secondsSince(start);
    if (n == 0) std::puts("(no field read)");
    return s;
}

// The conversion of the drawing at `path`: reading it, then building the rows.
tarvel::ImportResult convert(const std::string& path, const tarvel::AngleTables& tables,
                             tarvel::CutObject& object) {
    tarvel::DxfDrawing drawing;
    if (std::optional<tarvel::Message> m = tarvel::readDxfDrawing(path, drawing))
        return {tarvel::ImportStatus::Failed, m};
    return tarvel::convertDxfDrawing(drawing, 0.01, tables, object);
}

void measure(const char* what, const std::string& path, const tarvel::AngleTables& tables,
             const std::string& scratch, bool converted = false) {
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        const long before = peakKilobytes();
        const double floor = readFieldsOnly(path);
        tarvel::CutObject object;
        const std::size_t allocatedBefore = allocatedBytes();
        const double cpuStart = cpuSeconds();
        const auto start = Clock::now();
        tarvel::ImportResult r =
            converted ? convert(path, tables, object) : tarvel::importDxfFile(path, tables, scratch, object);
        const double s = secondsSince(start);
        const double cpu = cpuSeconds() - cpuStart;
        const long peak = peakKilobytes();
        const double rows = static_cast<double>(std::max<std::size_t>(object.rows(), 1));
        const double heldPerRow = static_cast<double>(object.bytesHeld()) / rows;
        const double allocatedPerRow =
            static_cast<double>(allocatedBytes() - allocatedBefore) / rows;
        const auto scanStart = Clock::now();
        if (converted) {
            tarvel::DxfDrawing drawing;
            tarvel::readDxfDrawing(path, drawing);
        } else {
            tarvel::scanDxf(path, scratch);
        }
        const double scan = secondsSince(scanStart);
        std::printf("%-14s %6zu rows, %6s cuts  %.3f s (processor %.3f s; %s %.3f s, "
                    "reading the fields %.3f s)  peak memory %ld MB (%ld MB before)  %s\n",
                    what, object.rows(), object.cutCount.c_str(), s, cpu,
                    converted ? "reading the entities alone" : "scan alone", scan, floor,
                    peak / 1024, before / 1024,
                    r.status != tarvel::ImportStatus::Imported ? r.message->text.c_str()
                    : s < 1.0                                  ? "under 1 s"
                                                               : "OVER 1 s");
        std::printf("%-14s %.1f bytes a row held by the columns, %.1f bytes a row left allocated  %s\n",
                    "", heldPerRow, allocatedPerRow,
                    std::max(heldPerRow, allocatedPerRow) <= 64 ? "64 or less" : "OVER 64");
        std::fflush(stdout);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
}

}  // namespace

int main() {
    const tarvel::Paths paths = tarvel::Paths::forThisProgram();
    const tarvel::AngleTables tables = tarvel::readAngleTables(paths.programDir);
    if (!tables.usable()) {
        std::printf("%s\n", tables.fault->text.c_str());
        return 1;
    }
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("tarvel-bench-import-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string scratch = (dir / "tempX").string();
    const std::string lines = (dir / "lines.dxf").string();
    const std::string circles = (dir / "circles.dxf").string();
    tarvel::replaceFileText(lines, drawing(100000, false));
    tarvel::replaceFileText(circles, drawing(10000, true));
    double load[1] = {0};
    getloadavg(load, 1);
    std::printf("DXF import (%ld KB and %ld KB of DXF; load average %.1f on %ld processors)\n",
                static_cast<long>(std::filesystem::file_size(lines) / 1024),
                static_cast<long>(std::filesystem::file_size(circles) / 1024), load[0],
                sysconf(_SC_NPROCESSORS_ONLN));
    measure("100 000 LINE", lines, tables, scratch);
    measure("10 000 CIRCLE", circles, tables, scratch);
    const std::string curves = (dir / "curves.dxf").string();
    tarvel::replaceFileText(curves, drawingToConvert(10 * 1024 * 1024));
    std::printf("DXF conversion (%ld KB of ARC, LWPOLYLINE with bulges and SPLINE, tolerance 0,01 mm)\n",
                static_cast<long>(std::filesystem::file_size(curves) / 1024));
    measure("10 MB converted", curves, tables, scratch, true);
    std::filesystem::remove_all(dir);
    return 0;
}
