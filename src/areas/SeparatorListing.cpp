#include "areas/SeparatorListing.h"

#include <climits>
#include <cstdio>

namespace harkwell {

std::string SeparatorRow(const SeparatorTable& table, int index, std::uint32_t sampleRate)
{
    const std::uint32_t rate = sampleRate == 0 ? 44100 : sampleRate;
    const auto start = static_cast<std::uint32_t>(table.start[static_cast<std::size_t>(index)]) / rate;
    char row[64];
    std::snprintf(row, sizeof row, "開始位置 %03u 秒  %d bpm", start, table.Tempo(index, rate));
    return row;
}

int LeadingMilliseconds(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        if (value <= INT_MAX) value = value * 10 + (text[i] - '0');
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

}  // namespace harkwell
