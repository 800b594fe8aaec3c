#include "areas/SeparatorTable.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace harkwell {

namespace {

// Truncates toward zero into the 32-bit range; what cannot be a number is 0.
int TruncateToInt(double value)
{
    if (!std::isfinite(value)) return 0;
    if (value >= std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (value <= std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

bool InTable(std::int32_t index, std::size_t size) { return index >= 0 && static_cast<std::size_t>(index) < size; }

}  // namespace

double SeparatorTable::NoteValueOf(int index) const
{
    const std::int32_t note = baseNote[static_cast<std::size_t>(index)];
    return kNoteValueTable[InTable(note, kNoteValueTable.size()) ? static_cast<std::size_t>(note) : 0].eighths;
}

int SeparatorTable::BeatsOf(int index) const
{
    const std::int32_t signature = timeSignature[static_cast<std::size_t>(index)];
    return kTimeSignatureTable[InTable(signature, kTimeSignatureTable.size()) ? static_cast<std::size_t>(signature) : 0]
        .beats;
}

std::int64_t SeparatorTable::BarLength(int index) const
{
    const auto quarter = static_cast<std::int64_t>(baseLength[static_cast<std::size_t>(index)] / (NoteValueOf(index) * 0.5));
    return quarter * BeatsOf(index);
}

void SeparatorTable::InsertSeparator(std::int32_t position)
{
    // Separator 0 holds frame 0, so nothing may go before it.
    if (position < 0) return;
    int k = separatorCount;
    for (int i = 0; i < separatorCount; ++i) {
        if (start[static_cast<std::size_t>(i)] == position) return;
        if (start[static_cast<std::size_t>(i)] > position) {
            k = i;
            break;
        }
    }
    if (separatorCount >= kMaxSeparators) return;
    for (int i = separatorCount; i > k; --i) {
        const auto to = static_cast<std::size_t>(i), from = static_cast<std::size_t>(i - 1);
        baseNote[to] = baseNote[from];
        timeSignature[to] = timeSignature[from];
        baseLength[to] = baseLength[from];
        start[to] = start[from];
    }
    const auto at = static_cast<std::size_t>(k);
    const auto source = at - 1;  // k >= 1: a position >= 0 comes after separator 0
    baseNote[at] = baseNote[source];
    timeSignature[at] = timeSignature[source];
    baseLength[at] = baseLength[source];
    start[at] = position;
    ++separatorCount;
}

bool SeparatorTable::DeleteSeparator(int index)
{
    if (index <= 0 || index >= separatorCount) return false;
    for (int i = index; i + 1 < separatorCount; ++i) {
        const auto to = static_cast<std::size_t>(i), from = static_cast<std::size_t>(i + 1);
        baseNote[to] = baseNote[from];
        timeSignature[to] = timeSignature[from];
        baseLength[to] = baseLength[from];
        start[to] = start[from];
    }
    --separatorCount;
    return true;
}

bool SeparatorTable::SetBaseLength(int index, std::int32_t frames)
{
    if (frames < kMinBaseLength || index < 0 || index >= separatorCount) return false;
    baseLength[static_cast<std::size_t>(index)] = frames;
    return true;
}

int SeparatorTable::SeparatorAt(std::int32_t position) const
{
    int found = 0;
    for (int i = 0; i < separatorCount; ++i)
        if (start[static_cast<std::size_t>(i)] <= position) found = i;
    return found;
}

void SeparatorTable::ChangeBaseNote(int index, int newBaseNote)
{
    if (!InTable(newBaseNote, kNoteValueTable.size())) return;
    const auto at = static_cast<std::size_t>(index);
    const double ratio = kNoteValueTable[static_cast<std::size_t>(newBaseNote)].eighths / NoteValueOf(index);
    // Lengths read from a file may be a few frames; a length of 0 would stop
    // the bar lines and be replaced by the default at the next load.
    baseLength[at] = std::max(TruncateToInt(ratio * baseLength[at]), 1);
    baseNote[at] = newBaseNote;
}

int SeparatorTable::Tempo(int index, std::uint32_t sampleRate) const
{
    if (sampleRate == 0) return 0;
    const double seconds = baseLength[static_cast<std::size_t>(index)] / static_cast<double>(sampleRate);
    return TruncateToInt(60.0 / ((1.0 / (NoteValueOf(index) * 0.5)) * seconds));
}

int SeparatorTable::LengthMilliseconds(int index, std::uint32_t sampleRate) const
{
    if (sampleRate == 0) return 0;
    return TruncateToInt(baseLength[static_cast<std::size_t>(index)] / static_cast<double>(sampleRate) * 1000.0);
}

bool SeparatorTable::Repair()
{
    if (separatorCount < 1 || separatorCount > kMaxSeparators || start[0] != 0) {
        *this = SeparatorTable();
        return false;
    }
    bool intact = true;
    for (int i = 1; i < separatorCount; ++i) {
        if (start[static_cast<std::size_t>(i)] <= start[static_cast<std::size_t>(i - 1)]) {
            separatorCount = i;
            intact = false;
            break;
        }
    }
    for (int i = 0; i < kMaxSeparators; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const bool used = i < separatorCount;
        if (!InTable(baseNote[at], kNoteValueTable.size()) || (!used && baseNote[at] != 0)) {
            intact = intact && !used;
            baseNote[at] = 0;
        }
        if (!InTable(timeSignature[at], kTimeSignatureTable.size()) || (!used && timeSignature[at] != 0)) {
            intact = intact && !used;
            timeSignature[at] = 0;
        }
        if (used && baseLength[at] <= 0) {
            intact = false;
            baseLength[at] = kDefaultBaseLength;
        }
    }
    return intact;
}

std::int32_t FramesFromMilliseconds(int ms, std::uint32_t sampleRate)
{
    if (ms <= 0 || sampleRate == 0) return 0;
    const double rate = sampleRate;
    std::int64_t frames = static_cast<std::int64_t>(ms * rate * 0.001);
    while (static_cast<std::int64_t>(static_cast<double>(frames) / rate * 1000.0) < ms) ++frames;
    return static_cast<std::int32_t>(std::min<std::int64_t>(frames, std::numeric_limits<std::int32_t>::max()));
}

std::vector<BarLine> TuneBarLines(const SeparatorTable& table, std::int64_t frames, std::size_t limit)
{
    std::vector<BarLine> lines;
    std::int64_t p = table.start[0];
    int i = 0;
    while (p < frames && lines.size() < limit) {
        lines.push_back({static_cast<std::int32_t>(p), kBarLineColour});
        const std::int64_t step = table.BarLength(i);
        if (step < 1) break;
        p += step;
        if (i < table.separatorCount - 1 && p >= table.start[static_cast<std::size_t>(i + 1)]) {
            ++i;
            p = table.start[static_cast<std::size_t>(i)];
        }
    }
    return lines;
}

namespace {

// The first bar line at or after frame t that the walk of TuneBarLines draws,
// found without walking: to the separator governing t, then by whole bars.
// -1 when the walk ends before t.
std::int64_t FirstBarLineFrom(const SeparatorTable& table, std::int64_t t)
{
    const std::int64_t first = table.start[0];
    if (t <= first) return first;
    int i = 0;
    while (i < table.separatorCount - 1 && table.start[static_cast<std::size_t>(i + 1)] <= t) {
        if (table.BarLength(i) < 1) return -1;
        ++i;
    }
    const std::int64_t origin = table.start[static_cast<std::size_t>(i)];
    const std::int64_t bar = table.BarLength(i);
    if (t == origin) return origin;
    if (bar < 1) return -1;
    const std::int64_t p = origin + (t - origin + bar - 1) / bar * bar;
    if (i < table.separatorCount - 1 && p >= table.start[static_cast<std::size_t>(i + 1)])
        return table.start[static_cast<std::size_t>(i + 1)];
    return p;
}

}  // namespace

std::vector<BarLine> VisibleTuneBarLines(const SeparatorTable& table, std::int64_t first, std::int64_t end,
                                         std::int64_t frames, std::int64_t columns, std::size_t limit)
{
    end = std::min(end, frames);
    std::vector<BarLine> lines;
    if (first >= end || columns < 1 || limit == 0) return lines;
    const std::int64_t span = end - first;
    // The first frame of the column after the one that frame p is drawn on.
    const auto nextColumnStart = [&](std::int64_t p) {
        const std::int64_t column = (p - first) * columns / span;
        return first + ((column + 1) * span + columns - 1) / columns;
    };
    const auto collect = [&](bool onePerColumn, std::size_t most) {
        lines.clear();
        for (std::int64_t t = first; lines.size() < most;) {
            const std::int64_t p = FirstBarLineFrom(table, t);
            if (p < 0 || p >= end) break;
            lines.push_back({static_cast<std::int32_t>(p), kBarLineColour});
            t = onePerColumn ? std::max(p + 1, nextColumnStart(p)) : p + 1;
        }
    };
    collect(false, limit + 1);
    if (lines.size() > limit) collect(true, limit);
    return lines;
}

std::vector<BarLine> StretchBarAndBeatLines(const SeparatorTable& table, std::int64_t dataStart, std::int64_t length,
                                            std::size_t limit)
{
    std::vector<BarLine> lines;
    const std::int64_t end = dataStart + length;
    if (table.start[0] >= end) return lines;

    // Lines up to the stretch's first frame are not drawn and do not count
    // beats, so the walk may jump there: to the separator governing it, then
    // by whole base notes.
    std::int64_t p = table.start[0];
    int i = 0;
    const auto lengthOf = [&table](int index) { return std::int64_t{table.baseLength[static_cast<std::size_t>(index)]}; };
    while (i < table.separatorCount - 1 && table.start[static_cast<std::size_t>(i + 1)] <= dataStart) {
        if (lengthOf(i) < 1) return lines;
        ++i;
        p = table.start[static_cast<std::size_t>(i)];
    }
    if (lengthOf(i) >= 1 && p < dataStart) p += (dataStart - p) / lengthOf(i) * lengthOf(i);

    int beat = 0;
    while (p < end && lines.size() < limit) {
        if (p > dataStart) {
            lines.push_back({static_cast<std::int32_t>(p - dataStart), beat == 0 ? kBarLineColour : kBeatLineColour});
            ++beat;
            if (beat == static_cast<int>(2 * table.BeatsOf(i) / table.NoteValueOf(i))) beat = 0;
        }
        const std::int64_t step = lengthOf(i);
        if (step < 1) break;
        p += step;
        if (i < table.separatorCount - 1 && p >= table.start[static_cast<std::size_t>(i + 1)]) {
            ++i;
            p = table.start[static_cast<std::size_t>(i)];
            beat = 0;
        }
    }
    return lines;
}

}  // namespace harkwell
