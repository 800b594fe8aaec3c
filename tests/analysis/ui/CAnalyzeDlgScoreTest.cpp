// Writing the bar down in the analyze dialog: keys that sound and write, the
// note-value picker, the cursor on the staff.
#include "analysis/ui/CAnalyzeDlg.h"
#include "analysis/ui/CKeyboardPicture.h"
#include "app/SynthAccess.h"
#include "score/ui/CLongStaffPicture.h"
#include "widgets/ui/COffScreenPicture.h"

#include "fakes/GatedMidiDevices.h"
#include "fakes/RecordingMessageSink.h"
#include "fakes/ReferencePicture.h"
#include "fakes/RecordingMidiPort.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <thread>
#include <tuple>

namespace harkwell {
namespace {

using Note = std::tuple<int, std::int32_t, int>;  // pitch, time, type

class CAnalyzeDlgScoreTest : public ::testing::Test {
protected:
    CAnalyzeDlgScoreTest()
    {
        synthPort_ = devices_.Open(MidiOutDevices::kBuiltInSynth);
        devices_.ClearMessages();
        dialog_ = std::make_unique<CAnalyzeDlg>(nullptr, [] { return true; }, messages_,
                                                ScoreSound{[this] { return synthPort_.get(); }, &instrument_, {}});
        dialog_->PrepareForStretch();
    }

    // A point low on a white key, or on a black one, of the keyboard.
    QPoint KeyPoint(int note) const
    {
        const KeyboardLayout& layout = dialog_->Keyboard().Layout();
        const auto& key = layout.Keys().at(static_cast<std::size_t>(note - layout.Lowest()));
        return {(key.left + key.right) / 2, key.bottom - 3};
    }
    void DoubleClickKey(int note) { QTest::mouseDClick(dialog_->Keyboard().Host(), Qt::LeftButton, {}, KeyPoint(note)); }
    void PressKey(int note) { QTest::mousePress(dialog_->Keyboard().Host(), Qt::LeftButton, {}, KeyPoint(note)); }
    void ReleaseKey(int note) { QTest::mouseRelease(dialog_->Keyboard().Host(), Qt::LeftButton, {}, KeyPoint(note)); }

    // Presses a cell of the note-value picker (three rows of five, 30 pixels).
    void Pick(int row, int column)
    {
        const QPoint cell(column * 30 + 15, row * 30 + 15);
        QTest::mousePress(dialog_->PickerHost(), Qt::LeftButton, {}, cell);
        QTest::mouseRelease(dialog_->PickerHost(), Qt::LeftButton, {}, cell);
    }

    // The middle of a sixteenth position across the staff's note area.
    int PositionX(int position) const
    {
        const StaffLayout& layout = dialog_->Staff().Layout(0);
        const double step = (layout.Width() - layout.XOrigin()) / 16.0;
        return static_cast<int>(layout.XOrigin() + (position + 0.5) * step);
    }
    void ClickStaff(int position)
    {
        QTest::mousePress(dialog_->StaffHost(), Qt::LeftButton, {}, {PositionX(position), 20});
    }

    std::vector<Note> StaffNotes() const
    {
        std::vector<Note> notes;
        for (const auto& note : dialog_->Staff().Notes(0)) notes.emplace_back(note.pitch, note.time, note.type);
        return notes;
    }

    testing::RecordingMessageSink messages_;
    testing::RecordingMidiDevices devices_;
    std::unique_ptr<MidiOutPort> synthPort_;
    std::int32_t instrument_ = 5;
    std::unique_ptr<CAnalyzeDlg> dialog_;
};

TEST_F(CAnalyzeDlgScoreTest, ANewStretchIsOneWholeRestWithTheCursorAtItsStart)
{
    EXPECT_EQ(StaffNotes(), std::vector<Note>{Note(-1, 0, 11)});
    EXPECT_EQ(dialog_->PickerValue(), 4) << "a quarter note is chosen at start";
    EXPECT_EQ(dialog_->GuidanceText(), "\nDouble Click keyboard, then a note added to the staff.");
    // The cursor: four sixteenths wide from half a position before the first.
    const StaffLayout& layout = dialog_->Staff().Layout(0);
    const double step = (layout.Width() - layout.XOrigin()) / 16.0;
    const int x0 = static_cast<int>(layout.XOrigin() - step / 2);
    const QImage& shown = dialog_->StaffHost()->Shown();
    EXPECT_EQ(shown.pixelColor(x0 + 2, 2), QColor(0x9F, 0x9F, 0xFF)) << "0xFF9F9F on an even position";
    EXPECT_EQ(shown.pixelColor(static_cast<int>(x0 + 4 * step) + 2, 2), QColor(Qt::white));
}

TEST_F(CAnalyzeDlgScoreTest, DoubleClickedKeysWriteChordsAtTheCursorWithThePickersValue)
{
    DoubleClickKey(60);
    DoubleClickKey(64);
    EXPECT_EQ(StaffNotes(), (std::vector<Note>{{60, 0, 5}, {64, 0, 5}, {-1, 960, 9}}))
        << "a quarter-note chord, and the rest of the bar a dotted-half rest";

    Pick(1, 3);  // an eighth
    ClickStaff(14);
    DoubleClickKey(67);
    EXPECT_EQ(std::get<0>(StaffNotes().back()), 67);
    EXPECT_EQ(std::get<1>(StaffNotes().back()), 14 * 240);
    EXPECT_EQ(std::get<2>(StaffNotes().back()), 1) << "an eighth: positions 14 and 15";

    ClickStaff(15);
    Pick(1, 1);  // a quarter, cut at the bar's end
    DoubleClickKey(72);
    EXPECT_EQ(StaffNotes().back(), Note(72, 15 * 240, 0));

    // A rest from the picker goes in at once.
    ClickStaff(0);
    Pick(2, 2);  // a quarter rest
    EXPECT_EQ(StaffNotes().front(), Note(-1, 0, 5));
    EXPECT_TRUE(messages_.messages.empty());
}

TEST_F(CAnalyzeDlgScoreTest, TheSilenceLeftInTheBarIsWrittenWithRestsThatFillItsBeats)
{
    DoubleClickKey(60);
    EXPECT_EQ(StaffNotes(), (std::vector<Note>{{60, 0, 5}, {-1, 960, 9}})) << "twelve sixteenths: a dotted half rest";

    Pick(1, 3);  // an eighth
    ClickStaff(4);
    DoubleClickKey(62);
    EXPECT_EQ(StaffNotes(), (std::vector<Note>{{60, 0, 5}, {62, 960, 1}, {-1, 1440, 1}, {-1, 1920, 7}}))
        << "ten sixteenths: an eighth rest to the beat, then a half rest";

    ClickStaff(9);
    Pick(2, 4);  // a sixteenth rest over the half rest's second sixteenth
    EXPECT_EQ(StaffNotes(), (std::vector<Note>{{60, 0, 5}, {62, 960, 1}, {-1, 1440, 1}, {-1, 1920, 0}, {-1, 2160, 0},
                                               {-1, 2400, 1}, {-1, 2880, 5}}));
}

TEST_F(CAnalyzeDlgScoreTest, ANinthNoteIsRefusedAndNothingIsWrittenPastTheBar)
{
    for (int note : {60, 62, 64, 65, 67, 69, 71, 72}) DoubleClickKey(note);
    EXPECT_TRUE(messages_.messages.empty());
    DoubleClickKey(74);
    EXPECT_EQ(messages_.Texts(), std::vector<std::string>{"CAnalyzeDlg::ErrorMsg"});
    EXPECT_EQ(dialog_->Staff().Notes(0).size(), 9u) << "eight notes and the rest after them";

    QTest::mousePress(dialog_->StaffHost(), Qt::LeftButton, {}, {dialog_->StaffHost()->width() - 1, 20});
    DoubleClickKey(74);
    EXPECT_EQ(messages_.messages.size(), 1u) << "past the bar: nothing written, nothing said";
}

TEST_F(CAnalyzeDlgScoreTest, KeysSoundThroughTheSynthWithTheScoresInstrument)
{
    PressKey(62);
    ReleaseKey(62);
    const std::vector<std::vector<std::uint8_t>> expected{{0xC0, 5, 0}, {0x90, 62, 127}, {0x80, 62, 0}};
    EXPECT_EQ(devices_.Shorts(), expected);

    dialog_->InstrumentList()->setCurrentIndex(40);
    EXPECT_EQ(instrument_, 40);
    EXPECT_EQ(devices_.Shorts().back(), (std::vector<std::uint8_t>{0xC0, 40, 0}));
    EXPECT_EQ(dialog_->InstrumentList()->count(), 128);
    EXPECT_EQ(dialog_->InstrumentList()->itemText(127), "Gun Shot");

    // While the score plays the list changes nothing.
    dialog_->SetScorePlaying(true);
    devices_.ClearMessages();
    dialog_->InstrumentList()->setCurrentIndex(3);
    PressKey(60);
    EXPECT_EQ(instrument_, 40);
    EXPECT_TRUE(devices_.Shorts().empty());
}

// Typing in the dialog changes no instrument: only a click gives the list the keys.
TEST_F(CAnalyzeDlgScoreTest, KeysTypedInTheDialogLeaveTheInstrumentUnlessTheListWasClicked)
{
    dialog_->show();
    QApplication::setActiveWindow(dialog_.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog_.get()));
    const auto type = [&](const char* keys) {
        QWidget* focused = QApplication::focusWidget();
        QTest::keyClicks(focused != nullptr ? focused : dialog_.get(), keys);
    };
    type("pb");
    EXPECT_EQ(dialog_->InstrumentList()->currentIndex(), 5);
    EXPECT_EQ(instrument_, 5);

    QComboBox* list = dialog_->InstrumentList();
    QTest::mouseClick(list, Qt::LeftButton);
    list->hidePopup();
    type("p");
    EXPECT_EQ(list->currentText().front(), QChar('P')) << "a clicked list takes the keys";
    EXPECT_EQ(instrument_, list->currentIndex());
}

// The shown instrument and every one in the open list are whole, never cut.
TEST_F(CAnalyzeDlgScoreTest, NoInstrumentNameIsCut)
{
    dialog_->show();
    QComboBox* list = dialog_->InstrumentList();
    QStyleOptionComboBox option;
    option.initFrom(list);
    option.editable = false;
    const QRect field = list->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, list);
    for (int i = 0; i < list->count(); ++i)
        EXPECT_LE(list->fontMetrics().horizontalAdvance(list->itemText(i)), field.width()) << list->itemText(i).toStdString();
    list->showPopup();
    const int widest = list->view()->sizeHintForColumn(0);
    EXPECT_LE(widest, list->view()->viewport()->width());
    list->hidePopup();
}

TEST_F(CAnalyzeDlgScoreTest, WithoutASynthKeysStillWrite)
{
    CAnalyzeDlg silent(nullptr, [] { return true; }, messages_, ScoreSound{[] { return nullptr; }, nullptr, {}});
    silent.PrepareForStretch();
    const KeyboardLayout& layout = silent.Keyboard().Layout();
    const auto& key = layout.Keys().at(0);
    QTest::mouseDClick(silent.Keyboard().Host(), Qt::LeftButton, {}, {(key.left + key.right) / 2, key.bottom - 3});
    ASSERT_FALSE(silent.Staff().Notes(0).empty());
    EXPECT_EQ(silent.Staff().Notes(0).front().pitch, layout.Lowest());
}

// The synth opens when the dialog is first shown, off the interface thread,
// so that the first key sounds as soon as the later ones.
TEST(CAnalyzeDlgSynth, OpensAheadOffTheInterfaceThreadWhenTheDialogIsFirstShown)
{
    testing::RecordingMessageSink messages;
    testing::RecordingMidiDevices recording;
    testing::GatedMidiDevices devices(recording);
    SynthAccess synth(devices, messages);
    int aheads = 0;
    CAnalyzeDlg dialog(nullptr, [] { return true; }, messages,
                       ScoreSound{[&] { return synth.Port(); }, nullptr, [&] {
                                      ++aheads;
                                      synth.OpenAhead();
                                  }});
    dialog.PrepareForStretch();
    EXPECT_TRUE(devices.OpenThreads().empty()) << "nothing opens before the dialog is shown";

    devices.Hold();
    dialog.show();  // does not wait for the synth
    ASSERT_TRUE(devices.WaitForOpening());
    EXPECT_NE(devices.OpenThreads().front(), std::this_thread::get_id());
    devices.Release();
    dialog.hide();
    dialog.show();
    EXPECT_EQ(aheads, 1);

    const KeyboardLayout& layout = dialog.Keyboard().Layout();
    const auto& key = layout.Keys().at(static_cast<std::size_t>(62 - layout.Lowest()));
    const QPoint point((key.left + key.right) / 2, key.bottom - 3);
    QTest::mousePress(dialog.Keyboard().Host(), Qt::LeftButton, {}, point);
    QTest::mouseRelease(dialog.Keyboard().Host(), Qt::LeftButton, {}, point);
    EXPECT_EQ(recording.Shorts(), (std::vector<std::vector<std::uint8_t>>{{0xC0, 0, 0}, {0x90, 62, 127}, {0x80, 62, 0}}));
    EXPECT_EQ(devices.OpenThreads().size(), 1u) << "the key found the synth open";
    EXPECT_TRUE(messages.messages.empty());
}

// A bar written by double-clicks and picker presses looks as its reference
// picture; set HARKWELL_WRITE_REFERENCES=1 to write it anew after changing
// the artwork on purpose.
TEST_F(CAnalyzeDlgScoreTest, AWrittenBarLooksAsItsReferencePicture)
{
    DoubleClickKey(60);
    DoubleClickKey(64);
    DoubleClickKey(67);
    ClickStaff(4);
    Pick(1, 3);
    DoubleClickKey(66);
    ClickStaff(6);
    DoubleClickKey(65);
    ClickStaff(8);
    Pick(0, 3);
    DoubleClickKey(72);
    ClickStaff(12);
    Pick(2, 2);
    const QImage& shown = dialog_->StaffHost()->Shown();

    testing::ExpectLikeReference(shown, QStringLiteral(HARKWELL_TEST_SOURCE_DIR "/analysis/ui/reference/written-bar.png"));
}

}  // namespace
}  // namespace harkwell
