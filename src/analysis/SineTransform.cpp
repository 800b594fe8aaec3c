#include "analysis/SineTransform.h"

#include "analysis/SplitComplex.h"

#include <cmath>
#include <numbers>

namespace harkwell {

namespace {

using namespace fourier;  // the shared steps of the transforms

// C[p] = Re(e^(-i pi p / 2n) V[p]) lands at n - p, C[n - p] at p.
template <class T>
struct Rotated {
    T atEnd, atStart;  // a[n - p], a[p]
};
template <class T>
inline Rotated<T> Rotate(Split<T> v, T c, T s)
{
    return {c * v.re + s * v.im, s * v.re - c * v.im};
}

}  // namespace

SineTransform::SineTransform(std::size_t n)
    : n_(n), half_(n / 2), complex_(half_), shiftCos_(half_ + 1), shiftSin_(half_ + 1)
{
    const double pi = std::numbers::pi;
    for (std::size_t p = 0; p <= half_; ++p) {
        const double angle = pi * double(p) / (2.0 * double(n_));
        shiftCos_[p] = std::cos(angle);
        shiftSin_[p] = std::sin(angle);
    }
    FillHalfTwiddles(n_, halfTwiddleRe_, halfTwiddleIm_);
}

void SineTransform::Transform(double* a)
{
    // With k = n - m, sin(pi (j + 1/2) k / n) = (-1)^j cos(pi (j + 1/2) m / n):
    // S[n - m] is the cosine transform C[m] of b[j] = (-1)^j a[j]. C comes from
    // the real transform V of v, the even b in order followed by the odd b
    // reversed: C[m] = Re(e^(-i pi m / 2n) V[m]).
    Reorder(a);
    complex_.Transform();
    Untangle(a);
}

// v[i] = a[2i] and v[n-1-i] = -a[2i+1] for i < n/2, packed as the points v[2j] + i v[2j+1].
void SineTransform::Reorder(const double* a)
{
    const std::size_t n = n_, h = half_;
    double* re = complex_.Re();
    double* im = complex_.Im();
    if (h < 4) {
        double v[4];
        for (std::size_t i = 0; i < h; ++i) {
            v[i] = a[2 * i];
            v[n - 1 - i] = -a[2 * i + 1];
        }
        for (std::size_t j = 0; j < h; ++j) {
            re[j] = v[2 * j];
            im[j] = v[2 * j + 1];
        }
        return;
    }
    // a[4j] and a[4j+2] are the point j; a[4j+1] and a[4j+3], negated, the
    // imaginary and real parts of the point h-1-j. Two j at a time.
    for (std::size_t j = 0; j < h / 2; j += 2) {
        const Pair a0 = LoadPair(a + 4 * j), a1 = LoadPair(a + 4 * j + 2);
        const Pair a2 = LoadPair(a + 4 * j + 4), a3 = LoadPair(a + 4 * j + 6);
        StorePair(re + j, Firsts(a0, a2));
        StorePair(im + j, Firsts(a1, a3));
        StorePair(im + h - 2 - j, Swapped(-Seconds(a0, a2)));
        StorePair(re + h - 2 - j, Swapped(-Seconds(a1, a3)));
    }
}

void SineTransform::Untangle(double* a) const
{
    const std::size_t n = n_, h = half_;
    const double* re = complex_.Re();
    const double* im = complex_.Im();
    const double* twr = halfTwiddleRe_.data();
    const double* twi = halfTwiddleIm_.data();
    const double* c = shiftCos_.data();
    const double* s = shiftSin_.data();
    a[0] = re[0] + im[0];                   // C[0] = V[0]
    a[h] = (re[0] - im[0]) * shiftCos_[h];  // C[n/2], V[n/2] real
    // p and h - p come from the same two points; p = h/2 is its own mirror.
    if (h == 2) {
        const auto v = fourier::UntangleMirrored(Load<double>(re, im, 1), Load<double>(re, im, 1),
                                                 Load<double>(twr, twi, 1));
        const auto out = Rotate(v.atP, c[1], s[1]);
        a[n - 1] = out.atEnd;
        a[1] = out.atStart;
        return;
    }
    for (std::size_t p = 1; p < h / 2; p += 2) {
        // Lanes p, p + 1 and their mirrors h - p, h - p - 1.
        const std::size_t mirror = h - p - 1;
        const Split<Pair> zMirror{Swapped(LoadPair(re + mirror)), Swapped(LoadPair(im + mirror))};
        const auto v = fourier::UntangleMirrored(Load<Pair>(re, im, p), zMirror, Load<Pair>(twr, twi, p));
        const auto low = Rotate(v.atP, LoadPair(c + p), LoadPair(s + p));
        const auto high = Rotate(v.atMirror, Swapped(LoadPair(c + mirror)), Swapped(LoadPair(s + mirror)));
        StorePair(a + p, low.atStart);
        StorePair(a + n - p - 1, Swapped(low.atEnd));
        StorePair(a + mirror, Swapped(high.atStart));
        StorePair(a + h + p, high.atEnd);
    }
}

}  // namespace harkwell
