#include "analysis/ui/CAnalyzeDlg.h"

#include "analysis/NoteGuess.h"
#include "analysis/ui/CInstrumentList.h"
#include "analysis/ui/CKeyboardPicture.h"
#include "areas/ui/CSelectionMarking.h"
#include "audio/ui/CWavePicture.h"
#include "common/ErrorReport.h"
#include "score/BarRests.h"
#include "score/GeneralMidi.h"
#include "score/MidiOutPort.h"
#include "score/StaffLayout.h"
#include "score/ui/CLongStaffPicture.h"
#include "widgets/SymbolGridLayout.h"
#include "widgets/ui/COffScreenPicture.h"
#include "widgets/ui/CSymbolGridPicture.h"

#include <QComboBox>
#include <QLabel>

#include <vector>

namespace harkwell {

namespace {

constexpr std::string_view kGuidance = "\n\rDouble Click keyboard, then a note added to the staff.";
constexpr std::string_view kErrorMsg = "CAnalyzeDlg::ErrorMsg";
constexpr int kVelocity = 127;
constexpr int kChannel = 0;
// The cursor's colours, 0x00BBGGRR, for even and odd positions.
constexpr std::uint32_t kEvenCursor = 0xFF9F9F;
constexpr std::uint32_t kOddCursor = 0xFFDFDF;
constexpr PictureRect kInstrumentPlace{360, 440, 510, 466};
constexpr PictureRect kGuidancePlace{10, 250, 510, 320};

}  // namespace

CAnalyzeDlg::CAnalyzeDlg(QWidget* parent, std::function<bool()> tuneLoaded, MessageSink& messages, ScoreSound sound)
    : QDialog(parent), tuneLoaded_(std::move(tuneLoaded)), messages_(messages),
      pictureHost_(new COffScreenPicture(this)), keyboardHost_(new COffScreenPicture(this)), sound_(std::move(sound)),
      staffHost_(new COffScreenPicture(this)), pickerHost_(new COffScreenPicture(this)),
      instruments_(new CInstrumentList(this, kInstrumentPlace)), guidance_(new QLabel(this))
{
    setWindowTitle(QStringLiteral("Analyze"));
    setFixedSize(520, 540);
    if (sound_.instrument == nullptr) sound_.instrument = &ownInstrument_;

    staff_ = std::make_unique<CLongStaffPicture>(messages_, staffHost_, kStaffPlace, kBarTicks,
                                                 kMidPart.lowest, kMidPart.highest,
                                                 [this](int x, int) { OnStaffClick(x); });

    std::vector<int> symbols(static_cast<std::size_t>(kPickerRows * kSymbolIdsPerRow), 0);
    for (int row = 0; row < kPickerRows; ++row)
        for (int column = 0; column < kPickerColumns; ++column)
            symbols[static_cast<std::size_t>(row * kSymbolIdsPerRow + column)] =
                kPickerSymbols[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    picker_ = std::make_unique<CSymbolGridPicture>(*pickerHost_, messages_);
    picker_->CreateGrid(kPickerPlace, kPickerRows, kPickerColumns, symbols,
                        [this](int row, int column) { OnPickerPress(row, column); }, nullptr);
    picker_->Choose(1, 1, true);  // a quarter note
    picker_->ShowAll();
    SetPartRange(kMidPart.lowest, kMidPart.highest);

    instruments_->setCurrentIndex(std::clamp(*sound_.instrument, 0, 127));
    connect(instruments_, &QComboBox::currentIndexChanged, this, &CAnalyzeDlg::OnInstrumentChosen);

    guidance_->setGeometry(kGuidancePlace.left, kGuidancePlace.top, kGuidancePlace.Width(), kGuidancePlace.Height());
    guidance_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QString guidance = QString::fromUtf8(kGuidance.data(), static_cast<qsizetype>(kGuidance.size()));
    guidance_->setText(guidance.remove(QLatin1Char('\r')));
    HighlightCursor();
}

CAnalyzeDlg::~CAnalyzeDlg() = default;

void CAnalyzeDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (shownBefore_) return;
    shownBefore_ = true;
    // The keys will want the synth soon; it takes a while to open.
    if (sound_.openAhead) sound_.openAhead();
}

QString CAnalyzeDlg::GuidanceText() const
{
    return guidance_->text();
}

void CAnalyzeDlg::SetPartRange(int lowest, int highest)
{
    keyboard_.reset();
    keyboard_ = std::make_unique<CKeyboardPicture>(
        messages_, keyboardHost_, kKeyboardPlace, lowest, highest, [this](int note) { OnKeyDown(note); },
        [this](int note) { OnKeyUp(note); }, [this](int note) { OnKeyDoubleClick(note); });
    keyboard_->Redraw();
    keyboard_->Show();
    // The staff takes the part's range too, and goes on showing the bar.
    staff_->SetRange(0, lowest, highest);
    RefreshStaff();
    HighlightCursor();
}

void CAnalyzeDlg::ColourKey(int note, int value)
{
    const KeyboardLayout& layout = keyboard_->Layout();
    if (note < layout.Lowest() || note > layout.Highest()) return;
    const auto v = static_cast<std::uint32_t>(((value % 256) + 256) % 256);
    const std::uint32_t colour = KeyboardLayout::IsBlack(note) ? v * 0x10000 : (255 - v) * 0x10000 + 0x00FFFF;
    keyboard_->SetKeyColour(note, colour);
}

void CAnalyzeDlg::SetKeyStrength(int note, int value)
{
    ColourKey(note, value);
    keyboard_->Redraw();
    keyboard_->Show();
}

AnalysisRange CAnalyzeDlg::Range() const
{
    return {stretch_.dataStart, stretch_.selection.start, stretch_.selection.end};
}

void CAnalyzeDlg::AnalyzePart(PartRange part, const TuneSamples& tune, bool guess)
{
    SetPartRange(part.lowest, part.highest);
    const std::array<int, kNoteCount> values = PartKeyValues(messages_, tune, Range(), part);
    // Every key coloured first, then one drawing: the picture is the same.
    for (int note = 0; note < kNoteCount; ++note) ColourKey(note, values[static_cast<std::size_t>(note)]);
    if (guess) {
        std::vector<int> notes;
        for (const NoteSalience& n : GuessNotes(tune, Range()).notes) notes.push_back(n.note);
        keyboard_->SetGuessedNotes(std::move(notes));  // draws and shows the colours too
        return;
    }
    keyboard_->Redraw();
    keyboard_->Show();
}

MidiOutPort* CAnalyzeDlg::Synth()
{
    // While the score plays, the song has the synth's notes to itself.
    if (scorePlaying_ || !sound_.synth) return nullptr;
    MidiOutPort* port = sound_.synth();
    if (port != nullptr && port != programmed_) {
        programmed_ = port;
        // A synth that refuses the program plays the key with its own.
        (void)port->SendShort(PackShortMessage(kProgramChangeStatus | kChannel, *sound_.instrument, 0));
    }
    return port;
}

void CAnalyzeDlg::OnKeyDown(int note)
{
    keyboard_->ClearMarkedNotes();
    keyboard_->MarkNote(note);
    if (MidiOutPort* port = Synth()) {
        soundingNote_ = note;
        soundingPort_ = port;
        // A key that cannot sound is still marked and can still be written.
        (void)port->SendShort(PackShortMessage(kNoteOnStatus | kChannel, note, kVelocity));
    }
}

void CAnalyzeDlg::OnKeyUp(int)
{
    // The note a key started always ends, even when the score began meanwhile.
    if (soundingNote_ < 0 || soundingPort_ == nullptr) return;
    (void)soundingPort_->SendShort(PackShortMessage(kNoteOffStatus | kChannel, soundingNote_, 0));
    soundingNote_ = -1;
    soundingPort_ = nullptr;
}

void CAnalyzeDlg::OnKeyDoubleClick(int note)
{
    keyboard_->ClearMarkedNotes();
    keyboard_->MarkNote(note);
    if (grid_.Cursor() >= ScoreGrid::kPositions) return;  // past the bar: nothing to write
    if (!grid_.Write(note, PickerValue())) {
        ShowPlainMessage(messages_, kErrorMsg);
        return;
    }
    RefreshStaff();
}

void CAnalyzeDlg::OnInstrumentChosen(int index)
{
    if (index < 0 || scorePlaying_) return;
    *sound_.instrument = index;
    if (programmed_ != nullptr) (void)programmed_->SendShort(PackShortMessage(kProgramChangeStatus | kChannel, index, 0));
}

void CAnalyzeDlg::SetScorePlaying(bool playing)
{
    scorePlaying_ = playing;
    programmed_ = nullptr;
}

int CAnalyzeDlg::PickerValue() const
{
    const GridPosition chosen = picker_->GetChoice();
    if (chosen.row < 0 || chosen.column < 0) return kPickerValues[1][1];
    return kPickerValues[static_cast<std::size_t>(chosen.row)][static_cast<std::size_t>(chosen.column)];
}

void CAnalyzeDlg::OnPickerPress(int row, int column)
{
    picker_->ClearChoice();
    picker_->Choose(row, column, true);
    picker_->ShowAll();
    HighlightCursor();
    if (row == kPickerRestRow) {
        // A rest cut at the bar's end, or past it, changes nothing.
        (void)grid_.Write(ScoreGrid::kRest, PickerValue());
        RefreshStaff();
    }
}

double CAnalyzeDlg::NoteAreaLeft() const
{
    return staff_->Layout(0).XOrigin();
}

double CAnalyzeDlg::PositionWidth() const
{
    return (staff_->Layout(0).Width() - NoteAreaLeft()) / ScoreGrid::kPositions;
}

void CAnalyzeDlg::OnStaffClick(int x)
{
    if (x < NoteAreaLeft()) return;
    grid_.SetCursor(static_cast<int>((x - NoteAreaLeft()) / PositionWidth()));
    HighlightCursor();
}

void CAnalyzeDlg::HighlightCursor()
{
    const double left = NoteAreaLeft();
    const double step = PositionWidth();
    const int p = grid_.Cursor();
    const auto x0 = static_cast<int>(left + p * step - step / 2);
    const auto x1 = static_cast<int>(x0 + PickerValue() * step);
    staff_->ClearMarks(0);
    staff_->AddMark(0, x0, x1, p % 2 == 0 ? kEvenCursor : kOddCursor);
    staff_->Repaint();
}

void CAnalyzeDlg::RefreshStaff()
{
    staff_->ClearNotes(0);
    for (int p = 0; p < ScoreGrid::kPositions; ++p) {
        const ScoreGrid::Position& position = grid_.At(p);
        if (position.count > 0 && position.entries[0] == ScoreGrid::kRest) {
            // A silence is written with the rests that fill the bar's beats.
            for (const RestSymbol& rest : WriteRest(p, grid_.LengthAt(p), ScoreGrid::kPositions))
                staff_->AddStaffNote(0, CLongStaffPicture::kRestPitch, rest.start * ScoreGrid::kSixteenthTicks, 0,
                                     rest.type, 0);
            continue;
        }
        const int type = StaffNoteType(grid_.LengthAt(p));
        for (int i = 0; i < position.count; ++i) {
            const int entry = position.entries[static_cast<std::size_t>(i)];
            if (entry == ScoreGrid::kHeld) break;
            staff_->AddStaffNote(0, entry, p * ScoreGrid::kSixteenthTicks, 0, type, 0);
        }
    }
    staff_->Repaint();
}

COffScreenPicture* CAnalyzeDlg::NewButtonHost()
{
    return new COffScreenPicture(this);
}

void CAnalyzeDlg::OnPicturePress(std::uint32_t frame)
{
    if (pictures_ != nullptr) PressSelection(*pictures_, kPictureSlot, stretch_.selection, tuneLoaded_(), frame);
}

void CAnalyzeDlg::OnPictureRelease(std::uint32_t frame)
{
    if (pictures_ != nullptr) ReleaseSelection(*pictures_, kPictureSlot, stretch_.selection, tuneLoaded_(), frame);
}

void CAnalyzeDlg::PrepareForStretch()
{
    grid_.SetCursor(0);
    // A whole bar of rest from its first position always fits.
    (void)grid_.Write(ScoreGrid::kRest, ScoreGrid::kPositions);
    RefreshStaff();
    HighlightCursor();
}

}  // namespace harkwell
