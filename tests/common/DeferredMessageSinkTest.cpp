#include "common/DeferredMessageSink.h"

#include "fakes/RecordingMessageSink.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace harkwell {
namespace {

TEST(DeferredMessageSink, PassesMessagesOnUntilItDefersThenHoldsThemForFlushInOrder)
{
    testing::RecordingMessageSink target;
    DeferredMessageSink sink(target);
    EXPECT_EQ(sink.Show("at once", MessageKind::Plain), kMessageOk);
    EXPECT_EQ(target.Texts(), std::vector<std::string>{"at once"});

    sink.SetDeferring(true);
    std::thread worker([&] {
        EXPECT_EQ(sink.Show("first", MessageKind::SystemModal), kMessageOk);
        EXPECT_EQ(sink.Show("second", MessageKind::Plain), kMessageOk);
    });
    worker.join();
    EXPECT_EQ(target.Texts().size(), 1u) << "held messages are not shown before Flush";

    sink.Flush();
    EXPECT_EQ(target.Texts(), (std::vector<std::string>{"at once", "first", "second"}));
    EXPECT_EQ(target.messages[1].kind, MessageKind::SystemModal);
    sink.Flush();
    EXPECT_EQ(target.messages.size(), 3u) << "a message is shown once";
}

}  // namespace
}  // namespace harkwell
