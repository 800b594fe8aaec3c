#include "analysis/ui/CKeyboardPicture.h"

#include "common/ErrorReport.h"
#include "widgets/ui/COffScreenPicture.h"

#include <QPainter>

#include <algorithm>

namespace harkwell {

namespace {

constexpr std::string_view kErrorMsg = "CKeyboardPicture::ErrorMsg";
constexpr std::string_view kNoKeyboard = "CKeyboardPicture error";

// The key's rectangle as the fills cover it: right and bottom are its edges,
// not painted over.
QRect FillRect(const KeyboardLayout::Key& key)
{
    return QRect(QPoint(key.left, key.top), QPoint(key.right - 1, key.bottom - 1));
}

}  // namespace

CKeyboardPicture::CKeyboardPicture(MessageSink& messages, COffScreenPicture* host, const PictureRect& rect, int lowest,
                                   int highest, NoteCallback onKeyDown, NoteCallback onKeyUp,
                                   NoteCallback onKeyDoubleClick)
    : messages_(messages), host_(host), onKeyDown_(std::move(onKeyDown)), onKeyUp_(std::move(onKeyUp)),
      onKeyDoubleClick_(std::move(onKeyDoubleClick))
{
    host_->CreateOffScreen(rect, {[this](int x, int y, int) { OnPress(x, y); },
                                  [this](int, int, int) { OnRelease(); }, nullptr,
                                  [this](int x, int y, int) { OnDoubleClick(x, y); }});
    host_->SetTag(-1);
    if (!layout_.Build(lowest, highest, rect.Width(), rect.Height())) {
        ShowPlainMessage(messages_, kErrorMsg);
        return;
    }
    host_->SetTag(0);
}

CKeyboardPicture::~CKeyboardPicture()
{
    if (!host_) return;
    host_->SetCallbacks({});
    host_->ReleaseOffScreen();
    host_->SetTag(-1);
}

void CKeyboardPicture::MarkNote(int note)
{
    if (!layout_.MarkNote(note)) ShowPlainMessage(messages_, kErrorMsg);
    Redraw();
    Show();
}

void CKeyboardPicture::ClearMarkedNotes()
{
    layout_.ClearMarkedNotes();
    Redraw();
    Show();
}

void CKeyboardPicture::SetGuessedNotes(std::vector<int> notes)
{
    guessed_ = std::move(notes);
    Redraw();
    Show();
}

QPoint CKeyboardPicture::GuessDotCentre(const KeyboardLayout::Key& key)
{
    const int radius = GuessDotRadius(key);
    return {(key.left + key.right) / 2, key.bottom - radius - 3};
}

int CKeyboardPicture::GuessDotRadius(const KeyboardLayout::Key& key)
{
    return std::clamp((key.right - key.left) / 2 - 1, 1, 4);
}

void CKeyboardPicture::DrawGuessDots(QPainter& painter) const
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(ColourFromBgr(kGuessedColour));
    for (const auto& key : layout_.Keys()) {
        if (std::find(guessed_.begin(), guessed_.end(), key.note) == guessed_.end()) continue;
        const int radius = GuessDotRadius(key);
        painter.drawEllipse(GuessDotCentre(key), radius, radius);
    }
}

void CKeyboardPicture::FillKey(int index, std::uint32_t colour)
{
    if (!host_ || host_->Surface().isNull()) return;
    QImage& surface = host_->Surface();
    QPainter painter(&surface);
    painter.fillRect(FillRect(layout_.Keys()[static_cast<std::size_t>(index)]), ColourFromBgr(colour));
}

void CKeyboardPicture::Redraw()
{
    if (!host_ || host_->Surface().isNull()) return;
    QImage& surface = host_->Surface();
    QPainter painter(&surface);
    using Kind = KeyboardLayout::Kind;
    const auto edge = [&painter](const KeyboardLayout::Key& key) {
        painter.drawLine(key.right, key.top, key.right, key.bottom - 1);
    };
    for (const auto& key : layout_.Keys()) {
        if (key.kind != Kind::White) continue;
        painter.fillRect(FillRect(key), ColourFromBgr(key.colour));
        if (layout_.IsMarked(key.note)) painter.fillRect(FillRect(key), ColourFromBgr(kMarkedWhiteColour));
    }
    painter.setPen(QPen(Qt::black, 1));
    for (const auto& key : layout_.Keys())
        if (key.kind == Kind::White) edge(key);
    for (const auto& key : layout_.Keys()) {
        if (key.kind != Kind::Black) continue;
        painter.fillRect(FillRect(key), ColourFromBgr(key.colour));
        if (layout_.IsMarked(key.note)) painter.fillRect(FillRect(key), ColourFromBgr(kMarkedBlackColour));
    }
    painter.setPen(QPen(Qt::white, 1));
    for (const auto& key : layout_.Keys())
        if (key.kind == Kind::Black) edge(key);
    DrawGuessDots(painter);
}

void CKeyboardPicture::Show()
{
    if (host_) host_->ShowOffScreen();
}

void CKeyboardPicture::OnPress(int x, int y)
{
    const int index = layout_.KeyAt(x, y);
    if (index < 0) return;
    pressedKey_ = index;
    if (onKeyDown_) onKeyDown_(layout_.Keys()[static_cast<std::size_t>(index)].note);
    // Off screen only: the owner's next showing brings it out.
    FillKey(index, kPressedColour);
}

void CKeyboardPicture::OnDoubleClick(int x, int y)
{
    if (!onKeyDoubleClick_) return;
    const int index = layout_.KeyAt(x, y);
    if (index < 0) return;
    pressedKey_ = index;
    onKeyDoubleClick_(layout_.Keys()[static_cast<std::size_t>(index)].note);
    FillKey(index, kDoubleClickedColour);
}

void CKeyboardPicture::OnRelease()
{
    if (!host_ || host_->Tag() == -1) {
        ShowPlainMessage(messages_, kNoKeyboard);
        return;
    }
    Redraw();
    const int pressed = pressedKey_;
    pressedKey_ = -1;
    if (pressed >= 0 && onKeyUp_) onKeyUp_(layout_.Keys()[static_cast<std::size_t>(pressed)].note);
}

}  // namespace harkwell
