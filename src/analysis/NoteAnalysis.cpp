#include "analysis/NoteAnalysis.h"

#include "common/ErrorReport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace harkwell {

namespace {

constexpr std::string_view kNotMarked = "Area is not marked at all.";
constexpr double kOctaveWeight = 0.4;
constexpr double kFifthWeight = 0.3;
constexpr double kKeyCeiling = 255.0;
constexpr double kListCeiling = 1000.0;

}  // namespace

BlockPlan PlanBlocks(std::int64_t length)
{
    if (length <= 0) return {};
    std::int64_t size = kLargestBlock;
    std::int64_t count = length / size;
    while (count == 0) {
        size /= 2;
        count = length / size;
    }
    return {size, count};
}

NoteFrequencyLookup::NoteFrequencyLookup()
{
    FillNoteFrequencyTable(frequencies_);
    for (std::size_t i = 0; i + 1 < kNoteCount; ++i) boundaries_[i] = NoteBoundary(frequencies_[i], frequencies_[i + 1]);
    lowestCredited_ = NoteBoundary(7.7, 8.2);
    highestCredited_ = NoteBoundary(12543.9, 13289.9);
}

int NoteFrequencyLookup::NearestNote(double frequency, double* noteFrequency) const
{
    int note = kNoteCount - 1;
    if (frequency < (frequencies_[0] + frequencies_[1]) * 0.5) {
        note = 0;
    } else {
        for (std::size_t i = 1; i + 1 < kNoteCount; ++i) {
            if (boundaries_[i - 1] <= frequency && frequency <= boundaries_[i]) {
                note = static_cast<int>(i);
                break;
            }
        }
    }
    if (noteFrequency != nullptr) *noteFrequency = frequencies_[static_cast<std::size_t>(note)];
    return note;
}

int NoteFrequencyLookup::CreditedNote(double frequency) const
{
    if (!(frequency > lowestCredited_ && frequency < highestCredited_)) return -1;
    return NearestNote(frequency);
}

NoteStrengths AnalyzeSelection(MessageSink& messages, const TuneSamples& tune, const AnalysisRange& range)
{
    NoteStrengths strengths{};
    const std::int64_t length = range.selectionEnd - range.selectionStart;
    if (length < 0) return strengths;  // pressed on the waveform, not yet released
    const BlockPlan plan = PlanBlocks(length);
    if (plan.size == 0) {
        ShowPlainMessage(messages, kNotMarked);
        return strengths;
    }
    CFourierTransform transform(messages, plan.size, tune);
    if (!transform.Usable()) return strengths;

    // The note of each coefficient, worked out once for the run.
    const NoteFrequencyLookup lookup;
    const auto bins = transform.BinFrequency();
    std::vector<int> noteOfBin(bins.size());
    for (std::size_t k = 0; k < bins.size(); ++k) noteOfBin[k] = lookup.CreditedNote(bins[k]);

    const std::int64_t first = range.dataStart + range.selectionStart;
    for (std::int64_t block = 0; block < plan.count; ++block) {
        if (!transform.TransformBlock(first + block * plan.size)) continue;
        const auto magnitude = transform.Magnitude();
        for (std::size_t k = 0; k < magnitude.size(); ++k)
            if (noteOfBin[k] >= 0) strengths[static_cast<std::size_t>(noteOfBin[k])] += magnitude[k];
    }
    return strengths;
}

void AddHarmonicWeights(NoteStrengths& strengths)
{
    const NoteStrengths t = strengths;
    const auto at = [&t](int note, int neighbour) {
        return t[static_cast<std::size_t>(neighbour >= 0 && neighbour < kNoteCount ? neighbour : note)];
    };
    for (int i = 0; i < kNoteCount; ++i)
        strengths[static_cast<std::size_t>(i)] = t[static_cast<std::size_t>(i)] + kOctaveWeight * at(i, i - 12) +
                                                 kOctaveWeight * at(i, i + 12) + kFifthWeight * at(i, i + 7);
}

void NormalizeTo(std::span<double> values, double ceiling)
{
    double largest = 0.0;
    for (double value : values) largest = std::max(largest, value);
    if (!(largest > 0.0)) return;
    for (double& value : values) value = value / largest * ceiling;
}

std::array<int, kNoteCount> PartKeyValues(MessageSink& messages, const TuneSamples& tune, const AnalysisRange& range,
                                          PartRange part)
{
    NoteStrengths strengths = AnalyzeSelection(messages, tune, range);
    AddHarmonicWeights(strengths);
    const int lowest = std::clamp(part.lowest, 0, kNoteCount);
    const int highest = std::clamp(part.highest, lowest - 1, kNoteCount - 1);
    NormalizeTo(std::span(strengths).subspan(static_cast<std::size_t>(lowest), static_cast<std::size_t>(highest - lowest + 1)),
                kKeyCeiling);
    std::array<int, kNoteCount> values{};
    for (std::size_t note = 0; note < kNoteCount; ++note) {
        // Raw sums outside the part may exceed any int; the keyboard ignores them anyway.
        values[note] = static_cast<int>(std::min(std::trunc(strengths[note]), 2147483647.0));
    }
    return values;
}

NoteStrengths FrequencyListValues(MessageSink& messages, const TuneSamples& tune, const AnalysisRange& range,
                                  bool includeHarmonics)
{
    NoteStrengths strengths = AnalyzeSelection(messages, tune, range);
    if (includeHarmonics) AddHarmonicWeights(strengths);
    NormalizeTo(strengths, kListCeiling);
    return strengths;
}

std::string FrequencyListNote(int note)
{
    std::string name(NoteName(note));
    if (name.size() == 1) name += ' ';
    char text[32];
    std::snprintf(text, sizeof text, "%03d [%02d %s]", note, note / 12 - 2, name.c_str());
    return text;
}

std::string FrequencyListLine(int note, double strength)
{
    const int value = static_cast<int>(std::clamp(std::trunc(strength), -999.0, 9999999.0));
    char text[32];
    std::snprintf(text, sizeof text, " %04d ", value);
    std::string line = FrequencyListNote(note) + text;
    line.append(static_cast<std::size_t>(std::max(value / 100, 0)), '*');
    return line;
}

std::vector<std::string> FrequencyListLines(const NoteStrengths& strengths)
{
    std::vector<std::string> lines;
    lines.reserve(kNoteCount);
    for (int note = 0; note < kNoteCount; ++note) lines.push_back(FrequencyListLine(note, strengths[static_cast<std::size_t>(note)]));
    return lines;
}

}  // namespace harkwell
