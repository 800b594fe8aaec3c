#include "app/InputDialogGuard.h"

#include "fakes/RecordingMessageSink.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace harkwell {
namespace {

TEST(InputDialogGuard, RefusesASecondDialogWhileOneIsOpen)
{
    InputDialogGuard guard;
    testing::RecordingMessageSink messages;
    int inner = 0;
    const bool ran = guard.Run(messages, [&] {
        EXPECT_TRUE(guard.IsOpen());
        EXPECT_FALSE(guard.Run(messages, [&] { ++inner; }));
    });
    EXPECT_TRUE(ran);
    EXPECT_EQ(inner, 0);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Other input dialog is open now."});
    EXPECT_FALSE(guard.IsOpen());
    EXPECT_TRUE(guard.Run(messages, [&] { ++inner; }));
    EXPECT_EQ(inner, 1);

    EXPECT_THROW(guard.Run(messages, [] { throw std::runtime_error("dialog failed"); }), std::runtime_error);
    EXPECT_FALSE(guard.IsOpen()) << "a dialog that failed leaves the guard open for the next one";
}

}  // namespace
}  // namespace harkwell
