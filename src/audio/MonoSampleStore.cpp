#include "audio/MonoSampleStore.h"

#include <algorithm>
#include <utility>

namespace harkwell {

namespace {
constexpr std::size_t kSampleBytes = 2;
// A first guess this large costs address space only: pages not yet written hold no memory.
constexpr std::size_t kMinimumFrames = std::size_t{1} << 16;
}  // namespace

MonoSampleStore::MonoSampleStore(std::size_t expectedFrames, std::size_t maxFrames) : maxFrames_(maxFrames)
{
    // A length that the file merely states may not fit: a smaller first block grows as the tune decodes.
    for (std::size_t first = std::min(std::max(expectedFrames, kMinimumFrames), maxFrames_); !block_; first /= 4) {
        block_ = ByteBlock::Allocate(first * kSampleBytes);
        if (first <= kMinimumFrames) break;
    }
}

bool MonoSampleStore::Reserve(std::size_t frames)
{
    if (!block_) return false;
    if (frames > maxFrames_ - frames_) {
        tooLong_ = true;
        return false;
    }
    const std::size_t needed = frames_ + frames;
    const std::size_t held = block_.size() / kSampleBytes;
    if (needed <= held) return true;
    // Growing by half again keeps the number of remappings small for a long tune.
    const std::size_t grown = std::min(std::max(needed, held + held / 2), maxFrames_);
    return block_.Grow(grown * kSampleBytes);
}

std::int16_t* MonoSampleStore::Tail()
{
    // The block comes from malloc, aligned for any sample type.
    return reinterpret_cast<std::int16_t*>(block_.data()) + frames_;
}

ByteBlock MonoSampleStore::Take()
{
    block_.Shrink(frames_ * kSampleBytes);
    frames_ = 0;
    return std::move(block_);
}

}  // namespace harkwell
