#include "app/ui/CAboutDlg.h"
#include "app/ui/CCopyDownApp.h"
#include "app/ui/CCopyDownDlg.h"
#include "app/ui/CPlaySettingDlg.h"

#include "analysis/ui/CAnalyzeDlg.h"
#include "areas/ui/CAreaDlg.h"
#include "audio/ui/CWavePicture.h"
#include "audio/WaveFileWriter.h"
#include "widgets/ui/COffScreenPicture.h"

#include "app/ui/MainWindowFixture.h"
#include "fakes/FakeWaveOutPort.h"
#include "fakes/ManualTimerService.h"
#include "fakes/RecordingMidiPort.h"
#include "fakes/MouseActions.h"
#include "fakes/ModalWatcher.h"
#include "fakes/RecordingMessageSink.h"
#include "fakes/RecordingShell.h"
#include "fakes/ScriptedFilePrompt.h"
#include "fakes/TempDir.h"

#include <QComboBox>
#include <QLabel>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <chrono>
#include <cstring>
#include <thread>
#include <filesystem>

namespace harkwell {
namespace {

using testing::Click;
using testing::Drag;

using testing::RecordingMessageSink;

using testing::WriteTune;

class CCopyDownDlgTest : public testing::MainWindowFixture {
protected:
    static std::vector<CWavePicture::Marker> Expected(const std::vector<BarLine>& lines)
    {
        std::vector<CWavePicture::Marker> markers;
        for (const auto& line : lines) markers.push_back({static_cast<std::uint32_t>(line.position), line.colour});
        return markers;
    }

    static void ExpectMarkers(const std::vector<CWavePicture::Marker>& actual, const std::vector<BarLine>& lines)
    {
        const auto expected = Expected(lines);
        ASSERT_EQ(actual.size(), expected.size());
        for (std::size_t i = 0; i < actual.size(); ++i) {
            EXPECT_EQ(actual[i].frame, expected[i].frame) << i;
            EXPECT_EQ(actual[i].colour, expected[i].colour) << i;
        }
    }
};

TEST_F(CCopyDownDlgTest, WalksFromATuneToABarAndBackAfterARestart)
{
    const std::string tune = WriteTune(dir_, "tune.wav", 441000);
    auto window = Start();
    EXPECT_EQ(window->Guidance(), "Load a tune for copying down.\n\rLoad WAV file or CD Track.");

    LoadThroughThePrompt(*window, tune);
    ASSERT_TRUE(window->TuneLoaded());
    ASSERT_EQ(prompt_.requests.size(), 1u);
    EXPECT_EQ(prompt_.requests[0].defaultExtension, "wav");
    EXPECT_EQ(window->TuneFrames(), 441000u);
    EXPECT_EQ(window->Setup().tunePath, tune);

    // Marked from right to left: the same stretch as from left to right.
    Drag(window->TunePictureHost(), 300, 100);
    EXPECT_EQ(window->Mark().start, 441000u * 100 / 880);
    EXPECT_EQ(window->Mark().end, 441000u * 300 / 880);
    EXPECT_EQ(window->Guidance(), "Click Play button to play area.\n\rStart copying down after mark is set.");

    Click(window->ButtonHost(4));  // Copy Down
    CAreaDlg& panel = window->AreaPanel();
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(panel.Stretch().dataStart, window->Mark().start);
    EXPECT_EQ(panel.Stretch().dataLength, window->Mark().end - window->Mark().start);
    ASSERT_EQ(window->Pictures().Areas(0)->size(), 1u);
    EXPECT_EQ((*window->Pictures().Areas(0))[0].colour, kCurrentColour);
    EXPECT_EQ((*window->Pictures().Areas(0))[0].name, "Undefined Name");
    EXPECT_EQ(window->Pictures().Frames(1), panel.Stretch().dataLength);

    Drag(panel.PictureHost(), 100, 500);
    Click(window->ButtonHost(10));  // Analyze
    CAnalyzeDlg& analyze = window->AnalyzeDialog();
    EXPECT_TRUE(analyze.isVisible());
    EXPECT_EQ(analyze.Stretch().dataStart, panel.Stretch().dataStart + panel.Selection().start);
    EXPECT_EQ(analyze.Stretch().dataLength, panel.Selection().end - panel.Selection().start);
    EXPECT_EQ(analyze.Stretch().sampleRate, 44100u);
    EXPECT_EQ(analyze.Grid().LengthAt(0), 16) << "the bar starts as one whole rest";
    ASSERT_EQ(window->Pictures().Areas(1)->size(), 1u);
    EXPECT_EQ(window->Pictures().Frames(2), analyze.Stretch().dataLength);

    Drag(analyze.PictureHost(), 50, 250);
    const std::uint32_t pieceStart = analyze.Stretch().dataStart + analyze.Selection().start;
    const std::uint32_t pieceWidth = analyze.Selection().end - analyze.Selection().start;
    ASSERT_GE(pieceWidth, 4410u);
    Click(window->ButtonHost(21));  // Add Separator
    Click(window->ButtonHost(20));  // Base Width
    const SeparatorTable& separators = window->Setup().separators;
    ASSERT_EQ(separators.separatorCount, 2);
    EXPECT_EQ(separators.start[1], static_cast<std::int32_t>(pieceStart));
    EXPECT_EQ(separators.baseLength[1], static_cast<std::int32_t>(pieceWidth));
    EXPECT_EQ(separators.baseLength[0], 22050);

    ExpectMarkers(window->Pictures().Markers(0), TuneBarLines(separators, 441000, 1024));
    ExpectMarkers(window->Pictures().Markers(1), StretchBarAndBeatLines(separators, panel.Stretch().dataStart, panel.Stretch().dataLength, 1024));
    ExpectMarkers(window->Pictures().Markers(2),
                  StretchBarAndBeatLines(separators, analyze.Stretch().dataStart, analyze.Stretch().dataLength, 1024));

    Click(window->ButtonHost(0));  // Close
    QTRY_VERIFY_WITH_TIMEOUT(!window->isVisible(), 2000);
    window.reset();
    EXPECT_EQ(std::filesystem::file_size(dir_.File("setup.ini")), 4376u);
    // One area in each list: the copied-down stretch, the analysed piece, the selection.
    EXPECT_EQ(std::filesystem::file_size(dir_.File("line.dat")), 12u + 3u * 44u);

    auto again = Start();
    ASSERT_TRUE(again->TuneLoaded());
    EXPECT_EQ(again->Setup().separators.separatorCount, 2);
    ASSERT_EQ(again->Pictures().Areas(0)->size(), 1u);
    EXPECT_EQ((*again->Pictures().Areas(0))[0].colour, kDoneColour);
    EXPECT_EQ(again->Pictures().Areas(1)->size(), 1u);
    EXPECT_EQ(again->Pictures().Areas(2)->size(), 1u);
    EXPECT_TRUE(messages_.messages.empty()) << messages_.messages.front().text;
    EXPECT_TRUE(shell_.urls.empty());
}

TEST_F(CCopyDownDlgTest, OnlyCloseEndsTheWindow)
{
    auto window = Start();
    QTest::keyClick(window.get(), Qt::Key_Escape);
    QTest::keyClick(window.get(), Qt::Key_Return);
    window->close();
    EXPECT_TRUE(window->isVisible());
}

TEST_F(CCopyDownDlgTest, CopyDownNeedsAWideEnoughMarkAndKeepsTheAreasName)
{
    // 88000 frames: zoom 20 shows 4400 (5 a pixel), zoom 25 shows 3520 (4 a pixel).
    const std::string tune = WriteTune(dir_, "tune.wav", 88000);
    auto window = Start();
    LoadThroughThePrompt(*window, tune);
    CWavePicture& pictures = window->Pictures();
    const auto zoomTo = [&](int zoom) {
        window->ZoomBar()->setSliderPosition(zoom);
        emit window->ZoomBar()->sliderReleased();
    };

    // 2755 frames is too narrow; 2756 is enough.
    zoomTo(20);
    Drag(window->TunePictureHost(), 0, 551);
    ASSERT_EQ(window->Mark().end - window->Mark().start, 2755u);
    Click(window->ButtonHost(4));
    EXPECT_EQ(messages_.Texts(), std::vector<std::string>{"Area is too narrow."});
    EXPECT_EQ(pictures.Areas(0)->size(), 1u) << "only the selection";

    zoomTo(25);
    Drag(window->TunePictureHost(), 0, 689);
    ASSERT_EQ(window->Mark().end - window->Mark().start, 2756u);
    ASSERT_TRUE(pictures.AddArea(0, window->Mark().start, window->Mark().end, kDoneColour, "Aメロ"));
    Click(window->ButtonHost(4));
    Click(window->ButtonHost(4));
    ASSERT_EQ(pictures.Areas(0)->size(), 1u);
    EXPECT_EQ((*pictures.Areas(0))[0].name, "Aメロ");
    EXPECT_EQ((*pictures.Areas(0))[0].colour, kCurrentColour);
    EXPECT_EQ(messages_.messages.size(), 1u);
}

TEST_F(CCopyDownDlgTest, AMarkFromALongerTuneIsCutToTheNewOne)
{
    const std::string longTune = WriteTune(dir_, "long.wav", 4 * 44100);
    const std::string shortTune = WriteTune(dir_, "short.wav", 44100);
    auto window = Start();
    LoadThroughThePrompt(*window, longTune);
    Drag(window->TunePictureHost(), 600, 870);
    LoadThroughThePrompt(*window, shortTune);
    ASSERT_EQ(window->TuneFrames(), 44100u);
    Click(window->ButtonHost(4));
    // The whole mark lies past the short tune's end: nothing is left of it.
    EXPECT_EQ(messages_.Texts(), std::vector<std::string>{"Area is too narrow."});
    EXPECT_LE(window->Mark().end, 44099u);
}

TEST_F(CCopyDownDlgTest, ATuneThatIsGoneAtStartLeavesItsAreasOnDisk)
{
    const std::string tune = WriteTune(dir_, "tune.wav", 2 * 44100);
    {
        auto window = Start();
        LoadThroughThePrompt(*window, tune);
        Drag(window->TunePictureHost(), 100, 800);
        Click(window->ButtonHost(4));
    }
    const auto areas = testing::ReadBytes(dir_.File("line.dat"));
    ASSERT_GT(areas.size(), 12u);
    std::filesystem::rename(tune, dir_.File("moved.wav"));
    {
        auto window = Start();
        EXPECT_FALSE(window->TuneLoaded());
        EXPECT_EQ(window->Guidance(), "Load a tune for copying down.\n\rLoad WAV file or CD Track.");
    }
    EXPECT_EQ(testing::ReadBytes(dir_.File("line.dat")), areas);
    std::filesystem::rename(dir_.File("moved.wav"), tune);
    auto back = Start();
    EXPECT_EQ(back->Pictures().Areas(0)->size(), 1u);
}

TEST_F(CCopyDownDlgTest, AFirstRunLeavesBothWorkFiles)
{
    Start().reset();
    EXPECT_EQ(std::filesystem::file_size(dir_.File("setup.ini")), 4376u);
    EXPECT_EQ(std::filesystem::file_size(dir_.File("line.dat")), 12u);
}

TEST_F(CCopyDownDlgTest, WithoutASynthTheWindowStartsQuietlyAndSaysSoOnceAtFirstUse)
{
    midiOut_.failingDevices = {MidiOutDevices::kBuiltInSynth};
    auto window = Start();
    EXPECT_TRUE(midiOut_.openAttempts.empty());
    EXPECT_TRUE(messages_.messages.empty());
    EXPECT_EQ(window->Synth().Port(), nullptr);
    EXPECT_EQ(window->Synth().Port(), nullptr);
    EXPECT_EQ(midiOut_.openAttempts, std::vector<int>{MidiOutDevices::kBuiltInSynth});
    EXPECT_EQ(messages_.Texts(), std::vector<std::string>{"MDCT07000001 Can not open Midi device!"});
}

TEST_F(CCopyDownDlgTest, TheWindowsSynthIsClosedWithTheWindow)
{
    auto window = Start();
    ASSERT_NE(window->Synth().Port(), nullptr);
    EXPECT_EQ(midiOut_.openPorts, 1);
    window.reset();
    EXPECT_EQ(midiOut_.openPorts, 0);
    EXPECT_EQ(midiOut_.closes, 1);
}

TEST_F(CCopyDownDlgTest, PlayStartsAndStopsAStretchWithItsLeadIn)
{
    const std::string tune = WriteTune(dir_, "tune.wav", 100'000);
    auto window = Start();
    LoadThroughThePrompt(*window, tune);

    window->TogglePlay(PlayMode::Main, 1000, 45100, 1.0);
    EXPECT_TRUE(window->IsPlaying());
    EXPECT_EQ(window->PlayFrames(), 46148u) << "44100 frames and 2048 of silence";
    EXPECT_EQ(window->ButtonCaption(2), "  Stop");
    EXPECT_EQ(window->Guidance(),
              "Mark area for copying down.\n\rDevide several bars and work with one at one time.\n\rPlaying a tune now.");

    Click(window->ButtonHost(8));  // the area panel's Play
    EXPECT_EQ(messages_.Texts(), std::vector<std::string>{"Now playing."});
    EXPECT_TRUE(window->IsPlaying());

    Click(window->ButtonHost(2));
    EXPECT_FALSE(window->IsPlaying());
    EXPECT_EQ(window->ButtonCaption(2), "  Play");
    EXPECT_EQ(waveOut_.closes, 1);
}

TEST_F(CCopyDownDlgTest, WithoutAMarkPlayTakesTheWholeTuneToItsEnd)
{
    const std::string tune = WriteTune(dir_, "tune.wav", 20'000);
    auto window = Start();
    LoadThroughThePrompt(*window, tune);
    Click(window->ButtonHost(2));
    ASSERT_TRUE(window->IsPlaying());
    EXPECT_EQ(window->PlayFrames(), 20'000u + 2048u);

    // The sound output's clock runs in real time until the player reports the end.
    for (int i = 0; i < 1000 && window->IsPlaying(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        waveOut_.Advance(441);
        QCoreApplication::processEvents();
    }
    EXPECT_FALSE(window->IsPlaying());
    EXPECT_EQ(window->ButtonCaption(2), "  Play");
    std::vector<std::int16_t> played(waveOut_.played.size() / 2);
    std::memcpy(played.data(), waveOut_.played.data(), played.size() * 2);
    ASSERT_GE(played.size(), 22'048u);
    EXPECT_TRUE(std::all_of(played.begin(), played.begin() + 2048, [](std::int16_t s) { return s == 0; }));
    EXPECT_NE(std::count(played.begin() + 2048, played.begin() + 22'048, 0), 20'000);
}

TEST_F(CCopyDownDlgTest, TheAnalyzeDialogPlaysAtTheChosenSpeed)
{
    const std::string tune = WriteTune(dir_, "tune.wav", 200'000);
    auto window = Start();
    LoadThroughThePrompt(*window, tune);
    Drag(window->TunePictureHost(), 100, 800);
    Click(window->ButtonHost(4));
    Drag(window->AreaPanel().PictureHost(), 100, 700);
    Click(window->ButtonHost(10));

    // The play setting: "3/4 Slow" with its one button.
    testing::AnswerNextModal<CPlaySettingDlg>([](CPlaySettingDlg* setting) {
        EXPECT_EQ(setting->SpeedList()->currentText(), "Standard");
        setting->SpeedList()->setCurrentIndex(1);
        setting->Set();
    });
    Click(window->ButtonHost(24));
    EXPECT_EQ(window->Setup().playSpeed, 0.75);

    const std::uint32_t stretch = window->AnalyzeDialog().Stretch().dataLength;
    Click(window->ButtonHost(16));
    ASSERT_TRUE(window->IsPlaying());
    const double expected = (stretch + 2048) / 0.75;
    EXPECT_NEAR(window->PlayFrames(), expected, 0.05 * expected) << "a slower play lasts 4/3 as long";
    Click(window->ButtonHost(16));
    EXPECT_FALSE(window->IsPlaying());
}

TEST_F(CCopyDownDlgTest, APlayThatCannotStartLeavesNothingPlaying)
{
    const std::string tune = WriteTune(dir_, "tune.wav", 20'000);
    auto window = Start();
    LoadThroughThePrompt(*window, tune);
    waveOut_.supports = false;
    Click(window->ButtonHost(2));
    EXPECT_EQ(messages_.Texts(), std::vector<std::string>{"オーディオデバイスがないか、サポートされていないフォーマットです。 [device -1, 44100 Hz, 16 bits, 1 channel(s): no output device]"});
    EXPECT_FALSE(window->IsPlaying());
    EXPECT_EQ(window->ButtonCaption(2), "  Play");
}

TEST(CPlaySettingDlg, KeepsASpeedThatIsNotInTheList)
{
    double speed = 1.25;
    CPlaySettingDlg setting(nullptr, speed);
    EXPECT_EQ(setting.SpeedList()->currentIndex(), -1);
    setting.Set();
    EXPECT_EQ(speed, 1.25);
}

TEST(CAboutDlg, NamesTheProgramAndItsVersion)
{
    CAboutDlg about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("Harkwellのﾊﾞｰｼﾞｮﾝ情報"));
    QStringList texts;
    for (const QLabel* label : about.findChildren<QLabel*>()) texts << label->text();
    EXPECT_TRUE(texts.contains(QStringLiteral("Harkwell Version 1.0")));
}

TEST(ProductPage, OpensTheShippedPageFromAFile)
{
    testing::TempDir cache;
    qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(cache.Path().string()));
    testing::RecordingShell shell;
    ASSERT_TRUE(OpenProductPage(shell));
    ASSERT_EQ(shell.urls.size(), 1u);
    const std::string prefix = "file://";
    ASSERT_EQ(shell.urls[0].rfind(prefix, 0), 0u);
    const auto page = testing::ReadBytes(shell.urls[0].substr(prefix.size()));
    EXPECT_NE(std::string(page.begin(), page.end()).find("Harkwell helps you write a tune down by ear"), std::string::npos);
    qunsetenv("XDG_CACHE_HOME");
}

}  // namespace
}  // namespace harkwell

namespace harkwell {
namespace {

class PlayScoreTest : public testing::MainWindowFixture {};

TEST_F(PlayScoreTest, PlayScoreStartsAndStopsTheWrittenBar)
{
    auto window = Start();
    LoadThroughThePrompt(*window, testing::WriteTune(dir_, "tune.wav", 441000));
    testing::Drag(window->TunePictureHost(), 100, 800);
    testing::Click(window->ButtonHost(4));
    testing::Drag(window->AreaPanel().PictureHost(), 100, 700);
    testing::Click(window->ButtonHost(10));

    testing::Click(window->ButtonHost(22));
    EXPECT_TRUE(window->IsScorePlaying());
    EXPECT_EQ(window->ButtonCaption(22), "  Stop");
    testing::Click(window->ButtonHost(22));
    EXPECT_EQ(window->ButtonCaption(22), "  Play");
    for (int i = 0; i < 100 && window->IsScorePlaying(); ++i) QCoreApplication::processEvents();
    EXPECT_FALSE(window->IsScorePlaying());
    EXPECT_TRUE(midiOut_.SoundingNotes().empty());
    EXPECT_TRUE(messages_.messages.empty());

    // Sync Play starts both, and is refused while either plays.
    testing::Click(window->ButtonHost(23));
    EXPECT_TRUE(window->IsPlaying());
    EXPECT_TRUE(window->IsScorePlaying());
    EXPECT_EQ(window->ButtonCaption(16), "  Stop");
    const int closes = waveOut_.closes;
    testing::Click(window->ButtonHost(23));
    EXPECT_TRUE(window->IsPlaying());
    EXPECT_EQ(waveOut_.closes, closes);
    testing::Click(window->ButtonHost(16));
    testing::Click(window->ButtonHost(22));
    for (int i = 0; i < 100 && window->IsScorePlaying(); ++i) QCoreApplication::processEvents();
    EXPECT_FALSE(window->IsPlaying());
    EXPECT_FALSE(window->IsScorePlaying());
    EXPECT_TRUE(messages_.messages.empty());
}

}  // namespace
}  // namespace harkwell
