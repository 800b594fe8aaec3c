#include "app/SyncCheck.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace harkwell {

namespace {

constexpr double kClickHz = 10000.0;
constexpr std::uint32_t kClickFrames = 88;  // 2 ms
constexpr std::uint32_t kClickSwell = 11;
constexpr double kClickLevel = 0.6;
constexpr double kLowBandHz = 800.0;
constexpr int kLowPoles = 4;
constexpr double kOnsetShare = 0.1;
constexpr double kRiseShare = 0.25;
constexpr double kLeastRise = 100;  // about −50 dB of full scale
constexpr double kLeastGapSeconds = 0.2;

// Where sounds begin in a band: a sound begins where the band's level rises
// above all it reached in the 10 ms before (a note may start while the last
// one still rings), at the sample where the rise first reaches a fifth of
// its height, `delay` frames earlier (the band filter's own delay).
std::vector<std::uint32_t> Onsets(const std::vector<double>& band, std::uint32_t sampleRate, std::uint32_t delay)
{
    std::vector<std::uint32_t> onsets;
    const std::size_t block = std::max<std::size_t>(1, sampleRate / 1000);  // about a millisecond
    constexpr std::size_t kHold = 10;       // blocks: longer than a low note's period
    constexpr std::size_t kLookAhead = 20;  // blocks after a rise's start: the sound's first peak
    const std::size_t blocks = band.size() / block;
    if (blocks <= kHold + 1) return onsets;
    // The loudest sample of each block, and the loudest of the blocks before one.
    std::vector<double> peak(blocks, 0.0);
    for (std::size_t b = 0; b < blocks; ++b)
        for (std::size_t i = b * block; i < (b + 1) * block; ++i) peak[b] = std::max(peak[b], std::abs(band[i]));
    const auto before = [&](std::size_t b) {
        return *std::max_element(peak.begin() + static_cast<std::ptrdiff_t>(b - kHold),
                                 peak.begin() + static_cast<std::ptrdiff_t>(b));
    };
    std::vector<double> rise(blocks, 0.0);
    double highest = 0;
    for (std::size_t b = kHold; b < blocks; ++b) {
        rise[b] = peak[b] - before(b);
        highest = std::max(highest, rise[b]);
    }
    if (highest < kLeastRise) return onsets;  // nothing but noise in this band
    const auto gap = static_cast<std::size_t>(kLeastGapSeconds * 1000);
    for (std::size_t b = kHold + 1; b < blocks; ++b) {
        if (rise[b] < kRiseShare * highest || (!onsets.empty() && b * block < onsets.back() + gap * block)) continue;
        // Back to where this rise began.
        std::size_t first = b;
        while (first > kHold + 1 && rise[first - 1] > 0) --first;
        const double base = before(first);
        const double top = *std::max_element(peak.begin() + static_cast<std::ptrdiff_t>(first),
                                             peak.begin() + static_cast<std::ptrdiff_t>(std::min(blocks, first + kLookAhead)));
        const double level = base + kOnsetShare * (top - base);
        std::size_t i = first * block;
        while (i < band.size() && std::abs(band[i]) < level) ++i;
        onsets.push_back(static_cast<std::uint32_t>(i > delay ? i - delay : 0));
    }
    return onsets;
}

}  // namespace

SyncCheckMaterial MakeSyncCheckMaterial()
{
    SyncCheckMaterial material;
    constexpr std::uint32_t rate = SyncCheckMaterial::kSampleRate;
    material.format = {kWaveFormatPcm, 1, rate, rate * 2, 2, 16};
    material.clicks.assign(std::size_t{SyncCheckMaterial::kBeatFrames} * (SyncCheckMaterial::kBeats + 1), 0);
    for (int beat = 0; beat < SyncCheckMaterial::kBeats; ++beat) {
        const std::size_t first = std::size_t{SyncCheckMaterial::kBeatFrames} * static_cast<std::size_t>(beat);
        for (std::uint32_t i = 0; i < kClickFrames; ++i) {
            // A sine that swells within a quarter of a millisecond and dies
            // away: sharp to the ear, with nothing in the notes' low band.
            const double t = static_cast<double>(i);
            const double swell = i < kClickSwell ? 0.5 - 0.5 * std::cos(std::numbers::pi * t / kClickSwell) : 1.0;
            const double edge = 1.0 - t / kClickFrames;
            const double wave = std::sin(2 * std::numbers::pi * kClickHz * t / rate);
            material.clicks[first + i] = static_cast<std::int16_t>(std::lround(32767 * kClickLevel * swell * edge * wave));
        }
    }
    material.separators.ChangeBaseNote(0, 1);  // a quarter note
    (void)material.separators.SetBaseLength(0, static_cast<std::int32_t>(SyncCheckMaterial::kBeatFrames));
    for (int beat = 0; beat < SyncCheckMaterial::kBeats; ++beat) {
        material.bar.SetCursor(beat * 4);
        (void)material.bar.Write(SyncCheckMaterial::kNote, 1);
    }
    return material;
}

std::vector<std::uint32_t> ClickOnsets(std::span<const std::int16_t> samples, std::uint32_t sampleRate)
{
    // The fourth difference: about 3 times the level at 10 kHz, a thousandth below 2 kHz.
    std::vector<double> band(samples.size(), 0.0);
    for (std::size_t i = 4; i < samples.size(); ++i)
        band[i] = samples[i] - 4.0 * samples[i - 1] + 6.0 * samples[i - 2] - 4.0 * samples[i - 3] + samples[i - 4];
    return Onsets(band, sampleRate, 0);
}

std::vector<std::uint32_t> NoteOnsets(std::span<const std::int16_t> samples, std::uint32_t sampleRate)
{
    // Four one-pole low passes: the clicks fall below a ten-thousandth.
    const double a = std::exp(-2 * std::numbers::pi * kLowBandHz / sampleRate);
    std::vector<double> band(samples.begin(), samples.end());
    for (int pole = 0; pole < kLowPoles; ++pole) {
        double y = 0;
        for (double& v : band) v = y = (1 - a) * v + a * y;
    }
    // Each pole delays the low band by a / (1 - a) frames.
    const auto delay = static_cast<std::uint32_t>(std::lround(kLowPoles * a / (1 - a)));
    return Onsets(band, sampleRate, delay);
}

std::optional<SyncMeasurement> MeasureSync(std::span<const std::int16_t> recording, std::uint32_t sampleRate,
                                           double speed)
{
    const std::vector<std::uint32_t> clicks = ClickOnsets(recording, sampleRate);
    const std::vector<std::uint32_t> notes = NoteOnsets(recording, sampleRate);
    if (clicks.empty() || notes.empty() || sampleRate == 0 || !(speed > 0)) return std::nullopt;
    const double msPerFrame = 1000.0 / sampleRate;
    SyncMeasurement measurement;
    measurement.offsetMs = (static_cast<double>(notes.front()) - clicks.front()) * msPerFrame;
    const double beatFrames = SyncCheckMaterial::kBeatFrames * (static_cast<double>(sampleRate) /
                                                                SyncCheckMaterial::kSampleRate) / speed;
    // Each beat's note is the one nearest to the beat's place on the grid.
    for (int beat = 0; beat < SyncCheckMaterial::kBeats; ++beat) {
        const double place = clicks.front() + beat * beatFrames;
        double nearest = notes.front();
        for (std::uint32_t note : notes)
            if (std::abs(note - place) < std::abs(nearest - place)) nearest = note;
        measurement.gridErrorsMs.push_back((nearest - place) * msPerFrame);
    }
    return measurement;
}

}  // namespace harkwell
