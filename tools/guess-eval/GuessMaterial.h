#pragma once

#include "analysis/NoteGuess.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace harkwell {

class FluidSynthRenderer;

// Notes and chords to measure the note guess against: sampled instruments of
// General MIDI SoundFonts, rendered offline, and synthetic tones with stiff
// (sharpened) partials. Each piece is 16-bit mono, levelled to half of full
// scale as a recording would be, with the notes struck at Onset().
struct TestPiece {
    std::vector<std::int16_t> samples;
    std::uint32_t sampleRate = 0;

    TuneSamples Tune() const;
};

class GuessMaterial {
public:
    static constexpr double kOnsetSeconds = 0.05;
    static constexpr double kHeldSeconds = 1.3;
    static constexpr double kLengthSeconds = 1.6;

    GuessMaterial(std::string soundFont, std::uint32_t sampleRate);
    ~GuessMaterial();

    // The notes struck together on `program`; false without the synth or SoundFont.
    [[nodiscard]] bool Render(int program, std::span<const int> notes, TestPiece& piece);

    std::uint32_t SampleRate() const { return sampleRate_; }

private:
    std::unique_ptr<FluidSynthRenderer> renderer_;
    std::uint32_t sampleRate_;
};

// Notes whose partial m sounds at m f0 sqrt(1 + B m^2), each decaying, with
// amplitudes falling as 1/m and a random colour; the seed makes it repeatable.
TestPiece InharmonicTone(std::span<const int> notes, double stiffness, std::uint32_t sampleRate, std::uint32_t seed);

// The selection the guess is asked about: `seconds` from the onset on.
AnalysisRange HeldRange(const TestPiece& piece, double seconds);

// Three-note chords, repeatable for a seed: triads and their inversions, open
// and suspended voicings, with the lowest note from `lowest` and the highest
// at most `highest`.
std::vector<std::array<int, 3>> ThreeNoteChords(std::size_t count, std::uint32_t seed, int lowest, int highest);

// Whether the first guess is `note`; whether every one of `notes` is among the first notes.size() guesses.
bool FirstGuessIs(const NoteGuess& guess, int note);
bool AllAmongFirstGuesses(const NoteGuess& guess, std::span<const int> notes);

}  // namespace harkwell
