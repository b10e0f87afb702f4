#include "cutting/generator.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "common/files.h"
#include "common/records.h"
#include "common/textrules.h"
#include "cutting/cutprogram.h"
#include "cutting/cuttingmessages.h"
#include "cutting/jobparameters.h"
#include "cutting/stepchannel.h"
#include "drawing/frafile.h"

namespace tarvel {

namespace {

namespace msg = cutting_messages;

// Beyond this many steps on one axis a segment's tick count stops being exact in a
// double, and the pulse rule's running sum would stall.
constexpr double kLargestSteps = 1e15;
// Progress is reported about once per this many ticks.
constexpr std::uint64_t kProgressEvery = 1u << 20;

// A stage that cannot go on: the reason, in French, for the user.
using Failure = std::optional<std::string>;

struct Settings {
    std::string objectFile;
    double scale = 0, descent = 0;
    double stepsX = 0, stepsY = 0, stepsZ = 0;
    ChannelWeights weights;
    AxisInversion invert;
};

// ---------------------------------------------------------------------------------
// The checks of the window's command, in their order. `fromSaveDialog`: the job name
// was chosen in a save dialog, which made the name itself and asked before replacing a
// file: the extension and equal-name checks and an existing cutting file do not apply.
std::optional<Message> firstFailingCheck(const CuttingForm& form, const std::string& job, bool fromSaveDialog) {
    if (!fromSaveDialog && lastChars(job, 3) == "def") return msg::kJobNameHasExtension;
    if (form.description.empty()) return msg::kDescriptionEmpty;
    if (form.objectFile.empty()) return msg::kObjectFileEmpty;
    if (job.empty()) return msg::kJobNameEmpty;
    if (!fromSaveDialog && job == form.objectFile) return msg::kSameFileNames;
    if (form.toolDescent.empty()) return msg::kToolDescentEmpty;
    if (form.scaleFactor.empty()) return msg::kScaleFactorEmpty;
    if (fileExists(job + ".det") || (!fromSaveDialog && fileExists(job + ".def"))) return msg::kJobNameUsed;
    return std::nullopt;
}

std::optional<Message> readSettings(const CuttingForm& form, Settings& s) {
    s.objectFile = form.objectFile;
    s.scale = leadingNumber(form.scaleFactor);
    s.descent = leadingNumber(form.toolDescent);
    const std::pair<const std::string*, double*> steps[] = {
        {&form.stepsPerMmX, &s.stepsX}, {&form.stepsPerMmY, &s.stepsY}, {&form.stepsPerMmZ, &s.stepsZ}};
    const char* axes[] = {"X", "Y", "Z"};
    for (int i = 0; i < 3; ++i) {
        auto n = commaNumber(*steps[i].first);
        if (!n) return msg::stepsPerMmNotNumber(axes[i], *steps[i].first);
        *steps[i].second = *n;
    }
    if (auto m = readChannelWeights(form, s.weights)) return m;
    s.invert = readAxisInversion(form);
    return std::nullopt;
}

// ---------------------------------------------------------------------------------
// Writing the scratch files: records are gathered in a chunk and handed to the file
// writer a chunk at a time, so each record costs a few stores.

// One record's text repeated enough times to copy long runs in a few moves.
struct RepeatedRecord {
    static constexpr std::size_t kBlock = 4080;  // a multiple of 3 and of 5
    char text[8] = {};
    std::size_t length = 0;
    std::size_t perBlock = 0;
    char block[kBlock] = {};

    explicit constexpr RepeatedRecord(std::string_view record) {
        length = record.size();
        for (std::size_t i = 0; i < length; ++i) text[i] = record[i];
        perBlock = kBlock / length;
        for (std::size_t i = 0; i < perBlock * length; ++i) block[i] = record[i % length];
    }
};

constexpr RepeatedRecord kDir0("0\r\n");
constexpr RepeatedRecord kDir1("1\r\n");
constexpr RepeatedRecord kClock0("\"0\"\r\n");
constexpr RepeatedRecord kClock1("\"1\"\r\n");

class BitSink {
public:
    explicit BitSink(const std::string& path) : file_(path), chunk_(new char[kChunk + 8]) {}

    void put(const RepeatedRecord& r) {
        if (used_ + 8 > kChunk) flush();
        std::memcpy(chunk_.get() + used_, r.text, 8);
        used_ += r.length;
    }
    void putRun(const RepeatedRecord& r, std::uint64_t count) {
        if (count >= 2 * r.perBlock) {
            // Long runs go to the file writer block by block, without passing through
            // the chunk.
            flush();
            for (; count >= r.perBlock; count -= r.perBlock)
                file_.writeAscii(std::string_view(r.block, r.perBlock * r.length));
        }
        while (count > 0) {
            std::size_t room = (kChunk - used_) / r.length;
            if (room == 0) {
                flush();
                continue;
            }
            std::size_t k = static_cast<std::size_t>(std::min<std::uint64_t>(count, std::min(room, r.perBlock)));
            std::memcpy(chunk_.get() + used_, r.block, k * r.length);
            used_ += k * r.length;
            count -= k;
        }
    }
    bool commit() {
        flush();
        return file_.commit();
    }
    bool failed() const { return file_.failed(); }
    const std::string& error() const { return file_.error(); }

private:
    static constexpr std::size_t kChunk = 1 << 16;  // the writer's own buffer takes 16 of these
    void flush() {
        file_.writeAscii(std::string_view(chunk_.get(), used_));
        used_ = 0;
    }
    TextFileWriter file_;
    std::unique_ptr<char[]> chunk_;
    std::size_t used_ = 0;
};

// Reading them back. A bit file holds one short field per line, tens of millions of
// them; the general record reader's byte-by-byte field handling would cost more than
// the rest of the combining stage, so the two shapes the interpolating stage writes
// ("1" and "\"1\"") are recognised in place, and any other line goes through the
// field rule (blanks skipped, a quoted field to its closing quote, a bare one to the
// next comma or line end).
class BitReader {
public:
    enum Result { kBit, kEnd, kBad };

    explicit BitReader(const std::string& path)
        : file_(std::fopen(path.c_str(), "rb")), buffer_(new char[kBuffer]) {}
    ~BitReader() {
        if (file_) std::fclose(file_);
    }
    BitReader(const BitReader&) = delete;
    BitReader& operator=(const BitReader&) = delete;

    bool isOpen() const { return file_ != nullptr; }
    std::int64_t lineNumber() const { return line_; }

    Result next(int& bit) {
        if (len_ - pos_ < kLongestFast) {
            if (!fill()) return kEnd;
            if (len_ - pos_ < kLongestFast) {  // the file's last few bytes
                ++line_;
                return slowRecord(bit);
            }
        }
        const char* p = buffer_.get() + pos_;
        ++line_;
        if ((p[0] == '0' || p[0] == '1') && p[1] == '\r' && p[2] == '\n') {
            bit = p[0] - '0';
            pos_ += 3;
            return kBit;
        }
        if (p[0] == '"' && (p[1] == '0' || p[1] == '1') && p[2] == '"' && p[3] == '\r' && p[4] == '\n') {
            bit = p[1] - '0';
            pos_ += 5;
            return kBit;
        }
        return slowRecord(bit);
    }

    // Up to `wanted` bits into `out`, fewer only at the end of the file or at a line
    // that is no bit record (bad() then tells which).
    std::size_t read(std::uint8_t* out, std::size_t wanted) {
        std::size_t got = 0;
        const char* base = buffer_.get();
        while (got < wanted) {
            std::size_t pos = pos_;
            const std::size_t limit = len_ >= kLongestFast ? len_ - kLongestFast : 0;
            std::size_t n = got;
            while (n < wanted && pos <= limit && len_ >= kLongestFast) {
                const char* p = base + pos;
                if (p[1] == '\r' && p[2] == '\n' && (p[0] == '0' || p[0] == '1')) {
                    out[n++] = static_cast<std::uint8_t>(p[0] - '0');
                    pos += 3;
                } else if (p[0] == '"' && p[2] == '"' && p[3] == '\r' && p[4] == '\n' &&
                           (p[1] == '0' || p[1] == '1')) {
                    out[n++] = static_cast<std::uint8_t>(p[1] - '0');
                    pos += 5;
                } else {
                    break;
                }
            }
            line_ += static_cast<std::int64_t>(n - got);
            pos_ = pos;
            got = n;
            if (got == wanted) break;
            int bit = 0;
            Result r = next(bit);  // refills the buffer, or reads a line of another shape
            if (r != kBit) {
                bad_ = r == kBad;
                break;
            }
            out[got++] = static_cast<std::uint8_t>(bit);
        }
        return got;
    }
    bool bad() const { return bad_; }

private:
    static constexpr std::size_t kBuffer = 1 << 18;
    static constexpr std::size_t kLongestFast = 5;
    // A line longer than this is no bit record.
    static constexpr std::size_t kLongestLine = 256;

    // Keeps at least kLongestLine bytes ahead when the file has them; false at the end.
    bool fill() {
        if (pos_ > 0) {
            std::memmove(buffer_.get(), buffer_.get() + pos_, len_ - pos_);
            len_ -= pos_;
            pos_ = 0;
        }
        while (!eof_ && len_ < kBuffer) {
            std::size_t n = std::fread(buffer_.get() + len_, 1, kBuffer - len_, file_);
            len_ += n;
            if (n == 0) {
                eof_ = true;
                error_ = std::ferror(file_) != 0;
            }
        }
        return len_ > pos_;
    }

    Result slowRecord(int& bit) {
        if (len_ - pos_ < kLongestLine) fill();
        if (error_) return kBad;
        const char* p = buffer_.get() + pos_;
        const char* end = buffer_.get() + len_;
        const char* lineEnd = p;
        while (lineEnd < end && *lineEnd != '\r' && *lineEnd != '\n') ++lineEnd;
        if (lineEnd == end && !eof_) return kBad;
        const char* q = p;
        while (q < lineEnd && (*q == ' ' || *q == '\t')) ++q;
        std::string_view field;
        if (q < lineEnd && *q == '"') {
            const char* close = std::find(q + 1, lineEnd, '"');
            field = std::string_view(q + 1, static_cast<std::size_t>(close - q - 1));
        } else {
            const char* comma = std::find(q, lineEnd, ',');
            field = std::string_view(q, static_cast<std::size_t>(comma - q));
        }
        auto v = cutProgramValue(field);
        if (!v || (*v != 0 && *v != 1)) return kBad;
        bit = static_cast<int>(*v);
        const char* next = lineEnd;
        if (next < end && *next == '\r') ++next;
        if (next < end && *next == '\n' && (next == lineEnd || next[-1] == '\r')) ++next;
        pos_ = static_cast<std::size_t>(next - buffer_.get());
        return kBit;
    }

    std::FILE* file_;
    std::unique_ptr<char[]> buffer_;
    std::size_t pos_ = 0, len_ = 0;
    bool eof_ = false, error_ = false, bad_ = false;
    std::int64_t line_ = 0;
};

// ---------------------------------------------------------------------------------
// Number texts of the scratch files.

// prem numbers: up to 15 significant digits, "." as decimal separator, as the program
// has always written them.
void appendPremNumber(std::string& out, double v) {
    std::string text = decimalText(v);
    std::replace(text.begin(), text.end(), ',', '.');
    out += text;
}

std::optional<double> premNumber(std::string_view s) {
    s = trimBlanks(s);
    double v = 0;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || ptr != s.data() + s.size() || s.empty()) return std::nullopt;
    return v;
}

// The pulse interval: N / n as a decimal number of 15 significant digits.
double pulseInterval(std::uint64_t N, std::uint64_t n) {
    double exact = static_cast<double>(N) / static_cast<double>(n);
    char buf[40];
    auto r = std::to_chars(buf, buf + sizeof buf, exact, std::chars_format::scientific, 14);
    double rounded = exact;
    std::from_chars(buf, r.ptr, rounded);
    return rounded;
}

// N values for one axis's CLOCK file in a segment where it makes n steps (1 <= n <= N).
void writePulses(BitSink& clock, std::uint64_t N, std::uint64_t n) {
    if (n == N) {  // I is exactly 1: a step at every tick
        clock.putRun(kClock1, N);
        return;
    }
    const double interval = pulseInterval(N, n);
    double sum = 0;
    std::uint64_t t = 1;
    while (t <= N) {
        sum += interval;
        std::uint64_t f = static_cast<std::uint64_t>(std::floor(sum));
        if (f < t) f = t;  // I >= 1 makes this impossible; it keeps the loop finite regardless
        if (f <= N) {
            clock.putRun(kClock0, f - t);
            clock.put(kClock1);
        } else {
            clock.putRun(kClock0, N - t + 1);
        }
        t = f + 1;
    }
}

// ---------------------------------------------------------------------------------

class Generation {
public:
    Generation(const Settings& s, const Paths& paths, const GenerationProgressFn& progress)
        : s_(s), paths_(paths), progress_(progress) {}

    Failure run(const std::string& cuttingFile) {
        for (auto name : kGeneratorScratchFiles) removeFile(paths_.scratchFile(name));
        if (auto f = scale()) return f;
        if (auto f = segment()) return f;
        if (auto f = interpolate()) return f;
        return combine(cuttingFile);
    }

private:
    void report(GenerationStage stage, std::uint64_t done, std::uint64_t total) {
        if (progress_) progress_({stage, done, total});
    }

    // Object file -> prem: each point in motor steps.
    Failure scale() {
        FraReader in(s_.objectFile);
        TextFileWriter out(paths_.scratchFile("prem"));
        std::string x, y, z, line;
        std::uint64_t records = 0;
        while (in.next(x, y, z)) {
            const std::int64_t lineNo = in.lineNumber();
            double xyz[3];
            if (auto f = fraNumbers(x, y, z, lineNo, xyz)) return objectFailure(*f);
            // The scale factor applies to X and Y; Z, the tool state 0 or 1, becomes 0
            // or the tool descent, so going into the material makes Z grow.
            const double steps[3] = {xyz[0] * s_.scale * s_.stepsX, xyz[1] * s_.scale * s_.stepsY,
                                     xyz[2] * s_.descent * s_.stepsZ};
            line.clear();
            for (double v : steps) {
                if (!(std::fabs(v) <= kLargestSteps)) return msg::objectValueTooLarge(s_.objectFile, lineNo);
                appendPremNumber(line, v);
                line += ',';
            }
            line += "0\r\n";
            out.writeAscii(line);
            if (++records % 65536 == 0) report(GenerationStage::Scaling, records, 0);
        }
        if (in.failure()) return objectFailure(*in.failure());
        if (!out.commit()) return out.error();
        return std::nullopt;
    }

    std::string objectFailure(const FraFailure& f) const {
        static const char* const columns[] = {"X", "Y", "Z"};
        switch (f.kind) {
            case FraFailure::Kind::LineIncomplete: return msg::objectLineIncomplete(s_.objectFile, f.line);
            case FraFailure::Kind::NotNumber:
                return msg::objectValueNotNumber(s_.objectFile, f.line, columns[f.column], f.text);
            case FraFailure::Kind::Unreadable: break;
        }
        return msg::objectFileUnreadable(s_.objectFile);
    }

    // prem -> objet: direction and rounded step count of each axis per segment.
    Failure segment() {
        const std::string path = paths_.scratchFile("prem");
        RecordReader in(path);
        if (!in.isOpen()) return msg::scratchFileUnreadable(path, 1);
        TextFileWriter out(paths_.scratchFile("objet"));
        std::vector<std::string> f;
        double previous[4] = {}, current[4] = {};
        bool first = true;
        std::string line;
        std::uint64_t segments = 0;
        while (!in.atEnd()) {
            std::int64_t lineNo = in.lineNumber();
            if (!in.readRecord(f, 4)) return msg::scratchFileUnreadable(path, lineNo);
            for (int i = 0; i < 4; ++i) {
                auto v = premNumber(f[i]);
                if (!v) return msg::scratchFileUnreadable(path, lineNo);
                current[i] = *v;
            }
            if (!first) {
                line.clear();
                std::int64_t longest = 0;
                for (int i = 0; i < 4; ++i) {
                    // Each segment is rounded on its own: remainders are not carried, so
                    // four moves of 0.4 step make no step at all. The direction follows
                    // the difference even when it rounds to no step.
                    double d = previous[i] - current[i];
                    std::int64_t count = roundHalfEven(std::fabs(d));
                    longest = std::max(longest, count);
                    line += d > 0 ? "1," : "0,";
                    line += integerText(count);
                    line += i < 3 ? "," : "\r\n";
                }
                out.writeAscii(line);
                totalTicks_ += static_cast<std::uint64_t>(longest);
                if (++segments % 65536 == 0) report(GenerationStage::Segmenting, segments, 0);
            }
            std::copy(current, current + 4, previous);
            first = false;
        }
        if (in.failed()) return msg::scratchFileUnreadable(path, in.lineNumber());
        if (!out.commit()) return out.error();
        return std::nullopt;
    }

    // objet -> bit1..bit8: every tick of every segment, channel by channel.
    Failure interpolate() {
        const std::string path = paths_.scratchFile("objet");
        RecordReader in(path);
        if (!in.isOpen()) return msg::scratchFileUnreadable(path, 1);
        std::vector<std::unique_ptr<BitSink>> bits;
        for (int i = 1; i <= 8; ++i) bits.push_back(std::make_unique<BitSink>(paths_.scratchFile("bit" + integerText(i))));
        std::vector<std::string> f;
        std::uint64_t done = 0, reported = 0;
        while (!in.atEnd()) {
            std::int64_t lineNo = in.lineNumber();
            if (!in.readRecord(f, 8)) return msg::scratchFileUnreadable(path, lineNo);
            std::int64_t v[8];
            for (int i = 0; i < 8; ++i) {
                auto n = cutProgramValue(f[i]);
                bool isDir = i % 2 == 0;
                if (!n || *n < 0 || (isDir && *n > 1)) return msg::scratchFileUnreadable(path, lineNo);
                v[i] = *n;
            }
            std::uint64_t N = static_cast<std::uint64_t>(std::max({v[1], v[3], v[5], v[7]}));
            for (int axis = 0; axis < 4; ++axis) {
                BitSink& dir = *bits[2 * axis];
                BitSink& clock = *bits[2 * axis + 1];
                dir.putRun(v[2 * axis] ? kDir1 : kDir0, N);
                std::uint64_t n = static_cast<std::uint64_t>(v[2 * axis + 1]);
                if (n == 0) clock.putRun(kClock0, N);
                else writePulses(clock, N, n);
            }
            done += N;
            if (done - reported >= kProgressEvery) {
                report(GenerationStage::Interpolating, done, totalTicks_);
                reported = done;
            }
            for (auto& b : bits)
                if (b->failed()) return b->error();
        }
        if (in.failed()) return msg::scratchFileUnreadable(path, in.lineNumber());
        for (auto& b : bits)
            if (!b->commit()) return b->error();
        return std::nullopt;
    }

    // bit1..bit8 -> the cutting file: one register value per tick.
    Failure combine(const std::string& cuttingFile) {
        std::vector<std::unique_ptr<BitReader>> bits;
        std::vector<std::string> names;
        for (int i = 1; i <= 8; ++i) {
            names.push_back(paths_.scratchFile("bit" + integerText(i)));
            bits.push_back(std::make_unique<BitReader>(names.back()));
            if (!bits.back()->isOpen()) return msg::scratchFileUnreadable(names.back(), 1);
        }
        // DIR channels flip when their axis is inverted; the spare pair never counts.
        const int flip[6] = {s_.invert.x, 0, s_.invert.y, 0, s_.invert.z, 0};
        std::int64_t weight[6];
        for (int i = 0; i < 6; ++i) weight[i] = s_.weights.weight[static_cast<std::size_t>(i)];

        CutProgramWriter out(cuttingFile);
        // Ticks go by batches: each file decodes a run of its bits in one tight loop,
        // then the batch's values are summed and written.
        constexpr std::size_t kBatch = 4096;
        std::vector<std::uint8_t> batch(8 * kBatch);
        std::uint64_t done = 0, reported = 0;
        for (;;) {
            std::uint8_t* bit0 = batch.data();
            std::size_t n = bits[0]->read(bit0, kBatch);
            if (bits[0]->bad()) return msg::scratchFileUnreadable(names[0], bits[0]->lineNumber());
            if (n == 0) break;
            for (std::size_t i = 1; i < 8; ++i) {
                if (bits[i]->read(batch.data() + i * kBatch, n) != n)
                    return msg::scratchFileUnreadable(names[i], bits[i]->lineNumber());
            }
            for (std::size_t k = 0; k < n; ++k) {
                std::int64_t value = 0;
                for (std::size_t i = 0; i < 6; ++i) value += weight[i] * (batch[i * kBatch + k] ^ flip[i]);
                out.write(value);
            }
            done += n;
            if (done - reported >= kProgressEvery) {
                report(GenerationStage::Combining, done, totalTicks_);
                reported = done;
                if (out.failed()) return out.error();
            }
        }
        if (!out.commit()) return out.error();
        return std::nullopt;
    }

    const Settings& s_;
    const Paths& paths_;
    const GenerationProgressFn& progress_;
    std::uint64_t totalTicks_ = 0;
};

bool generate(CuttingForm& form, const std::string& job, bool fromSaveDialog, UserDialogs& dialogs,
              const Paths& paths, const GenerationProgressFn& progress) {
    if (auto m = firstFailingCheck(form, job, fromSaveDialog)) {
        dialogs.tell(*m);
        return false;
    }
    Settings settings;
    if (auto m = readSettings(form, settings)) {
        dialogs.tell(*m);
        return false;
    }
    const std::string detailsFile = job + ".det";
    const std::string cuttingFile = job + ".def";
    std::string error;
    if (!writeJobParameters(JobParameters::fromForm(form, cuttingFile), detailsFile, &error)) {
        dialogs.tell(msg::generationFailed(error));
        return false;
    }

    dialogs.setBusy(true);
    Failure failure = Generation(settings, paths, progress).run(cuttingFile);
    if (failure) {
        // The cutting file only appears once complete; the details file must go too.
        removeFile(detailsFile);
        dialogs.setBusy(false);
        dialogs.tell(msg::generationFailed(*failure));
        return false;
    }
    form.jobName = cuttingFile;
    dialogs.setBusy(false);
    dialogs.tell(msg::kCutProgramCreated);
    return true;
}

}  // namespace

bool generateCutProgram(CuttingForm& form, UserDialogs& dialogs, const Paths& paths,
                        const GenerationProgressFn& progress) {
    const std::string job = form.jobName;
    return generate(form, job, false, dialogs, paths, progress);
}

bool generateCutProgramAs(CuttingForm& form, const std::string& jobName, UserDialogs& dialogs,
                          const Paths& paths, const GenerationProgressFn& progress) {
    return generate(form, jobName, true, dialogs, paths, progress);
}

}  // namespace tarvel
