#pragma once

#include <cstddef>
#include <vector>

namespace harkwell {

// The discrete Fourier transform of m complex points (m a power of two),
//
//     Z[k] = sum over j = 0 .. m-1 of z[j] * e^(-2 pi i j k / m),
//
// unscaled, in place on the real and the imaginary parts it holds in two arrays.
// It is the engine of the real transforms: radix-8 passes that sort their own
// output (no bit reversal), the last one without twiddles and of radix 8, 4
// or 2, each reading and writing neighbouring points two at a time. Every
// table is built once, by the constructor.
class SplitComplexFourierTransform {
public:
    explicit SplitComplexFourierTransform(std::size_t m);

    std::size_t Size() const { return m_; }
    // The points go into Re() and Im(), Size() values each, and Transform()
    // leaves theirs there.
    double* Re() { return storage_.data(); }
    double* Im() { return storage_.data() + Distance(); }
    const double* Re() const { return storage_.data(); }
    const double* Im() const { return storage_.data() + Distance(); }
    void Transform();

private:
    // One radix-8 pass with twiddles: sub-transforms of `length` points, `stride` apart.
    struct Pass {
        std::size_t length;
        std::size_t stride;
        std::size_t twiddles;  // where its w^rp, r = 1 .. 7, start in twiddle_
    };

    // The four arrays (the points and the work space, each split in two) lie
    // m + 72 apart, not m, so that the rows a pass reads and writes together
    // do not all fall into the same few sets of the processor's cache: at
    // 4096 points that is a tenth of the time.
    std::size_t Distance() const { return m_ + 72; }

    std::size_t m_;
    std::vector<Pass> passes_;
    std::size_t lastLength_;  // 8, 4, 2, or 1 (nothing left) for the pass without twiddles
    std::vector<double> twiddle_;
    std::vector<double> storage_;
};

}  // namespace harkwell
