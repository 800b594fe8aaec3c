#pragma once

#include "common/MessageSink.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace harkwell {

inline constexpr int kNoteCount = 128;
using NoteFrequencyTable = std::array<double, kNoteCount>;

// Beats per minute of a tempo in microseconds per quarter note. A tempo below
// 1000 microseconds reports "General Error" and gives 0.
int TempoToBpm(MessageSink& sink, std::int32_t microsecondsPerQuarter);

// "C", "C#", ... "B" for a MIDI note number (its pitch class).
std::string_view NoteName(int note);

// The frequency half a semitone between two neighbouring notes (their geometric mean).
double NoteBoundary(double f1, double f2);

// Equal temperament, 440 Hz at note 69.
void FillNoteFrequencyTable(NoteFrequencyTable& table);

// numerator * 256 + denominator.
constexpr int PackTimeSignature(int numerator, int denominator) { return numerator * 256 + denominator; }

// The four data bytes of a time-signature meta-event: numerator, denominator as
// a power of two, 18 clocks per click, 8 thirty-seconds per quarter. Callers
// refuse denominators below 2.
void PackTimeSignatureMeta(int packed, std::uint8_t out[4], int& length);

}  // namespace harkwell
