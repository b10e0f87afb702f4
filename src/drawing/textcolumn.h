// One column of the object's texts, kept compactly: a drawing of millions of rows holds
// six texts per row, and a std::string per text costs 32 bytes before its characters.
//
// Each row has a 4-byte cell. A text of up to three bytes ("0", "1", "D", "F", ".",
// "12") lives in the cell itself; a longer one lives in the column's text blocks,
// preceded by its length, and the cell holds its offset there:
//
//   cell bytes   0    1    2    3
//   short text   c0   c1   c2   0x80 | length          (length 0 to 3)
//   long text    offset, little end first, bit 31 clear
//
//   text blocks  [len][characters...][len][characters...] ...   64 KiB each
//
// Cells sit in pages of 4096 and texts in blocks of 64 KiB, so a growing column never
// copies what it holds and never holds twice its size. A text changed in place is
// written anew at the end of the blocks; once the texts no longer shown outweigh those
// shown, the column copies its live texts into fresh blocks, so that repeated edits of
// a few rows do not grow it without bound.
//
// A text read is a view into the column, good until that row is changed or the column
// is cleared; it is byte for byte the text given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarvel {

class TextColumn {
public:
    TextColumn() = default;
    TextColumn(std::initializer_list<std::string_view> texts);
    TextColumn(const TextColumn& other);
    TextColumn& operator=(const TextColumn& other);
    // The column moved from is left empty.
    TextColumn(TextColumn&& other) noexcept;
    TextColumn& operator=(TextColumn&& other) noexcept;

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    // const, so that an assignment to a row does not compile (set() changes a row).
    const std::string_view operator[](std::size_t row) const;
    const std::string_view front() const { return (*this)[0]; }
    const std::string_view back() const { return (*this)[size_ - 1]; }

    void push_back(std::string_view text);
    void pop_back() { resize(size_ - 1); }
    void set(std::size_t row, std::string_view text);
    // n rows, each holding `text`.
    void assign(std::size_t n, std::string_view text);
    // Rows added hold the empty text.
    void resize(std::size_t n);
    void clear();

    // The memory the column holds, its cells and its text blocks included.
    std::size_t bytesHeld() const;

    class const_iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = std::string_view;

        const_iterator() = default;
        const_iterator(const TextColumn* column, std::size_t row) : column_(column), row_(row) {}
        std::string_view operator*() const { return (*column_)[row_]; }
        const_iterator& operator++() {
            ++row_;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator before = *this;
            ++row_;
            return before;
        }
        bool operator==(const const_iterator& other) const { return row_ == other.row_; }

    private:
        const TextColumn* column_ = nullptr;
        std::size_t row_ = 0;
    };
    using iterator = const_iterator;
    using value_type = std::string_view;
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size_}; }

    friend bool operator==(const TextColumn& a, const TextColumn& b);
    friend bool operator==(const TextColumn& a, const std::vector<std::string>& b);

private:
    struct Cell {
        unsigned char b[4];
    };
    using Blocks = std::vector<std::unique_ptr<char[]>>;

    Cell& cell(std::size_t row) const;
    static std::string_view textIn(const Blocks& blocks, const Cell& c);
    // The cell for `text`, writing it into the blocks when it is too long for the cell.
    void store(std::string_view text, Cell& c);
    // Forgets the long text a cell held, for the count of dead bytes.
    void drop(const Cell& c);
    void compactIfWorthIt();
    // Copies the live long texts into fresh blocks.
    void compact();

    std::vector<std::unique_ptr<Cell[]>> pages_;
    Blocks blocks_;
    std::size_t size_ = 0;
    std::size_t used_ = 0;  // offset where the next long text goes
    std::size_t live_ = 0;  // bytes of long texts that rows hold
    std::size_t dead_ = 0;  // bytes of long texts no row holds any more
    std::size_t blockBytes_ = 0;  // bytes of the blocks allocated
};

}  // namespace tarvel
