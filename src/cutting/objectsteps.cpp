// The first two stages of a generation: the object file in motor steps, then the
// steps of each segment.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "common/files.h"
#include "common/records.h"
#include "common/textrules.h"
#include "cutting/cuttingmessages.h"
#include "cutting/generationstages.h"
#include "drawing/frafile.h"

namespace tarvel {

namespace {

namespace msg = cutting_messages;

// Beyond this many steps on one axis a segment's tick count stops being exact in a
// double, and the pulse rule's running sum would stall.
constexpr double kLargestSteps = 1e15;

// prem numbers: up to 15 significant digits, "." as decimal separator, as the program
// has always written them.
void appendPremNumber(std::string& out, double v) {
    std::string text = decimalText(v);
    std::replace(text.begin(), text.end(), ',', '.');
    out += text;
}

Message objectFailure(const std::string& objectFile, const FraFailure& f) {
    static const char* const columns[] = {"X", "Y", "Z"};
    switch (f.kind) {
        case FraFailure::Kind::LineIncomplete: return msg::objectLineIncomplete(objectFile, f.line);
        case FraFailure::Kind::NotNumber:
            return msg::objectValueNotNumber(objectFile, f.line, columns[f.column], f.text);
        case FraFailure::Kind::Unreadable: break;
    }
    return msg::objectFileUnreadable(objectFile);
}

}  // namespace

// Object file -> prem: each point in motor steps.
StageFailure scaleObject(GenerationRun& run) {
    FraReader in(run.settings.objectFile);
    TextFileWriter out(run.paths.scratchFile("prem"));
    std::string x, y, z, line;
    std::uint64_t records = 0;
    while (in.next(x, y, z)) {
        const std::int64_t lineNo = in.lineNumber();
        double xyz[3];
        if (auto f = fraNumbers(x, y, z, lineNo, xyz)) return objectFailure(run.settings.objectFile, *f);
        // Any other Z would become a depth no tool reaches, and steps without end.
        if (xyz[2] != 0 && xyz[2] != 1) return msg::objectZNotToolState(run.settings.objectFile, lineNo, z);
        // The scale factor applies to X and Y; Z, the tool state 0 or 1, becomes 0
        // or the tool descent, so going into the material makes Z grow.
        const double steps[3] = {xyz[0] * run.settings.scale * run.settings.stepsX, xyz[1] * run.settings.scale * run.settings.stepsY,
                                 xyz[2] * run.settings.descent * run.settings.stepsZ};
        line.clear();
        for (double v : steps) {
            if (!(std::fabs(v) <= kLargestSteps)) return msg::objectValueTooLarge(run.settings.objectFile, lineNo);
            appendPremNumber(line, v);
            line += ',';
        }
        line += "0\r\n";
        out.writeAscii(line);
        if (++records % 65536 == 0 && !run.report(GenerationStage::Scaling, records, 0))
            return msg::kGenerationCancelled;
    }
    if (in.failure()) return objectFailure(run.settings.objectFile, *in.failure());
    if (!out.commit()) return msg::generationFailed(out.error());
    return std::nullopt;
}

// prem -> objet: direction and rounded step count of each axis per segment.
StageFailure segmentObject(GenerationRun& run) {
    const std::string path = run.paths.scratchFile("prem");
    RecordReader in(path);
    if (!in.isOpen()) return msg::scratchFileUnreadable(path, 1);
    TextFileWriter out(run.paths.scratchFile("objet"));
    std::vector<std::string> f;
    double previous[4] = {}, current[4] = {};
    bool first = true;
    std::string line;
    std::uint64_t segments = 0;
    while (!in.atEnd()) {
        std::int64_t lineNo = in.lineNumber();
        if (!in.readRecord(f, 4)) return msg::scratchFileUnreadable(path, lineNo);
        for (int i = 0; i < 4; ++i) {
            auto v = pointNumber(f[i]);
            if (!v) return msg::scratchFileUnreadable(path, lineNo);
            current[i] = *v;
        }
        if (!first) {
            line.clear();
            std::int64_t longest = 0;
            for (int i = 0; i < 4; ++i) {
                // By default each segment is rounded on its own: remainders are not
                // carried, so four moves of 0.4 step make no step at all and a closed
                // contour may not close. Without drift the count runs between the two
                // points' nearest steps, and the counts of a path add up to the steps
                // between its ends. The direction follows the difference even when it
                // rounds to no step (rounding keeps the order, so both agree otherwise).
                const double d = previous[i] - current[i];
                const std::int64_t count =
                    run.settings.noDrift ? std::abs(roundHalfEven(previous[i]) - roundHalfEven(current[i]))
                                         : roundHalfEven(std::fabs(d));
                longest = std::max(longest, count);
                line += d > 0 ? "1," : "0,";
                line += integerText(count);
                line += i < 3 ? "," : "\r\n";
            }
            out.writeAscii(line);
            // Counted to the end even past any sane length, so the refusal can say how long.
            const auto ticks = static_cast<std::uint64_t>(longest);
            run.totalTicks = ticks > UINT64_MAX - run.totalTicks ? UINT64_MAX : run.totalTicks + ticks;
            if (++segments % 65536 == 0 && !run.report(GenerationStage::Segmenting, segments, 0))
                return msg::kGenerationCancelled;
        }
        std::copy(current, current + 4, previous);
        first = false;
    }
    if (in.failed()) return msg::scratchFileUnreadable(path, in.lineNumber());
    if (!out.commit()) return msg::generationFailed(out.error());
    return std::nullopt;
}

}  // namespace tarvel
