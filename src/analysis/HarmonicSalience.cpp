#include "analysis/HarmonicSalience.h"

#include <algorithm>
#include <cmath>

namespace harkwell {

namespace {

double NoteHz(double note) { return 440.0 * std::exp2((note - 69.0) / 12.0); }

// One tried pitch of a note: its fundamental and stiffness.
struct Candidate {
    double f0 = 0.0;
    double stiffness = 0.0;
};

class Estimator {
public:
    Estimator(const SpectrumView& spectrum, const SalienceSettings& settings)
        : residual_(spectrum.magnitude.begin(), spectrum.magnitude.end()), binHz_(spectrum.binHz),
          lobe_(static_cast<std::size_t>(std::max(spectrum.lobeBins, 0))), settings_(settings)
    {
        // A partial's peak is sought within half a try's step of its pitch.
        const double step = settings_.detuneSteps > 0 ? 2.0 * settings_.detune / settings_.detuneSteps : 1.0;
        halfStep_ = std::exp2(0.5 * step / 12.0);
    }

    std::vector<NoteSalience> Run()
    {
        std::vector<NoteSalience> found;
        std::vector<bool> taken(128, false);
        while (found.size() < settings_.mostNotes) {
            NoteSalience best;
            Candidate bestPitch;
            for (int note = settings_.lowestNote; note <= settings_.highestNote; ++note) {
                if (note < 0 || note > 127 || taken[static_cast<std::size_t>(note)]) continue;
                Candidate pitch;
                const double salience = NoteSalienceOf(note, pitch);
                if (salience > best.salience) {
                    best = {note, salience};
                    bestPitch = pitch;
                }
            }
            if (!(best.salience > 0.0)) break;
            if (!found.empty() && best.salience < settings_.keepRatio * found.front().salience) break;
            found.push_back(best);
            taken[static_cast<std::size_t>(best.note)] = true;
            Cancel(bestPitch);
        }
        return found;
    }

private:
    double Weight(double f0, int m) const { return (f0 + settings_.alpha) / (m * f0 + settings_.beta); }

    double PartialHz(const Candidate& pitch, int m) const
    {
        return m * pitch.f0 * std::sqrt(1.0 + pitch.stiffness * m * m);
    }

    // The bins searched for partial at `hz`: within half a step, and at least the two nearest.
    bool Window(double hz, std::size_t& from, std::size_t& to) const
    {
        const double centre = hz / binHz_;
        const double low = std::min(hz / halfStep_ / binHz_, centre - 0.5);
        const double high = std::max(hz * halfStep_ / binHz_, centre + 0.5);
        if (low < 1.0 || high >= double(residual_.size() - 1)) return false;
        from = static_cast<std::size_t>(std::ceil(low));
        to = static_cast<std::size_t>(std::floor(high));
        return from <= to;
    }

    // The peak bin near a partial, or residual_.size() when there is none.
    std::size_t PeakNear(double hz) const
    {
        std::size_t from = 0, to = 0;
        if (!Window(hz, from, to)) return residual_.size();
        std::size_t peak = from;
        for (std::size_t k = from + 1; k <= to; ++k)
            if (residual_[k] > residual_[peak]) peak = k;
        return peak;
    }

    double SalienceOf(const Candidate& pitch) const
    {
        double sum = 0.0;
        for (int m = 1; m <= settings_.partials; ++m) {
            const double hz = PartialHz(pitch, m);
            if (hz > settings_.highestPartialHz) break;
            const std::size_t peak = PeakNear(hz);
            if (peak >= residual_.size()) break;
            sum += Weight(pitch.f0, m) * residual_[peak];
        }
        return sum;
    }

    double NoteSalienceOf(int note, Candidate& bestPitch) const
    {
        double best = 0.0;
        const int steps = std::max(settings_.detuneSteps, 0);
        for (int i = 0; i <= steps; ++i) {
            const double offset = steps == 0 ? 0.0 : -settings_.detune + 2.0 * settings_.detune * i / steps;
            for (double stiffness : settings_.inharmonicity) {
                const Candidate pitch{NoteHz(note + offset), stiffness};
                const double salience = SalienceOf(pitch);
                if (salience > best) {
                    best = salience;
                    bestPitch = pitch;
                }
            }
        }
        return best;
    }

    // Takes the note's partials away. Partial m goes no higher than the mean
    // of its neighbours' peaks: what stands above that belongs to some other
    // note sharing the partial.
    void Cancel(const Candidate& pitch)
    {
        std::vector<std::size_t> peaks;
        std::vector<double> heights;
        for (int m = 1; m <= settings_.partials; ++m) {
            const double hz = PartialHz(pitch, m);
            if (hz > settings_.highestPartialHz) break;
            const std::size_t peak = PeakNear(hz);
            if (peak >= residual_.size()) break;
            peaks.push_back(peak);
            heights.push_back(residual_[peak]);
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
};

}  // namespace

std::vector<NoteSalience> EstimateNotes(const SpectrumView& spectrum, const SalienceSettings& settings)
{
    if (spectrum.magnitude.size() < 4 || !(spectrum.binHz > 0.0)) return {};
    return Estimator(spectrum, settings).Run();
}

}  // namespace harkwell
