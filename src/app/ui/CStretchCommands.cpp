#include "app/ui/CStretchCommands.h"

#include "analysis/ui/CAnalyzeDlg.h"
#include "app/Guidance.h"
#include "app/MainWindowLayout.h"
#include "app/PanelPlacement.h"
#include "areas/SeparatorTable.h"
#include "areas/ui/CAreaDlg.h"
#include "audio/WaveformColumns.h"
#include "audio/ui/CWavePicture.h"
#include "common/ErrorReport.h"

#include <QDialog>
#include <QScreen>

#include <algorithm>
#include <string>
#include <vector>

namespace harkwell {

namespace {

constexpr std::string_view kTooNarrowForBaseWidth = "指定されている範囲が無い、あるいは、狭すぎます。";

DesktopRect ToDesktop(const QRect& rect) { return {rect.x(), rect.y(), rect.width(), rect.height()}; }

// Shows a panel. The first time in the run it opens clear of the main window
// and of the other panel when the screen has room; from then on it comes
// back where it was, where the user moved it included.
void ShowPanel(QDialog& panel, const QWidget& main, const QWidget& other)
{
    if (!panel.testAttribute(Qt::WA_Moved) && main.screen() != nullptr) {
        std::vector<DesktopRect> taken;
        if (other.isVisible()) taken.push_back(ToDesktop(other.frameGeometry()));
        // The panel's frame is not known before it first shows: take the main window's.
        const QSize frame = main.frameGeometry().size() - main.geometry().size();
        const auto place = PanelPlace(ToDesktop(main.frameGeometry()), panel.width() + frame.width(),
                                      panel.height() + frame.height(), ToDesktop(main.screen()->availableGeometry()),
                                      taken);
        if (place) panel.move(place->x, place->y);
    }
    panel.show();
    panel.raise();
    // Without this, every show would put the panel back over the main window.
    panel.setAttribute(Qt::WA_Moved);
}

}  // namespace

CStretchCommands::CStretchCommands(Windows windows, const TuneWork& tune, SetupData& setup, MessageSink& messages)
    : windows_(windows), tune_(tune), setup_(setup), messages_(messages)
{
}

void CStretchCommands::CopyDown(StretchSelection& mark)
{
    if (!tune_.Loaded()) return;
    CWavePicture& pictures = windows_.pictures;
    // A mark made on an earlier, longer tune is cut to this one.
    const std::uint32_t last = tune_.Frames() == 0 ? 0 : tune_.Frames() - 1;
    mark.start = std::min(mark.start, last);
    mark.end = std::min(mark.end, last);
    if (mark.end - mark.start < kMinStretchFrames) {
        ShowTooNarrow();
        return;
    }
    pictures.RemoveAreaByColour(kTuneSlot, kSelectionColour);
    windows_.areaPanel.ShowStretch({mark.start, mark.end - mark.start, tune_.SampleRate(), {}});
    const PanelStretch& stretch = windows_.areaPanel.Stretch();

    MakeCurrentArea(kTuneSlot, mark.start, mark.end);

    const int panel = CAreaDlg::kPictureSlot;
    ShowStretchLines(panel, stretch.dataStart, stretch.dataLength);
    pictures.RecolourAreas(panel, kCurrentColour, kDoneColour);
    pictures.RemoveAreaByColour(panel, kSelectionColour);
    const WaveFormat format = tune_.Format();
    pictures.SetSamples(panel, tune_.FrameBytes(mark.start), stretch.dataLength, format.channels,
                        format.bitsPerSample);
    pictures.Show(panel);
    pictures.Redraw(kTuneSlot);
    pictures.Show(kTuneSlot);
    ShowPanel(windows_.areaPanel, windows_.main, windows_.analyzeDialog);
}

void CStretchCommands::Analyze()
{
    if (!tune_.Loaded()) return;
    CWavePicture& pictures = windows_.pictures;
    const StretchSelection& piece = windows_.areaPanel.Selection();
    if (piece.end - piece.start < kMinStretchFrames) {
        ShowTooNarrow();
        return;
    }
    const int panel = CAreaDlg::kPictureSlot;
    const int analyze = CAnalyzeDlg::kPictureSlot;
    pictures.RemoveAreaByColour(panel, kSelectionColour);
    const std::uint32_t pieceStart = windows_.areaPanel.Stretch().dataStart + piece.start;
    const std::uint32_t pieceLength = piece.end - piece.start;

    MakeCurrentArea(panel, piece.start, piece.end);

    // Never past the tune's end, even for a piece of a stretch of an earlier tune.
    const std::uint32_t start = std::min(pieceStart, tune_.Frames());
    const std::uint32_t shown = std::min(pieceLength, tune_.Frames() - start);
    ShowStretchLines(analyze, pieceStart, shown);
    pictures.RemoveAreaByColour(analyze, kSelectionColour);
    const WaveFormat format = tune_.Format();
    pictures.SetSamples(analyze, tune_.FrameBytes(start), shown, format.channels, format.bitsPerSample);
    pictures.Show(analyze);
    pictures.Redraw(panel);
    pictures.Show(panel);

    CAnalyzeDlg& dialog = windows_.analyzeDialog;
    dialog.ShowStretch({pieceStart, pieceLength, tune_.SampleRate(), {}});
    dialog.PrepareForStretch();
    ShowPanel(dialog, windows_.main, windows_.areaPanel);
}

void CStretchCommands::BaseWidth()
{
    const StretchSelection& piece = windows_.analyzeDialog.Selection();
    const int separator = setup_.separators.SeparatorAt(AnalysedPosition());
    const auto width = static_cast<std::int32_t>(std::min<std::uint32_t>(piece.end - piece.start, INT32_MAX));
    if (!setup_.separators.SetBaseLength(separator, width)) ShowPlainMessage(messages_, kTooNarrowForBaseWidth);
    DrawSeparators();
}

void CStretchCommands::AddSeparator()
{
    setup_.separators.InsertSeparator(AnalysedPosition());
    DrawSeparators();
}

std::int32_t CStretchCommands::AnalysedPosition() const
{
    const std::uint64_t position =
        std::uint64_t{windows_.analyzeDialog.Stretch().dataStart} + windows_.analyzeDialog.Selection().start;
    return static_cast<std::int32_t>(std::min<std::uint64_t>(position, INT32_MAX));
}

void CStretchCommands::DrawSeparators()
{
    if (!tune_.Loaded()) return;
    CWavePicture& pictures = windows_.pictures;
    const PanelStretch& panel = windows_.areaPanel.Stretch();
    ShowStretchLines(CAreaDlg::kPictureSlot, panel.dataStart, panel.dataLength);
    pictures.Redraw(CAreaDlg::kPictureSlot);
    pictures.Show(CAreaDlg::kPictureSlot);
    const PanelStretch& analyzed = windows_.analyzeDialog.Stretch();
    ShowStretchLines(CAnalyzeDlg::kPictureSlot, analyzed.dataStart, analyzed.dataLength);
    pictures.Redraw(CAnalyzeDlg::kPictureSlot);
    pictures.Show(CAnalyzeDlg::kPictureSlot);
    ShowTuneBarLines(pictures.Zoom(kTuneSlot), pictures.ViewStart(kTuneSlot));
    pictures.Redraw(kTuneSlot);
    pictures.Show(kTuneSlot);
}

void CStretchCommands::ShowTuneBarLines(std::uint32_t zoom, std::uint32_t viewStart)
{
    CWavePicture& pictures = windows_.pictures;
    pictures.ClearMarkers(kTuneSlot);
    const WaveformView view{tune_.Frames(), zoom, viewStart, kTunePicturePlace.Width(), kTunePicturePlace.Height()};
    const std::int64_t end = std::int64_t{viewStart} + view.VisibleFrames();
    for (const BarLine& line : VisibleTuneBarLines(setup_.separators, viewStart, end, tune_.Frames(),
                                                   kTunePicturePlace.Width(), CWavePicture::kMaxLines))
        pictures.AddMarker(kTuneSlot, static_cast<std::uint32_t>(line.position), line.colour);
}

void CStretchCommands::ShowStretchLines(int slot, std::int64_t dataStart, std::int64_t length)
{
    CWavePicture& pictures = windows_.pictures;
    pictures.ClearMarkers(slot);
    for (const BarLine& line : StretchBarAndBeatLines(setup_.separators, dataStart, length, CWavePicture::kMaxLines))
        pictures.AddMarker(slot, static_cast<std::uint32_t>(line.position), line.colour);
}

void CStretchCommands::MakeCurrentArea(int slot, std::uint32_t start, std::uint32_t end)
{
    CWavePicture& pictures = windows_.pictures;
    // A stretch seen before keeps its name and moves to the end of the list.
    std::string name(kUndefinedAreaName);
    if (const int found = pictures.FindArea(slot, start, end); found >= 0) {
        name = (*pictures.Areas(slot))[static_cast<std::size_t>(found)].name;
        pictures.RemoveAreaAt(slot, found);
    }
    pictures.RecolourAreas(slot, kCurrentColour, kDoneColour);
    // A full list has said so: the stretch is still shown in the panel, but not kept.
    (void)pictures.AddArea(slot, start, end, kCurrentColour, name);
}

void CStretchCommands::ShowTooNarrow() { ShowPlainMessage(messages_, MainMessageText(MainMessage::TooNarrow)); }

}  // namespace harkwell
