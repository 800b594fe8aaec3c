#include "common/ByteBlock.h"

#include <cstdlib>
#include <sys/mman.h>
#include <utility>

namespace harkwell {

ByteBlock::~ByteBlock() { Reset(); }

ByteBlock::ByteBlock(ByteBlock&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0))
{
}

ByteBlock& ByteBlock::operator=(ByteBlock&& other) noexcept
{
    if (this != &other) {
        Reset();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

// Large blocks (whole tunes) sit on huge pages: faulting in hundreds of
// megabytes 4 KiB at a time costs more than reading the file into them.
void* AllocateLarge(std::size_t size)
{
    const std::size_t rounded = (size + kHugePage - 1) / kHugePage * kHugePage;
    void* memory = std::aligned_alloc(kHugePage, rounded);
    if (memory != nullptr) madvise(memory, rounded, MADV_HUGEPAGE);
    return memory;
}

}  // namespace

ByteBlock ByteBlock::Allocate(std::size_t size)
{
    // malloc(0) may give null; one byte keeps "holds memory" meaningful.
    void* memory = size >= kHugePage ? AllocateLarge(size) : std::malloc(size == 0 ? 1 : size);
    if (memory == nullptr) return {};
    return {static_cast<std::uint8_t*>(memory), size};
}

ByteBlock ByteBlock::AllocateZeroed(std::size_t size)
{
    void* memory = std::calloc(size == 0 ? 1 : size, 1);
    if (memory == nullptr) return {};
    return {static_cast<std::uint8_t*>(memory), size};
}

void ByteBlock::Shrink(std::size_t size)
{
    if (data_ == nullptr || size >= size_) return;
    // A failed shrink keeps the old, larger memory: still valid for `size` bytes.
    if (void* smaller = std::realloc(data_, size == 0 ? 1 : size)) data_ = static_cast<std::uint8_t*>(smaller);
    size_ = size;
}

bool ByteBlock::Grow(std::size_t size)
{
    if (data_ == nullptr) return false;
    if (size <= size_) return true;
    void* larger = std::realloc(data_, size);
    if (larger == nullptr) return false;
    data_ = static_cast<std::uint8_t*>(larger);
    size_ = size;
    return true;
}

void ByteBlock::Reset()
{
    std::free(data_);
    data_ = nullptr;
    size_ = 0;
}

}  // namespace harkwell

#include "common/ErrorReport.h"

namespace harkwell {

ByteBlock AllocZeroed(MessageSink& sink, std::size_t size)
{
    ByteBlock block = ByteBlock::AllocateZeroed(size);
    if (!block) ReportGeneralError(sink, GeneralError::NeedsMoreMemory);
    return block;
}

}  // namespace harkwell
