#include "analysis/HarmonicSalience.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace harkwell {

namespace {

double NoteHz(double note) { return 440.0 * std::exp2((note - 69.0) / 12.0); }

// One tried pitch of a note: the bins nearest to its partials, each with the
// partial's weight. The bins do not change while the notes are taken away,
// so they are worked out once.
struct Pitch {
    int note = 0;
    std::vector<std::uint32_t> bins;
    std::vector<float> weights;
};

class Estimator {
public:
    Estimator(const SpectrumView& spectrum, const SalienceSettings& settings)
        : residual_(spectrum.magnitude.begin(), spectrum.magnitude.end()), binHz_(spectrum.binHz),
          lobe_(static_cast<std::size_t>(std::max(spectrum.lobeBins, 0))), settings_(settings)
    {
        // A partial's peak is sought within half a try's step of its pitch.
        const int steps = std::max(settings_.detuneSteps, 0);
        const double step = steps > 0 ? 2.0 * settings_.detune / steps : 1.0;
        halfStep_ = std::exp2(0.5 * step / 12.0);
        const double top = std::min(settings_.highestPartialHz * halfStep_ / binHz_ + 1.0, double(residual_.size() - 1));
        searched_ = static_cast<std::size_t>(std::max(top, 0.0));
        peak_.resize(searched_ + 1);
        BuildPitches(steps);
        FindPeaks();
    }

    std::vector<NoteSalience> Run()
    {
        std::vector<NoteSalience> found;
        std::vector<bool> taken(128, false);
        while (found.size() < settings_.mostNotes) {
            const Pitch* bestPitch = nullptr;
            double best = 0.0;
            for (const Pitch& pitch : pitches_) {
                if (taken[static_cast<std::size_t>(pitch.note)]) continue;
                const double s = SalienceOf(pitch);
                if (s > best) {
                    best = s;
                    bestPitch = &pitch;
                }
            }
            if (bestPitch == nullptr || !(best > 0.0)) break;
            if (!found.empty() && best < settings_.keepRatio * found.front().salience) break;
            found.push_back({bestPitch->note, best});
            taken[static_cast<std::size_t>(bestPitch->note)] = true;
            Cancel(*bestPitch);
            FindPeaks();
        }
        return found;
    }

private:
    double Weight(double f0, int m) const { return (f0 + settings_.alpha) / (m * f0 + settings_.beta); }

    // Every tried pitch of every note: `steps` + 1 detunings times each stiffness.
    void BuildPitches(int steps)
    {
        const int lowest = std::max(settings_.lowestNote, 0);
        const int highest = std::min(settings_.highestNote, 127);
        for (int note = lowest; note <= highest; ++note) {
            for (int i = 0; i <= steps; ++i) {
                const double offset = steps == 0 ? 0.0 : -settings_.detune + 2.0 * settings_.detune * i / steps;
                const double f0 = NoteHz(note + offset);
                for (double stiffness : settings_.inharmonicity) {
                    Pitch pitch;
                    pitch.note = note;
                    for (int m = 1; m <= settings_.partials; ++m) {
                        const double hz = m * f0 * std::sqrt(1.0 + stiffness * m * m);
                        if (hz > settings_.highestPartialHz) break;
                        const double bin = std::round(hz / binHz_);
                        if (bin < 1.0 || bin > double(searched_)) break;
                        pitch.bins.push_back(static_cast<std::uint32_t>(bin));
                        pitch.weights.push_back(static_cast<float>(Weight(f0, m)));
                    }
                    if (!pitch.bins.empty()) pitches_.push_back(std::move(pitch));
                }
            }
        }
    }

    // For each bin, the highest bin of the residual within half a step of it
    // (and at least the bins either side).
    void FindPeaks()
    {
        for (std::size_t k = 1; k <= searched_; ++k) {
            const double centre = double(k);
            const auto from = static_cast<std::size_t>(std::ceil(std::min(centre / halfStep_, centre - 1.0)));
            const auto to = std::min(static_cast<std::size_t>(std::floor(std::max(centre * halfStep_, centre + 1.0))),
                                     residual_.size() - 1);
            std::size_t peak = std::max<std::size_t>(from, 1);
            for (std::size_t j = peak + 1; j <= to; ++j)
                if (residual_[j] > residual_[peak]) peak = j;
            peak_[k] = static_cast<std::uint32_t>(peak);
        }
    }

    double SalienceOf(const Pitch& pitch) const
    {
        double sum = 0.0;
        for (std::size_t i = 0; i < pitch.bins.size(); ++i) sum += pitch.weights[i] * residual_[peak_[pitch.bins[i]]];
        return sum;
    }

    // Takes the note's partials away. Partial m goes no higher than the mean
    // of its neighbours' peaks: what stands above that belongs to some other
    // note sharing the partial.
    void Cancel(const Pitch& pitch)
    {
        std::vector<std::size_t> peaks;
        std::vector<double> heights;
        for (std::uint32_t bin : pitch.bins) {
            peaks.push_back(peak_[bin]);
            heights.push_back(residual_[peak_[bin]]);
        }
        for (std::size_t i = 0; i < peaks.size(); ++i) {
            double height = heights[i];
            if (i > 0) {
                const double next = i + 1 < heights.size() ? heights[i + 1] : heights[i - 1];
                height = std::min(height, 0.5 * (heights[i - 1] + next));
            }
            const double keep = heights[i] > 0.0 ? 1.0 - height / heights[i] : 0.0;
            // The peak's main lobe goes with it.
            const std::size_t from = peaks[i] >= lobe_ ? peaks[i] - lobe_ : 0;
            const std::size_t to = std::min(peaks[i] + lobe_, residual_.size() - 1);
            for (std::size_t k = from; k <= to; ++k) residual_[k] *= keep;
        }
    }

    std::vector<double> residual_;
    double binHz_;
    std::size_t lobe_;
    const SalienceSettings& settings_;
    double halfStep_ = 1.0;
    std::size_t searched_ = 0;          // the highest bin a partial is sought in
    std::vector<std::uint32_t> peak_;   // bin k: where the peak near k lies
    std::vector<Pitch> pitches_;
};

}  // namespace

std::vector<NoteSalience> EstimateNotes(const SpectrumView& spectrum, const SalienceSettings& settings)
{
    if (spectrum.magnitude.size() < 4 || !(spectrum.binHz > 0.0)) return {};
    return Estimator(spectrum, settings).Run();
}

}  // namespace harkwell
