#include "app/WorkFiles.h"

#include "common/Files.h"

namespace harkwell {

WorkFiles::WorkFiles(const std::string& workDir, SetupData& setup, MessageSink& messages)
    : messages_(messages),
      setup_(setup),
      areaPath_(WorkFilePath(workDir, "line.dat")),
      setupFile_(std::make_unique<SetupFile>(WorkFilePath(workDir, "setup.ini"), setup, messages)),
      guessSetting_(WorkFilePath(workDir, std::string(GuessSettingFile::kFileName)), messages)
{
}

std::optional<AreaLists> WorkFiles::RestoreLastWork(TuneWork& tune, std::ostream& log)
{
    std::string cause;
    if (!OpenForReading(setup_.tunePath, &cause)) {
        if (!setup_.tunePath.empty())
            log << "harkwell: the last tune was not loaded: " << FileDetail(setup_.tunePath, cause) << '\n';
        return std::nullopt;
    }
    if (!tune.Reload(setup_.tunePath))
        log << "harkwell: the last tune was not loaded: " << FileDetail(setup_.tunePath, "not a sound file it could read")
            << '\n';
    return LoadAreaFile(messages_, areaPath_);
}

void WorkFiles::SaveAtClose(const TuneWork& tune, const std::array<const WaveformAreas*, kAreaListCount>& areas)
{
    if (!setupFile_) return;
    // The program is closing: a failed save has said so, and the old file stays whole.
    if (tune.HadTune() || !FileExists(areaPath_)) (void)SaveAreaFile(messages_, areaPath_, areas);
    setupFile_.reset();  // writes setup.ini
}

}  // namespace harkwell
