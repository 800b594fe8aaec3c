#include "audio/ui/CWavePicture.h"

#include "common/ErrorReport.h"

#include <QPainter>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace harkwell {

namespace {

// An x of the 64-bit mapping, brought into int range without moving it across
// the image's edges.
int ClipX(std::int64_t x, int width)
{
    return static_cast<int>(std::clamp<std::int64_t>(x, -1, std::int64_t{width} + 1));
}

void FillColumn(QPainter& painter, int x, int height, const QColor& colour)
{
    painter.fillRect(QRect(x, 0, 1, height), colour);
}

}  // namespace

CWavePicture::CWavePicture(MessageSink& sink, COffScreenPicture* window, const PictureRect& rect,
                           FrameCallback press, FrameCallback release)
    : sink_(sink)
{
    (void)AddSlot(window, rect, std::move(press), std::move(release));  // slot 0 of an empty list always fits
}

CWavePicture::~CWavePicture() { Destroy(); }

int CWavePicture::AddSlot(COffScreenPicture* window, const PictureRect& rect, FrameCallback press,
                          FrameCallback release)
{
    if (window == nullptr || SlotCount() >= kMaxSlots) {
        ShowError();
        return -1;
    }
    const int number = SlotCount();
    auto slot = std::make_unique<Slot>();
    slot->window = window;
    slot->width = std::max(rect.Width(), 0);
    slot->height = std::max(rect.Height(), 0);
    slot->press = std::move(press);
    slot->release = std::move(release);
    slot->separators.reserve(kMaxLines);
    slot->markers.reserve(kMaxLines);
    // Moves are followed only to know where a drag left the window.
    window->CreateOffScreen(rect, {[this, number](int x, int, int) { OnPress(number, x); },
                                   [this, number](int x, int y, int) { OnRelease(number, x, y); },
                                   [this, number](int x, int, int) { OnMove(number, x); }, nullptr});
    window->SetTag(number);
    slots_.push_back(std::move(slot));
    Redraw(number);
    return number;
}

void CWavePicture::SetSamples(int number, const void* samples, std::uint32_t frames, int channels,
                              int bitsPerSample)
{
    Slot* slot = Find(number);
    if (slot == nullptr) return;
    slot->summary.reset();
    slot->samples = {};
    slot->frames = 0;
    slot->channels = channels;
    slot->bitsPerSample = bitsPerSample;
    slot->formatReported = false;

    std::size_t bytes = 0;
    const bool sizeFits = !__builtin_mul_overflow(std::size_t(std::max(bitsPerSample / 8, 0)) * frames,
                                                  std::size_t(std::max(channels, 0)), &bytes);
    if (samples == nullptr && bytes != 0) {
        ShowError();
    } else if (frames != 0) {
        try {
            if (!sizeFits) throw std::bad_alloc();
            const auto* bytesIn = static_cast<const std::uint8_t*>(samples);
            if (channels == 1 && bitsPerSample == 16)
                slot->summary.emplace(std::span(reinterpret_cast<const std::int16_t*>(bytesIn), frames));
            slot->samples = {bytesIn, bytes};
            slot->frames = frames;
        } catch (const std::bad_alloc&) {
            slot->summary.reset();
            ReportGeneralError(sink_, GeneralError::NeedsMoreMemory);
        }
    }
    Redraw(number);
}

void CWavePicture::SetBackground(int number, std::uint32_t colour)
{
    if (Slot* slot = Find(number)) slot->background = colour;
}

void CWavePicture::SetZoom(int number, std::int64_t zoom)
{
    Slot* slot = Find(number);
    if (slot == nullptr) return;
    slot->zoom = static_cast<std::uint32_t>(std::clamp<std::int64_t>(zoom, 1, UINT32_MAX));
    Redraw(number);
    Show(number);
}

void CWavePicture::SetViewStart(int number, std::uint32_t frame)
{
    Slot* slot = Find(number);
    if (slot == nullptr) return;
    slot->viewStart = frame;
    Redraw(number);
    Show(number);
}

void CWavePicture::AddSeparator(int number, std::uint32_t frame)
{
    Slot* slot = Find(number);
    if (slot != nullptr && slot->separators.size() < kMaxLines) slot->separators.push_back(frame);
}

void CWavePicture::ClearSeparators(int number)
{
    if (Slot* slot = Find(number)) slot->separators.clear();
}

void CWavePicture::AddMarker(int number, std::uint32_t frame, std::uint32_t colour)
{
    Slot* slot = Find(number);
    if (slot != nullptr && slot->markers.size() < kMaxLines) slot->markers.push_back({frame, colour});
}

void CWavePicture::ClearMarkers(int number)
{
    if (Slot* slot = Find(number)) slot->markers.clear();
}

bool CWavePicture::AddArea(int number, std::uint32_t start, std::uint32_t end, std::uint32_t colour,
                           std::string_view name)
{
    Slot* slot = Find(number);
    if (slot == nullptr) return false;
    if (slot->areas.Add(start, end, colour, name)) return true;
    ShowError();
    return false;
}

int CWavePicture::FindArea(int number, std::uint32_t start, std::uint32_t end)
{
    const Slot* slot = Find(number);
    return slot == nullptr ? -1 : slot->areas.Find(start, end);
}

void CWavePicture::RemoveAreaAt(int number, int index)
{
    Slot* slot = Find(number);
    if (slot != nullptr && (index < 0 || !slot->areas.RemoveAt(static_cast<std::size_t>(index)))) ShowError();
}

void CWavePicture::RenameArea(int number, int index, std::string_view name, std::uint32_t colour)
{
    Slot* slot = Find(number);
    if (slot != nullptr && (index < 0 || !slot->areas.Rename(static_cast<std::size_t>(index), name, colour)))
        ShowError();
}

void CWavePicture::RemoveAreaByColour(int number, std::uint32_t colour)
{
    if (Slot* slot = Find(number)) slot->areas.RemoveFirstOfColour(colour);
}

void CWavePicture::RecolourAreas(int number, std::uint32_t oldColour, std::uint32_t newColour)
{
    if (Slot* slot = Find(number)) slot->areas.Recolour(oldColour, newColour);
}

void CWavePicture::ClearAreas(int number)
{
    if (Slot* slot = Find(number)) slot->areas.Clear();
}

void CWavePicture::Redraw(int number)
{
    if (Slot* slot = Find(number)) Paint(*slot);
}

void CWavePicture::RedrawAll()
{
    for (const auto& slot : slots_) Paint(*slot);
}

void CWavePicture::Show(int number)
{
    Slot* slot = Find(number);
    if (slot != nullptr && slot->window) slot->window->ShowOffScreen();
}

void CWavePicture::ShowAll()
{
    for (int number = 0; number < SlotCount(); ++number) Show(number);
}

void CWavePicture::Destroy()
{
    for (const auto& slot : slots_) {
        if (!slot->window) continue;
        // The handlers point at this object, which may go before the windows.
        slot->window->SetCallbacks({});
        slot->window->ReleaseOffScreen();
    }
    slots_.clear();
}

std::uint32_t CWavePicture::Frames(int number) const
{
    const Slot* slot = Peek(number);
    return slot == nullptr ? 0 : slot->frames;
}

std::uint32_t CWavePicture::Zoom(int number) const
{
    const Slot* slot = Peek(number);
    return slot == nullptr ? 0 : slot->zoom;
}

std::uint32_t CWavePicture::ViewStart(int number) const
{
    const Slot* slot = Peek(number);
    return slot == nullptr ? 0 : slot->viewStart;
}

const WaveformAreas* CWavePicture::Areas(int number) const
{
    const Slot* slot = Peek(number);
    return slot == nullptr ? nullptr : &slot->areas;
}

std::vector<std::uint32_t> CWavePicture::Separators(int number) const
{
    const Slot* slot = Peek(number);
    return slot == nullptr ? std::vector<std::uint32_t>{} : slot->separators;
}

std::vector<CWavePicture::Marker> CWavePicture::Markers(int number) const
{
    const Slot* slot = Peek(number);
    return slot == nullptr ? std::vector<Marker>{} : slot->markers;
}

CWavePicture::Slot* CWavePicture::Find(int number)
{
    if (number >= 0 && number < SlotCount()) return slots_[static_cast<std::size_t>(number)].get();
    ShowError();
    return nullptr;
}

const CWavePicture::Slot* CWavePicture::Peek(int number) const
{
    return number >= 0 && number < SlotCount() ? slots_[static_cast<std::size_t>(number)].get() : nullptr;
}

void CWavePicture::ShowError() { ShowPlainMessage(sink_, kErrorText); }

void CWavePicture::OnPress(int number, int x)
{
    Slot& slot = *slots_[static_cast<std::size_t>(number)];
    slot.lastInsideX = x;
    // A copy: the owner may change or destroy the picture from its handler.
    const FrameCallback press = slot.press;
    if (press) press(FrameAtX(slot.View(), x));
}

void CWavePicture::OnMove(int number, int x)
{
    slots_[static_cast<std::size_t>(number)]->lastInsideX = x;
}

void CWavePicture::OnRelease(int number, int x, int y)
{
    Slot& slot = *slots_[static_cast<std::size_t>(number)];
    // (-1, -1) is the pointer leaving while pressed: the drag ends at the
    // edge it left by, not at the end of the tune.
    if (x == -1 && y == -1) x = slot.lastInsideX;
    const std::uint32_t frame = FrameAtX(slot.View(), x);
    const FrameCallback release = slot.release;
    RedrawAll();
    if (release) release(frame);
}

void CWavePicture::Paint(Slot& slot)
{
    if (!slot.window) return;
    QImage& image = slot.window->Surface();
    if (image.isNull()) return;
    QPainter painter(&image);
    painter.fillRect(QRect(0, 0, slot.width, slot.height), ColourFromBgr(slot.background));
    if (slot.frames == 0) return;

    const bool drawable = slot.summary.has_value();
    if (!drawable && !slot.formatReported) {
        slot.formatReported = true;
        ShowError();
    }
    const WaveformView view = slot.View();
    if (view.VisibleFrames() == 0) return;

    for (const WaveformArea& area : slot.areas) {
        const int from = ClipX(XOfFrame(view, area.start), slot.width);
        const int to = ClipX(XOfFrame(view, area.end), slot.width);
        // The band runs up to the end's column, as a rectangle fill leaves out its right edge.
        painter.fillRect(QRect(std::min(from, to), 0, std::abs(to - from), slot.height), ColourFromBgr(area.colour));
    }
    if (drawable) {
        const QColor wave = ColourFromBgr(kWaveColour);
        for (const WaveformColumn& column : ComputeWaveformColumns(view, *slot.summary))
            painter.fillRect(QRect(column.x, column.top, 1, column.bottom - column.top + 1), wave);
    }
    for (const std::uint32_t separator : slot.separators)
        FillColumn(painter, ClipX(XOfFrame(view, separator), slot.width), slot.height, Qt::black);
    for (const Marker& marker : slot.markers)
        FillColumn(painter, ClipX(XOfFrame(view, marker.frame), slot.width), slot.height, ColourFromBgr(marker.colour));
}

}  // namespace harkwell
