#pragma once

#include <cstddef>
#include <vector>

namespace harkwell {

// The discrete Fourier transform of m complex points (m a power of two),
//
//     Z[k] = sum over j = 0 .. m-1 of z[j] * e^(-2 pi i j k / m),
//
// unscaled, on the real and the imaginary parts held in two arrays, in place.
// It is the engine of the real transforms: radix-4 passes that sort their own
// output (no bit reversal), the last one radix-2 when m is no power of four,
// each reading and writing neighbouring points two at a time. Every table is
// built once, by the constructor.
class SplitComplexFourierTransform {
public:
    explicit SplitComplexFourierTransform(std::size_t m);

    std::size_t Size() const { return m_; }
    // `re` and `im` hold Size() values each and take the transform in their place.
    void Transform(double* re, double* im);

private:
    // One radix-4 pass with twiddles: sub-transforms of `length` points, `stride` apart.
    struct Pass {
        std::size_t length;
        std::size_t stride;
        std::size_t twiddles;  // where its w^p, w^2p, w^3p start in twiddle_
    };

    std::size_t m_;
    std::vector<Pass> passes_;
    std::size_t lastLength_;  // 4, 2, or 1 (nothing left) for the pass without twiddles
    std::vector<double> twiddle_;
    std::vector<double> workRe_;
    std::vector<double> workIm_;
};

}  // namespace harkwell
