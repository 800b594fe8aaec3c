#pragma once

#include "common/MessageSink.h"
#include "score/StaffLayout.h"
#include "widgets/PictureRect.h"
#include "widgets/ui/COffScreenPicture.h"

#include <QImage>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

class QPainter;

namespace harkwell {

// The bar being written down, on a grand staff in an off-screen picture:
// clefs, lines, and the notes and rests laid out by time with their heads,
// stems, flags, dots, signs and ledger lines, over coloured marks that show
// where the next note goes. Drawn again after every change.
class CLongStaffPicture {
public:
    static constexpr int kMaxNotes = 64;
    static constexpr int kMaxMarks = 8;
    static constexpr int kRestPitch = -1;

    struct Note {
        int pitch;            // MIDI note number, kRestPitch for a rest
        std::int32_t time;    // ticks from the bar's start
        std::uint32_t colour; // 0x00BBGGRR
        int type;             // the look by length: StaffNoteType
        int extra;
    };
    struct Mark {
        int left;
        int right;
        std::uint32_t colour;
    };
    // A press on the staff, in the picture's pixels.
    using PressCallback = std::function<void(int x, int y)>;

    // One staff over `rect` of the host's parent, `span` ticks across the
    // note area, asked to show lowest..highest (widened to hold both staves).
    CLongStaffPicture(MessageSink& messages, COffScreenPicture* host, const PictureRect& rect, std::int32_t span,
                      int lowest, int highest, PressCallback onPress = {});
    ~CLongStaffPicture();
    CLongStaffPicture(const CLongStaffPicture&) = delete;
    CLongStaffPicture& operator=(const CLongStaffPicture&) = delete;

    // A new range of pitches for the staff; its notes stay.
    void SetRange(int staff, int lowest, int highest);
    void AddStaffNote(int staff, int pitch, std::int32_t time, std::uint32_t colour, int type, int extra);
    void ClearNotes(int staff);
    void AddMark(int staff, int left, int right, std::uint32_t colour);
    void ClearMarks(int staff);
    // Draws every staff and shows it.
    void Repaint();
    // The top of a pitch's head, or 0 for a pitch outside the range.
    double NoteY(int staff, int pitch) const;
    // Told where a playing song is; the staff does not follow it.
    void OnPlayPosition(int, std::int32_t, int) {}

    const StaffLayout& Layout(int staff) const { return staves_.at(static_cast<std::size_t>(staff)).layout; }
    const std::vector<Note>& Notes(int staff) const { return staves_.at(static_cast<std::size_t>(staff)).notes; }
    COffScreenPicture* Host() const { return host_; }
    std::int32_t Span() const { return span_; }

private:
    struct Staff {
        StaffLayout layout;
        std::vector<Note> notes;
        std::vector<Mark> marks;
    };

    Staff* Find(int staff);
    void ShowError();
    void PaintStaff(QPainter& painter, const Staff& staff);
    // The notes that start together with one value, on one stem.
    void PaintChord(QPainter& painter, const StaffLayout& layout, const std::vector<const Note*>& notes,
                    SignsInForce& signs);
    void PaintRest(QPainter& painter, const StaffLayout& layout, const Note& note);
    // Draws a glyph of the staff's artwork into a rectangle, in a colour.
    void DrawGlyph(QPainter& painter, const std::string& name, const QRectF& target, std::uint32_t colour);

    MessageSink& messages_;
    QPointer<COffScreenPicture> host_;
    std::int32_t span_;
    std::vector<Staff> staves_;
    // Glyphs by name, and as tinted for a colour.
    std::map<std::string, QImage> glyphs_;
    std::map<std::pair<std::string, std::uint32_t>, QImage> tinted_;
};

}  // namespace harkwell
