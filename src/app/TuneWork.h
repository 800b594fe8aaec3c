#pragma once

#include "analysis/TuneSamples.h"
#include "app/SetupData.h"
#include "audio/WaveData.h"
#include "common/MessageSink.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace harkwell {

// The tune of the work, mixed to mono as every tune of the work is. The
// pictures, the player and the analysis read its samples in place, so it is
// replaced only through here.
class TuneWork {
public:
    // `letGo` is called just before the samples are replaced or freed: whoever
    // reads them in place stops doing so there.
    TuneWork(MessageSink& messages, std::function<void()> letGo)
        : messages_(messages), letGo_(std::move(letGo))
    {
    }

    // A new tune replaces the work: the settings go back to their defaults
    // and name the new tune. A file the reader refuses (it has said why)
    // leaves the tune and the settings as they were; false then.
    bool OpenNew(const std::string& path, SetupData& setup);
    // Reads the tune of an earlier run, keeping the settings; without a tune
    // when the reader refuses it. False then.
    bool Reload(const std::string& path);

    bool Loaded() const { return tune_.has_value(); }
    // Whether this run ever had a tune: only then are its areas saved over
    // the ones of an earlier run.
    bool HadTune() const { return hadTune_; }
    const WaveData& Tune() const { return *tune_; }

    std::uint32_t Frames() const { return tune_ ? tune_->Frames() : 0; }
    // Frames per second, 44100 without a tune.
    std::uint32_t SampleRate() const { return tune_ ? tune_->Format().samplesPerSec : 44100; }
    WaveFormat Format() const { return tune_ ? tune_->Format() : WaveFormat{}; }
    // The bytes of the tune from `frame` on; null without a tune.
    const std::uint8_t* FrameBytes(std::uint32_t frame) const;
    // The samples as the analysis reads them; empty without a tune.
    TuneSamples AnalysisSamples() const;

private:
    void Install(std::optional<WaveData> tune);

    MessageSink& messages_;
    std::function<void()> letGo_;
    std::optional<WaveData> tune_;
    bool hadTune_ = false;
};

}  // namespace harkwell
