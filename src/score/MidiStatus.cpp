#include "score/MidiStatus.h"

#include "common/Music.h"
#include "score/ScoreReports.h"

namespace harkwell {

namespace {

bool IsChannel(std::int32_t channel) { return channel >= 0 && channel < MidiStatus::kChannels; }

// Only denominators that are powers of two from 2 up make time-signature bytes.
bool IsValidTimeSignature(std::int32_t packed)
{
    const std::int32_t denominator = packed & 0xFF;
    const std::int32_t numerator = packed / 256;
    return packed > 0 && numerator > 0 && numerator < 256 && denominator >= 2 &&
           (denominator & (denominator - 1)) == 0;
}

}  // namespace

MidiStatus::MidiStatus(MessageSink& sink) : sink_(sink)
{
    program_.fill(-1);
    for (auto& bend : bend_) bend.fill(-1);
    for (auto& controllers : controller_) controllers.fill(-1);
}

void MidiStatus::Record(const MidiEvent& event)
{
    const auto channel = static_cast<std::size_t>(event.channel);
    switch (event.kind) {
    case event_kind::kControlChange:
        if (IsChannel(event.channel) && event.number >= 0 && event.number < kControllers)
            controller_[channel][static_cast<std::size_t>(event.number)] = event.value;
        break;
    case event_kind::kProgramChange:
        if (IsChannel(event.channel)) program_[channel] = event.value;
        break;
    case event_kind::kPitchBend:
        if (IsChannel(event.channel)) bend_[channel] = {event.value, event.note};
        break;
    case event_kind::kMeta:
        if (event.number == meta_type::kTempo) tempo_ = event.value;
        if (event.number == meta_type::kTimeSignature) timeSignature_ = event.value;
        break;
    default:
        break;
    }
}

std::int32_t MidiStatus::CollectUpTo(const MidiTrackData& track, std::int32_t startTick, std::int32_t& skipped)
{
    skipped = 0;
    std::int64_t sum = 0;
    std::int64_t passed = 0;
    std::int32_t i = 0;
    for (; i < track.Count(); ++i) {
        sum += track.Event(i).delta;
        if (sum >= startTick) break;
        Record(track.Event(i));
        passed = sum;
    }
    skipped = static_cast<std::int32_t>(passed);
    return i;
}

std::int32_t MidiStatus::MakeEvents(std::vector<std::unique_ptr<MidiEvent>>& out)
{
    const auto before = out.size();
    for (int c = 0; c < kChannels; ++c) {
        const auto ch = static_cast<std::size_t>(c);
        if (program_[ch] != -1) {
            auto event = std::make_unique<MidiEvent>(0);
            event->kind = event_kind::kProgramChange;
            event->channel = c;
            event->value = program_[ch];
            const std::uint8_t bytes[2] = {0xC0, static_cast<std::uint8_t>(program_[ch])};
            // Data that cannot be stored has been reported; channel and value still say it all.
            (void)event->SetData(bytes, 2, sink_);
            out.push_back(std::move(event));
        }
        if (bend_[ch][0] != -1) {
            auto event = std::make_unique<MidiEvent>(0);
            event->kind = event_kind::kPitchBend;
            event->channel = c;
            event->value = bend_[ch][0];
            event->note = bend_[ch][1];
            out.push_back(std::move(event));
        }
        for (int n = 0; n < kControllers; ++n) {
            const std::int32_t value = controller_[ch][static_cast<std::size_t>(n)];
            if (value == -1) continue;
            auto event = std::make_unique<MidiEvent>(0);
            event->kind = event_kind::kControlChange;
            event->channel = c;
            event->number = n;
            event->value = value;
            out.push_back(std::move(event));
        }
    }
    if (tempo_ != -1) {
        auto event = std::make_unique<MidiEvent>(0);
        event->MakeTempo(tempo_, sink_);
        out.push_back(std::move(event));
    }
    if (timeSignature_ != -1) {
        if (!IsValidTimeSignature(timeSignature_)) {
            ReportStatusError(sink_, StatusError::TimeSignInvalid);
        } else {
            auto event = std::make_unique<MidiEvent>(0);
            event->kind = event_kind::kMeta;
            event->number = meta_type::kTimeSignature;
            event->value = timeSignature_;
            std::uint8_t bytes[4] = {};
            int length = 0;
            PackTimeSignatureMeta(timeSignature_, bytes, length);
            // Data that cannot be stored has been reported; the value still holds the sign.
            (void)event->SetData(bytes, length, sink_);
            out.push_back(std::move(event));
        }
    }
    return static_cast<std::int32_t>(out.size() - before);
}

}  // namespace harkwell
