#include "analysis/RealFourierTransform.h"

#include "analysis/SplitComplex.h"

namespace harkwell {

namespace {

using namespace fourier;  // the shared steps of the transforms

}  // namespace

RealFourierTransform::RealFourierTransform(std::size_t n)
    : n_(n), half_(n / 2), complex_(half_)
{
    FillHalfTwiddles(n_, halfTwiddleRe_, halfTwiddleIm_);
}

void RealFourierTransform::Transform(const double* in, Complex* out)
{
    const std::size_t h = half_;
    double* re = complex_.Re();
    double* im = complex_.Im();
    // Point j is x[2j] + i x[2j+1].
    if (h == 1) {
        re[0] = in[0];
        im[0] = in[1];
    }
    for (std::size_t j = 0; j + 1 < h; j += 2) {
        const Pair a = LoadPair(in + 2 * j), b = LoadPair(in + 2 * j + 2);
        StorePair(re + j, Firsts(a, b));
        StorePair(im + j, Seconds(a, b));
    }
    complex_.Transform();

    double* x = reinterpret_cast<double*>(out);  // the layout std::complex guarantees
    x[0] = re[0] + im[0];
    x[1] = 0.0;
    x[2 * h] = re[0] - im[0];
    x[2 * h + 1] = 0.0;
    // p and h - p come from the same two points; p = h/2 is its own mirror.
    const double* twr = halfTwiddleRe_.data();
    const double* twi = halfTwiddleIm_.data();
    if (h == 2) {
        const auto v = fourier::UntangleMirrored(Load<double>(re, im, 1), Load<double>(re, im, 1),
                                                 Load<double>(twr, twi, 1));
        x[2] = v.atP.re;
        x[3] = v.atP.im;
        return;
    }
    for (std::size_t p = 1; p < h / 2; p += 2) {
        // Lanes p, p + 1 and their mirrors h - p, h - p - 1.
        const std::size_t mirror = h - p - 1;
        const Split<Pair> zMirror{Swapped(LoadPair(re + mirror)), Swapped(LoadPair(im + mirror))};
        const auto v = fourier::UntangleMirrored(Load<Pair>(re, im, p), zMirror, Load<Pair>(twr, twi, p));
        StorePair(x + 2 * p, Firsts(v.atP.re, v.atP.im));
        StorePair(x + 2 * p + 2, Seconds(v.atP.re, v.atP.im));
        StorePair(x + 2 * (mirror + 1), Firsts(v.atMirror.re, v.atMirror.im));
        StorePair(x + 2 * mirror, Seconds(v.atMirror.re, v.atMirror.im));
    }
}

}  // namespace harkwell
