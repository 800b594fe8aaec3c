#pragma once

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
// The n values are packed two to a complex point and go through one
// split-radix complex transform of n/2 points; one pass untangles the halves.
// Every table is built once, by the constructor, so one object serves any
// number of blocks of its size.
class RealFourierTransform {
public:
    using Complex = std::complex<double>;

    explicit RealFourierTransform(std::size_t n);

    std::size_t Size() const { return n_; }
    // `in` holds Size() values; `out` takes Size() / 2 + 1.
    void Transform(const double* in, Complex* out);

private:
    void SplitRadix(const Complex* in, std::size_t stride, Complex* out, std::size_t m) const;

    std::size_t n_;
    std::size_t half_;
    std::vector<Complex> twiddle_;      // e^(-2 pi i k / half), k < half
    std::vector<Complex> realTwiddle_;  // e^(-2 pi i p / n), p <= half
    std::vector<Complex> packed_;
    std::vector<Complex> spectrum_;
};

}  // namespace harkwell
