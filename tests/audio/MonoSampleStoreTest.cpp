#include "audio/MonoSampleStore.h"
#include "audio/TuneDecoder.h"

#include <gtest/gtest.h>

#include <cstring>

namespace harkwell {
namespace {

TEST(MonoSampleStore, GrowsPastItsFirstBlockKeepingEverySample)
{
    MonoSampleStore store(10, 1u << 24);
    std::int16_t next = 0;
    for (int block = 0; block < 40; ++block) {
        const std::size_t frames = 7001 + static_cast<std::size_t>(block);
        ASSERT_TRUE(store.Reserve(frames));
        std::int16_t* tail = store.Tail();
        for (std::size_t i = 0; i < frames; ++i) tail[i] = next++;
        store.Commit(frames);
    }
    const std::size_t frames = store.Frames();
    const ByteBlock samples = store.Take();
    ASSERT_EQ(samples.size(), frames * 2);
    std::vector<std::int16_t> read(frames);
    std::memcpy(read.data(), samples.data(), samples.size());
    for (std::size_t i = 0; i < frames; ++i) ASSERT_EQ(read[i], static_cast<std::int16_t>(i)) << i;
}

TEST(MonoSampleStore, RefusesToPassItsLimit)
{
    MonoSampleStore store(0, 100);
    ASSERT_TRUE(store.Reserve(100));
    store.Commit(60);
    EXPECT_TRUE(store.Reserve(40));
    EXPECT_FALSE(store.Reserve(41));
    EXPECT_TRUE(store.TooLong());
}

TEST(NearestTuneRate, KeepsTheTwoRatesAndTakesAnyOtherToTheNearer)
{
    const std::pair<std::uint32_t, std::uint32_t> cases[] = {
        {44100, 44100}, {48000, 48000}, {8000, 44100},  {22050, 44100},  {32000, 44100},
        {46000, 44100}, {46100, 48000}, {88200, 48000}, {96000, 48000}, {192000, 48000},
    };
    for (const auto& [source, tune] : cases) EXPECT_EQ(NearestTuneRate(source), tune) << source;
}

}  // namespace
}  // namespace harkwell
