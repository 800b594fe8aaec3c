#pragma once

#include "analysis/FourierTransform.h"
#include "common/MessageSink.h"
#include "common/Music.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace harkwell {

// One strength per MIDI note number.
using NoteStrengths = std::array<double, kNoteCount>;

// Where the analysed piece lies: the stretch's first frame in the tune and
// the selection in frames from there.
struct AnalysisRange {
    std::int64_t dataStart = 0;
    std::int64_t selectionStart = 0;
    std::int64_t selectionEnd = 0;
};

// The notes of a keyboard part, inclusive.
struct PartRange {
    int lowest = 0;
    int highest = 0;
};
inline constexpr PartRange kLowPart{36, 72};
inline constexpr PartRange kMidPart{60, 96};
inline constexpr PartRange kHighPart{84, 120};

inline constexpr int kLargestBlock = 8192;

// Blocks of a selection: `size` frames each, `count` of them. 8192-frame
// blocks for a selection of at least 8192 frames, else one block of the
// largest power of two not above the length. Size 0: the selection is empty.
struct BlockPlan {
    std::int64_t size = 0;
    std::int64_t count = 0;
};
BlockPlan PlanBlocks(std::int64_t length);

// The equal-tempered note nearest to a frequency.
class NoteFrequencyLookup {
public:
    NoteFrequencyLookup();

    // Below the mean of notes 0 and 1: note 0; above the boundary of notes
    // 126 and 127: note 127. `noteFrequency`, when given, gets the note's own frequency.
    int NearestNote(double frequency, double* noteFrequency = nullptr) const;
    // The note a spectral line of this frequency counts for; -1 outside the
    // analysed range (about 7.946 Hz to 12911.5 Hz, both ends excluded).
    int CreditedNote(double frequency) const;

    const NoteFrequencyTable& Frequencies() const { return frequencies_; }

private:
    NoteFrequencyTable frequencies_{};
    std::array<double, kNoteCount - 1> boundaries_{};
    double lowestCredited_ = 0;
    double highestCredited_ = 0;
};

// The note strengths of the selection: the magnitudes of every whole block,
// summed onto the notes nearest to their frequencies. All 0 for an empty
// selection ("Area is not marked at all."), for a selection whose end lies
// before its start (silently) and for a block size the transform refuses.
NoteStrengths AnalyzeSelection(MessageSink& messages, const TuneSamples& tune, const AnalysisRange& range);

// Each note gains 0.4 of its octave below and above and 0.3 of its fifth
// above; a neighbour beyond 0..127 counts as the note itself.
void AddHarmonicWeights(NoteStrengths& strengths);

// Scales the values so that the largest becomes `ceiling`. When none is
// above 0 the values are left alone.
void NormalizeTo(std::span<double> values, double ceiling);

// What a part button hands to the key colouring: the weighted strengths,
// those of the part scaled to 0..255, all truncated.
std::array<int, kNoteCount> PartKeyValues(MessageSink& messages, const TuneSamples& tune, const AnalysisRange& range,
                                          PartRange part);

// The frequency list's strengths: weighted only when asked, scaled to 0..1000.
NoteStrengths FrequencyListValues(MessageSink& messages, const TuneSamples& tune, const AnalysisRange& range,
                                  bool includeHarmonics);

// One line of the frequency list: "%03d [%02d %s] %04d " with the note, its
// octave (note / 12 - 2), its name two characters wide and the truncated
// strength, then one "*" for every whole 100.
std::string FrequencyListLine(int note, double strength);
// A note as the frequency list names it at the start of its line: "%03d [%02d %s]".
std::string FrequencyListNote(int note);
std::vector<std::string> FrequencyListLines(const NoteStrengths& strengths);

}  // namespace harkwell
