#include "analysis/NoteGuess.h"

#include "analysis/BlockAverage.h"
#include "analysis/BandWhitening.h"
#include "common/Music.h"

#include <algorithm>

namespace harkwell {

std::int64_t ShortestGuessedFrames(std::int32_t sampleRate)
{
    return static_cast<std::int64_t>(BlockAverage::ShortestStretchAt(sampleRate));
}

NoteGuess GuessNotes(const TuneSamples& tune, const AnalysisRange& range, const SalienceSettings& settings)
{
    NoteGuess guess;
    if (!tune.Readable()) {
        guess.outcome = NoteGuess::Outcome::Unreadable;
        return guess;
    }
    const std::int64_t first = range.dataStart + range.selectionStart;
    // A selection running past the tune is guessed up to the tune's last frame.
    const std::int64_t end = std::min(range.dataStart + range.selectionEnd, tune.FrameCount());
    BlockAverage spectrum(tune.sampleRate);
    if (end - first < static_cast<std::int64_t>(spectrum.ShortestStretch())) return guess;
    std::vector<double> magnitude;
    if (!spectrum.Measure(tune, first, end - first, magnitude)) {
        guess.outcome = NoteGuess::Outcome::Unreadable;
        return guess;
    }
    WhitenBands(magnitude, spectrum.BinHz());
    guess.outcome = NoteGuess::Outcome::Guessed;
    guess.notes = EstimateNotes({magnitude, spectrum.BinHz(), spectrum.LobeBins()}, settings);
    return guess;
}

std::vector<std::string> GuessListLines(const NoteGuess& guess)
{
    switch (guess.outcome) {
    case NoteGuess::Outcome::Guessed: break;
    case NoteGuess::Outcome::TooShort: return {"Guess: the selection is too short"};
    case NoteGuess::Outcome::Unreadable: return {"Guess: this tune's format cannot be read"};
    }
    if (guess.notes.empty()) return {"Guess: no note heard"};
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < guess.notes.size(); ++i)
        lines.push_back("Guess " + std::to_string(i + 1) + ": " + FrequencyListNote(guess.notes[i].note));
    return lines;
}

std::string GuessLine(int note)
{
    std::string line = std::to_string(note);
    line += ' ';
    line += NoteName(note);
    line += std::to_string(note / 12 - 1);
    return line;
}

}  // namespace harkwell
