#include "lines/detail/ChunkLines.h"

#include <algorithm>

namespace kiv::detail {

void ChunkLines::PushBack(const LineRecord& record)
{
    texts_.push_back({record.where, record.start, record.length});
    if (bold_.empty() && !record.HasBold())
        return;
    if (bold_.empty()) {
        // The lines before this one had none.
        bold_.reserve(texts_.capacity());
        bold_.resize(texts_.size() - 1);
    }
    bold_.push_back({record.boldStart, record.boldLength});
}

void ChunkLines::PopBack() noexcept
{
    texts_.pop_back();
    if (!bold_.empty())
        bold_.pop_back();
}

void ChunkLines::Erase(std::size_t first, std::size_t last)
{
    texts_.erase(texts_.begin() + static_cast<std::ptrdiff_t>(first), texts_.begin() + static_cast<std::ptrdiff_t>(last));
    if (!bold_.empty())
        bold_.erase(bold_.begin() + static_cast<std::ptrdiff_t>(first), bold_.begin() + static_cast<std::ptrdiff_t>(last));
}

void ChunkLines::Insert(std::size_t at, std::span<const LineRecord> records)
{
    const bool withBold = !bold_.empty()
                          || std::any_of(records.begin(), records.end(), [](const LineRecord& r) { return r.HasBold(); });
    const auto where = static_cast<std::ptrdiff_t>(at);
    texts_.insert(texts_.begin() + where, records.size(), Text{});
    if (withBold) {
        bold_.resize(texts_.size() - records.size()); // the lines there had none
        bold_.insert(bold_.begin() + where, records.size(), Bold{});
    }
    for (std::size_t i = 0; i < records.size(); ++i) {
        const LineRecord& record = records[i];
        texts_[at + i] = {record.where, record.start, record.length};
        if (withBold)
            bold_[at + i] = {record.boldStart, record.boldLength};
    }
}

ChunkLines ChunkLines::Piece(std::size_t first, std::size_t last) const
{
    ChunkLines piece;
    piece.texts_.assign(texts_.begin() + static_cast<std::ptrdiff_t>(first),
                        texts_.begin() + static_cast<std::ptrdiff_t>(last));
    if (bold_.empty())
        return piece;
    const auto begin = bold_.begin() + static_cast<std::ptrdiff_t>(first);
    const auto end = bold_.begin() + static_cast<std::ptrdiff_t>(last);
    if (std::any_of(begin, end, [](const Bold& bold) { return bold.start != 0 || bold.length != 0; }))
        piece.bold_.assign(begin, end);
    return piece;
}

std::size_t ChunkLines::BytesHeld() const noexcept
{
    return texts_.capacity() * sizeof(Text) + bold_.capacity() * sizeof(Bold);
}

} // namespace kiv::detail
