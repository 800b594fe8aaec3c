#pragma once

#include "audio/WaveformAreas.h"
#include "common/MessageSink.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace harkwell {

// The three area lists: the tune's, the area panel's and the analyze dialog's.
inline constexpr std::size_t kAreaListCount = 3;
using AreaLists = std::array<WaveformAreas, kAreaListCount>;

// line.dat: for each list its count, then 44-byte records of start, end,
// colour and a 32-byte Shift-JIS name, all little-endian.
std::vector<std::uint8_t> SerializeAreaLists(const std::array<const WaveformAreas*, kAreaListCount>& lists);

// Reads what the bytes hold; reading stops where they end. Negative counts
// read as 0, areas past a list's capacity and areas that end before they
// start are dropped. True when everything was taken as it stood.
[[nodiscard]] bool ParseAreaLists(std::span<const std::uint8_t> bytes, AreaLists& lists);

// Reads line.dat when it can be opened; the lists stay empty otherwise.
AreaLists LoadAreaFile(MessageSink& sink, const std::string& path);
// Writes line.dat whole; false after a message.
[[nodiscard]] bool SaveAreaFile(MessageSink& sink, const std::string& path,
                  const std::array<const WaveformAreas*, kAreaListCount>& lists);

}  // namespace harkwell
