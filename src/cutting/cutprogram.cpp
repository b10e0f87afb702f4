#include "cutting/cutprogram.h"

#include <array>
#include <charconv>

#include "common/textrules.h"
#include "cutting/cuttingmessages.h"

namespace tarvel {

std::optional<std::int64_t> cutProgramValue(std::string_view line) {
    std::string_view s = trimBlanks(line);
    if (s.empty() || s.front() == '+') return std::nullopt;
    std::int64_t v = 0;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || ptr != s.data() + s.size()) return std::nullopt;
    return v;
}

CutProgramReader::CutProgramReader(const std::string& path) : path_(path), reader_(path) {}

CutProgramReader::Status CutProgramReader::next(std::int64_t& value) {
    if (last_ == Status::NotInteger || last_ == Status::ReadError) return last_;
    if (!reader_.isOpen()) return last_ = Status::ReadError;
    std::int64_t line = reader_.lineNumber();
    if (!reader_.readLine(text_)) {
        if (reader_.failed()) {
            line_ = line;
            return last_ = Status::ReadError;
        }
        return last_ = Status::End;
    }
    line_ = line;
    if (reader_.failed()) return last_ = Status::ReadError;
    auto v = cutProgramValue(text_);
    if (!v) return last_ = Status::NotInteger;
    value = *v;
    return last_ = Status::Tick;
}

Message CutProgramReader::problem() const {
    if (last_ == Status::NotInteger) return cutting_messages::cutFileLineNotInteger(path_, line_, text_);
    return cutting_messages::cutFileReadError(path_);
}

const CutProgramWriter::Entry* CutProgramWriter::makeTable() {
    static const auto table = [] {
        std::array<Entry, kTableSize> t{};
        for (std::int64_t v = 0; v < kTableSize; ++v) {
            auto r = std::to_chars(t[v].text, t[v].text + 6, v);
            *r.ptr++ = '\r';
            *r.ptr++ = '\n';
            t[v].length = static_cast<std::size_t>(r.ptr - t[v].text);
        }
        return t;
    }();
    return table.data();
}

CutProgramWriter::CutProgramWriter(std::string path)
    : file_(std::move(path)), table_(makeTable()), chunk_(new char[kChunk]) {}

CutProgramWriter::~CutProgramWriter() = default;

void CutProgramWriter::writeWide(std::int64_t value) {
    if (used_ + 24 > kChunk) flush();
    char* p = chunk_.get() + used_;
    auto r = std::to_chars(p, p + 21, value);
    *r.ptr++ = '\r';
    *r.ptr++ = '\n';
    used_ += static_cast<std::size_t>(r.ptr - p);
    ++ticks_;
}

void CutProgramWriter::flush() {
    file_.writeAscii(std::string_view(chunk_.get(), used_));
    used_ = 0;
}

bool CutProgramWriter::commit() {
    flush();
    return file_.commit();
}

}  // namespace tarvel
