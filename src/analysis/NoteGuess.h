#pragma once

#include "analysis/HarmonicSalience.h"
#include "analysis/NoteAnalysis.h"
#include "analysis/TuneSamples.h"

#include <string>
#include <vector>

namespace harkwell {

// Which notes sound in a selection: a guess from the spectrum of the whole
// selection (windowed, half-overlapping blocks), whitened and summed along
// each note's partials. It stands beside the key colouring and never changes it.
struct NoteGuess {
    enum class Outcome {
        Guessed,       // `notes` holds the guess, strongest first; none for silence
        TooShort,      // the selection is shorter than the guess can hear
        Unreadable,    // a format the analysis cannot read, or frames beyond the tune
    };
    Outcome outcome = Outcome::TooShort;
    std::vector<NoteSalience> notes;
};

// The shortest selection guessed at a sample rate, in frames.
std::int64_t ShortestGuessedFrames(std::int32_t sampleRate);

NoteGuess GuessNotes(const TuneSamples& tune, const AnalysisRange& range, const SalienceSettings& settings = {});

// The guess as the frequency list shows it, before its notes, each note named
// as the list names it: "Guess 1: 069 [03 A ]" and so on, strongest first, or
// one line that says why there is none.
std::vector<std::string> GuessListLines(const NoteGuess& guess);

// "69 A4": the note number and its name with its octave, middle C being C4,
// as the command line prints the guess.
std::string GuessLine(int note);

}  // namespace harkwell
