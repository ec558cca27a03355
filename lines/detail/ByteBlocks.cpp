#include "lines/detail/ByteBlocks.h"

#include <utility>

namespace kiv::detail {
namespace {

// New bytes go into blocks of this size; a line of more than a quarter of it
// gets a block of its own, of its exact size.
constexpr std::size_t kBlockBytes = std::size_t{1} << 20;

} // namespace

ByteBlocks::ByteBlocks(const ByteBlocks& other)
    : blocks_(other.blocks_)
{
}

ByteBlocks& ByteBlocks::operator=(const ByteBlocks& other)
{
    if (this != &other) {
        blocks_ = other.blocks_;
        open_ = SIZE_MAX;
    }
    return *this;
}

ByteBlocks::ByteBlocks(ByteBlocks&& other) noexcept
    : blocks_(std::exchange(other.blocks_, {}))
    , open_(std::exchange(other.open_, SIZE_MAX))
{
}

ByteBlocks& ByteBlocks::operator=(ByteBlocks&& other) noexcept
{
    if (this != &other) {
        blocks_ = std::exchange(other.blocks_, {});
        open_ = std::exchange(other.open_, SIZE_MAX);
    }
    return *this;
}

char* ByteBlocks::Reserve(std::size_t bytes, std::uint32_t& block, std::uint32_t& start)
{
    if (open_ < blocks_.size() && blocks_[open_]->capacity - blocks_[open_]->size >= bytes) {
        Block& open = *blocks_[open_];
        block = static_cast<std::uint32_t>(open_);
        start = static_cast<std::uint32_t>(open.size);
        open.size += bytes;
        return open.bytes.get() + start;
    }
    const bool own = bytes > kBlockBytes / 4;
    auto fresh = std::make_shared<Block>(Block::WithCapacity(own ? bytes : kBlockBytes));
    fresh->size = bytes;
    blocks_.push_back(std::move(fresh));
    block = static_cast<std::uint32_t>(blocks_.size() - 1);
    start = 0;
    if (!own)
        open_ = blocks_.size() - 1;
    return blocks_.back()->bytes.get();
}

std::uint32_t ByteBlocks::Adopt(Block&& filled)
{
    blocks_.push_back(std::make_shared<Block>(std::move(filled)));
    return static_cast<std::uint32_t>(blocks_.size() - 1);
}

std::size_t ByteBlocks::BytesHeld() const noexcept
{
    std::size_t bytes = 0;
    for (const auto& block : blocks_)
        bytes += block->capacity;
    return bytes;
}

void ByteBlocks::Release() noexcept
{
    std::vector<std::shared_ptr<Block>>().swap(blocks_);
    open_ = SIZE_MAX;
}

} // namespace kiv::detail
