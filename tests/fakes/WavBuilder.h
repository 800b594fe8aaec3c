#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace harkwell::testing {

// Assembles RIFF files chunk by chunk, in any order and with any sizes, so
// tests can make both good and broken WAV files.
class WavBuilder {
public:
    using Bytes = std::vector<std::uint8_t>;

    WavBuilder& Riff(const std::string& riffId = "RIFF", const std::string& waveId = "WAVE")
    {
        Id(riffId);
        Put32(0);  // the reader does not examine the RIFF size
        Id(waveId);
        return *this;
    }

    // A chunk whose header states the body's own size.
    WavBuilder& Chunk(const std::string& id, const Bytes& body) { return Chunk(id, body, static_cast<std::uint32_t>(body.size())); }

    // A chunk whose header states any size; no pad byte is added after an odd body.
    WavBuilder& Chunk(const std::string& id, const Bytes& body, std::uint32_t statedSize)
    {
        Id(id);
        Put32(statedSize);
        bytes_.insert(bytes_.end(), body.begin(), body.end());
        return *this;
    }

    WavBuilder& Format(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits, std::size_t bodySize = 16)
    {
        return Chunk("fmt ", FormatBody(channels, rate, bits, bodySize));
    }

    static Bytes FormatBody(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits, std::size_t bodySize = 16,
                            std::uint16_t blockAlign = 0xFFFF)
    {
        if (blockAlign == 0xFFFF) blockAlign = static_cast<std::uint16_t>(channels * bits / 8);
        Bytes body;
        Append16(body, 1);
        Append16(body, channels);
        Append32(body, rate);
        Append32(body, rate * blockAlign);
        Append16(body, blockAlign);
        Append16(body, bits);
        body.resize(bodySize, 0);
        return body;
    }

    static Bytes Samples16(const std::vector<std::int16_t>& samples)
    {
        Bytes body;
        for (std::int16_t s : samples) Append16(body, static_cast<std::uint16_t>(s));
        return body;
    }

    const Bytes& Build() const { return bytes_; }

private:
    static void Append16(Bytes& out, std::uint32_t v)
    {
        out.push_back(static_cast<std::uint8_t>(v));
        out.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    static void Append32(Bytes& out, std::uint32_t v)
    {
        Append16(out, v);
        Append16(out, v >> 16);
    }
    void Id(const std::string& id) { bytes_.insert(bytes_.end(), id.begin(), id.begin() + 4); }
    void Put32(std::uint32_t v) { Append32(bytes_, v); }

    Bytes bytes_;
};

}  // namespace harkwell::testing
