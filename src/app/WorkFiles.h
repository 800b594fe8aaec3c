#pragma once

#include "app/AreaFile.h"
#include "app/GuessSettingFile.h"
#include "app/SetupData.h"
#include "app/SetupFile.h"
#include "app/TuneWork.h"
#include "common/MessageSink.h"

#include <memory>
#include <optional>
#include <ostream>
#include <string>

namespace harkwell {

// The work's files in the working folder: setup.ini (read when made),
// harkwell.ini, and line.dat with the areas. They bring the last work back
// at start-up and keep it at close.
class WorkFiles {
public:
    WorkFiles(const std::string& workDir, SetupData& setup, MessageSink& messages);
    WorkFiles(const WorkFiles&) = delete;
    WorkFiles& operator=(const WorkFiles&) = delete;

    GuessSettingFile& GuessSetting() { return guessSetting_; }

    // Reads the tune setup.ini names into `tune`, and the areas of line.dat.
    // The window opens empty without a word when the tune's file cannot be
    // opened (nothing then); why a tune did not come back goes to `log`.
    std::optional<AreaLists> RestoreLastWork(TuneWork& tune, std::ostream& log);

    // At close: line.dat, then setup.ini. line.dat is rewritten only when this
    // run had a tune, so a tune that could not be found at start-up does not
    // take its areas with it. Nothing is written after this.
    void SaveAtClose(const TuneWork& tune, const std::array<const WaveformAreas*, kAreaListCount>& areas);

private:
    MessageSink& messages_;
    SetupData& setup_;
    std::string areaPath_;
    std::unique_ptr<SetupFile> setupFile_;
    GuessSettingFile guessSetting_;
};

}  // namespace harkwell
