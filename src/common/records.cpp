#include "common/records.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "common/encoding.h"

namespace tarvel {

namespace {
constexpr std::size_t kBufferSize = 1 << 16;
constexpr int kEof = -1;
bool isBlank(int c) { return c == ' ' || c == '\t'; }
bool isLineEnd(int c) { return c == '\r' || c == '\n'; }
}  // namespace

RecordReader::RecordReader() = default;

// O_NONBLOCK: opening a FIFO with no writer would otherwise wait for one forever. The
// file is refused before any byte is read unless it is a regular file.
RecordReader::RecordReader(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) file_ = ::fdopen(fd, "rb");
    if (!file_) {
        ::close(fd);
        return;
    }
    buffer_.resize(kBufferSize);
}

RecordReader RecordReader::fromText(std::string_view text) {
    RecordReader r;
    r.convert_ = false;
    r.buffer_.assign(text.begin(), text.end());
    r.len_ = r.buffer_.size();
    return r;
}

RecordReader::~RecordReader() {
    if (file_) std::fclose(file_);
}

RecordReader::RecordReader(RecordReader&& o) noexcept
    : file_(std::exchange(o.file_, nullptr)), convert_(o.convert_), failed_(o.failed_),
      strayText_(o.strayText_), bound_(o.bound_), buffer_(std::move(o.buffer_)), pos_(o.pos_), len_(o.len_),
      line_(o.line_) {}

RecordReader& RecordReader::operator=(RecordReader&& o) noexcept {
    if (this != &o) {
        if (file_) std::fclose(file_);
        file_ = std::exchange(o.file_, nullptr);
        convert_ = o.convert_;
        failed_ = o.failed_;
        strayText_ = o.strayText_;
        bound_ = o.bound_;
        buffer_ = std::move(o.buffer_);
        pos_ = o.pos_;
        len_ = o.len_;
        line_ = o.line_;
    }
    return *this;
}

bool RecordReader::isOpen() const { return file_ != nullptr || !convert_; }
bool RecordReader::failed() const { return failed_; }
std::int64_t RecordReader::lineNumber() const { return line_; }

bool RecordReader::refill() {
    if (!file_ || failed_) return false;
    len_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
    pos_ = 0;
    if (len_ == 0 && std::ferror(file_)) failed_ = true;
    return len_ > 0;
}

int RecordReader::peekByte() {
    if (failed_) return kEof;
    if (pos_ >= len_ && !refill()) return kEof;
    return static_cast<unsigned char>(buffer_[pos_]);
}

int RecordReader::getByte() {
    int c = peekByte();
    if (c != kEof) ++pos_;
    return c;
}

bool RecordReader::atEnd() { return peekByte() == kEof; }

// `first` has been consumed; a CR may be followed by the LF of its CR LF pair.
void RecordReader::skipLineEnd(int first) {
    if (first == '\r' && peekByte() == '\n') ++pos_;
    ++line_;
}

bool RecordReader::keep(std::string& raw, int c) {
    if (raw.size() >= bound_) {
        failed_ = true;
        return false;
    }
    raw += static_cast<char>(c);
    return true;
}

std::string RecordReader::finishText(std::string&& raw) const {
    return convert_ ? utf8FromWindows1252(raw) : std::move(raw);
}

bool RecordReader::readField(std::string& field, FieldEnd* end) {
    field.clear();
    if (atEnd()) return false;
    while (isBlank(peekByte())) ++pos_;

    std::string raw;
    auto finish = [&](int delimiter) {
        FieldEnd how = FieldEnd::FileEnd;
        if (delimiter == ',') how = FieldEnd::Comma;
        else if (isLineEnd(delimiter)) { skipLineEnd(delimiter); how = FieldEnd::LineEnd; }
        if (end) *end = how;
        field = finishText(std::move(raw));
        return true;
    };

    int c = peekByte();
    if (c == '"') {
        ++pos_;
        while ((c = getByte()) != kEof && c != '"') {
            if (c == '\n' || (c == '\r' && peekByte() != '\n')) ++line_;
            if (!keep(raw, c)) return false;
        }
        if (failed_) return false;
        if (c == kEof) return finish(kEof);
        // Text after the closing quote, up to the delimiter, is not part of the field.
        std::size_t dropped = 0;
        while ((c = getByte()) != kEof && c != ',' && !isLineEnd(c)) {
            if (!isBlank(c)) strayText_ = true;
            if (++dropped > bound_) failed_ = true;
        }
        if (failed_) return false;
        return finish(c);
    }
    while ((c = getByte()) != kEof && c != ',' && !isLineEnd(c))
        if (!keep(raw, c)) return false;
    if (failed_) return false;
    return finish(c);
}

bool RecordReader::readLine(std::string& line) {
    line.clear();
    if (atEnd()) return false;
    std::string raw;
    int c;
    while ((c = getByte()) != kEof && !isLineEnd(c))
        if (!keep(raw, c)) return false;
    if (failed_) return false;
    if (c != kEof) skipLineEnd(c);
    line = finishText(std::move(raw));
    return true;
}

bool RecordReader::readRecord(std::vector<std::string>& fields, std::size_t n) {
    fields.clear();
    std::string f;
    FieldEnd end = FieldEnd::FileEnd;
    for (std::size_t i = 0; i < n; ++i) {
        if (!readField(f, &end)) return false;
        fields.push_back(f);
        if (i + 1 < n && end != FieldEnd::Comma) return false;
    }
    while (end == FieldEnd::Comma && readField(f, &end)) {}
    return true;
}

std::string quotedField(std::string_view text) {
    std::string s;
    s.reserve(text.size() + 2);
    s += '"';
    s += text;
    s += '"';
    return s;
}

std::string recordLine(const std::vector<std::string>& formattedFields) {
    std::string line;
    for (std::size_t i = 0; i < formattedFields.size(); ++i) {
        if (i) line += ',';
        line += formattedFields[i];
    }
    line += "\r\n";
    return line;
}

}  // namespace tarvel
