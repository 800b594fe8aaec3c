#include "analysis/RealFourierTransform.h"

#include <cmath>
#include <numbers>

namespace harkwell {

namespace {

using Complex = RealFourierTransform::Complex;

// Plain products: the library's complex product takes a slow path to care
// for infinities, which these transforms never meet.
inline Complex Mul(Complex a, Complex b)
{
    return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}

inline Complex Polar(double angle) { return {std::cos(angle), std::sin(angle)}; }

}  // namespace

RealFourierTransform::RealFourierTransform(std::size_t n)
    : n_(n), half_(n / 2), twiddle_(half_), realTwiddle_(half_ + 1), packed_(half_), spectrum_(half_)
{
    const double pi = std::numbers::pi;
    for (std::size_t k = 0; k < half_; ++k) twiddle_[k] = Polar(-2.0 * pi * double(k) / double(half_));
    for (std::size_t p = 0; p <= half_; ++p) realTwiddle_[p] = Polar(-2.0 * pi * double(p) / double(n_));
}

// Split-radix decimation in time: the even points make a transform of half
// the length, the points 4j+1 and 4j+3 two of a quarter, and one pass of
// butterflies joins the three.
void RealFourierTransform::SplitRadix(const Complex* in, std::size_t stride, Complex* out, std::size_t m) const
{
    if (m == 1) {
        out[0] = in[0];
        return;
    }
    if (m == 2) {
        out[0] = in[0] + in[stride];
        out[1] = in[0] - in[stride];
        return;
    }
    const std::size_t quarter = m / 4;
    SplitRadix(in, 2 * stride, out, m / 2);
    SplitRadix(in + stride, 4 * stride, out + 2 * quarter, quarter);
    SplitRadix(in + 3 * stride, 4 * stride, out + 3 * quarter, quarter);
    const std::size_t step = half_ / m;
    for (std::size_t k = 0; k < quarter; ++k) {
        const Complex a = Mul(twiddle_[k * step], out[2 * quarter + k]);
        const Complex b = Mul(twiddle_[3 * k * step], out[3 * quarter + k]);
        const Complex sum = a + b;
        const Complex diff = a - b;
        const Complex minusIDiff(diff.imag(), -diff.real());
        const Complex u0 = out[k];
        const Complex u1 = out[quarter + k];
        out[k] = u0 + sum;
        out[2 * quarter + k] = u0 - sum;
        out[quarter + k] = u1 + minusIDiff;
        out[3 * quarter + k] = u1 - minusIDiff;
    }
}

void RealFourierTransform::Transform(const double* in, Complex* out)
{
    const std::size_t h = half_;
    for (std::size_t j = 0; j < h; ++j) packed_[j] = Complex(in[2 * j], in[2 * j + 1]);
    SplitRadix(packed_.data(), 1, spectrum_.data(), h);

    // Z = E + i O, with E the transform of the even values and O of the odd:
    // E[p] = (Z[p] + conj Z[h-p]) / 2, O[p] = (Z[p] - conj Z[h-p]) / 2i, and
    // X[p] = E[p] + e^(-2 pi i p / n) O[p].
    const Complex z0 = spectrum_[0];
    out[0] = Complex(z0.real() + z0.imag(), 0.0);
    out[h] = Complex(z0.real() - z0.imag(), 0.0);
    for (std::size_t p = 1; p < h; ++p) {
        const Complex zp = spectrum_[p];
        const Complex zq = std::conj(spectrum_[h - p]);
        const Complex even = 0.5 * (zp + zq);
        const Complex d = zp - zq;
        const Complex odd(0.5 * d.imag(), -0.5 * d.real());
        out[p] = even + Mul(realTwiddle_[p], odd);
    }
}

}  // namespace harkwell
