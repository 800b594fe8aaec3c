#pragma once

#include <cstddef>
#include <cstdint>

namespace harkwell {

// An owned, contiguous block of bytes that can shrink in place. Sample blocks
// live in these so that a tune of hundreds of megabytes is never copied whole
// just to change its size.
class ByteBlock {
public:
    ByteBlock() = default;
    ~ByteBlock();
    ByteBlock(ByteBlock&& other) noexcept;
    ByteBlock& operator=(ByteBlock&& other) noexcept;
    ByteBlock(const ByteBlock&) = delete;
    ByteBlock& operator=(const ByteBlock&) = delete;

    // Uninitialised bytes; an empty block when memory runs out.
    [[nodiscard]] static ByteBlock Allocate(std::size_t size);
    // Every byte 0; an empty block when memory runs out.
    [[nodiscard]] static ByteBlock AllocateZeroed(std::size_t size);

    // Keeps the first `size` bytes and gives the rest back; never grows.
    void Shrink(std::size_t size);
    // Makes room for `size` bytes, keeping the bytes held; the new ones are
    // uninitialised. A large block is moved by remapping its pages, never
    // copied. False, and the block unchanged, when memory runs out.
    [[nodiscard]] bool Grow(std::size_t size);
    void Reset();

    // True when the block holds memory. A block of 0 bytes holds memory too.
    explicit operator bool() const { return data_ != nullptr; }
    std::uint8_t* data() { return data_; }
    const std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }

private:
    ByteBlock(std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace harkwell

#include "common/MessageSink.h"

namespace harkwell {

// A zero-filled block; when memory runs out it reports "Needs more memory!"
// and gives an empty block, which the caller must check.
[[nodiscard]] ByteBlock AllocZeroed(MessageSink& sink, std::size_t size);

}  // namespace harkwell
