#pragma once

#include "app/SetupData.h"
#include "app/TuneWork.h"
#include "areas/AreaColours.h"
#include "common/MessageSink.h"

#include <cstdint>

class QWidget;

namespace harkwell {

class CAnalyzeDlg;
class CAreaDlg;
class CWavePicture;

// The commands that carry a stretch along: Copy Down takes the tune's mark
// into the area panel, Analyze the panel's piece into the analyze dialog.
// Base Width and Add Separator change the bars where the analysed piece
// begins; the bar and beat lines follow on all three pictures.
class CStretchCommands {
public:
    struct Windows {
        QWidget& main;
        CWavePicture& pictures;
        CAreaDlg& areaPanel;
        CAnalyzeDlg& analyzeDialog;
    };

    CStretchCommands(Windows windows, const TuneWork& tune, SetupData& setup, MessageSink& messages);

    void CopyDown(StretchSelection& mark);
    void Analyze();
    void BaseWidth();
    void AddSeparator();
    // Puts the bar and beat lines of the separator table on all three pictures.
    void DrawSeparators();
    // The bar lines of the tune's frames visible at this zoom and view start.
    void ShowTuneBarLines(std::uint32_t zoom, std::uint32_t viewStart);

private:
    void ShowStretchLines(int slot, std::int64_t dataStart, std::int64_t length);
    // Makes the stretch the slot's current area; the earlier current one is done.
    void MakeCurrentArea(int slot, std::uint32_t start, std::uint32_t end);
    // Where the analysed piece begins, in the tune's frames.
    std::int32_t AnalysedPosition() const;
    void ShowTooNarrow();

    Windows windows_;
    const TuneWork& tune_;
    SetupData& setup_;
    MessageSink& messages_;
};

}  // namespace harkwell
