#include "common/SpscRing.h"

#include <gtest/gtest.h>

#include <thread>

namespace harkwell {
namespace {

TEST(SpscRingTest, KeepsOrderRefusesWhenFullAndWrapsAround)
{
    SpscRing<int, 4> ring;
    EXPECT_FALSE(ring.Front());
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 4; ++i) EXPECT_TRUE(ring.TryPush(round * 10 + i));
        EXPECT_FALSE(ring.TryPush(99)) << "a full ring keeps what it has";
        EXPECT_EQ(ring.Size(), 4u);
        EXPECT_EQ(ring.Front(), round * 10);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(ring.TryPop(), round * 10 + i);
        EXPECT_FALSE(ring.TryPop());
        ring.Pop();  // popping an empty ring changes nothing
        EXPECT_EQ(ring.Size(), 0u);
    }
}

TEST(SpscRingTest, HandsEveryValueAcrossThreadsInOrder)
{
    SpscRing<std::uint32_t, 64> ring;
    constexpr std::uint32_t kCount = 200'000;
    std::thread producer([&] {
        for (std::uint32_t i = 0; i < kCount;)
            if (ring.TryPush(i)) ++i; else std::this_thread::yield();
    });
    std::uint32_t expected = 0;
    bool inOrder = true;
    while (expected < kCount) {
        if (const auto value = ring.TryPop()) {
            inOrder = inOrder && *value == expected;
            ++expected;
        } else {
            std::this_thread::yield();
        }
    }
    producer.join();
    EXPECT_TRUE(inOrder);
}

}  // namespace
}  // namespace harkwell
