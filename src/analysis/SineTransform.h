#pragma once

#include <complex>
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
// n, done as a split-radix complex transform of n/2 points. Every table is
// built once, by the constructor, so one object serves any number of blocks
// of its size.
class SineTransform {
public:
    explicit SineTransform(std::size_t n);

    std::size_t Size() const { return n_; }
    // `a` holds Size() values.
    void Transform(double* a);

private:
    using Complex = std::complex<double>;

    void SplitRadix(const Complex* in, std::size_t stride, Complex* out, std::size_t m) const;

    std::size_t n_;
    std::size_t half_;
    std::vector<Complex> twiddle_;      // e^(-2 pi i k / half), k < half
    std::vector<Complex> realTwiddle_;  // e^(-2 pi i p / n), p <= half
    std::vector<Complex> shift_;        // (cos, sin) of pi p / (2n), p <= half
    std::vector<Complex> packed_;
    std::vector<Complex> spectrum_;
};

}  // namespace harkwell
