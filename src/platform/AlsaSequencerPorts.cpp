#include "platform/AlsaSequencerPorts.h"

#include <alsa/asoundlib.h>

namespace harkwell {

namespace {

constexpr std::size_t kEncoderSize = 512;
constexpr unsigned kWritable = SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;

}  // namespace

std::vector<SequencerDestination> ListSequencerDestinations()
{
    std::vector<SequencerDestination> destinations;
    snd_seq_t* seq = nullptr;
    if (snd_seq_open(&seq, "default", SND_SEQ_OPEN_OUTPUT, SND_SEQ_NONBLOCK) < 0) return destinations;
    const int self = snd_seq_client_id(seq);
    snd_seq_client_info_t* client = nullptr;
    snd_seq_port_info_t* port = nullptr;
    snd_seq_client_info_malloc(&client);
    snd_seq_port_info_malloc(&port);
    snd_seq_client_info_set_client(client, -1);
    while (snd_seq_query_next_client(seq, client) >= 0) {
        const int id = snd_seq_client_info_get_client(client);
        if (id == self || id == SND_SEQ_CLIENT_SYSTEM) continue;
        snd_seq_port_info_set_client(port, id);
        snd_seq_port_info_set_port(port, -1);
        while (snd_seq_query_next_port(seq, port) >= 0) {
            if ((snd_seq_port_info_get_capability(port) & kWritable) != kWritable) continue;
            if (snd_seq_port_info_get_capability(port) & SND_SEQ_PORT_CAP_NO_EXPORT) continue;
            destinations.push_back({id, snd_seq_port_info_get_port(port), snd_seq_port_info_get_name(port)});
        }
    }
    snd_seq_port_info_free(port);
    snd_seq_client_info_free(client);
    snd_seq_close(seq);
    return destinations;
}

std::unique_ptr<AlsaSequencerPort> AlsaSequencerPort::Open(const SequencerDestination& destination)
{
    std::unique_ptr<AlsaSequencerPort> out(new AlsaSequencerPort);
    if (snd_seq_open(&out->seq_, "default", SND_SEQ_OPEN_OUTPUT, 0) < 0) {
        out->seq_ = nullptr;
        return nullptr;
    }
    snd_seq_set_client_name(out->seq_, "Harkwell");
    out->ownPort_ = snd_seq_create_simple_port(out->seq_, "Harkwell score",
                                               SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
                                               SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    if (out->ownPort_ < 0) return nullptr;
    if (snd_seq_connect_to(out->seq_, out->ownPort_, destination.client, destination.port) < 0) return nullptr;
    if (snd_midi_event_new(kEncoderSize, &out->encoder_) < 0) {
        out->encoder_ = nullptr;
        return nullptr;
    }
    snd_midi_event_no_status(out->encoder_, 1);
    return out;
}

// A port going away has no one to tell that closing failed.
AlsaSequencerPort::~AlsaSequencerPort() { (void)Close(); }

int AlsaSequencerPort::SendBytes(const std::uint8_t* bytes, std::size_t length)
{
    if (seq_ == nullptr || encoder_ == nullptr) return -1;
    snd_midi_event_reset_encode(encoder_);
    snd_seq_event_t event;
    snd_seq_ev_clear(&event);
    const long used = snd_midi_event_encode(encoder_, bytes, static_cast<long>(length), &event);
    if (used < 0 || event.type == SND_SEQ_EVENT_NONE) return -1;
    snd_seq_ev_set_source(&event, static_cast<unsigned char>(ownPort_));
    snd_seq_ev_set_subs(&event);
    snd_seq_ev_set_direct(&event);
    const int result = snd_seq_event_output_direct(seq_, &event);
    return result < 0 ? result : 0;
}

bool AlsaSequencerPort::SendShort(std::uint32_t packed)
{
    if (!IsShortMessageStatus(packed)) return false;
    const std::uint8_t bytes[3] = {static_cast<std::uint8_t>(packed), static_cast<std::uint8_t>(packed >> 8),
                                   static_cast<std::uint8_t>(packed >> 16)};
    const auto kind = bytes[0] & 0xF0;
    const std::size_t length = (kind == 0xC0 || kind == 0xD0) ? 2 : 3;
    return SendBytes(bytes, length) == 0;
}

int AlsaSequencerPort::SendLong(const std::uint8_t* bytes, std::size_t length)
{
    if (!IsCompleteSysEx(bytes, length) || length > kEncoderSize) return -1;
    return SendBytes(bytes, length);
}

bool AlsaSequencerPort::Reset()
{
    HARKWELL_ASSERT_ON_OWNER(opener_);
    bool ok = true;
    for (std::uint32_t channel = 0; channel < 16; ++channel) {
        ok = SendShort(0xB0 | channel | 123u << 8) && ok;  // all notes off
        ok = SendShort(0xB0 | channel | 120u << 8) && ok;  // all sound off
    }
    return ok;
}

bool AlsaSequencerPort::Close()
{
    HARKWELL_ASSERT_ON_OWNER(opener_);
    if (encoder_ != nullptr) snd_midi_event_free(encoder_);
    encoder_ = nullptr;
    int result = 0;
    if (seq_ != nullptr) result = snd_seq_close(seq_);
    seq_ = nullptr;
    return result >= 0;
}

}  // namespace harkwell
