#pragma once

#include "analysis/RealFourierTransform.h"

#include <cstddef>
#include <vector>

namespace harkwell {

// The discrete sine transform of n real values (n a power of two, at least 2):
//
//     S[k] = sum over j = 0 .. n-1 of a[j] * sin(pi * (j + 1/2) * k / n),  0 < k <= n,
//
// unscaled, in place: S[k] lands in a[k] for 0 < k < n and S[n] in a[0].
//
// It runs in O(n log n): the sine transform is turned into a cosine transform
// of the sign-alternated input, which is one real Fourier transform of length
// n. Every table is built once, by the constructor, so one object serves any
// number of blocks of its size.
class SineTransform {
public:
    explicit SineTransform(std::size_t n);

    std::size_t Size() const { return n_; }
    // `a` holds Size() values.
    void Transform(double* a);

private:
    using Complex = RealFourierTransform::Complex;

    std::size_t n_;
    std::size_t half_;
    RealFourierTransform fourier_;
    std::vector<Complex> shift_;  // (cos, sin) of pi p / (2n), p <= half
    std::vector<double> reordered_;
    std::vector<Complex> spectrum_;
};

}  // namespace harkwell
