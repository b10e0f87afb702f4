// The last stage of a generation: the eight bit files, read side by side, summed by
// the channel weights into one port value per tick of the cutting file.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "common/textrules.h"
#include "cutting/cutprogram.h"
#include "cutting/cuttingmessages.h"
#include "cutting/generationstages.h"

namespace tarvel {

namespace {

namespace msg = cutting_messages;

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
        const std::string_view line = trimBlanks(std::string_view(p, static_cast<std::size_t>(lineEnd - p)));
        std::string_view field = line.substr(0, line.find(','));
        if (!line.empty() && line.front() == '"') {
            const std::size_t close = line.find('"', 1);
            field = line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
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

//

}  // namespace

// bit1..bit8 -> the cutting file: one register value per tick.
StageFailure combineBits(GenerationRun& run, const std::string& cuttingFile) {
    std::vector<std::unique_ptr<BitReader>> bits;
    std::vector<std::string> names;
    for (int i = 1; i <= 8; ++i) {
        names.push_back(run.paths.scratchFile("bit" + integerText(i)));
        bits.push_back(std::make_unique<BitReader>(names.back()));
        if (!bits.back()->isOpen()) return msg::scratchFileUnreadable(names.back(), 1);
    }
    // DIR channels flip when their axis is inverted; the spare pair never counts.
    const int flip[6] = {run.settings.invert.x, 0, run.settings.invert.y, 0, run.settings.invert.z, 0};
    std::int64_t weight[6];
    for (int i = 0; i < 6; ++i) weight[i] = run.settings.weights.weight[static_cast<std::size_t>(i)];

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
            if (!run.report(GenerationStage::Combining, done, run.totalTicks)) return msg::kGenerationCancelled;
            reported = done;
            if (out.failed()) return msg::generationFailed(out.error());
        }
    }
    if (!out.commit()) return msg::generationFailed(out.error());
    return std::nullopt;
}

}  // namespace tarvel
