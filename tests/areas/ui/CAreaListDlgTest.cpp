#include "areas/ui/CAreaListDlg.h"

#include "app/CommandTable.h"
#include "app/ui/MainWindowFixture.h"
#include "areas/AreaColours.h"
#include "areas/ui/CAreaDlg.h"
#include "areas/ui/CAreaSettingDlg.h"
#include "audio/ui/CWavePicture.h"
#include "audio/WaveData.h"
#include "analysis/ui/CAnalyzeDlg.h"
#include "fakes/ModalWatcher.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <thread>

namespace harkwell {
namespace {

using testing::Click;
using testing::Drag;

class CAreaListDlgTest : public testing::MainWindowFixture {
protected:
    // Opens an area list from its button and runs `act` on it while it is open.
    static void WithList(CCopyDownDlg& window, std::uint32_t command, std::function<void(CAreaListDlg&)> act)
    {
        bool ran = false;
        testing::AnswerNextModal<CAreaListDlg>([&](CAreaListDlg* list) {
            ran = true;
            act(*list);
            if (list->isVisible()) list->Press(CAreaListDlg::kClose);
        });
        Click(window.ButtonHost(command));
        EXPECT_TRUE(ran) << "the list did not open";
    }

    static std::vector<std::string> Rows(CAreaListDlg& list)
    {
        std::vector<std::string> rows;
        for (int i = 0; i < list.Rows()->count(); ++i) rows.push_back(list.Rows()->item(i)->text().toStdString());
        return rows;
    }

    // Renames and recolours the selected row through the setting dialog.
    static void SetInfo(CAreaListDlg& list, int row, const QString& name, int colour)
    {
        list.Rows()->setCurrentRow(row);
        testing::AnswerNextModal<CAreaSettingDlg>([=](CAreaSettingDlg* setting) {
            if (!name.isNull()) setting->NameBox()->setText(name);
            if (colour >= 0) setting->ColourList()->setCurrentIndex(colour);
            Click(setting->UpdateButton());
        });
        list.Press(CAreaListDlg::kSetInfo);
    }

    void CopyDown(CCopyDownDlg& window, int fromX, int toX)
    {
        Drag(window.TunePictureHost(), fromX, toX);
        Click(window.ButtonHost(command::kCopyDown));
    }
};

// From three copied-down stretches to renaming, reselecting, playing and
// deleting them, and what comes back after a restart.
TEST_F(CAreaListDlgTest, AWalkThroughTheListOfTheTuneSurvivesARestart)
{
    const std::string tune = testing::WriteTune(dir_, "tune.wav", 441000);
    {
        auto window = Start();
        LoadThroughThePrompt(*window, tune);
        CopyDown(*window, 100, 200);
        CopyDown(*window, 300, 400);
        CopyDown(*window, 500, 600);
        const auto first = (*window->Pictures().Areas(0))[0];

        WithList(*window, command::kAreaList, [&](CAreaListDlg& list) {
            EXPECT_EQ(list.windowTitle(), "Area List");
            const auto rows = Rows(list);
            ASSERT_EQ(rows.size(), 3u);
            EXPECT_EQ(rows[0], "001 - 002 [Undefined Name] ");
            EXPECT_EQ(rows[2].substr(rows[2].size() - 12), "[採譜中] ");

            SetInfo(list, 0, QStringLiteral("Intro"), 2);
            EXPECT_EQ(Rows(list)[0], "001 - 002 [Intro] ");
            EXPECT_EQ((*window->Pictures().Areas(0))[0].colour, 0xFFBFBFu) << "blue";

            // Back to the first stretch: it becomes the current one, at the list's end.
            list.Rows()->setCurrentRow(0);
            list.Press(CAreaListDlg::kSelect);
            const auto again = Rows(list);
            ASSERT_EQ(again.size(), 3u);
            EXPECT_EQ(again[2], "001 - 002 [採譜中] ");
            EXPECT_EQ(window->AreaPanel().Stretch().dataStart, first.start);
            EXPECT_EQ(window->AreaPanel().Stretch().dataLength, first.end - first.start);
            EXPECT_EQ((*window->Pictures().Areas(0))[2].name, "Intro") << "the name stays with the stretch";

            // Play, then close while it plays: the playback stops with the list.
            list.Rows()->setCurrentRow(2);
            list.Press(CAreaListDlg::kPlay);
            EXPECT_TRUE(window->IsPlaying());
            EXPECT_EQ(window->PlayFrames(), first.end - first.start + 2048);
            EXPECT_EQ(list.ButtonCaption(CAreaListDlg::kPlay), "  Stop");
            list.Press(CAreaListDlg::kClose);
        });
        EXPECT_FALSE(window->IsPlaying());
        EXPECT_EQ(waveOut_.closes, 1);

        WithList(*window, command::kAreaList, [&](CAreaListDlg& list) {
            SetInfo(list, 0, QStringLiteral("Verse"), 0);  // red
            list.Rows()->setCurrentRow(1);
            list.Press(CAreaListDlg::kDelete);
            EXPECT_EQ(Rows(list).size(), 2u);
        });
        ASSERT_EQ(window->Pictures().Areas(0)->size(), 2u);
        Click(window->ButtonHost(command::kClose));
    }

    auto window = Start();
    WithList(*window, command::kAreaList, [&](CAreaListDlg& list) {
        const auto rows = Rows(list);
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[0].substr(rows[0].size() - 8), "[Verse] ");
        EXPECT_EQ(rows[1], "001 - 002 [Intro] ") << "the current area comes back done, under its name";
    });
    EXPECT_EQ((*window->Pictures().Areas(0))[0].colour, 0xBFBFFFu) << "red, as it was set";
    EXPECT_TRUE(messages_.messages.empty());
}

TEST_F(CAreaListDlgTest, SetInfoCutsLongNamesAndTurnsTheCurrentAreaGrey)
{
    const std::string tune = testing::WriteTune(dir_, "tune.wav", 441000);
    auto window = Start();
    LoadThroughThePrompt(*window, tune);
    CopyDown(*window, 100, 300);
    WithList(*window, command::kAreaList, [&](CAreaListDlg& list) {
        SetInfo(list, 0, QString(), -1);  // Update without touching anything
        EXPECT_EQ((*window->Pictures().Areas(0))[0].colour, kDoneColour) << "grey, the entry it opened with";
        SetInfo(list, 0, QString(40, QLatin1Char('n')), -1);
        EXPECT_EQ((*window->Pictures().Areas(0))[0].name, std::string(31, 'n'));
        SetInfo(list, 0, QStringLiteral("一二三四五六七八九十百千万億兆円"), -1);
        EXPECT_EQ((*window->Pictures().Areas(0))[0].name, "一二三四五六七八九十百千万億兆")
            << "31 Shift-JIS bytes, never half a character";
    });
}

TEST_F(CAreaListDlgTest, RefusalsWithoutARowAndWithAnotherSettingDialogOpen)
{
    const std::string tune = testing::WriteTune(dir_, "tune.wav", 441000);
    auto window = Start();
    LoadThroughThePrompt(*window, tune);
    CopyDown(*window, 100, 300);
    WithList(*window, command::kAreaList, [&](CAreaListDlg& list) {
        list.Rows()->clearSelection();
        list.Press(CAreaListDlg::kSetInfo);
        list.Press(CAreaListDlg::kDelete);
        list.Press(CAreaListDlg::kPlay);
        list.Press(CAreaListDlg::kSelect);
        EXPECT_EQ(messages_.Texts(), std::vector<std::string>{"選択されていません。"});
        EXPECT_EQ(Rows(list).size(), 1u);
        EXPECT_FALSE(window->IsPlaying());

        // The main window's play setting is open: another setting dialog is refused.
        testing::AnswerNextModal<QDialog>([&](QDialog* setting) {
            list.Rows()->setCurrentRow(0);
            list.Press(CAreaListDlg::kSetInfo);
            setting->reject();
        });
        Click(window->ButtonHost(command::kPlaySetting));
        EXPECT_EQ(messages_.Texts().back(), "他に開いている入力ダイアログがあります。");
    });
    // And one list at a time.
    testing::AnswerNextModal<CAreaListDlg>([&](CAreaListDlg* list) {
        Click(window->ButtonHost(command::kAnalyzeList));
        list->Press(CAreaListDlg::kClose);
    });
    Click(window->ButtonHost(command::kAreaList));
    EXPECT_EQ(messages_.Texts().back(), "Other input dialog is open now.");
}

TEST_F(CAreaListDlgTest, ThePanelsListShowsItsStatesAndPlaysInTheTunesFrames)
{
    const std::string tune = testing::WriteTune(dir_, "tune.wav", 441000);
    auto window = Start();
    LoadThroughThePrompt(*window, tune);
    CopyDown(*window, 100, 800);
    Drag(window->AreaPanel().PictureHost(), 100, 300);
    Click(window->ButtonHost(command::kAnalyze));
    Drag(window->AreaPanel().PictureHost(), 400, 600);  // a fresh selection
    const PanelStretch panel = window->AreaPanel().Stretch();
    const auto analysed = (*window->Pictures().Areas(1))[0];

    WithList(*window, command::kAnalyzeList, [&](CAreaListDlg& list) {
        EXPECT_EQ(list.windowTitle(), "Analyze List");
        const auto rows = Rows(list);
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[0].substr(rows[0].size() - 12), "[解析中] ");
        EXPECT_EQ(rows[1].substr(rows[1].size() - 12), "[選択中] ");

        list.Rows()->setCurrentRow(0);
        list.Press(CAreaListDlg::kPlay);
        ASSERT_TRUE(window->IsPlaying());
        EXPECT_EQ(window->PlayFrames(), analysed.end - analysed.start + 2048);
        // What plays is the piece of the tune, counted from the panel's stretch.
        for (int i = 0; i < 1000 && waveOut_.played.size() < 2 * (2048 + 1000); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            waveOut_.Advance(441);
            QCoreApplication::processEvents();
        }
        ASSERT_GE(waveOut_.played.size(), 2u * (2048 + 1000));
        testing::RecordingMessageSink sink;
        auto wave = WaveData::Load(tune, sink);
        ASSERT_TRUE(wave);
        wave->MixToMono();
        const auto* mono = reinterpret_cast<const std::int16_t*>(wave->Samples().data());
        const auto* played = reinterpret_cast<const std::int16_t*>(waveOut_.played.data());
        EXPECT_TRUE(std::equal(played + 2048, played + 2048 + 1000, mono + panel.dataStart + analysed.start));

        // The analyze dialog's Play stops a row of the list.
        Click(window->ButtonHost(command::kPlayAnalyze));
        EXPECT_FALSE(window->IsPlaying());
        EXPECT_EQ(list.ButtonCaption(CAreaListDlg::kPlay), "  Play");
    });

    // Select makes the piece the analysed one again.
    WithList(*window, command::kAnalyzeList, [&](CAreaListDlg& list) {
        list.Rows()->setCurrentRow(0);
        list.Press(CAreaListDlg::kSelect);
    });
    EXPECT_EQ(window->AnalyzeDialog().Stretch().dataStart, panel.dataStart + analysed.start);
}

}  // namespace
}  // namespace harkwell
