#include "areas/ui/CSelectionMarking.h"

#include "audio/ui/CWavePicture.h"

namespace harkwell {

void PressSelection(CWavePicture& pictures, int slot, StretchSelection& selection, bool tuneLoaded,
                    std::uint32_t frame)
{
    selection.dragging = true;
    if (!tuneLoaded) return;
    selection.start = frame;
    pictures.ClearSeparators(slot);
    pictures.AddSeparator(slot, frame);
    pictures.RemoveAreaByColour(slot, kSelectionColour);
    pictures.Redraw(slot);
    pictures.Show(slot);
}

void ReleaseSelection(CWavePicture& pictures, int slot, StretchSelection& selection, bool tuneLoaded,
                      std::uint32_t frame)
{
    const bool wasDragging = selection.dragging;
    selection.dragging = false;
    if (!tuneLoaded || !wasDragging) return;
    if (selection.start > frame) {
        selection.end = selection.start;
        selection.start = frame;
    } else {
        selection.end = frame;
    }
    pictures.ClearSeparators(slot);
    // A full list has said so; the selection is then not shown, but kept.
    (void)pictures.AddArea(slot, selection.start, selection.end, kSelectionColour);
    pictures.Redraw(slot);
    pictures.Show(slot);
}

}  // namespace harkwell
