#pragma once

#include "areas/SeparatorTable.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace harkwell {

// The settings kept in setup.ini: the tune's separators, the tune's path, the
// score's instrument, the analysis option and the play speed.
struct SetupData {
    static constexpr std::size_t kFileSize = 4376;
    static constexpr std::size_t kPathField = 260;  // bytes, terminator included

    SeparatorTable separators;
    std::int32_t instrument = 0;  // MIDI program number of the score
    std::string tunePath;         // at most kPathField - 1 bytes
    std::int32_t includeHarmonics = 1;
    double playSpeed = 1.0;

    using Bytes = std::array<std::uint8_t, kFileSize>;

    // The record as setup.ini holds it, little-endian.
    Bytes Serialize() const;

    // Reads a record from the first bytes of a file; what is missing or cannot
    // be right takes its default. True when every field was good.
    [[nodiscard]] static bool Parse(std::span<const std::uint8_t> bytes, SetupData& setup);
};

// True when a path fits the record's path field.
inline bool FitsTunePath(const std::string& path) { return path.size() < SetupData::kPathField; }

}  // namespace harkwell
