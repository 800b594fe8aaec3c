#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace harkwell {

// How the notes of a whitened spectrum are told: each candidate note sums the
// peaks found near its partials, weighted (f0 + alpha) / (m f0 + beta) for
// partial m, so that a note's own series outweighs the series of its octave
// below. The strongest note is taken, its partials are taken away from the
// spectrum (no more of each than the neighbouring partials suggest, so that
// a partial shared with another note leaves that note's share), and the next
// is sought in what is left.
struct SalienceSettings {
    int lowestNote = 24;    // C1
    int highestNote = 108;  // C8
    int partials = 40;
    double alpha = 52.0;
    double beta = 320.0;
    double highestPartialHz = 8000.0;
    // Each note is tried this far either side of its equal-tempered pitch, in semitones.
    double detune = 0.4;
    int detuneSteps = 4;  // tries between the two ends
    // Stiff strings sound their partials sharp: f_m = m f0 sqrt(1 + B m^2); these B are tried.
    std::vector<double> inharmonicity{0.0, 0.0001, 0.0002, 0.0004, 0.0008};
    // A note is guessed while its salience is at least this part of the first note's.
    double keepRatio = 0.4;
    std::size_t mostNotes = 6;
};

struct NoteSalience {
    int note = 0;
    double salience = 0.0;
};

// A magnitude spectrum: its bins `binHz` apart, and a lone sine's peak
// `lobeBins` wide either side of its centre (the window's main lobe).
struct SpectrumView {
    std::span<const double> magnitude;
    double binHz = 0.0;
    int lobeBins = 2;
};

// The notes guessed from a spectrum, strongest first. An empty or silent
// spectrum guesses nothing.
std::vector<NoteSalience> EstimateNotes(const SpectrumView& spectrum, const SalienceSettings& settings = {});

}  // namespace harkwell
