#include "platform/MidiPorts.h"

#include "common/ErrorReport.h"
#include "platform/AlsaSequencerPorts.h"

namespace harkwell {

SystemMidiDevices::SystemMidiDevices(MessageSink& sink, std::string soundFont)
    : sink_(sink), soundFont_(std::move(soundFont))
{
}

int SystemMidiDevices::Count()
{
    const int synth = IsUsableSoundFont(soundFont_) ? 1 : 0;
    return synth + static_cast<int>(ListSequencerDestinations().size());
}

std::unique_ptr<MidiOutPort> SystemMidiDevices::Open(int device)
{
    if (device == kBuiltInSynth) {
        auto port = FluidSynthMidiPort::OpenLive(soundFont_);
        if (port && !port->HasSound() && noSoundNoticeDue_.exchange(false)) ShowPlainMessage(sink_, kNoSoundNotice);
        return port;
    }
    if (device < 0) return nullptr;
    const auto destinations = ListSequencerDestinations();
    if (static_cast<std::size_t>(device) >= destinations.size()) return nullptr;
    return AlsaSequencerPort::Open(destinations[static_cast<std::size_t>(device)]);
}

}  // namespace harkwell
