#pragma once

#include "app/AppServices.h"
#include "app/GuessSettingFile.h"
#include "app/InputDialogGuard.h"
#include "areas/PanelStretch.h"
#include "areas/SeparatorTable.h"
#include "areas/ui/CAreaListDlg.h"
#include "analysis/NoteAnalysis.h"

#include <QPointer>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace harkwell {

class CWavePicture;

// The main window's modal dialogs, each run behind its one-at-a-time rule:
// the lists (area lists, bar list, frequency list, CD ripping) share one, the
// settings another, and the separator details a third. The panels stay
// usable while one is open.
class CMainDialogs {
public:
    CMainDialogs(QWidget* parent, AppServices services);

    // "Load CD": the ripping dialog; the path of the ripped track, or empty.
    std::string RipCdTrack();
    // "Area List" (list 0) and "Analyze List" (list 1) over the pictures' areas.
    void OpenAreaList(CWavePicture& pictures, int list, std::uint32_t sampleRate, CAreaListDlg::Hooks hooks);
    // "Bar Info": the separators of the tune, seen from the panel's stretch.
    void OpenBarInfo(SeparatorTable& separators, std::uint32_t sampleRate, const PanelStretch& panel,
                     std::function<void()> drawSeparators);
    void OpenPlaySetting(double& playSpeed);
    // A changed note guess is written to its file at once.
    void OpenAnalyzeSetting(std::int32_t& includeHarmonics, GuessSettingFile& guessSetting);
    void ShowFrequencyList(const NoteStrengths& values, const std::vector<std::string>& guessLines);
    void ShowAbout();

    // The open area list, or null: its Play button follows its playback.
    CAreaListDlg* AreaList() const { return areaList_; }

private:
    QWidget* parent_;
    AppServices services_;
    InputDialogGuard listDialog_;
    InputDialogGuard infoDialog_;
    InputDialogGuard settingDialog_;
    QPointer<CAreaListDlg> areaList_;
};

}  // namespace harkwell
