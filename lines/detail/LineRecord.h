#pragma once
// How the lines store and the batches made for it hold a line: a small
// record pointing into a block of bytes, its bold beside it. Only lines/
// reads these.

#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace kiv::detail {

// One line: where its characters are, how many, and its bold.
struct LineRecord {
    // Index of the block of bytes, or of the wide text when kWide is set;
    // kManyBold: boldStart indexes the store's lists of bold stretches.
    std::uint32_t where = 0;
    std::uint32_t start = 0; // first character inside that block or text
    std::uint32_t length = 0;
    std::uint32_t boldStart = 0;
    std::uint32_t boldLength = 0;

    static constexpr std::uint32_t kWide = 1u << 31;
    static constexpr std::uint32_t kManyBold = 1u << 30;
    static constexpr std::uint32_t kIndex = kManyBold - 1;

    // Whether the bold fields hold anything. A line with many bold
    // stretches says so in where; its list may be the first, both fields 0.
    bool HasBold() const noexcept { return boldStart != 0 || boldLength != 0; }
};

// Bytes of lines, one a character, written once and never changed after.
struct Block {
    std::unique_ptr<char[]> bytes;
    std::size_t size = 0;
    std::size_t capacity = 0;

    static Block WithCapacity(std::size_t capacity)
    {
        Block block;
        block.bytes.reset(new char[capacity]);
        block.capacity = capacity;
        return block;
    }
};

// A count or a position inside a line, in the 32 bits a record holds it in.
inline std::uint32_t Narrowed(qsizetype value)
{
    return static_cast<std::uint32_t>(value);
}

} // namespace kiv::detail
