#include "app/ui/CMainDialogs.h"

#include "analysis/ui/CAnalyzeSettingDlg.h"
#include "analysis/ui/CFrequencyListDlg.h"
#include "app/ui/CAboutDlg.h"
#include "app/ui/CPlaySettingDlg.h"
#include "areas/ui/CBarDlg.h"
#include "cd/CdReader.h"
#include "cd/ui/CRippingDlg.h"

namespace harkwell {

CMainDialogs::CMainDialogs(QWidget* parent, AppServices services) : parent_(parent), services_(services) {}

std::string CMainDialogs::RipCdTrack()
{
    std::string ripped;
    listDialog_.Run(services_.messages, [&] {
        CdReader reader(services_.cdDrives);
        CRippingDlg ripping(parent_, reader, services_.messages, services_.filePrompt);
        ripping.exec();
        ripped = ripping.RippedPath();
    });
    return ripped;
}

void CMainDialogs::OpenAreaList(CWavePicture& pictures, int list, std::uint32_t sampleRate, CAreaListDlg::Hooks hooks)
{
    // The list's setting dialog shares the main window's rule.
    hooks.settingDialogOpen = [this] { return settingDialog_.IsOpen(); };
    hooks.runSettingDialog = [this](const std::function<void()>& setting) {
        settingDialog_.Run(services_.messages, setting);
    };
    listDialog_.Run(services_.messages, [&] {
        CAreaListDlg dialog(parent_, pictures, list, sampleRate, services_.messages, std::move(hooks));
        areaList_ = &dialog;
        dialog.exec();
    });
}

void CMainDialogs::OpenBarInfo(SeparatorTable& separators, std::uint32_t sampleRate, const PanelStretch& panel,
                               std::function<void()> drawSeparators)
{
    listDialog_.Run(services_.messages, [&] {
        CBarDlg dialog(parent_, separators, sampleRate, panel, services_.messages,
                       {std::move(drawSeparators),
                        [this](const std::function<void()>& info) { infoDialog_.Run(services_.messages, info); }});
        dialog.exec();
    });
}

void CMainDialogs::OpenPlaySetting(double& playSpeed)
{
    settingDialog_.Run(services_.messages, [&] {
        CPlaySettingDlg setting(parent_, playSpeed);
        setting.exec();
    });
}

void CMainDialogs::OpenAnalyzeSetting(std::int32_t& includeHarmonics, GuessSettingFile& guessSetting)
{
    settingDialog_.Run(services_.messages, [&] {
        bool noteGuess = guessSetting.NoteGuessOn();
        CAnalyzeSettingDlg setting(parent_, includeHarmonics, noteGuess);
        // A failed write has been shown; the setting holds until the program ends.
        if (setting.exec() == QDialog::Accepted && noteGuess != guessSetting.NoteGuessOn())
            (void)guessSetting.SetNoteGuess(noteGuess);
    });
}

void CMainDialogs::ShowFrequencyList(const NoteStrengths& values, const std::vector<std::string>& guessLines)
{
    listDialog_.Run(services_.messages, [&] {
        CFrequencyListDlg list(parent_, values, guessLines);
        list.exec();
    });
}

void CMainDialogs::ShowAbout()
{
    CAboutDlg about(parent_);
    about.exec();
}

}  // namespace harkwell
