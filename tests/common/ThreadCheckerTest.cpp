#include "common/ThreadChecker.h"

#include <gtest/gtest.h>

#include <thread>

namespace harkwell {
namespace {

bool CalledOnOwnerFromAnotherThread(const ThreadChecker& checker)
{
    bool onOwner = true;
    std::thread([&] { onOwner = checker.CalledOnOwner(); }).join();
    return onOwner;
}

TEST(ThreadChecker, BelongsToTheThreadThatMadeIt)
{
    const ThreadChecker checker;
    EXPECT_TRUE(checker.CalledOnOwner());
    EXPECT_FALSE(CalledOnOwnerFromAnotherThread(checker));
    EXPECT_TRUE(checker.CalledOnOwner()) << "asking from another thread does not move it";
}

TEST(ThreadChecker, AnUnboundCheckerBelongsToTheFirstThreadThatAsks)
{
    ThreadChecker checker(ThreadChecker::kUnbound);
    bool first = false;
    std::thread([&] { first = checker.CalledOnOwner(); }).join();
    EXPECT_TRUE(first);
    EXPECT_FALSE(checker.CalledOnOwner());

    checker.Unbind();
    EXPECT_TRUE(checker.CalledOnOwner());
    EXPECT_FALSE(CalledOnOwnerFromAnotherThread(checker));
}

TEST(ThreadChecker, RebindHandsItToTheCallingThread)
{
    ThreadChecker checker;
    bool afterRebind = false;
    std::thread([&] {
        checker.Rebind();
        afterRebind = checker.CalledOnOwner();
    }).join();
    EXPECT_TRUE(afterRebind);
    EXPECT_FALSE(checker.CalledOnOwner());
}

#ifdef NDEBUG
TEST(ThreadChecker, TheAssertionIsNotEvenEvaluatedInARelease)
{
    const ThreadChecker checker(ThreadChecker::kUnbound);
    std::thread([&] { HARKWELL_ASSERT_ON_OWNER(checker); }).join();
    EXPECT_TRUE(checker.CalledOnOwner()) << "the assertion bound the checker to its thread";
}
#else
TEST(ThreadCheckerDeathTest, TheAssertionStopsADebugBuildOffItsOwner)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const ThreadChecker checker;
    HARKWELL_ASSERT_ON_OWNER(checker);
    EXPECT_DEATH(std::thread([&] { HARKWELL_ASSERT_ON_OWNER(checker); }).join(), "other than its owner");
}
#endif

}  // namespace
}  // namespace harkwell
