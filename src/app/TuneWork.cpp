#include "app/TuneWork.h"

#include <algorithm>

namespace harkwell {

bool TuneWork::OpenNew(const std::string& path, SetupData& setup)
{
    std::optional<WaveData> tune = WaveData::LoadMono(path, messages_);
    if (!tune) return false;
    setup = SetupData();
    // A path too long for setup.ini is not kept: a cut path would name another file.
    setup.tunePath = FitsTunePath(path) ? path : std::string();
    Install(std::move(tune));
    return true;
}

bool TuneWork::Reload(const std::string& path)
{
    Install(WaveData::LoadMono(path, messages_));
    return Loaded();
}

void TuneWork::Install(std::optional<WaveData> tune)
{
    if (letGo_) letGo_();
    tune_ = std::move(tune);
    if (tune_) hadTune_ = true;
}

const std::uint8_t* TuneWork::FrameBytes(std::uint32_t frame) const
{
    if (!tune_) return nullptr;
    const std::size_t offset = std::size_t{frame} * tune_->Format().blockAlign;
    return tune_->Samples().data() + std::min(offset, tune_->Samples().size());
}

TuneSamples TuneWork::AnalysisSamples() const
{
    if (!tune_) return {};
    const WaveFormat& format = tune_->Format();
    return {tune_->Samples().data(), tune_->Samples().size(), static_cast<std::int32_t>(format.samplesPerSec),
            format.channels, format.bitsPerSample};
}

}  // namespace harkwell
