// The third stage of a generation: every tick of every segment, one scratch file per
// port line, each step placed by the pulse rule drawn in generator.h.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "common/files.h"
#include "common/records.h"
#include "common/textrules.h"
#include "cutting/cutprogram.h"
#include "cutting/cuttingmessages.h"
#include "cutting/generationstages.h"

namespace tarvel {

namespace {

namespace msg = cutting_messages;

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

// The pulse interval: N / n as a decimal number of 15 significant digits.
double pulseInterval(std::uint64_t N, std::uint64_t n) {
    double exact = static_cast<double>(N) / static_cast<double>(n);
    char buf[40];
    auto r = std::to_chars(buf, buf + sizeof buf, exact, std::chars_format::scientific, 14);
    double rounded = exact;
    std::from_chars(buf, r.ptr, rounded);
    return rounded;
}

// The CLOCK values of one axis in a segment of N ticks where it makes n steps, written
// a stretch of ticks at a time, so that a segment of any length can stop between two.
class PulseTrain {
public:
    PulseTrain(std::uint64_t N, std::uint64_t n)
        : N_(N), everyTick_(n == N), interval_(n == 0 || n == N ? 1 : pulseInterval(N, n)),
          next_(n == 0 ? UINT64_MAX : 0) {}

    // Writes the values of the ticks up to `last` (at most N).
    void writeUpTo(BitSink& clock, std::uint64_t last) {
        if (everyTick_) {  // I is exactly 1: a step at every tick
            clock.putRun(kClock1, last - t_ + 1);
            t_ = last + 1;
            return;
        }
        while (t_ <= last) {
            if (next_ < t_) {
                sum_ += interval_;
                // I >= 1 makes floor(s) >= t; the bound keeps the loop finite regardless
                next_ = std::max(static_cast<std::uint64_t>(std::floor(sum_)), t_);
            }
            if (next_ > last || next_ > N_) {
                clock.putRun(kClock0, last - t_ + 1);
                t_ = last + 1;
            } else {
                clock.putRun(kClock0, next_ - t_);
                clock.put(kClock1);
                t_ = next_ + 1;
            }
        }
    }

private:
    std::uint64_t N_;
    bool everyTick_;
    double interval_;
    double sum_ = 0;
    std::uint64_t t_ = 1;      // the next tick to write
    std::uint64_t next_;       // the tick of the axis's next step (below t_: not known yet)
};

//

}  // namespace

// objet -> bit1..bit8: every tick of every segment, channel by channel.
StageFailure writeSegmentBits(GenerationRun& run) {
    const std::string path = run.paths.scratchFile("objet");
    RecordReader in(path);
    if (!in.isOpen()) return msg::scratchFileUnreadable(path, 1);
    std::vector<std::unique_ptr<BitSink>> bits;
    for (int i = 1; i <= 8; ++i) bits.push_back(std::make_unique<BitSink>(run.paths.scratchFile("bit" + integerText(i))));
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
        const std::uint64_t N = static_cast<std::uint64_t>(std::max({v[1], v[3], v[5], v[7]}));
        PulseTrain pulses[4] = {{N, static_cast<std::uint64_t>(v[1])}, {N, static_cast<std::uint64_t>(v[3])},
                                {N, static_cast<std::uint64_t>(v[5])}, {N, static_cast<std::uint64_t>(v[7])}};
        for (std::uint64_t first = 1; first <= N; first += kProgressEvery) {
            const std::uint64_t last = std::min(N, first + kProgressEvery - 1);
            for (int axis = 0; axis < 4; ++axis) {
                bits[2 * axis]->putRun(v[2 * axis] ? kDir1 : kDir0, last - first + 1);
                pulses[axis].writeUpTo(*bits[2 * axis + 1], last);
            }
            done += last - first + 1;
            if (done - reported >= kProgressEvery) {
                if (!run.report(GenerationStage::Interpolating, done, run.totalTicks))
                    return msg::kGenerationCancelled;
                reported = done;
            }
            for (auto& b : bits)
                if (b->failed()) return msg::generationFailed(b->error());
        }
    }
    if (in.failed()) return msg::scratchFileUnreadable(path, in.lineNumber());
    for (auto& b : bits)
        if (!b->commit()) return msg::generationFailed(b->error());
    return std::nullopt;
}

}  // namespace tarvel
