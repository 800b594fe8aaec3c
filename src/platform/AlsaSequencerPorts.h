#pragma once

#include "common/ThreadChecker.h"
#include "score/MidiOutPort.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

typedef struct _snd_seq snd_seq_t;
typedef struct snd_midi_event snd_midi_event_t;

namespace harkwell {

// An output port of the ALSA sequencer that an external synth listens on.
struct SequencerDestination {
    int client = 0;
    int port = 0;
    std::string name;
};

// The sequencer's writable ports of other clients, in the sequencer's order;
// empty when the machine has no sequencer.
std::vector<SequencerDestination> ListSequencerDestinations();

// A MIDI output port connected to one sequencer destination. Sends go out
// directly (unqueued) and may run on the timer thread; Reset, Close and the
// destructor run on the thread that opened the port.
class AlsaSequencerPort final : public MidiOutPort {
public:
    [[nodiscard]] static std::unique_ptr<AlsaSequencerPort> Open(const SequencerDestination& destination);
    ~AlsaSequencerPort() override;
    AlsaSequencerPort(const AlsaSequencerPort&) = delete;
    AlsaSequencerPort& operator=(const AlsaSequencerPort&) = delete;

    [[nodiscard]] bool SendShort(std::uint32_t packed) override;
    [[nodiscard]] int SendLong(const std::uint8_t* bytes, std::size_t length) override;
    [[nodiscard]] bool Reset() override;
    [[nodiscard]] bool Close() override;

private:
    AlsaSequencerPort() = default;
    [[nodiscard]] int SendBytes(const std::uint8_t* bytes, std::size_t length);

    snd_seq_t* seq_ = nullptr;
    snd_midi_event_t* encoder_ = nullptr;
    int ownPort_ = -1;
    ThreadChecker opener_;  // the thread that opened the port
};

}  // namespace harkwell
