#pragma once

#include <cstdint>
#include <vector>

namespace harkwell {

// The work files and WAV files hold their numbers little-endian, whatever
// the machine.
inline std::uint16_t ReadLe16(const std::uint8_t* in)
{
    return static_cast<std::uint16_t>(in[0] | in[1] << 8);
}

inline std::uint32_t ReadLe32(const std::uint8_t* in)
{
    return std::uint32_t{in[0]} | std::uint32_t{in[1]} << 8 | std::uint32_t{in[2]} << 16 | std::uint32_t{in[3]} << 24;
}

inline void WriteLe16(std::uint8_t* out, std::uint32_t value)
{
    out[0] = static_cast<std::uint8_t>(value);
    out[1] = static_cast<std::uint8_t>(value >> 8);
}

inline void WriteLe32(std::uint8_t* out, std::uint32_t value)
{
    WriteLe16(out, value);
    WriteLe16(out + 2, value >> 16);
}

inline void AppendLe32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    const std::size_t at = out.size();
    out.resize(at + 4);
    WriteLe32(out.data() + at, value);
}

}  // namespace harkwell
