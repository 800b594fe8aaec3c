#pragma once

#include <atomic>
#include <cassert>
#include <thread>

namespace harkwell {

// Remembers the thread that owns an object or a set of its functions, so that
// a function meant for one thread can check that it runs there. Bound to the
// constructing thread, or, made unbound, to the first thread that asks;
// Rebind hands it to the calling thread, Unbind leaves it for the next one.
//
// Threads: every function may run on any thread.
class ThreadChecker {
public:
    struct UnboundTag {};
    static constexpr UnboundTag kUnbound{};

    ThreadChecker() : owner_(std::this_thread::get_id()) {}
    explicit ThreadChecker(UnboundTag) {}
    ThreadChecker(const ThreadChecker&) = delete;
    ThreadChecker& operator=(const ThreadChecker&) = delete;

    // True on the owner thread. An unbound checker is bound to the calling
    // thread first, and says true.
    bool CalledOnOwner() const
    {
        const std::thread::id self = std::this_thread::get_id();
        std::thread::id owner = owner_.load(std::memory_order_relaxed);
        if (owner == std::thread::id{} &&
            owner_.compare_exchange_strong(owner, self, std::memory_order_relaxed))
            return true;
        return owner == self;
    }
    // The calling thread becomes the owner.
    void Rebind() { owner_.store(std::this_thread::get_id(), std::memory_order_relaxed); }
    // The next thread that asks becomes the owner.
    void Unbind() { owner_.store(std::thread::id{}, std::memory_order_relaxed); }

private:
    mutable std::atomic<std::thread::id> owner_{};
};

}  // namespace harkwell

// Stops a debug build when the calling thread is not the checker's owner;
// costs nothing when NDEBUG is set (the condition is never evaluated).
#ifdef NDEBUG
#define HARKWELL_ASSERT_ON_OWNER(checker) static_cast<void>(sizeof((checker).CalledOnOwner()))
#else
#define HARKWELL_ASSERT_ON_OWNER(checker) \
    assert((checker).CalledOnOwner() && "called on a thread other than its owner")
#endif
