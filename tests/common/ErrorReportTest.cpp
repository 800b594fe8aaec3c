#include "common/ErrorReport.h"

#include "fakes/RecordingMessageSink.h"

#include <gtest/gtest.h>

namespace harkwell {
namespace {

using testing::RecordingMessageSink;

TEST(GeneralErrorReporter, ShowsEveryCodeWithItsTextSystemModal)
{
    const std::pair<std::uint32_t, const char*> cases[] = {
        {0x01000002, "GENE01000002 Needs more memory!"},
        {0x01000003, "GENE01000003 General Error"},
        {0x01000004, "GENE01000004 Quit and restart!"},
        {0x01000005, "GENE01000005 Cant find file!"},
        {0x01000006, "GENE01000006 16 digit error"},
        {0x01000007, "GENE01000007 Cant open file!"},
        {0x01000008, "GENE01000008 General Error"},
        {0x01000009, "GENE01000009 General Error"},
        {0x0100000A, "GENE0100000A data size is too large!"},
        {0x0100000B, "GENE0100000B parameter is wrong"},
        {0x0100000C, "GENE0100000C Can not get current directory"},
        {0x0100000D, "GENE0100000D file size error!"},
        {0x0100000E, "GENE0100000E Time sign is invalid!"},
        {0x01000001, "GENE01000001 General Error"},
        {0x0100000F, "GENE0100000F General Error"},
        {0x01000012, "GENE01000012 General Error"},
        {0xABCDEF07, "GENEABCDEF07 General Error"},
    };
    for (const auto& [code, expected] : cases) {
        RecordingMessageSink sink;
        EXPECT_EQ(ReportGeneralError(sink, static_cast<GeneralError>(code)), kMessageOk);
        ASSERT_EQ(sink.messages.size(), 1u);
        EXPECT_EQ(sink.messages[0].text, expected);
        EXPECT_EQ(sink.messages[0].kind, MessageKind::SystemModal);
    }
}

TEST(ModuleErrorText, IsCutToTheMessageBufferWithoutSplittingACharacter)
{
    // 14 bytes up to "x", then three-byte characters: byte 2047 falls inside one.
    std::string text = "x";
    for (int i = 0; i < 700; ++i) text += "あ";
    const std::string message = FormatModuleError("MUEV", 0x07000001, text);
    EXPECT_EQ(message.rfind("MUEV07000001 xあ", 0), 0u);
    EXPECT_EQ(message.size(), 14u + 677u * 3u);
}

}  // namespace
}  // namespace harkwell
