#include "score/ui/CLongStaffPicture.h"

#include "common/ErrorReport.h"

#include <QPainter>

namespace harkwell {

namespace {

constexpr std::string_view kError = "CLongStaffPicture::error";
constexpr std::uint32_t kBlack = 0x000000;
const QColor kLineGrey(100, 100, 100);

QRectF HeadRect(const HeadBox& box, double dx) { return {box.left + dx, box.top, box.right - box.left, box.bottom - box.top}; }

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

    SignsInForce signs;
    ChordSpacing chord;
    for (const Note& note : staff.notes) {
        if (note.pitch == kRestPitch)
            PaintRest(painter, layout, note);
        else if (layout.InRange(note.pitch))
            PaintNote(painter, layout, note, signs, chord);
    }
}

void CLongStaffPicture::PaintNote(QPainter& painter, const StaffLayout& layout, const Note& note, SignsInForce& signs,
                                  ChordSpacing& chord)
{
    const double s = layout.Spacing();
    const HeadBox box = layout.Head(note.pitch);
    const double dx = layout.XOffset(note.time, span_) + chord.Shift(note.time, note.pitch, box, s);
    const QRectF head = HeadRect(box, dx);
    const NoteLook look = LookOfType(note.type);

    // Signs are a little larger than a head, 1.2 spacings to its left, centred on it.
    const StaffSign sign = signs.Next(note.pitch);
    if (sign != StaffSign::None) {
        const double size = s / 0.9;
        const QRectF place(head.left() - 1.2 * s, head.center().y() - size / 2, size, size);
        DrawGlyph(painter, sign == StaffSign::Sharp ? "sharp" : "natural", place, note.colour);
    }
    DrawGlyph(painter, HeadGlyph(look.head), head, note.colour);

    if (look.flags >= 0) {
        const std::string flags = std::to_string(look.flags);
        // Both stems meet the head at its middle: an up stem rises from its
        // right side, a down stem hangs from its left.
        if (StaffLayout::StemDown(note.pitch))
            DrawGlyph(painter, "stem-down-" + flags, QRectF(head.left() - s, head.top() + 0.5 * s, 2 * s, 4 * s),
                      note.colour);
        else
            DrawGlyph(painter, "stem-up-" + flags, QRectF(head.left(), head.top() + 0.5 * s - 4 * s, 2 * s, 4 * s),
                      note.colour);
    }
    if (look.dotted) {
        // In the space: a note on a line has its dot half a spacing higher.
        const double size = 0.4 * s;
        const double y = head.center().y() - (StaffLayout::IsLineRow(note.pitch) ? 0.5 * s : 0.0);
        DrawGlyph(painter, "dot", QRectF(head.right() + 0.3 * s, y - size / 2, size, size), note.colour);
    }

    painter.setPen(QPen(ColourFromBgr(kBlack), 1));
    const double x = box.left + dx;
    for (int pitch : layout.LedgerPitches(note.pitch)) {
        const double y = layout.NoteY(pitch) + 0.5 * s;
        painter.drawLine(QPointF(x - s + 8, y), QPointF(x + s + 8, y));
    }
}

void CLongStaffPicture::PaintRest(QPainter& painter, const StaffLayout& layout, const Note& note)
{
    const double s = layout.Spacing();
    const double x = layout.XOrigin() - 0.5 * s + layout.XOffset(note.time, span_);
    switch (note.type) {
    case 0: DrawGlyph(painter, "rest-sixteenth", QRectF(x, layout.NoteY(71), 1.8 * s, 1.8 * s), note.colour); break;
    case 1: DrawGlyph(painter, "rest-eighth", QRectF(x, layout.NoteY(71), 1.8 * s, 1.8 * s), note.colour); break;
    case 5: DrawGlyph(painter, "rest-quarter", QRectF(x, layout.NoteY(76), 4 * s, 4 * s), note.colour); break;
    case 7:
        DrawGlyph(painter, "rest-block", QRectF(x, layout.NoteY(69) - 0.5 * s, 1.8 * s, 1.8 * s), note.colour);
        break;
    case 11:
        DrawGlyph(painter, "rest-block", QRectF(x, layout.NoteY(74) + 0.5 * s, 1.8 * s, 1.8 * s), note.colour);
        break;
    default: break;  // dotted rests are not drawn
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
