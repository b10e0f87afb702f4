// The record field reader under every file reader. The same bytes read from a file
// (Windows-1252, read in buffers) and from memory (no conversion) give the same fields,
// the file's converted, and both end counting one line more than the text has line ends
// (CR LF, LF or CR), whether read by fields or by lines. When the input's first byte is
// above 127, a line of filler puts the input across the end of the file reader's first
// buffer, that byte saying where.
#include <vector>

#include "common/encoding.h"
#include "common/records.h"
#include "fuzzfiles.h"

using namespace tarvel;

namespace {
std::int64_t lineEnds(std::string_view text) {
    std::int64_t n = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') ++n;
        else if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) ++n;
    }
    return n;
}

struct Reading {
    std::vector<std::string> fields;
    std::vector<FieldEnd> ends;
    std::int64_t lineNumber = 0;
};

Reading byFields(RecordReader reader) {
    Reading r;
    std::string field;
    FieldEnd end;
    while (reader.readField(field, &end)) {
        r.fields.push_back(field);
        r.ends.push_back(end);
    }
    r.lineNumber = reader.lineNumber();
    return r;
}

Reading byLines(RecordReader reader) {
    Reading r;
    std::string line;
    while (reader.readLine(line)) r.fields.push_back(line);
    r.lineNumber = reader.lineNumber();
    return r;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kFirstBuffer = 1 << 16;
    std::string text;
    if (size > 0 && data[0] >= 0x80) {
        text.assign(kFirstBuffer - data[0] % 16, 'x');
        text.back() = '\n';
    }
    text.append(reinterpret_cast<const char*>(data), size);
    const std::string path =
        fuzz::writeInput("records.txt", reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    const std::int64_t lines = 1 + lineEnds(text);
    for (auto read : {byFields, byLines}) {
        const Reading memory = read(RecordReader::fromText(text));
        const Reading file = read(RecordReader(path));
        if (memory.lineNumber != lines || file.lineNumber != lines) __builtin_trap();
        if (memory.ends != file.ends || memory.fields.size() != file.fields.size()) __builtin_trap();
        for (std::size_t i = 0; i < memory.fields.size(); ++i)
            if (utf8FromWindows1252(memory.fields[i]) != file.fields[i]) __builtin_trap();
    }
    // A record of three fields, as the object file reads them, until the text runs out.
    RecordReader reader = RecordReader::fromText(text);
    std::vector<std::string> fields;
    while (!reader.atEnd()) reader.readRecord(fields, 3);
    return 0;
}
