#include "analysis/ui/CAnalyzeDlg.h"
#include "analysis/ui/CAnalyzeSettingDlg.h"
#include "analysis/ui/CFrequencyListDlg.h"
#include "analysis/ui/CKeyboardPicture.h"
#include "app/ui/CCopyDownDlg.h"
#include "areas/ui/CAreaDlg.h"
#include "widgets/ui/COffScreenPicture.h"

#include "fakes/FakeMidiRenderer.h"
#include "fakes/FakeWaveOutPort.h"
#include "fakes/ManualTimerService.h"
#include "fakes/RecordingMidiPort.h"
#include "fakes/MouseActions.h"
#include "fakes/ModalWatcher.h"
#include "fakes/FakeWaveOutPort.h"
#include "fakes/RecordingMessageSink.h"
#include "fakes/RecordingShell.h"
#include "fakes/ScriptedFilePrompt.h"
#include "fakes/SimulatedCdDrive.h"
#include "fakes/TempDir.h"
#include "fakes/WavBuilder.h"

#include <QCheckBox>
#include <QListWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <numbers>
#include <sstream>

namespace harkwell {
namespace {

using testing::Click;
using testing::Drag;

using testing::RecordingMessageSink;

std::uint32_t KeyColour(CAnalyzeDlg& dialog, int note)
{
    const KeyboardLayout& layout = dialog.Keyboard().Layout();
    return layout.Keys().at(static_cast<std::size_t>(note - layout.Lowest())).colour;
}

TEST(CAnalyzeDlg, ColoursKeysByStrengthModulo256)
{
    RecordingMessageSink messages;
    CAnalyzeDlg dialog(nullptr, [] { return false; }, messages);
    EXPECT_EQ(dialog.Keyboard().Host()->geometry(), QRect(10, 180, 380, 60));
    EXPECT_EQ(dialog.Keyboard().Layout().Lowest(), 60);
    EXPECT_EQ(dialog.Keyboard().Layout().Highest(), 96);
    struct Case {
        int note, value;
        std::uint32_t colour;
    };
    for (const Case& c : {Case{60, 0, 0xFFFFFF}, Case{62, 255, 0x00FFFF}, Case{64, 100, 0x9BFFFF},
                          Case{65, 256 + 100, 0x9BFFFF}, Case{61, 0, 0x000000}, Case{63, 255, 0xFF0000},
                          Case{66, 100, 0x640000}}) {
        dialog.SetKeyStrength(c.note, c.value);
        EXPECT_EQ(KeyColour(dialog, c.note), c.colour) << c.note << " " << c.value;
    }
    EXPECT_EQ(dialog.Keyboard().Host()->Shown().pixelColor(20, 50), QColor(Qt::yellow)) << "key 62 is shown";
    dialog.SetKeyStrength(59, 255);
    dialog.SetKeyStrength(97, 255);

    dialog.SetPartRange(36, 72);
    EXPECT_EQ(dialog.Keyboard().Layout().Lowest(), 36);
    EXPECT_EQ(KeyColour(dialog, 62), 0xFFFFFFu) << "a new keyboard starts plain";
    EXPECT_TRUE(messages.messages.empty());
}

// Two seconds of C4, then two of A4, mono.
std::string WriteTwoNotes(const testing::TempDir& dir)
{
    std::vector<std::int16_t> samples;
    for (int i = 0; i < 4 * 44100; ++i) {
        const double frequency = i < 2 * 44100 ? 261.63 : 440.0;
        samples.push_back(static_cast<std::int16_t>(12000 * std::sin(2 * std::numbers::pi * frequency * i / 44100.0)));
    }
    const std::string path = dir.File("two.wav");
    testing::WriteBytes(path, testing::WavBuilder()
                                  .Riff()
                                  .Format(1, 44100, 16)
                                  .Chunk("data", testing::WavBuilder::Samples16(samples))
                                  .Build());
    return path;
}

class CAnalyzeCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window_ = std::make_unique<CCopyDownDlg>(AppServices{messages_, prompt_, shell_, waveOut_, midiOut_, renderer_, timers_, cdDrive_}, dir_.Path().string());
        window_->show();
    }



    // A piece of the A4 half of the tune in the analyze dialog.
    CAnalyzeDlg& AnalyzeTheSecondHalf()
    {
        prompt_.answer = OpenFileChoice{WriteTwoNotes(dir_), 1};
        Click(window_->ButtonHost(1));
        Drag(window_->TunePictureHost(), 460, 860);
        Click(window_->ButtonHost(4));   // Copy Down
        Drag(window_->AreaPanel().PictureHost(), 100, 700);
        Click(window_->ButtonHost(10));  // Analyze
        CAnalyzeDlg& analyze = window_->AnalyzeDialog();
        Drag(analyze.PictureHost(), 50, 450);
        return analyze;
    }

    testing::TempDir dir_;
    RecordingMessageSink messages_;
    testing::ScriptedFilePrompt prompt_;
    testing::RecordingShell shell_;
    testing::FakeWaveOutPort waveOut_;
    testing::RecordingMidiDevices midiOut_;
    testing::FakeMidiRenderer renderer_;
    testing::ManualTimerService timers_;
    testing::SimulatedCdDrive cdDrive_{std::nullopt};
    std::unique_ptr<CCopyDownDlg> window_;
};

TEST_F(CAnalyzeCommandsTest, PartButtonsColourTheKeysOfTheSelectedPiece)
{
    CAnalyzeDlg& analyze = AnalyzeTheSecondHalf();
    ASSERT_GE(analyze.Stretch().dataStart + analyze.Selection().start, 2u * 44100) << "the piece lies in the A4 half";
    ASSERT_GE(analyze.Selection().end - analyze.Selection().start, 8192u);

    Click(window_->ButtonHost(14));  // Mid Part
    EXPECT_EQ(analyze.Keyboard().Layout().Lowest(), 60);
    EXPECT_EQ(KeyColour(analyze, 69), 0x00FFFFu) << "A4 is the strongest: yellow";
    EXPECT_GE(KeyColour(analyze, 60) >> 16, 0xC0u) << "C4 is not heard: nearly white";
    EXPECT_EQ(analyze.Keyboard().Host()->Shown(), analyze.Keyboard().Host()->Surface());

    Click(window_->ButtonHost(13));  // Low Part
    EXPECT_EQ(analyze.Keyboard().Layout().Lowest(), 36);
    EXPECT_EQ(analyze.Keyboard().Layout().Highest(), 72);
    EXPECT_EQ(KeyColour(analyze, 69), 0x00FFFFu);

    Click(window_->ButtonHost(15));  // High Part
    EXPECT_EQ(analyze.Keyboard().Layout().Lowest(), 84);
    EXPECT_EQ(analyze.Keyboard().Layout().Highest(), 120);
    EXPECT_TRUE(messages_.messages.empty()) << messages_.messages.front().text;
}

TEST_F(CAnalyzeCommandsTest, PowerSpectreListsTheNotesOfThePiece)
{
    AnalyzeTheSecondHalf();
    QStringList lines;
    QString title;
    testing::AnswerNextModal<CFrequencyListDlg>([&](CFrequencyListDlg* list) {
        title = list->windowTitle();
        for (int row = 0; row < list->List()->count(); ++row) lines << list->List()->item(row)->text();
        Click(list->CloseButtonHost());
    });
    Click(window_->ButtonHost(18));
    EXPECT_EQ(title, QStringLiteral("Frequency List"));
    ASSERT_EQ(lines.size(), 128);
    EXPECT_EQ(lines[69], QStringLiteral("069 [03 A ] 1000 **********"));
    EXPECT_TRUE(lines[60].startsWith(QStringLiteral("060 [03 C ] 00")));
    EXPECT_TRUE(messages_.messages.empty());
}

TEST_F(CAnalyzeCommandsTest, AnEmptySelectionSaysSoAndListsZeros)
{
    QStringList lines;
    testing::AnswerNextModal<CFrequencyListDlg>([&](CFrequencyListDlg* list) {
        for (int row = 0; row < list->List()->count(); ++row) lines << list->List()->item(row)->text();
        list->accept();
    });
    Click(window_->ButtonHost(18));
    EXPECT_EQ(messages_.Texts(), std::vector<std::string>{"Area is not marked at all."});
    ASSERT_EQ(lines.size(), 128);
    EXPECT_EQ(lines[69], QStringLiteral("069 [03 A ] 0000 "));
}

TEST_F(CAnalyzeCommandsTest, AnalyzeSettingKeepsTheHarmonicsOptionUnderTheSettingGuard)
{
    ASSERT_EQ(window_->Setup().includeHarmonics, 1);
    bool wasChecked = false;
    std::vector<std::string> whileOpen;
    testing::AnswerNextModal<CAnalyzeSettingDlg>([&](CAnalyzeSettingDlg* setting) {
        wasChecked = setting->HarmonicsBox()->isChecked();
        EXPECT_EQ(setting->HarmonicsBox()->text(), QStringLiteral("倍音も含めて解析"));
        window_->Dispatch(19);  // a second one is refused
        whileOpen = messages_.Texts();
        setting->HarmonicsBox()->setChecked(false);
        Click(setting->CloseButtonHost());
    });
    Click(window_->ButtonHost(19));
    EXPECT_TRUE(wasChecked);
    EXPECT_EQ(whileOpen, std::vector<std::string>{"Other input dialog is open now."});
    EXPECT_EQ(window_->Setup().includeHarmonics, 0);

    // Closed without its button, the dialog keeps the option as it was.
    testing::AnswerNextModal<CAnalyzeSettingDlg>([&](CAnalyzeSettingDlg* setting) {
        wasChecked = setting->HarmonicsBox()->isChecked();
        setting->HarmonicsBox()->setChecked(true);
        setting->reject();
    });
    Click(window_->ButtonHost(19));
    EXPECT_FALSE(wasChecked);
    EXPECT_EQ(window_->Setup().includeHarmonics, 0);
}

TEST_F(CAnalyzeCommandsTest, TheNoteGuessTurnedOnDotsTheKeysAndLeadsTheFrequencyList)
{
    CAnalyzeDlg& analyze = AnalyzeTheSecondHalf();
    Click(window_->ButtonHost(14));  // Mid Part, the guess off as it starts
    EXPECT_TRUE(analyze.Keyboard().GuessedNotes().empty());

    bool wasChecked = true;
    testing::AnswerNextModal<CAnalyzeSettingDlg>([&](CAnalyzeSettingDlg* setting) {
        wasChecked = setting->GuessBox()->isChecked();
        setting->GuessBox()->setChecked(true);
        Click(setting->CloseButtonHost());
    });
    Click(window_->ButtonHost(19));
    EXPECT_FALSE(wasChecked);
    std::ifstream file(dir_.File("harkwell.ini"));
    std::stringstream kept;
    kept << file.rdbuf();
    EXPECT_EQ(kept.str(), "note-guess=1\n");
    EXPECT_EQ(window_->Setup().includeHarmonics, 1) << "the harmonics option is left alone";

    Click(window_->ButtonHost(14));
    ASSERT_FALSE(analyze.Keyboard().GuessedNotes().empty());
    EXPECT_EQ(analyze.Keyboard().GuessedNotes().front(), 69);
    EXPECT_EQ(KeyColour(analyze, 69), 0x00FFFFu) << "the colouring stays as it was";
    const KeyboardLayout::Key& a4 = analyze.Keyboard().Layout().Keys().at(69 - 60);
    const QImage shown = analyze.Keyboard().Host()->Shown();
    EXPECT_EQ(shown.pixelColor(CKeyboardPicture::GuessDotCentre(a4)), QColor(Qt::magenta));
    EXPECT_EQ(shown.pixelColor(a4.left + 2, a4.top + 45), QColor(Qt::yellow)) << "beside the dot the key keeps its colour";

    QStringList lines;
    testing::AnswerNextModal<CFrequencyListDlg>([&](CFrequencyListDlg* list) {
        for (int row = 0; row < list->List()->count(); ++row) lines << list->List()->item(row)->text();
        list->accept();
    });
    Click(window_->ButtonHost(18));
    const auto guessed = static_cast<qsizetype>(analyze.Keyboard().GuessedNotes().size());
    ASSERT_EQ(lines.size(), 128 + guessed);
    EXPECT_EQ(lines[0], QStringLiteral("Guess 1: 069 [03 A ]")) << "named as the lines below name it";
    EXPECT_EQ(lines[guessed + 69], QStringLiteral("069 [03 A ] 1000 **********"));
    EXPECT_TRUE(messages_.messages.empty());
}

}  // namespace
}  // namespace harkwell
