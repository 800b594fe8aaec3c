// The main window keeps the user's work through refused files, long tunes
// and panels moved about.
#include "analysis/ui/CAnalyzeDlg.h"
#include "app/ui/CCopyDownDlg.h"
#include "areas/ui/CAreaDlg.h"
#include "audio/WaveformColumns.h"
#include "audio/ui/CWavePicture.h"
#include "widgets/ui/COffScreenPicture.h"

#include "app/ui/MainWindowFixture.h"
#include "fakes/FifoTrap.h"
#include "fakes/MouseActions.h"

#include <QLabel>
#include <QScrollBar>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace harkwell {
namespace {

using testing::Click;
using testing::Drag;
using testing::WriteTune;

// Everything of the work that a refused file must leave alone.
struct WorkSnapshot {
    SetupData::Bytes setup{};
    std::vector<std::vector<WaveformArea>> areas;
    std::vector<std::vector<std::uint32_t>> markers;
    std::vector<std::uint32_t> frames;
    std::uint32_t tuneFrames = 0;
    std::uint32_t markStart = 0, markEnd = 0;

    bool operator==(const WorkSnapshot&) const = default;
};

WorkSnapshot Snapshot(CCopyDownDlg& window)
{
    WorkSnapshot work;
    work.setup = window.Setup().Serialize();
    for (int slot = 0; slot < 3; ++slot) {
        const WaveformAreas& areas = *window.Pictures().Areas(slot);
        work.areas.emplace_back(areas.begin(), areas.end());
        std::vector<std::uint32_t> frames;
        for (const auto& marker : window.Pictures().Markers(slot)) frames.push_back(marker.frame);
        work.markers.push_back(frames);
        work.frames.push_back(window.Pictures().Frames(slot));
    }
    work.tuneFrames = window.TuneFrames();
    work.markStart = window.Mark().start;
    work.markEnd = window.Mark().end;
    return work;
}

class CCopyDownDlgWorkTest : public testing::MainWindowFixture {
protected:
    // setup.ini naming the tune, with bars of `baseLength` × 4 frames.
    void WriteSetup(const std::string& tunePath, std::int32_t baseLength = kDefaultBaseLength)
    {
        SetupData setup;
        setup.tunePath = tunePath;
        setup.separators.baseLength[0] = baseLength;
        const SetupData::Bytes bytes = setup.Serialize();
        testing::WriteBytes(dir_.File("setup.ini"), {bytes.begin(), bytes.end()});
    }

    // Marks, copies down, analyses and sets a separator: work worth keeping.
    void DoSomeWork(CCopyDownDlg& window)
    {
        Drag(window.TunePictureHost(), 100, 300);
        Click(window.ButtonHost(4));   // Copy Down
        Drag(window.AreaPanel().PictureHost(), 100, 500);
        Click(window.ButtonHost(10));  // Analyze
        Drag(window.AnalyzeDialog().PictureHost(), 50, 250);
        Click(window.ButtonHost(21));  // Add Separator
        Click(window.ButtonHost(20));  // Base Width
        ASSERT_EQ(window.Setup().separators.separatorCount, 2);
        ASSERT_TRUE(messages_.messages.empty());
    }
};

TEST_F(CCopyDownDlgWorkTest, ARefusedFileLeavesTheTuneItsAreasBarsAndSettingsAsTheyWere)
{
    const std::string tune = WriteTune(dir_, "tune.wav", 441000);
    testing::WriteBytes(dir_.File("text.wav"), {'j', 'u', 's', 't', ' ', 't', 'e', 'x', 't'});
    const std::string truncated = WriteTune(dir_, "truncated.wav", 1000);
    std::filesystem::resize_file(truncated, 60);
    testing::FifoTrap fifo(dir_.File("fifo.wav"));
    auto window = Start();
    LoadThroughThePrompt(*window, tune);
    DoSomeWork(*window);
    const WorkSnapshot before = Snapshot(*window);

    for (const std::string& refused : {dir_.File("text.wav"), truncated, fifo.Path(), dir_.File("missing.wav")}) {
        messages_.messages.clear();
        LoadThroughThePrompt(*window, refused);
        EXPECT_FALSE(messages_.messages.empty()) << refused << ": the reader says why";
        ASSERT_TRUE(window->TuneLoaded()) << refused;
        EXPECT_TRUE(Snapshot(*window) == before) << refused;
    }
    EXPECT_FALSE(fifo.Sprung());

    // The work is written back as it was, the tune's areas with it.
    window.reset();
    auto again = Start();
    EXPECT_EQ(again->Setup().tunePath, tune);
    EXPECT_EQ(again->Pictures().Areas(0)->size(), 1u);
}

TEST_F(CCopyDownDlgWorkTest, ANewTuneLeavesNoPictureReadingTheOldOnesSamples)
{
    const std::string first = WriteTune(dir_, "first.wav", 441000);
    const std::string second = WriteTune(dir_, "second.wav", 44100);
    auto window = Start();
    LoadThroughThePrompt(*window, first);
    DoSomeWork(*window);
    ASSERT_GT(window->Pictures().Frames(1), 0u);
    ASSERT_GT(window->Pictures().Frames(2), 0u);
    LoadThroughThePrompt(*window, second);
    EXPECT_EQ(window->Pictures().Frames(0), 44100u);
    // The panels show a stretch of the new tune after the next Copy Down.
    EXPECT_EQ(window->Pictures().Frames(1), 0u);
    EXPECT_EQ(window->Pictures().Frames(2), 0u);
    window->DrawSeparators();  // redraws all three pictures
    EXPECT_TRUE(window->Pictures().Areas(0)->size() == 0);
}

TEST_F(CCopyDownDlgWorkTest, EveryBarLineOfTheViewShowsOnATuneOfMoreBarsThanTheLineTable)
{
    // Bars of 320 frames: 1,875 of them, more than the table's 1,024 lines.
    constexpr std::uint32_t kFrames = 600000;
    const std::string tune = WriteTune(dir_, "tune.wav", kFrames);
    WriteSetup(tune, 40);
    auto window = Start();
    ASSERT_TRUE(window->TuneLoaded());
    const SeparatorTable& separators = window->Setup().separators;
    const auto all = TuneBarLines(separators, kFrames, SIZE_MAX);
    ASSERT_GT(all.size(), CWavePicture::kMaxLines);

    const auto shownFrames = [&window] {
        std::vector<std::int32_t> frames;
        for (const auto& marker : window->Pictures().Markers(0)) frames.push_back(static_cast<std::int32_t>(marker.frame));
        return frames;
    };
    // The whole tune: a line on every column that has bars, up to the end.
    ASSERT_FALSE(shownFrames().empty());
    EXPECT_GE(shownFrames().back(), all.back().position - 2000);

    // Zoomed in at the far end: exactly the bars in view.
    window->ZoomBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    window->PositionBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    const std::uint32_t zoom = window->Pictures().Zoom(0), start = window->Pictures().ViewStart(0);
    ASSERT_EQ(zoom, 39u);
    ASSERT_GT(start, kFrames / 2);
    std::vector<std::int32_t> inView;
    for (const BarLine& line : all)
        if (line.position >= std::int64_t{start} && line.position < std::int64_t{start} + kFrames / zoom)
            inView.push_back(line.position);
    ASSERT_FALSE(inView.empty());
    EXPECT_EQ(shownFrames(), inView);
}

TEST_F(CCopyDownDlgWorkTest, AllThreeLinesOfTheGuidanceShowAboveTheButtons)
{
    const std::string tune = WriteTune(dir_, "tune.wav", 441000);
    auto window = Start();
    LoadThroughThePrompt(*window, tune);
    Drag(window->TunePictureHost(), 100, 300);
    Click(window->ButtonHost(2));  // Play
    ASSERT_TRUE(window->IsPlaying());
    ASSERT_EQ(window->Guidance().count("\n\r"), 2);

    QLabel* label = nullptr;
    const QString shown = window->Guidance().remove(QLatin1Char('\r'));
    for (QLabel* candidate : window->findChildren<QLabel*>())
        if (candidate->text() == shown) label = candidate;
    ASSERT_NE(label, nullptr);
    EXPECT_GE(label->geometry().height(), 3 * label->fontMetrics().lineSpacing());
    EXPECT_GE(label->geometry().top(), window->TunePictureHost()->geometry().bottom());
    for (const std::uint32_t button : {0u, 2u, 4u, 5u})
        EXPECT_LT(label->geometry().bottom(), window->ButtonHost(button)->geometry().top()) << button;
    Click(window->ButtonHost(2));  // Stop
}

TEST_F(CCopyDownDlgWorkTest, ATuneMissingOrRefusedAtStartUpIsSilentInTheWindowAndSaysWhyOnStderr)
{
    testing::FifoTrap fifo(dir_.File("fifo.wav"));
    const struct {
        std::string tunePath, said;
    } cases[] = {
        {dir_.File("gone.wav"), dir_.File("gone.wav") + ": No such file or directory"},
        {fifo.Path(), fifo.Path() + ": a FIFO, not a regular file"},
    };
    for (const auto& c : cases) {
        WriteSetup(c.tunePath);
        ::testing::internal::CaptureStderr();
        auto window = Start();
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_FALSE(window->TuneLoaded());
        EXPECT_TRUE(messages_.messages.empty()) << c.tunePath;
        EXPECT_NE(err.find("the last tune was not loaded: " + c.said), std::string::npos) << err;
    }
    EXPECT_FALSE(fifo.Sprung());
}

TEST_F(CCopyDownDlgWorkTest, APanelComesBackWhereTheUserMovedIt)
{
    const std::string tune = WriteTune(dir_, "tune.wav", 441000);
    auto window = Start();
    LoadThroughThePrompt(*window, tune);
    Drag(window->TunePictureHost(), 100, 300);
    Click(window->ButtonHost(4));  // Copy Down
    CAreaDlg& panel = window->AreaPanel();
    ASSERT_TRUE(panel.isVisible());

    // Moved as a window manager moves it, not by the program.
    const QPoint opened = panel.pos();
    panel.windowHandle()->setPosition(panel.geometry().topLeft() + QPoint(-37, 23));
    for (int wait = 0; wait < 100 && panel.pos() == opened; ++wait) QTest::qWait(10);
    const QPoint moved = panel.pos();
    ASSERT_NE(moved, opened);

    Click(window->ButtonHost(7));  // Close the panel
    ASSERT_FALSE(panel.isVisible());
    Click(window->ButtonHost(4));  // Copy Down again
    ASSERT_TRUE(panel.isVisible());
    EXPECT_EQ(panel.pos(), moved);
}

}  // namespace
}  // namespace harkwell
