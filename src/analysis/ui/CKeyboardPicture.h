#pragma once

#include "analysis/KeyboardLayout.h"
#include "common/MessageSink.h"
#include "widgets/ui/COffScreenPicture.h"
#include "widgets/PictureRect.h"

#include <QPoint>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <vector>

class QPainter;

namespace harkwell {

// A piano keyboard over a range of notes, drawn in an off-screen picture. Its
// owner colours keys and marks notes in green; presses, double clicks and
// releases on a key come back as note numbers.
class CKeyboardPicture {
public:
    using NoteCallback = std::function<void(int note)>;

    static constexpr std::uint32_t kPressedColour = 0x0000FF;       // red
    static constexpr std::uint32_t kDoubleClickedColour = 0x00FFFF; // yellow
    static constexpr std::uint32_t kMarkedWhiteColour = 0x00FF00;   // green
    static constexpr std::uint32_t kMarkedBlackColour = 0x007F00;   // dark green
    // A guessed note: a round dot low on its key, over whatever colour the key has.
    static constexpr std::uint32_t kGuessedColour = 0xFF00FF;       // magenta

    // Places the keyboard over `rect` of the host's parent and builds its keys.
    // A range of more than 128 keys, or one ending more than one below its
    // start, shows "CKeyboardPicture::ErrorMsg" and builds no keys.
    CKeyboardPicture(MessageSink& messages, COffScreenPicture* host, const PictureRect& rect, int lowest, int highest,
                     NoteCallback onKeyDown, NoteCallback onKeyUp, NoteCallback onKeyDoubleClick);
    ~CKeyboardPicture();
    CKeyboardPicture(const CKeyboardPicture&) = delete;
    CKeyboardPicture& operator=(const CKeyboardPicture&) = delete;

    const KeyboardLayout& Layout() const { return layout_; }
    COffScreenPicture* Host() const { return host_; }
    // The key held down, an index into the layout's keys; -1 for none.
    int PressedKey() const { return pressedKey_; }

    void SetKeyColour(int note, std::uint32_t colour) { layout_.SetKeyColour(note, colour); }
    // Both redraw the keyboard and show it.
    void MarkNote(int note);
    void ClearMarkedNotes();
    // The notes the guess heard, dotted on their keys; notes off the keyboard
    // are ignored. Both redraw the keyboard and show it.
    void SetGuessedNotes(std::vector<int> notes);
    const std::vector<int>& GuessedNotes() const { return guessed_; }
    // The dot's centre on a key of the layout, and its radius.
    static QPoint GuessDotCentre(const KeyboardLayout::Key& key);
    static int GuessDotRadius(const KeyboardLayout::Key& key);
    // Draws the keys into the off-screen surface; Show copies it to the screen.
    void Redraw();
    void Show();

private:
    void OnPress(int x, int y);
    void OnDoubleClick(int x, int y);
    void OnRelease();
    void FillKey(int index, std::uint32_t colour);
    void DrawGuessDots(QPainter& painter) const;

    MessageSink& messages_;
    QPointer<COffScreenPicture> host_;
    KeyboardLayout layout_;
    int pressedKey_ = -1;
    std::vector<int> guessed_;
    NoteCallback onKeyDown_;
    NoteCallback onKeyUp_;
    NoteCallback onKeyDoubleClick_;
};

}  // namespace harkwell
