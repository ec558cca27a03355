#pragma once
// Where the lines store keeps its lines' bytes: one after another in blocks
// of a megabyte, never one allocation a line. A block never changes once
// written, so copies of the store share blocks (printing reads one while
// staff go on editing), and a copy never writes into a block it shares.

#include "lines/detail/LineRecord.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace kiv::detail {

class ByteBlocks {
public:
    ByteBlocks() = default;
    ByteBlocks(const ByteBlocks& other);
    ByteBlocks& operator=(const ByteBlocks& other);
    // The one moved from is left empty.
    ByteBlocks(ByteBlocks&& other) noexcept;
    ByteBlocks& operator=(ByteBlocks&& other) noexcept;

    const char* At(std::uint32_t block, std::uint32_t start) const noexcept
    {
        return blocks_[block]->bytes.get() + start;
    }
    // Room for this many bytes, at the end of the block being filled or in
    // a new one; block and start say where.
    char* Reserve(std::size_t bytes, std::uint32_t& block, std::uint32_t& start);
    // A block filled elsewhere, taken over whole; gives its index.
    std::uint32_t Adopt(Block&& filled);
    // Every block's capacity.
    std::size_t BytesHeld() const noexcept;
    // Lets every block go (shared ones live on in their other store).
    void Release() noexcept;

private:
    std::vector<std::shared_ptr<Block>> blocks_;
    // The block new bytes go to, SIZE_MAX for none.
    std::size_t open_ = SIZE_MAX;
};

} // namespace kiv::detail
