#include "app/SetupData.h"

#include "common/LittleEndian.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace harkwell {

namespace {

constexpr std::size_t kBaseNoteOffset = 0;
constexpr std::size_t kTimeSignatureOffset = 1024;
constexpr std::size_t kBaseLengthOffset = 2048;
constexpr std::size_t kStartOffset = 3072;
constexpr std::size_t kSeparatorCountOffset = 4096;
constexpr std::size_t kInstrumentOffset = 4100;
constexpr std::size_t kTunePathOffset = 4104;
constexpr std::size_t kIncludeHarmonicsOffset = 4364;
constexpr std::size_t kPlaySpeedOffset = 4368;

void PutArray(std::uint8_t* out, const std::array<std::int32_t, kMaxSeparators>& values)
{
    for (std::size_t i = 0; i < values.size(); ++i) WriteLe32(out + 4 * i, static_cast<std::uint32_t>(values[i]));
}

void GetArray(const std::uint8_t* in, std::array<std::int32_t, kMaxSeparators>& values)
{
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = static_cast<std::int32_t>(ReadLe32(in + 4 * i));
}

}  // namespace

SetupData::Bytes SetupData::Serialize() const
{
    Bytes bytes{};
    std::uint8_t* out = bytes.data();
    PutArray(out + kBaseNoteOffset, separators.baseNote);
    PutArray(out + kTimeSignatureOffset, separators.timeSignature);
    PutArray(out + kBaseLengthOffset, separators.baseLength);
    PutArray(out + kStartOffset, separators.start);
    WriteLe32(out + kSeparatorCountOffset, static_cast<std::uint32_t>(separators.separatorCount));
    WriteLe32(out + kInstrumentOffset, static_cast<std::uint32_t>(instrument));
    std::memcpy(out + kTunePathOffset, tunePath.data(), std::min(tunePath.size(), kPathField - 1));
    WriteLe32(out + kIncludeHarmonicsOffset, static_cast<std::uint32_t>(includeHarmonics));
    const auto speed = std::bit_cast<std::uint64_t>(playSpeed);
    WriteLe32(out + kPlaySpeedOffset, static_cast<std::uint32_t>(speed));
    WriteLe32(out + kPlaySpeedOffset + 4, static_cast<std::uint32_t>(speed >> 32));
    return bytes;
}

bool SetupData::Parse(std::span<const std::uint8_t> bytes, SetupData& setup)
{
    // A short file fills the start of the record; the rest keeps the defaults.
    Bytes record = SetupData().Serialize();
    std::copy_n(bytes.begin(), std::min(bytes.size(), kFileSize), record.begin());
    const std::uint8_t* in = record.data();

    SetupData read;
    GetArray(in + kBaseNoteOffset, read.separators.baseNote);
    GetArray(in + kTimeSignatureOffset, read.separators.timeSignature);
    GetArray(in + kBaseLengthOffset, read.separators.baseLength);
    GetArray(in + kStartOffset, read.separators.start);
    read.separators.separatorCount = static_cast<std::int32_t>(ReadLe32(in + kSeparatorCountOffset));
    bool intact = read.separators.Repair();

    read.instrument = static_cast<std::int32_t>(ReadLe32(in + kInstrumentOffset));
    if (read.instrument < 0 || read.instrument > 127) {
        read.instrument = 0;
        intact = false;
    }

    const auto* path = reinterpret_cast<const char*>(in + kTunePathOffset);
    const auto* terminator = std::find(path, path + kPathField, '\0');
    if (terminator == path + kPathField) {
        intact = false;  // a path cut off is no path to trust
    } else {
        read.tunePath.assign(path, terminator);
    }

    read.includeHarmonics = static_cast<std::int32_t>(ReadLe32(in + kIncludeHarmonicsOffset));
    if (read.includeHarmonics != 0 && read.includeHarmonics != 1) {
        read.includeHarmonics = 1;
        intact = false;
    }

    const std::uint64_t speed = std::uint64_t{ReadLe32(in + kPlaySpeedOffset)} | std::uint64_t{ReadLe32(in + kPlaySpeedOffset + 4)} << 32;
    read.playSpeed = std::bit_cast<double>(speed);
    if (!std::isfinite(read.playSpeed) || read.playSpeed <= 0) {
        read.playSpeed = 1.0;
        intact = false;
    }

    setup = std::move(read);
    return intact && bytes.size() >= kFileSize;
}

}  // namespace harkwell
