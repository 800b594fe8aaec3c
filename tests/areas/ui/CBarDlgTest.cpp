#include "areas/ui/CBarDlg.h"

#include "app/CommandTable.h"
#include "app/ui/MainWindowFixture.h"
#include "areas/ui/CAreaDlg.h"
#include "areas/ui/CInfoDlg.h"
#include "audio/ui/CWavePicture.h"
#include "fakes/ModalWatcher.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>

namespace harkwell {
namespace {

using testing::Click;

class CBarDlgTest : public testing::MainWindowFixture {
protected:
    void SetUp() override
    {
        window_ = Start();
        LoadThroughThePrompt(*window_, testing::WriteTune(dir_, "tune.wav", 30 * 44100));
    }

    // Opens the bar dialog from the area panel and runs `act` on it while it is open.
    void WithBars(std::function<void(CBarDlg&)> act)
    {
        bool ran = false;
        testing::AnswerNextModal<CBarDlg>([&](CBarDlg* bars) {
            ran = true;
            act(*bars);
            if (bars->isVisible()) bars->Press(CBarDlg::kClose);
        });
        Click(window_->ButtonHost(command::kBarInfo));
        EXPECT_TRUE(ran) << "the bar dialog did not open";
    }

    // Opens the selected separator's details and runs `act` on them.
    static void WithInfo(CBarDlg& bars, std::function<void(CInfoDlg&)> act)
    {
        bool ran = false;
        testing::AnswerNextModal<CInfoDlg>([&](CInfoDlg* info) {
            ran = true;
            act(*info);
            Click(info->CloseButton());
        });
        bars.Press(CBarDlg::kSetInfo);
        EXPECT_TRUE(ran) << "the separator's details did not open";
    }

    static std::vector<std::string> Rows(CBarDlg& bars)
    {
        std::vector<std::string> rows;
        for (int i = 0; i < bars.Rows()->count(); ++i) rows.push_back(bars.Rows()->item(i)->text().toStdString());
        return rows;
    }

    // The panel's stretch and the piece selected in it, as Copy Down and a drag leave them.
    void SelectInPanel(std::uint32_t dataStart, std::uint32_t start, std::uint32_t end)
    {
        window_->AreaPanel().ShowStretch({dataStart, 10 * 44100, 44100, {start, end, false}});
    }

    const SeparatorTable& Table() const { return window_->Setup().separators; }

    // The tune's bar lines (not its beat lines) as the picture shows them.
    std::vector<std::uint32_t> TuneBarLines() const
    {
        std::vector<std::uint32_t> frames;
        for (const auto& marker : window_->Pictures().Markers(0))
            if (marker.colour == kBarLineColour) frames.push_back(marker.frame);
        return frames;
    }

    std::unique_ptr<CCopyDownDlg> window_;
};

TEST_F(CBarDlgTest, AddsSetsAndDeletesSeparatorsAtThePanelsSelection)
{
    SelectInPanel(441000, 0, 22050);
    WithBars([&](CBarDlg& bars) {
        EXPECT_EQ(bars.windowTitle(), "Separator Information");
        EXPECT_EQ(Rows(bars), std::vector<std::string>{"開始位置 000 秒  60 bpm"});

        bars.Press(CBarDlg::kAddSeparator);
        EXPECT_EQ(Rows(bars), (std::vector<std::string>{"開始位置 000 秒  60 bpm", "開始位置 010 秒  60 bpm"}));
        EXPECT_EQ(bars.Rows()->currentRow(), 1) << "the separator in force at the selection";

        // A quarter-note separator whose quarter is the 22050 frames selected: 120 bpm.
        WithInfo(bars, [](CInfoDlg& info) { info.NoteValueList()->setCurrentIndex(1); });
        bars.Press(CBarDlg::kBaseWidth);
        EXPECT_EQ(Rows(bars)[1], "開始位置 010 秒  120 bpm");
        EXPECT_EQ(Table().baseLength[1], 22050);

        SelectInPanel(441000, 0, 4000);
        bars.Press(CBarDlg::kBaseWidth);
        EXPECT_EQ(messages_.Texts(), std::vector<std::string>{"指定されている範囲が無い、あるいは、狭すぎます。"});
        EXPECT_EQ(Table().baseLength[1], 22050);

        bars.Rows()->setCurrentRow(0);
        bars.Press(CBarDlg::kDelSeparator);
        EXPECT_EQ(messages_.Texts().back(), "Can not delete the first separator.");
        EXPECT_EQ(Table().separatorCount, 2);

        bars.Rows()->setCurrentRow(1);
        bars.Press(CBarDlg::kDelSeparator);
        EXPECT_EQ(Rows(bars), std::vector<std::string>{"開始位置 000 秒  60 bpm"});
    });
    // The bar lines after the deleted separator follow the one before it: 4/4
    // bars of four 44100-frame quarter notes (an eighth of 22050 frames), all
    // through the tune.
    const auto lines = TuneBarLines();
    ASSERT_EQ(lines.size(), 8u);
    for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], i * 176400) << i;
}

TEST_F(CBarDlgTest, TheDetailsEditTheSeparatorAtOnce)
{
    SelectInPanel(0, 0, 0);
    WithBars([&](CBarDlg& bars) {
        WithInfo(bars, [&](CInfoDlg& info) {
            EXPECT_EQ(info.windowTitle(), "Information");
            EXPECT_EQ(info.TimeSignatureList()->currentText(), "4/4");
            EXPECT_EQ(info.NoteValueList()->currentText(), "Eight Note");
            EXPECT_EQ(info.LengthBox()->value(), 500);
            EXPECT_EQ(info.TempoBox()->text(), "60");

            // Typing 250: the length changes at once, the tempo box only later.
            info.LengthBox()->findChild<QLineEdit*>()->setText(QStringLiteral("250"));
            EXPECT_EQ(Table().baseLength[0], 11025);
            EXPECT_EQ(info.TempoBox()->text(), "60");
            EXPECT_EQ(TuneBarLines()[1], 4u * 22050) << "the bar lines follow at once: four quarters of two eighths";

            info.LengthBox()->findChild<QLineEdit*>()->setText(QStringLiteral("500"));
            ASSERT_EQ(Table().baseLength[0], 22050);
            info.NoteValueList()->setCurrentIndex(1);  // Quarter Note
            EXPECT_EQ(Table().baseLength[0], 44100);
            EXPECT_EQ(info.LengthBox()->value(), 1000);
            EXPECT_EQ(info.TempoBox()->text(), "60");

            info.TimeSignatureList()->setCurrentIndex(1);  // 3/4
            EXPECT_EQ(Table().timeSignature[0], 1);
            EXPECT_EQ(TuneBarLines()[1], 3u * 44100) << "three quarter notes a bar";

            info.LengthBox()->findChild<QLineEdit*>()->setText(QStringLiteral("0"));
            EXPECT_EQ(messages_.Texts(), std::vector<std::string>{"CInfoDlg::ErrorMsg"});
            EXPECT_EQ(Table().baseLength[0], 44100) << "a length of 0 changes nothing";
        });
        EXPECT_EQ(Rows(bars)[0], "開始位置 000 秒  60 bpm");
    });
}

TEST_F(CBarDlgTest, OneDetailsDialogAtATime)
{
    WithBars([&](CBarDlg& bars) {
        WithInfo(bars, [&](CInfoDlg&) {
            bars.Press(CBarDlg::kSetInfo);
            EXPECT_EQ(messages_.Texts(), std::vector<std::string>{"Other input dialog is open now."});
        });
    });
}

}  // namespace
}  // namespace harkwell
