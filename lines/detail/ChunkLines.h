#pragma once
// The records of one chunk of the lines store, their bold kept apart: a room
// list of millions of short lines has none, and pays 12 bytes a line where a
// whole record takes 20; a year of results, one bold word a line, pays the
// 20. A chunk's bold appears with the first of its lines that has some, and
// then holds a stretch for each of its lines.

#include "lines/detail/LineRecord.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kiv::detail {

class ChunkLines {
public:
    std::size_t Size() const noexcept { return texts_.size(); }
    bool Empty() const noexcept { return texts_.empty(); }
    LineRecord operator[](std::size_t i) const noexcept
    {
        const Text& text = texts_[i];
        LineRecord record{text.where, text.start, text.length};
        if (!bold_.empty()) {
            record.boldStart = bold_[i].start;
            record.boldLength = bold_[i].length;
        }
        return record;
    }
    qsizetype LengthAt(std::size_t i) const noexcept { return texts_[i].length; }
    void Reserve(std::size_t lines) { texts_.reserve(lines); }
    void PushBack(const LineRecord& record);
    void PopBack() noexcept;
    // The lines [first, last) taken out, or those of records put in
    // before at.
    void Erase(std::size_t first, std::size_t last);
    void Insert(std::size_t at, std::span<const LineRecord> records);
    // A copy of the lines [first, last), with no bold of its own when
    // none of them has any.
    ChunkLines Piece(std::size_t first, std::size_t last) const;
    std::size_t BytesHeld() const noexcept;

private:
    struct Text {
        std::uint32_t where = 0;
        std::uint32_t start = 0;
        std::uint32_t length = 0;
    };
    struct Bold {
        std::uint32_t start = 0;
        std::uint32_t length = 0;
    };
    std::vector<Text> texts_;
    std::vector<Bold> bold_; // empty, or one a line
};

} // namespace kiv::detail
