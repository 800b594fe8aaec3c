#include "cd/ui/CRippingDlg.h"

#include "app/CommandTable.h"
#include "app/ui/MainWindowFixture.h"
#include "fakes/ModalWatcher.h"
#include "fakes/RecordingMessageSink.h"
#include "fakes/ScriptedFilePrompt.h"
#include "fakes/SimulatedCdDrive.h"
#include "fakes/TempDir.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QTest>

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace harkwell {
namespace {

using testing::RecordingMessageSink;
using testing::ScriptedFilePrompt;
using testing::SimulatedCdDrive;
using testing::SimulatedDisc;
using testing::TempDir;

// Holds the drive's reads from a frame on until the test lets them go, so
// that the test can act while an extraction runs.
class ReadGate {
public:
    void HoldFrom(SimulatedCdDrive& drive, std::uint32_t lba)
    {
        drive.onRead = [this, lba](std::uint32_t read) {
            if (read < lba) return;
            std::unique_lock lock(mutex_);
            reached_ = true;
            opened_.wait(lock, [this] { return open_; });
        };
    }
    bool Reached()
    {
        std::lock_guard lock(mutex_);
        return reached_;
    }
    void Open()
    {
        {
            std::lock_guard lock(mutex_);
            open_ = true;
        }
        opened_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable opened_;
    bool reached_ = false;
    bool open_ = false;
};

class CRippingDlgTest : public ::testing::Test {
protected:
    std::unique_ptr<CRippingDlg> Open()
    {
        auto dialog = std::make_unique<CRippingDlg>(nullptr, reader_, messages_, prompt_);
        dialog->show();
        return dialog;
    }

    static bool WaitFor(const std::function<bool()>& done) { return QTest::qWaitFor(done, 10000); }

    SimulatedCdDrive drive_{SimulatedDisc({{100, true}, {200, true}})};
    CdReader reader_{drive_};
    RecordingMessageSink messages_;
    ScriptedFilePrompt prompt_;
    TempDir dir_;
    ReadGate gate_;
};

TEST_F(CRippingDlgTest, ListsTheDrivesAndTracks)
{
    auto dialog = Open();
    ASSERT_EQ(dialog->Drives()->count(), 1);
    EXPECT_EQ(dialog->Drives()->itemText(0), "/dev/sr0");
    ASSERT_EQ(dialog->Tracks()->count(), 2);
    EXPECT_EQ(dialog->Tracks()->item(1)->text(), QString::fromUtf8("トラック02"));
    EXPECT_EQ(dialog->ButtonCaption(CRippingDlg::kRipping), "  Ripping");
    EXPECT_TRUE(messages_.messages.empty());

    dialog->Press(CRippingDlg::kRipping);
    EXPECT_EQ(messages_.Texts(), std::vector<std::string>{cd_text::kSelectTrack});
    EXPECT_TRUE(prompt_.saveRequests.empty());

    drive_.disc.reset();
    dialog->Press(CRippingDlg::kUpdateInfo);
    EXPECT_EQ(dialog->Tracks()->count(), 0);
    EXPECT_EQ(messages_.Texts().back(), cd_text::kNoDisc);
}

TEST_F(CRippingDlgTest, WithoutDrivesSaysSoAndIgnoresRipping)
{
    drive_.present = false;
    auto dialog = Open();
    EXPECT_EQ(messages_.Texts(), std::vector<std::string>{cd_text::kNoDrive});
    dialog->Press(CRippingDlg::kRipping);
    EXPECT_FALSE(dialog->Ripping());
    EXPECT_TRUE(prompt_.saveRequests.empty());
    EXPECT_EQ(messages_.messages.size(), 1u);
}

TEST_F(CRippingDlgTest, RipsTheTrackAndClosesWithItsFile)
{
    const std::string path = dir_.File("rip.wav");
    prompt_.saveAnswer = path;
    gate_.HoldFrom(drive_, 150);
    auto dialog = Open();
    dialog->Tracks()->setCurrentRow(1);
    dialog->Press(CRippingDlg::kRipping);
    ASSERT_EQ(prompt_.saveRequests.size(), 1u);
    EXPECT_EQ(prompt_.saveRequests[0].defaultExtension, "wav");
    EXPECT_EQ(dialog->ButtonCaption(CRippingDlg::kRipping), "   Stop");
    EXPECT_EQ(dialog->Status()->text(), QString::fromUtf8(cd_text::kRipping));
    ASSERT_TRUE(WaitFor([&] { return gate_.Reached(); }));

    // The tick counter runs, and the dialog will not close while ripping.
    ASSERT_TRUE(WaitFor([&] { return !dialog->Ticks()->text().isEmpty(); }));
    EXPECT_EQ(dialog->Ticks()->text().size(), 4);
    dialog->Press(CRippingDlg::kClose);
    dialog->reject();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(messages_.Texts(), (std::vector<std::string>{cd_text::kRipping, cd_text::kRipping}));

    gate_.Open();
    ASSERT_TRUE(WaitFor([&] { return !dialog->isVisible(); }));
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->RippedPath(), path);
    EXPECT_EQ(messages_.Texts().back(), cd_text::kRipSucceeded);
    EXPECT_TRUE(dialog->Ticks()->text().isEmpty());
    const auto file = testing::ReadBytes(path);
    ASSERT_EQ(file.size(), 46u + 200u * kFrameBytes);
    EXPECT_TRUE(std::equal(file.begin() + 46, file.end(), drive_.disc->TrackBytes(1).begin()));
}

TEST_F(CRippingDlgTest, StoppedRipEndsWellWithThePartialFile)
{
    const std::string path = dir_.File("rip.wav");
    prompt_.saveAnswer = path;
    gate_.HoldFrom(drive_, 150);
    auto dialog = Open();
    dialog->Tracks()->setCurrentRow(1);
    dialog->Press(CRippingDlg::kRipping);
    ASSERT_TRUE(WaitFor([&] { return gate_.Reached(); }));
    dialog->Press(CRippingDlg::kRipping);
    EXPECT_EQ(dialog->ButtonCaption(CRippingDlg::kRipping), "  Ripping");
    EXPECT_EQ(dialog->Status()->text(), QString::fromUtf8(cd_text::kRipStopped));
    gate_.Open();
    ASSERT_TRUE(WaitFor([&] { return !dialog->isVisible(); }));
    EXPECT_EQ(messages_.Texts().back(), cd_text::kRipSucceeded);
    EXPECT_EQ(dialog->RippedPath(), path);
    const auto file = testing::ReadBytes(path);
    EXPECT_GT(file.size(), 46u);
    EXPECT_LT(file.size(), 46u + 200u * kFrameBytes);
}

TEST_F(CRippingDlgTest, CancelledSaveAndFailedReadEndAbnormally)
{
    auto dialog = Open();
    dialog->Tracks()->setCurrentRow(0);
    dialog->Press(CRippingDlg::kRipping);  // the save prompt is cancelled
    ASSERT_TRUE(WaitFor([&] { return !dialog->Ripping(); }));
    EXPECT_EQ(messages_.Texts(), (std::vector<std::string>{cd_text::kNoFileName, cd_text::kRipFailed}));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->RippedPath().empty());

    messages_.messages.clear();
    prompt_.saveAnswer = dir_.File("rip.wav");
    drive_.mediaErrors = {50};
    dialog->Press(CRippingDlg::kRipping);
    ASSERT_TRUE(WaitFor([&] { return !dialog->Ripping(); }));
    EXPECT_EQ(messages_.Texts(), std::vector<std::string>{cd_text::kRipFailed});
    EXPECT_TRUE(dialog->RippedPath().empty());
    EXPECT_EQ(dialog->ButtonCaption(CRippingDlg::kRipping), "  Ripping");
    dialog->Press(CRippingDlg::kClose);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(CRippingDlgTest, ClosingWhileRippingStopsAndJoinsTheWorker)
{
    prompt_.saveAnswer = dir_.File("rip.wav");
    gate_.HoldFrom(drive_, 10);
    auto dialog = Open();
    dialog->Tracks()->setCurrentRow(0);
    dialog->Press(CRippingDlg::kRipping);
    ASSERT_TRUE(WaitFor([&] { return gate_.Reached(); }));
    gate_.Open();
    dialog.reset();  // must not crash nor leave the worker behind
    EXPECT_EQ(drive_.OpenHandles(), 0);
}

class LoadCdTest : public testing::MainWindowFixture {};

TEST_F(LoadCdTest, LoadsTheRippedTrackAsTheTune)
{
    auto window = Start();
    prompt_.saveAnswer = dir_.File("cd.wav");
    bool ran = false;
    testing::AnswerNextModal<CRippingDlg>([&](CRippingDlg* ripping) {
        ran = true;
        ripping->Tracks()->setCurrentRow(1);
        ripping->Press(CRippingDlg::kRipping);
    });
    testing::Click(window->ButtonHost(command::kLoadCd));
    EXPECT_TRUE(ran);
    EXPECT_TRUE(window->TuneLoaded());
    EXPECT_EQ(messages_.Texts().back(), cd_text::kRipSucceeded);
}

TEST_F(LoadCdTest, CancelledRippingLeavesNoTune)
{
    auto window = Start();
    testing::AnswerNextModal<CRippingDlg>([&](CRippingDlg* ripping) { ripping->Press(CRippingDlg::kClose); });
    testing::Click(window->ButtonHost(command::kLoadCd));
    EXPECT_FALSE(window->TuneLoaded());
}

}  // namespace
}  // namespace harkwell
