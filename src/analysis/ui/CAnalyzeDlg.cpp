#include "analysis/ui/CAnalyzeDlg.h"

#include "analysis/ui/CKeyboardPicture.h"
#include "areas/ui/CSelectionMarking.h"
#include "audio/ui/CWavePicture.h"
#include "widgets/ui/COffScreenPicture.h"

namespace harkwell {

CAnalyzeDlg::CAnalyzeDlg(QWidget* parent, std::function<bool()> tuneLoaded, MessageSink& messages)
    : QDialog(parent), tuneLoaded_(std::move(tuneLoaded)), messages_(messages),
      pictureHost_(new COffScreenPicture(this)), keyboardHost_(new COffScreenPicture(this))
{
    setWindowTitle(QStringLiteral("Analyze"));
    setFixedSize(520, 540);
    SetPartRange(kMidPart.lowest, kMidPart.highest);
}

CAnalyzeDlg::~CAnalyzeDlg() = default;

void CAnalyzeDlg::SetPartRange(int lowest, int highest)
{
    keyboard_.reset();
    keyboard_ = std::make_unique<CKeyboardPicture>(
        messages_, keyboardHost_, kKeyboardPlace, lowest, highest, [this](int note) { OnKeyDown(note); },
        [this](int note) { OnKeyUp(note); }, [this](int note) { OnKeyDoubleClick(note); });
    keyboard_->Redraw();
    keyboard_->Show();
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

void CAnalyzeDlg::AnalyzePart(PartRange part, const TuneSamples& tune)
{
    SetPartRange(part.lowest, part.highest);
    const std::array<int, kNoteCount> values = PartKeyValues(messages_, tune, Range(), part);
    // Every key coloured first, then one drawing: the picture is the same.
    for (int note = 0; note < kNoteCount; ++note) ColourKey(note, values[static_cast<std::size_t>(note)]);
    keyboard_->Redraw();
    keyboard_->Show();
}

void CAnalyzeDlg::OnKeyDown(int note)
{
    keyboard_->ClearMarkedNotes();
    keyboard_->MarkNote(note);
}

void CAnalyzeDlg::OnKeyUp(int)
{
    // A key sounds nothing without a MIDI output, so its release has nothing to stop.
}

void CAnalyzeDlg::OnKeyDoubleClick(int note)
{
    keyboard_->ClearMarkedNotes();
    keyboard_->MarkNote(note);
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
}

}  // namespace harkwell
