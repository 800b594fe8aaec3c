#include "score/ui/CLongStaffPicture.h"

#include "common/ErrorReport.h"
#include "score/ChordPlan.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace harkwell {

namespace {

constexpr std::string_view kError = "CLongStaffPicture::error";
constexpr std::uint32_t kBlack = 0x000000;
const QColor kLineGrey(100, 100, 100);

std::string HeadGlyph(HeadKind kind)
{
    switch (kind) {
    case HeadKind::Filled: return "head-filled";
    case HeadKind::Open: return "head-open";
    case HeadKind::Whole: return "head-whole";
    }
    return "head-filled";
}

}  // namespace

CLongStaffPicture::CLongStaffPicture(MessageSink& messages, COffScreenPicture* host, const PictureRect& rect,
                                     std::int32_t span, int lowest, int highest, PressCallback onPress)
    : messages_(messages), host_(host), span_(span)
{
    staves_.push_back({StaffLayout(rect.Width(), rect.Height(), lowest, highest), {}, {}});
    PictureCallbacks callbacks;
    if (onPress) callbacks.onLButtonDown = [onPress](int x, int y, int) { onPress(x, y); };
    host_->CreateOffScreen(rect, callbacks);
    Repaint();
}

CLongStaffPicture::~CLongStaffPicture()
{
    if (!host_) return;
    host_->SetCallbacks({});
    host_->ReleaseOffScreen();
}

CLongStaffPicture::Staff* CLongStaffPicture::Find(int staff)
{
    if (staff < 0 || static_cast<std::size_t>(staff) >= staves_.size()) {
        ShowError();
        return nullptr;
    }
    return &staves_[static_cast<std::size_t>(staff)];
}

void CLongStaffPicture::ShowError()
{
    ShowPlainMessage(messages_, kError);
}

void CLongStaffPicture::SetRange(int staff, int lowest, int highest)
{
    Staff* found = Find(staff);
    if (found == nullptr) return;
    found->layout = StaffLayout(found->layout.Width(), found->layout.Height(), lowest, highest);
    Repaint();
}

void CLongStaffPicture::AddStaffNote(int staff, int pitch, std::int32_t time, std::uint32_t colour, int type,
                                     int extra)
{
    Staff* found = Find(staff);
    if (found == nullptr) return;
    // The table holds 64 notes; a grid of eight a position could give more.
    if (found->notes.size() >= kMaxNotes) {
        ShowError();
        return;
    }
    found->notes.push_back({pitch, time, colour, type, extra});
    Repaint();
}

void CLongStaffPicture::ClearNotes(int staff)
{
    if (Staff* found = Find(staff)) found->notes.clear();
}

void CLongStaffPicture::AddMark(int staff, int left, int right, std::uint32_t colour)
{
    Staff* found = Find(staff);
    if (found == nullptr) return;
    if (found->marks.size() >= kMaxMarks) {
        ShowError();
        return;
    }
    found->marks.push_back({left, right, colour});
}

void CLongStaffPicture::ClearMarks(int staff)
{
    if (Staff* found = Find(staff)) found->marks.clear();
}

double CLongStaffPicture::NoteY(int staff, int pitch) const
{
    if (staff < 0 || static_cast<std::size_t>(staff) >= staves_.size()) return 0.0;
    return staves_[static_cast<std::size_t>(staff)].layout.NoteY(pitch);
}

void CLongStaffPicture::Repaint()
{
    if (!host_ || host_->Surface().isNull()) return;
    QPainter painter(&host_->Surface());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const Staff& staff : staves_) PaintStaff(painter, staff);
    painter.end();
    host_->ShowOffScreen();
}

void CLongStaffPicture::PaintStaff(QPainter& painter, const Staff& staff)
{
    const StaffLayout& layout = staff.layout;
    const int width = layout.Width();
    const int height = layout.Height();
    const double s = layout.Spacing();
    painter.fillRect(QRect(0, 0, width, height), Qt::white);
    for (const Mark& mark : staff.marks)
        painter.fillRect(QRect(QPoint(mark.left, 0), QPoint(mark.right - 1, height - 1)), ColourFromBgr(mark.colour));

    // Each clef is six spacings tall, its top half a spacing above the head of
    // the staff's top line; a clef whose staff is off the range sits out of sight.
    const auto clefTop = [&](int topLinePitch) { return layout.InRange(topLinePitch) ? layout.NoteY(topLinePitch) - 0.5 * s : height; };
    DrawGlyph(painter, "treble", QRectF(-8, clefTop(77), 6 * s, 6 * s), kBlack);
    DrawGlyph(painter, "bass", QRectF(-8, clefTop(57), 6 * s, 6 * s), kBlack);

    painter.setPen(QPen(kLineGrey, 1));
    for (int row : layout.StaffLineRows()) {
        const double y = layout.RowY(row);
        painter.drawLine(QPointF(0, y), QPointF(width, y));
    }

    // A chord is the run of notes in the list that start at one time with one value.
    SignsInForce signs;
    std::vector<const Note*> chord;
    const auto drawChord = [&] {
        if (!chord.empty()) PaintChord(painter, layout, chord, signs);
        chord.clear();
    };
    for (const Note& note : staff.notes) {
        if (!chord.empty() && (note.time != chord.front()->time || note.type != chord.front()->type)) drawChord();
        if (note.pitch == kRestPitch) {
            drawChord();
            PaintRest(painter, layout, note);
        } else if (layout.InRange(note.pitch)) {
            chord.push_back(&note);
        }
    }
    drawChord();
}

void CLongStaffPicture::PaintChord(QPainter& painter, const StaffLayout& layout, const std::vector<const Note*>& notes,
                                   SignsInForce& signs)
{
    const double s = layout.Spacing();
    std::vector<int> pitches;
    for (const Note* note : notes) pitches.push_back(note->pitch);
    const std::int32_t time = notes.front()->time;
    const ChordPlan plan = PlanChord(layout, time, pitches);
    const NoteLook look = LookOfType(notes.front()->type);
    // The left edge of the chord's column of heads.
    const double left = layout.Head(plan.heads.front().pitch).left + layout.XOffset(time, span_);
    const auto colourOf = [&](int pitch) {
        return (*std::find_if(notes.begin(), notes.end(), [pitch](const Note* n) { return n->pitch == pitch; }))->colour;
    };
    const auto middleOf = [&](int pitch) { return layout.NoteY(pitch) + 0.5 * s; };

    for (const ChordHead& chordHead : plan.heads) {
        const std::uint32_t colour = colourOf(chordHead.pitch);
        const HeadBox box = layout.Head(chordHead.pitch);
        const QRectF head(left + chordHead.shift, box.top, box.right - box.left, box.bottom - box.top);
        // Signs are a little larger than a head, 1.2 spacings to its left, centred on it.
        const StaffSign sign = signs.Next(chordHead.pitch);
        if (sign != StaffSign::None) {
            const double size = s / 0.9;
            const QRectF place(head.left() - 1.2 * s, head.center().y() - size / 2, size, size);
            DrawGlyph(painter, sign == StaffSign::Sharp ? "sharp" : "natural", place, colour);
        }
        DrawGlyph(painter, HeadGlyph(look.head), head, colour);
        // Each dot in its space, the second beside the first.
        const double size = 0.4 * s;
        for (int dot = 0; dot < look.dots; ++dot)
            DrawGlyph(painter, "dot", QRectF(left + plan.dotX + dot * 0.55 * s, chordHead.dotY - size / 2, size, size),
                      colour);

        painter.setPen(QPen(ColourFromBgr(kBlack), 1));
        const double x = head.left();
        for (int pitch : layout.LedgerPitches(chordHead.pitch)) {
            const double y = layout.NoteY(pitch) + 0.5 * s;
            painter.drawLine(QPointF(x - s + 8, y), QPointF(x + s + 8, y));
        }
    }

    if (look.flags < 0) return;
    // One stem in the glyphs' middle column: the glyph with the flags at the
    // head at the stem's end, a plain stem on along the heads to the farthest.
    const std::uint32_t colour = colourOf(plan.stemFrom);
    const double glyphLeft = left + plan.stemX - s;
    const double from = middleOf(plan.stemFrom);
    const double to = middleOf(plan.stemTo);
    const std::string direction = plan.stemDown ? "stem-down-" : "stem-up-";
    const double glyphTop = plan.stemDown ? from : from - 4 * s;
    DrawGlyph(painter, direction + std::to_string(look.flags), QRectF(glyphLeft, glyphTop, 2 * s, 4 * s), colour);
    if (to != from)
        DrawGlyph(painter, direction + "0", QRectF(glyphLeft, std::min(from, to), 2 * s, std::abs(to - from)), colour);
}

void CLongStaffPicture::PaintRest(QPainter& painter, const StaffLayout& layout, const Note& note)
{
    using namespace staff_type;
    const double s = layout.Spacing();
    const double x = layout.XOrigin() - 0.5 * s + layout.XOffset(note.time, span_);
    // The right edge of the rest's ink, for a dot beside it.
    double right = x;
    switch (note.type) {
    case kSixteenth:
        DrawGlyph(painter, "rest-sixteenth", QRectF(x, layout.NoteY(71), 1.8 * s, 1.8 * s), note.colour);
        right = x + 1.25 * s;
        break;
    case kEighth:
    case kDottedEighth:
        DrawGlyph(painter, "rest-eighth", QRectF(x, layout.NoteY(71), 1.8 * s, 1.8 * s), note.colour);
        right = x + 1.2 * s;
        break;
    case kQuarter:
    case kDottedQuarter:
        DrawGlyph(painter, "rest-quarter", QRectF(x, layout.NoteY(76), 4 * s, 4 * s), note.colour);
        right = x + 2.5 * s;
        break;
    case kHalf:
    case kDottedHalf:
        DrawGlyph(painter, "rest-block", QRectF(x, layout.NoteY(69) - 0.5 * s, 1.8 * s, 1.8 * s), note.colour);
        right = x + 1.35 * s;
        break;
    case kWhole:
        DrawGlyph(painter, "rest-block", QRectF(x, layout.NoteY(74) + 0.5 * s, 1.8 * s, 1.8 * s), note.colour);
        break;
    default: return;  // no rest is written with that value
    }
    // A dotted rest has its dot in the space above the middle line.
    if (LookOfType(note.type).dots > 0) {
        const double size = 0.4 * s;
        const double y = layout.NoteY(72) + 0.5 * s;
        DrawGlyph(painter, "dot", QRectF(right + 0.25 * s, y - size / 2, size, size), note.colour);
    }
}

void CLongStaffPicture::DrawGlyph(QPainter& painter, const std::string& name, const QRectF& target,
                                  std::uint32_t colour)
{
    auto found = tinted_.find({name, colour});
    if (found == tinted_.end()) {
        auto glyph = glyphs_.find(name);
        if (glyph == glyphs_.end())
            glyph = glyphs_.emplace(name, QImage(QStringLiteral(":/staff/%1.png").arg(QString::fromStdString(name)))
                                              .convertToFormat(QImage::Format_RGB32))
                        .first;
        // The glyph's brightness is how much of the colour covers a pixel.
        const QColor ink = ColourFromBgr(colour);
        QImage tinted(glyph->second.size(), QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < tinted.height(); ++y)
            for (int x = 0; x < tinted.width(); ++x) {
                const int alpha = qRed(glyph->second.pixel(x, y));
                tinted.setPixel(x, y, qPremultiply(qRgba(ink.red(), ink.green(), ink.blue(), alpha)));
            }
        found = tinted_.emplace(std::pair{name, colour}, std::move(tinted)).first;
    }
    painter.drawImage(target, found->second);
}

}  // namespace harkwell
