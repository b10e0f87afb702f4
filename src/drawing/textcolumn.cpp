#include "drawing/textcolumn.h"

#include <cstring>
#include <new>

namespace tarvel {

namespace {

constexpr std::size_t kPageShift = 12;
constexpr std::size_t kPageRows = std::size_t{1} << kPageShift;
constexpr std::size_t kBlockShift = 16;
constexpr std::size_t kBlockBytes = std::size_t{1} << kBlockShift;
// Offsets of long texts keep bit 31 of the cell clear for the short-text tag.
constexpr std::size_t kBlocksLimit = std::size_t{1} << 31;
constexpr std::size_t kShortMost = 3;
constexpr unsigned char kShortTag = 0x80;

// Lengths are written 7 bits a byte, low bits first, the high bit set on all but the
// last byte: one byte for a text of up to 127 bytes.
std::size_t lengthBytes(std::size_t length) {
    std::size_t n = 1;
    while (length >= 0x80) {
        length >>= 7;
        ++n;
    }
    return n;
}

}  // namespace

TextColumn::TextColumn(std::initializer_list<std::string_view> texts) {
    for (std::string_view text : texts) push_back(text);
}

TextColumn::TextColumn(const TextColumn& other) {
    for (std::string_view text : other) push_back(text);
}

TextColumn& TextColumn::operator=(const TextColumn& other) {
    if (this != &other) {
        TextColumn copy(other);
        *this = std::move(copy);
    }
    return *this;
}

TextColumn::TextColumn(TextColumn&& other) noexcept { *this = std::move(other); }

TextColumn& TextColumn::operator=(TextColumn&& other) noexcept {
    if (this != &other) {
        pages_ = std::exchange(other.pages_, {});
        blocks_ = std::exchange(other.blocks_, {});
        size_ = std::exchange(other.size_, 0);
        used_ = std::exchange(other.used_, 0);
        live_ = std::exchange(other.live_, 0);
        dead_ = std::exchange(other.dead_, 0);
        blockBytes_ = std::exchange(other.blockBytes_, 0);
    }
    return *this;
}

TextColumn::Cell& TextColumn::cell(std::size_t row) const {
    return pages_[row >> kPageShift][row & (kPageRows - 1)];
}

std::string_view TextColumn::textIn(const Blocks& blocks, const Cell& c) {
    if (c.b[3] & kShortTag)
        return {reinterpret_cast<const char*>(c.b), static_cast<std::size_t>(c.b[3] & ~kShortTag)};
    const std::size_t offset = std::size_t{c.b[0]} | std::size_t{c.b[1]} << 8 |
                               std::size_t{c.b[2]} << 16 | std::size_t{c.b[3]} << 24;
    const char* p = blocks[offset >> kBlockShift].get() + (offset & (kBlockBytes - 1));
    std::size_t length = 0;
    unsigned char byte = 0;
    for (int shift = 0;; shift += 7) {
        byte = static_cast<unsigned char>(*p++);
        length |= std::size_t{byte & 0x7Fu} << shift;
        if (!(byte & 0x80)) break;
    }
    return {p, length};
}

const std::string_view TextColumn::operator[](std::size_t row) const {
    return textIn(blocks_, cell(row));
}

void TextColumn::store(std::string_view text, Cell& c) {
    if (text.size() <= kShortMost) {
        c = Cell{};
        if (!text.empty()) std::memcpy(c.b, text.data(), text.size());  // an empty view may be null
        c.b[3] = static_cast<unsigned char>(kShortTag | text.size());
        return;
    }
    const std::size_t need = lengthBytes(text.size()) + text.size();
    std::size_t at = used_;
    if (need > blocks_.size() * kBlockBytes - used_) {
        at = blocks_.size() * kBlockBytes;
        const std::size_t span = (need + kBlockBytes - 1) / kBlockBytes;
        if (at + span * kBlockBytes > kBlocksLimit) {
            // Out of offsets: only the dead texts can make room.
            if (dead_ == 0) throw std::bad_alloc();
            const std::string copy(text);  // `text` may lie in the blocks compaction frees
            compact();
            if (dead_ != 0) throw std::bad_alloc();
            store(copy, c);
            return;
        }
        // A text longer than a block gets a block of its own size; the offsets it
        // spans beyond the first block hold no block.
        const std::size_t bytes = span == 1 ? kBlockBytes : need;
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(bytes));
        blocks_.resize(blocks_.size() + span - 1);
        blockBytes_ += bytes;
    }
    char* p = blocks_[at >> kBlockShift].get() + (at & (kBlockBytes - 1));
    std::size_t length = text.size();
    for (; length >= 0x80; length >>= 7) *p++ = static_cast<char>((length & 0x7F) | 0x80);
    *p++ = static_cast<char>(length);
    std::memcpy(p, text.data(), text.size());
    used_ = need > kBlockBytes ? blocks_.size() * kBlockBytes : at + need;
    live_ += need;
    c.b[0] = static_cast<unsigned char>(at);
    c.b[1] = static_cast<unsigned char>(at >> 8);
    c.b[2] = static_cast<unsigned char>(at >> 16);
    c.b[3] = static_cast<unsigned char>(at >> 24);
}

void TextColumn::drop(const Cell& c) {
    if (c.b[3] & kShortTag) return;
    const std::size_t length = textIn(blocks_, c).size();
    const std::size_t bytes = lengthBytes(length) + length;
    live_ -= bytes;
    dead_ += bytes;
}

void TextColumn::push_back(std::string_view text) {
    if ((size_ >> kPageShift) >= pages_.size())
        pages_.push_back(std::make_unique_for_overwrite<Cell[]>(kPageRows));
    Cell fresh;
    store(text, fresh);
    cell(size_) = fresh;
    ++size_;
}

void TextColumn::set(std::size_t row, std::string_view text) {
    // Stored before the old text is let go: `text` may be a view of it.
    Cell fresh;
    store(text, fresh);
    Cell& c = cell(row);
    drop(c);
    c = fresh;
    compactIfWorthIt();
}

void TextColumn::assign(std::size_t n, std::string_view text) {
    TextColumn filled;
    for (std::size_t i = 0; i < n; ++i) filled.push_back(text);
    *this = std::move(filled);
}

void TextColumn::resize(std::size_t n) {
    if (n == 0) {
        clear();
        return;
    }
    while (size_ < n) push_back({});
    if (size_ == n) return;
    for (std::size_t row = n; row < size_; ++row) drop(cell(row));
    size_ = n;
    pages_.resize((n + kPageRows - 1) >> kPageShift);
    compactIfWorthIt();
}

void TextColumn::clear() {
    decltype(pages_)().swap(pages_);
    Blocks().swap(blocks_);
    size_ = used_ = live_ = dead_ = blockBytes_ = 0;
}

void TextColumn::compactIfWorthIt() {
    if (dead_ > live_ && dead_ >= kBlockBytes) compact();
}

void TextColumn::compact() {
    // Built aside and swapped in whole: short of memory, the column stays as it was.
    try {
        TextColumn fresh;
        std::vector<Cell> cells(size_);
        for (std::size_t row = 0; row < size_; ++row) {
            const Cell& c = cell(row);
            if (c.b[3] & kShortTag) cells[row] = c;
            else fresh.store(textIn(blocks_, c), cells[row]);
        }
        for (std::size_t row = 0; row < size_; ++row) cell(row) = cells[row];
        blocks_ = std::move(fresh.blocks_);
        used_ = fresh.used_;
        live_ = fresh.live_;
        blockBytes_ = fresh.blockBytes_;
        dead_ = 0;
    } catch (const std::bad_alloc&) {
    }
}

std::size_t TextColumn::bytesHeld() const {
    return pages_.capacity() * sizeof(pages_[0]) + pages_.size() * kPageRows * sizeof(Cell) +
           blocks_.capacity() * sizeof(blocks_[0]) + blockBytes_;
}

bool operator==(const TextColumn& a, const TextColumn& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t row = 0; row < a.size(); ++row)
        if (a[row] != b[row]) return false;
    return true;
}

bool operator==(const TextColumn& a, const std::vector<std::string>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t row = 0; row < a.size(); ++row)
        if (a[row] != b[row]) return false;
    return true;
}

}  // namespace tarvel
