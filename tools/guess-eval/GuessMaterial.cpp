#include "GuessMaterial.h"

#include "platform/FluidSynthRenderer.h"
#include "score/GeneralMidi.h"
#include "score/MidiOutPort.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace harkwell {

namespace {

constexpr int kVelocity = 100;
constexpr double kLevel = 0.5 * 32767.0;

std::vector<std::int16_t> Levelled(const std::vector<double>& sound)
{
    double peak = 0.0;
    for (double x : sound) peak = std::max(peak, std::abs(x));
    std::vector<std::int16_t> samples(sound.size(), 0);
    if (peak > 0.0)
        for (std::size_t i = 0; i < sound.size(); ++i)
            samples[i] = static_cast<std::int16_t>(std::lround(sound[i] / peak * kLevel));
    return samples;
}

}  // namespace

TuneSamples TestPiece::Tune() const
{
    return {reinterpret_cast<const std::uint8_t*>(samples.data()), samples.size() * sizeof(std::int16_t),
            static_cast<std::int32_t>(sampleRate), 1, 16};
}

GuessMaterial::GuessMaterial(std::string soundFont, std::uint32_t sampleRate)
    : renderer_(std::make_unique<FluidSynthRenderer>(std::move(soundFont))), sampleRate_(sampleRate)
{
}

GuessMaterial::~GuessMaterial() = default;

bool GuessMaterial::Render(int program, std::span<const int> notes, TestPiece& piece)
{
    const auto at = [this](double seconds) { return static_cast<std::uint32_t>(seconds * sampleRate_); };
    std::vector<TimedMidiMessage> messages{{0, PackShortMessage(kProgramChangeStatus, program, 0)}};
    for (int note : notes) messages.push_back({at(kOnsetSeconds), PackShortMessage(kNoteOnStatus, note, kVelocity)});
    for (int note : notes) messages.push_back({at(kHeldSeconds), PackShortMessage(kNoteOffStatus, note, 0)});
    std::vector<float> stereo;
    if (!renderer_->Render(messages, sampleRate_, at(kLengthSeconds), stereo)) return false;
    std::vector<double> left(stereo.size() / 2);
    for (std::size_t i = 0; i < left.size(); ++i) left[i] = stereo[2 * i];
    piece.samples = Levelled(left);
    piece.sampleRate = sampleRate_;
    return true;
}

TestPiece InharmonicTone(std::span<const int> notes, double stiffness, std::uint32_t sampleRate, std::uint32_t seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> colour(0.3, 1.0);
    std::uniform_real_distribution<double> phase(0.0, 2.0 * std::numbers::pi);
    const auto frames = static_cast<std::size_t>(GuessMaterial::kLengthSeconds * sampleRate);
    const auto onset = static_cast<std::size_t>(GuessMaterial::kOnsetSeconds * sampleRate);
    std::vector<double> sound(frames, 0.0);
    const double nyquist = 0.45 * sampleRate;
    for (int note : notes) {
        const double f0 = 440.0 * std::exp2((note - 69) / 12.0);
        for (int m = 1; m <= 40; ++m) {
            const double f = m * f0 * std::sqrt(1.0 + stiffness * m * m);
            if (f > nyquist) break;
            const double amplitude = colour(random) / m;
            const double decay = 1.5 + 0.4 * m;  // upper partials die away sooner
            const double start = phase(random);
            for (std::size_t i = onset; i < frames; ++i) {
                const double t = double(i - onset) / sampleRate;
                sound[i] += amplitude * std::exp(-decay * t) * std::sin(2.0 * std::numbers::pi * f * t + start);
            }
        }
    }
    return {Levelled(sound), sampleRate};
}

AnalysisRange HeldRange(const TestPiece& piece, double seconds)
{
    const auto onset = static_cast<std::int64_t>(GuessMaterial::kOnsetSeconds * piece.sampleRate);
    return {0, onset, onset + static_cast<std::int64_t>(seconds * piece.sampleRate)};
}

std::vector<std::array<int, 3>> ThreeNoteChords(std::size_t count, std::uint32_t seed, int lowest, int highest)
{
    static constexpr std::array<std::array<int, 3>, 12> kShapes{{
        {0, 4, 7}, {0, 3, 7}, {0, 3, 8}, {0, 4, 9}, {0, 5, 9}, {0, 5, 8},
        {0, 7, 16}, {0, 7, 15}, {0, 5, 7}, {0, 3, 6}, {0, 4, 10}, {0, 2, 7},
    }};
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::size_t> shape(0, kShapes.size() - 1);
    std::vector<std::array<int, 3>> chords;
    while (chords.size() < count) {
        const std::array<int, 3>& s = kShapes[shape(random)];
        if (highest - s[2] < lowest) continue;
        const int root = std::uniform_int_distribution<int>(lowest, highest - s[2])(random);
        chords.push_back({root + s[0], root + s[1], root + s[2]});
    }
    return chords;
}

bool FirstGuessIs(const NoteGuess& guess, int note)
{
    return !guess.notes.empty() && guess.notes.front().note == note;
}

bool AllAmongFirstGuesses(const NoteGuess& guess, std::span<const int> notes)
{
    const std::size_t first = std::min(guess.notes.size(), notes.size());
    return std::all_of(notes.begin(), notes.end(), [&](int note) {
        return std::any_of(guess.notes.begin(), guess.notes.begin() + static_cast<std::ptrdiff_t>(first),
                           [note](const NoteSalience& n) { return n.note == note; });
    });
}

}  // namespace harkwell
