#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <optional>

namespace harkwell {

// A fixed ring that hands values from one producing thread to one consuming
// thread without a lock: neither side ever waits, allocates or takes a
// mutex, so either may be a real-time sound thread. Several threads may
// produce (or consume) only when something else orders them, such as a
// mutex held by all of them on that side.
template <typename T, std::size_t Capacity>
class SpscRing {
    static_assert(Capacity > 0 && (Capacity & (Capacity - 1)) == 0, "the capacity is a power of two");

public:
    // Producer: false when the ring is full.
    bool TryPush(const T& value)
    {
        const std::size_t tail = tail_.load(std::memory_order_relaxed);
        if (tail - head_.load(std::memory_order_acquire) == Capacity) return false;
        items_[tail % Capacity] = value;
        tail_.store(tail + 1, std::memory_order_release);
        return true;
    }

    // Consumer: the oldest value, left in the ring.
    std::optional<T> Front() const
    {
        const std::size_t head = head_.load(std::memory_order_relaxed);
        if (tail_.load(std::memory_order_acquire) == head) return std::nullopt;
        return items_[head % Capacity];
    }

    // Consumer: drops the oldest value, if any.
    void Pop()
    {
        const std::size_t head = head_.load(std::memory_order_relaxed);
        if (tail_.load(std::memory_order_acquire) == head) return;
        head_.store(head + 1, std::memory_order_release);
    }

    // Consumer: takes the oldest value out.
    std::optional<T> TryPop()
    {
        std::optional<T> value = Front();
        if (value) Pop();
        return value;
    }

    // Either side: a count that may be stale by the time it is read.
    std::size_t Size() const
    {
        return tail_.load(std::memory_order_acquire) - head_.load(std::memory_order_acquire);
    }

private:
    std::array<T, Capacity> items_{};
    // Counts that only grow; their difference is the fill. Apart, so the two
    // sides do not share a cache line.
    alignas(64) std::atomic<std::size_t> head_{0};
    alignas(64) std::atomic<std::size_t> tail_{0};
};

}  // namespace harkwell
