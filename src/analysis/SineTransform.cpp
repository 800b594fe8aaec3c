#include "analysis/SineTransform.h"

#include <cmath>
#include <numbers>

namespace harkwell {

SineTransform::SineTransform(std::size_t n)
    : n_(n), half_(n / 2), fourier_(n), shift_(half_ + 1), reordered_(n), spectrum_(half_ + 1)
{
    const double pi = std::numbers::pi;
    for (std::size_t p = 0; p <= half_; ++p) {
        const double angle = pi * double(p) / (2.0 * double(n_));
        shift_[p] = Complex(std::cos(angle), std::sin(angle));
    }
}

void SineTransform::Transform(double* a)
{
    // With k = n - m, sin(pi (j + 1/2) k / n) = (-1)^j cos(pi (j + 1/2) m / n):
    // S[n - m] is the cosine transform C[m] of b[j] = (-1)^j a[j]. C comes from
    // the real transform V of v, the even b in order followed by the odd b
    // reversed: C[m] = Re(e^(-i pi m / 2n) V[m]).
    const std::size_t n = n_;
    const std::size_t h = half_;
    for (std::size_t i = 0; i < h; ++i) {
        reordered_[i] = a[2 * i];
        reordered_[n - 1 - i] = -a[2 * i + 1];
    }
    fourier_.Transform(reordered_.data(), spectrum_.data());

    a[0] = spectrum_[0].real();                      // C[0] = V[0]
    a[h] = spectrum_[h].real() * shift_[h].real();   // C[n/2], V[n/2] real
    for (std::size_t p = 1; p < h; ++p) {
        const Complex vp = spectrum_[p];
        const double c = shift_[p].real();
        const double s = shift_[p].imag();
        // C[p] lands at k = n - p, C[n - p] (V[n - p] = conj V[p]) at k = p.
        a[n - p] = c * vp.real() + s * vp.imag();
        a[p] = s * vp.real() - c * vp.imag();
    }
}

}  // namespace harkwell
