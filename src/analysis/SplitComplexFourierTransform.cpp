#include "analysis/SplitComplexFourierTransform.h"

#include "analysis/SplitComplex.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace harkwell {

namespace {

using fourier::Firsts;
using fourier::Load;
using fourier::Pair;
using fourier::Seconds;
using fourier::Split;
using fourier::Store;
using fourier::TimesMinusI;

// The four outputs of one radix-4 butterfly of decimation in frequency,
// before their twiddles: the sums of a, b, c, d times powers of -i.
template <class T>
struct FourOutputs {
    Split<T> y0, y1, y2, y3;
};
template <class T>
inline FourOutputs<T> Butterfly(Split<T> a, Split<T> b, Split<T> c, Split<T> d)
{
    const Split<T> t0 = a + c, t1 = a - c, t2 = b + d, t3 = TimesMinusI(b - d);
    return {t0 + t2, t1 + t3, t0 - t2, t1 - t3};
}

// A pass whose stride is at least 2: for each p the points q = 0 .. stride-1
// share one twiddle, so they go two by two.
void TwiddledPassAlongStride(const double* __restrict xr, const double* __restrict xi, double* __restrict yr,
                             double* __restrict yi, std::size_t quarter, std::size_t stride, const double* twiddle)
{
    const std::size_t s = stride;
    for (std::size_t p = 0; p < quarter; ++p) {
        const Split<Pair> w1{Pair{twiddle[p], twiddle[p]}, Pair{twiddle[quarter + p], twiddle[quarter + p]}};
        const double* w = twiddle + 2 * quarter;
        const Split<Pair> w2{Pair{w[p], w[p]}, Pair{w[quarter + p], w[quarter + p]}};
        w += 2 * quarter;
        const Split<Pair> w3{Pair{w[p], w[p]}, Pair{w[quarter + p], w[quarter + p]}};
        const std::size_t in = s * p, out = 4 * s * p, gap = s * quarter;
        for (std::size_t q = 0; q < s; q += 2) {
            const auto y = Butterfly(Load<Pair>(xr, xi, in + q), Load<Pair>(xr, xi, in + gap + q),
                                     Load<Pair>(xr, xi, in + 2 * gap + q), Load<Pair>(xr, xi, in + 3 * gap + q));
            Store(yr, yi, out + q, y.y0);
            Store(yr, yi, out + s + q, w1 * y.y1);
            Store(yr, yi, out + 2 * s + q, w2 * y.y2);
            Store(yr, yi, out + 3 * s + q, w3 * y.y3);
        }
    }
}

// The first pass (stride 1): neighbouring p go together, each with its own
// twiddle, and their four outputs are interleaved on the way out.
void TwiddledFirstPass(const double* __restrict xr, const double* __restrict xi, double* __restrict yr,
                       double* __restrict yi, std::size_t quarter, const double* twiddle)
{
    const double* w1r = twiddle;
    const double* w1i = w1r + quarter;
    const double* w2r = w1i + quarter;
    const double* w2i = w2r + quarter;
    const double* w3r = w2i + quarter;
    const double* w3i = w3r + quarter;
    for (std::size_t p = 0; p < quarter; p += 2) {
        const auto y = Butterfly(Load<Pair>(xr, xi, p), Load<Pair>(xr, xi, quarter + p),
                                 Load<Pair>(xr, xi, 2 * quarter + p), Load<Pair>(xr, xi, 3 * quarter + p));
        const Split<Pair> y0 = y.y0;
        const Split<Pair> y1 = Split<Pair>{Load<Pair>(w1r + p), Load<Pair>(w1i + p)} * y.y1;
        const Split<Pair> y2 = Split<Pair>{Load<Pair>(w2r + p), Load<Pair>(w2i + p)} * y.y2;
        const Split<Pair> y3 = Split<Pair>{Load<Pair>(w3r + p), Load<Pair>(w3i + p)} * y.y3;
        const std::size_t out = 4 * p;
        Store(yr, yi, out, Split<Pair>{Firsts(y0.re, y1.re), Firsts(y0.im, y1.im)});
        Store(yr, yi, out + 2, Split<Pair>{Firsts(y2.re, y3.re), Firsts(y2.im, y3.im)});
        Store(yr, yi, out + 4, Split<Pair>{Seconds(y0.re, y1.re), Seconds(y0.im, y1.im)});
        Store(yr, yi, out + 6, Split<Pair>{Seconds(y2.re, y3.re), Seconds(y2.im, y3.im)});
    }
}

// The last pass, of length 4 or 2, needs no twiddles and writes where it
// reads, so it may run in place (x == y).
template <class T>
void LastRadixFour(const double* xr, const double* xi, double* yr, double* yi, std::size_t s)
{
    constexpr std::size_t lanes = sizeof(T) / sizeof(double);
    for (std::size_t q = 0; q < s; q += lanes) {
        const auto y = Butterfly(Load<T>(xr, xi, q), Load<T>(xr, xi, s + q), Load<T>(xr, xi, 2 * s + q),
                                 Load<T>(xr, xi, 3 * s + q));
        Store(yr, yi, q, y.y0);
        Store(yr, yi, s + q, y.y1);
        Store(yr, yi, 2 * s + q, y.y2);
        Store(yr, yi, 3 * s + q, y.y3);
    }
}

template <class T>
void LastRadixTwo(const double* xr, const double* xi, double* yr, double* yi, std::size_t s)
{
    constexpr std::size_t lanes = sizeof(T) / sizeof(double);
    for (std::size_t q = 0; q < s; q += lanes) {
        const Split<T> a = Load<T>(xr, xi, q), b = Load<T>(xr, xi, s + q);
        Store(yr, yi, q, a + b);
        Store(yr, yi, s + q, a - b);
    }
}

}  // namespace

SplitComplexFourierTransform::SplitComplexFourierTransform(std::size_t m)
    : m_(m), lastLength_(1), workRe_(m), workIm_(m)
{
    const double pi = std::numbers::pi;
    std::size_t length = m;
    for (; length >= 8; length /= 4) {
        const std::size_t quarter = length / 4;
        passes_.push_back({length, m / length, twiddle_.size()});
        for (std::size_t power = 1; power <= 3; ++power) {
            for (std::size_t p = 0; p < quarter; ++p)
                twiddle_.push_back(std::cos(-2.0 * pi * double(power * p) / double(length)));
            for (std::size_t p = 0; p < quarter; ++p)
                twiddle_.push_back(std::sin(-2.0 * pi * double(power * p) / double(length)));
        }
    }
    lastLength_ = length;
}

void SplitComplexFourierTransform::Transform(double* re, double* im)
{
    // The passes go back and forth between the caller's arrays and the work
    // arrays; the last, which may run in place, brings the result home.
    double* fromRe = re;
    double* fromIm = im;
    double* toRe = workRe_.data();
    double* toIm = workIm_.data();
    for (const Pass& pass : passes_) {
        const double* twiddle = twiddle_.data() + pass.twiddles;
        if (pass.stride == 1) TwiddledFirstPass(fromRe, fromIm, toRe, toIm, pass.length / 4, twiddle);
        else TwiddledPassAlongStride(fromRe, fromIm, toRe, toIm, pass.length / 4, pass.stride, twiddle);
        std::swap(fromRe, toRe);
        std::swap(fromIm, toIm);
    }
    const std::size_t stride = m_ / lastLength_;
    if (lastLength_ == 4) {
        if (stride >= 2) LastRadixFour<Pair>(fromRe, fromIm, re, im, stride);
        else LastRadixFour<double>(fromRe, fromIm, re, im, stride);
    } else if (lastLength_ == 2) {
        if (stride >= 2) LastRadixTwo<Pair>(fromRe, fromIm, re, im, stride);
        else LastRadixTwo<double>(fromRe, fromIm, re, im, stride);
    }  // else m is 1, and its transform is itself
}

}  // namespace harkwell
