#pragma once

#include "audio/WaveformAreas.h"
#include "audio/WaveformColumns.h"
#include "audio/WaveformSummary.h"
#include "common/ByteBlock.h"
#include "common/MessageSink.h"
#include "widgets/ui/COffScreenPicture.h"
#include "widgets/PictureRect.h"

#include <QPointer>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace harkwell {

// The waveforms of the program: up to five slots, each a picture window with
// its own copy of samples, shown under a zoom and a view start, with coloured
// areas behind the waveform, black separator lines and coloured marker lines.
// Left-button presses and releases come back to the owner as frame positions.
//
// Every operation on a slot that does not exist, and every refusal of what a
// slot cannot hold (a sixth slot, a 101st area), shows "CWavePicture::ErrorMsg"
// and changes nothing; the 1025th separator or marker is dropped quietly, as
// the owners expect of their bar and beat lines.
class CWavePicture {
public:
    using FrameCallback = std::function<void(std::uint32_t frame)>;

    static constexpr int kMaxSlots = 5;
    static constexpr std::size_t kMaxLines = 1024;
    static constexpr std::uint32_t kWaveColour = 0x0000FF;
    static constexpr std::uint32_t kWhite = 0xFFFFFF;
    static constexpr std::string_view kErrorText = "CWavePicture::ErrorMsg";

    struct Marker {
        std::uint32_t frame = 0;
        std::uint32_t colour = 0;
    };

    // Makes `window` slot 0.
    CWavePicture(MessageSink& sink, COffScreenPicture* window, const PictureRect& rect, FrameCallback press,
                 FrameCallback release);
    ~CWavePicture();
    CWavePicture(const CWavePicture&) = delete;
    CWavePicture& operator=(const CWavePicture&) = delete;

    // Gives `window` its surface at `rect` and makes it the next slot: white,
    // zoom 1, view start 0, no samples and no lines. Returns its number, or -1.
    [[nodiscard]] int AddSlot(COffScreenPicture* window, const PictureRect& rect, FrameCallback press, FrameCallback release);
    int SlotCount() const { return static_cast<int>(slots_.size()); }

    // Reads frames × channels samples of bitsPerSample bits in place, without
    // a copy, and redraws (without showing): the samples must stay unchanged
    // until the slot is given others (null clears it) or destroyed. Only
    // 16-bit mono is drawn as a waveform.
    void SetSamples(int slot, const void* samples, std::uint32_t frames, int channels, int bitsPerSample);
    void SetBackground(int slot, std::uint32_t colour);
    // Zooms of 0 and below are taken as 1. Redraws and shows.
    void SetZoom(int slot, std::int64_t zoom);
    // Redraws and shows.
    void SetViewStart(int slot, std::uint32_t frame);

    void AddSeparator(int slot, std::uint32_t frame);
    void ClearSeparators(int slot);
    void AddMarker(int slot, std::uint32_t frame, std::uint32_t colour);
    void ClearMarkers(int slot);

    [[nodiscard]] bool AddArea(int slot, std::uint32_t start, std::uint32_t end, std::uint32_t colour, std::string_view name = {});
    int FindArea(int slot, std::uint32_t start, std::uint32_t end);
    void RemoveAreaAt(int slot, int index);
    void RenameArea(int slot, int index, std::string_view name, std::uint32_t colour);
    void RemoveAreaByColour(int slot, std::uint32_t colour);
    void RecolourAreas(int slot, std::uint32_t oldColour, std::uint32_t newColour);
    void ClearAreas(int slot);

    // Draws the slot into its off-screen surface; the screen keeps the old picture.
    void Redraw(int slot);
    void RedrawAll();
    // Copies the slot's surface to its window.
    void Show(int slot);
    void ShowAll();
    // Gives up every slot's surface and samples; the windows report nothing more.
    void Destroy();

    // What a slot holds, for the owner's lists and files. Empty for a missing slot.
    std::uint32_t Frames(int slot) const;
    std::uint32_t Zoom(int slot) const;
    std::uint32_t ViewStart(int slot) const;
    const WaveformAreas* Areas(int slot) const;
    std::vector<std::uint32_t> Separators(int slot) const;
    std::vector<Marker> Markers(int slot) const;

private:
    struct Slot {
        QPointer<COffScreenPicture> window;
        int width = 0;
        int height = 0;
        std::span<const std::uint8_t> samples;  // the owner's, read in place
        std::uint32_t frames = 0;
        int channels = 0;
        int bitsPerSample = 0;
        std::optional<WaveformSummary> summary;  // for 16-bit mono samples
        bool formatReported = false;             // the message once per SetSamples
        std::uint32_t zoom = 1;
        std::uint32_t viewStart = 0;
        std::uint32_t background = kWhite;
        WaveformAreas areas;
        std::vector<std::uint32_t> separators;
        std::vector<Marker> markers;
        FrameCallback press;
        FrameCallback release;
        int lastInsideX = 0;  // where a drag that leaves the window ends

        WaveformView View() const { return {frames, zoom, viewStart, width, height}; }
    };

    // The slot, or null after showing the message.
    Slot* Find(int slot);
    const Slot* Peek(int slot) const;
    void ShowError();

    void OnPress(int slot, int x);
    void OnMove(int slot, int x);
    void OnRelease(int slot, int x, int y);

    void Paint(Slot& slot);

    MessageSink& sink_;
    std::vector<std::unique_ptr<Slot>> slots_;
};

}  // namespace harkwell
