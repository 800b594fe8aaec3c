#pragma once

#include "analysis/SplitComplexFourierTransform.h"

#include <complex>
#include <cstddef>
#include <vector>

namespace harkwell {

// The discrete Fourier transform of n real values (n a power of two, at least 2):
//
//     X[k] = sum over j = 0 .. n-1 of x[j] * e^(-2 pi i j k / n),  0 <= k <= n/2,
//
// unscaled. The other half is the mirror image, X[n - k] = conj X[k].
//
// The n values are packed two to a complex point and go through one complex
// transform of n/2 points; one pass untangles the halves. Every table is
// built once, by the constructor, so one object serves any number of blocks
// of its size.
class RealFourierTransform {
public:
    using Complex = std::complex<double>;

    explicit RealFourierTransform(std::size_t n);

    std::size_t Size() const { return n_; }
    // `in` holds Size() values; `out` takes Size() / 2 + 1.
    void Transform(const double* in, Complex* out);

private:
    std::size_t n_;
    std::size_t half_;
    SplitComplexFourierTransform complex_;
    std::vector<double> halfTwiddleRe_;  // e^(-2 pi i p / n) / 2, p <= n/4
    std::vector<double> halfTwiddleIm_;
};

}  // namespace harkwell
