#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace harkwell::testing {

// A recording of the sound server's monitor, and the silences the server put
// into it. When a stream's sound reaches the server late (a busy machine
// keeps its client from running), the server plays silence meanwhile, and
// then plays on where the stream stopped or, now and then, where it would
// have been by then. Either way the sound is split by stretches of exact
// digital silence, which no note or noise has while it sounds. The sound
// with them cut out keeps its frames' places in the recording, for judging
// when things were heard.
class BridgedRecording {
public:
    // Runs of exact zeros at least this long, between the first and the last
    // sounding frame, are taken for the server's. The servers here put in
    // 128 frames and more; a sound passes zero for a frame or two at a time.
    static constexpr std::size_t kLeastSilence = 64;

    explicit BridgedRecording(std::span<const std::int16_t> recording) : recording_(recording.begin(), recording.end())
    {
        std::size_t first = 0;
        while (first < recording.size() && recording[first] == 0) ++first;
        std::size_t end = recording.size();
        while (end > first && recording[end - 1] == 0) --end;
        std::size_t kept = first;
        for (std::size_t i = first; i < end;) {
            std::size_t run = 0;
            while (recording[i + run] == 0) ++run;  // the last sounding frame ends every run
            if (run >= kLeastSilence) {
                silences_.push_back({i, run, kept});
                silentFrames_ += run;
            } else {
                kept += run + 1;
            }
            i += run + (run >= kLeastSilence ? 0 : 1);
        }
        sound_.reserve(recording.size() - silentFrames_);
        std::size_t from = 0;
        for (const Silence& silence : silences_) {
            sound_.insert(sound_.end(), recording.begin() + static_cast<std::ptrdiff_t>(from),
                          recording.begin() + static_cast<std::ptrdiff_t>(silence.recorded));
            from = silence.recorded + silence.frames;
        }
        sound_.insert(sound_.end(), recording.begin() + static_cast<std::ptrdiff_t>(from), recording.end());
    }

    const std::vector<std::int16_t>& Recording() const { return recording_; }
    // The recording without the server's silences.
    const std::vector<std::int16_t>& Sound() const { return sound_; }
    std::size_t Silences() const { return silences_.size(); }
    std::size_t SilentFrames() const { return silentFrames_; }

    // Where a frame of Sound() lies in the recording.
    std::size_t RecordedFrame(std::size_t frame) const
    {
        std::size_t recorded = frame;
        for (const Silence& silence : silences_)
            if (silence.kept <= frame) recorded += silence.frames;
        return recorded;
    }

    // The stretches of recorded frames from..to that no silence of the
    // server splits, as first and end frames: sound as it was sent.
    std::vector<std::pair<std::size_t, std::size_t>> WholeStretches(std::size_t from, std::size_t to) const
    {
        std::vector<std::pair<std::size_t, std::size_t>> stretches;
        to = std::min(to, recording_.size());
        for (const Silence& silence : silences_) {
            if (silence.recorded >= to) break;
            if (silence.recorded > from) stretches.emplace_back(from, silence.recorded);
            from = std::max(from, silence.recorded + silence.frames);
        }
        if (from < to) stretches.emplace_back(from, to);
        return stretches;
    }

private:
    struct Silence {
        std::size_t recorded;  // its first frame in the recording
        std::size_t frames;
        std::size_t kept;      // the frame of Sound() that follows it
    };

    std::vector<std::int16_t> recording_;
    std::vector<std::int16_t> sound_;
    std::vector<Silence> silences_;
    std::size_t silentFrames_ = 0;
};

}  // namespace harkwell::testing
