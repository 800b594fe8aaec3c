#include "analysis/SplitComplexFourierTransform.h"

#include "analysis/SplitComplex.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace harkwell {

namespace {

using namespace fourier;  // the shared steps of the transforms

template <class T>
struct FourOutputs {
    Split<T> y[4];
};
// The transform of four points, in order.
template <class T>
inline FourOutputs<T> Butterfly(Split<T> a, Split<T> b, Split<T> c, Split<T> d)
{
    const Split<T> t0 = a + c, t1 = a - c, t2 = b + d, t3 = TimesMinusI(b - d);
    return {{t0 + t2, t1 + t3, t0 - t2, t1 - t3}};
}

template <class T>
struct EightOutputs {
    Split<T> y[8];
};
// The transform of eight points, in order: x[k] +- x[k+4] make two transforms
// of four, the differences turned by e^(-2 pi i k / 8) first.
template <class T>
inline EightOutputs<T> Butterfly(const Split<T> (&x)[8])
{
    constexpr double root = std::numbers::sqrt2 / 2;
    const Split<T> d1 = x[1] - x[5], d3 = x[3] - x[7];
    const Split<T> e1{root * (d1.re + d1.im), root * (d1.im - d1.re)};
    const Split<T> e3{root * (d3.im - d3.re), -root * (d3.re + d3.im)};
    const auto even = Butterfly(x[0] + x[4], x[1] + x[5], x[2] + x[6], x[3] + x[7]);
    const auto odd = Butterfly(x[0] - x[4], e1, TimesMinusI(x[2] - x[6]), e3);
    return {{even.y[0], odd.y[0], even.y[1], odd.y[1], even.y[2], odd.y[2], even.y[3], odd.y[3]}};
}

// A pass whose stride is at least 2: for each p the points q = 0 .. stride-1
// share their twiddles, stored twice over so that each loads as a pair.
void TwiddledPassAlongStride(const double* __restrict xr, const double* __restrict xi, double* __restrict yr,
                             double* __restrict yi, std::size_t eighth, std::size_t s, const double* twiddle)
{
    const std::size_t gap = s * eighth;
    for (std::size_t p = 0; p < eighth; ++p) {
        const double* w = twiddle + 28 * p;  // w^rp for r = 1 .. 7: re re im im
        const std::size_t in = s * p, out = 8 * s * p;
        for (std::size_t q = 0; q < s; q += 2) {
            Split<Pair> x[8];
            for (std::size_t k = 0; k < 8; ++k) x[k] = Load<Pair>(xr, xi, in + k * gap + q);
            const auto y = Butterfly(x);
            Store(yr, yi, out + q, y.y[0]);
            for (std::size_t r = 1; r < 8; ++r) {
                const Split<Pair> wr{LoadPair(w + 4 * (r - 1)), LoadPair(w + 4 * (r - 1) + 2)};
                Store(yr, yi, out + r * s + q, wr * y.y[r]);
            }
        }
    }
}

// The first pass (stride 1): neighbouring p go together, each with its own
// twiddles, and their eight outputs are interleaved on the way out.
void TwiddledFirstPass(const double* __restrict xr, const double* __restrict xi, double* __restrict yr,
                       double* __restrict yi, std::size_t eighth, const double* twiddle)
{
    for (std::size_t p = 0; p < eighth; p += 2) {
        Split<Pair> x[8];
        for (std::size_t k = 0; k < 8; ++k) x[k] = Load<Pair>(xr, xi, k * eighth + p);
        const auto y = Butterfly(x);
        Split<Pair> z[8];
        z[0] = y.y[0];
        for (std::size_t r = 1; r < 8; ++r) {
            const double* w = twiddle + 2 * (r - 1) * eighth;  // w^rp: all re, then all im
            z[r] = Split<Pair>{LoadPair(w + p), LoadPair(w + eighth + p)} * y.y[r];
        }
        const std::size_t out = 8 * p;
        for (std::size_t r = 0; r < 8; r += 2) {
            Store(yr, yi, out + r, Split<Pair>{Firsts(z[r].re, z[r + 1].re), Firsts(z[r].im, z[r + 1].im)});
            Store(yr, yi, out + 8 + r, Split<Pair>{Seconds(z[r].re, z[r + 1].re), Seconds(z[r].im, z[r + 1].im)});
        }
    }
}

// The last pass, of length 8, 4 or 2, needs no twiddles and writes where it
// reads, so it may run in place (x == y).
template <class T>
void LastRadixEight(const double* xr, const double* xi, double* yr, double* yi, std::size_t s)
{
    constexpr std::size_t lanes = sizeof(T) / sizeof(double);
    for (std::size_t q = 0; q < s; q += lanes) {
        Split<T> x[8];
        for (std::size_t k = 0; k < 8; ++k) x[k] = Load<T>(xr, xi, k * s + q);
        const auto y = Butterfly(x);
        for (std::size_t r = 0; r < 8; ++r) Store(yr, yi, r * s + q, y.y[r]);
    }
}

template <class T>
void LastRadixFour(const double* xr, const double* xi, double* yr, double* yi, std::size_t s)
{
    constexpr std::size_t lanes = sizeof(T) / sizeof(double);
    for (std::size_t q = 0; q < s; q += lanes) {
        const auto y = Butterfly(Load<T>(xr, xi, q), Load<T>(xr, xi, s + q), Load<T>(xr, xi, 2 * s + q),
                                 Load<T>(xr, xi, 3 * s + q));
        for (std::size_t r = 0; r < 4; ++r) Store(yr, yi, r * s + q, y.y[r]);
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

template <class T>
void LastPass(std::size_t length, const double* xr, const double* xi, double* yr, double* yi, std::size_t s)
{
    if (length == 8) LastRadixEight<T>(xr, xi, yr, yi, s);
    else if (length == 4) LastRadixFour<T>(xr, xi, yr, yi, s);
    else if (length == 2) LastRadixTwo<T>(xr, xi, yr, yi, s);
    // else m is 1, and its transform is itself
}

}  // namespace

SplitComplexFourierTransform::SplitComplexFourierTransform(std::size_t m)
    : m_(m), lastLength_(1), storage_(4 * Distance())
{
    const double pi = std::numbers::pi;
    // Component by component (all re, then all im) for the passes that take
    // neighbouring p together; for the others each twiddle twice over.
    const auto addTwiddles = [this, pi](std::size_t length, bool alongP) {
        const std::size_t eighth = length / 8;
        const auto angle = [&](std::size_t r, std::size_t p) { return -2.0 * pi * double(r * p) / double(length); };
        if (alongP) {
            for (std::size_t r = 1; r < 8; ++r) {
                for (std::size_t p = 0; p < eighth; ++p) twiddle_.push_back(std::cos(angle(r, p)));
                for (std::size_t p = 0; p < eighth; ++p) twiddle_.push_back(std::sin(angle(r, p)));
            }
            return;
        }
        for (std::size_t p = 0; p < eighth; ++p) {
            for (std::size_t r = 1; r < 8; ++r) {
                const double c = std::cos(angle(r, p)), s = std::sin(angle(r, p));
                twiddle_.insert(twiddle_.end(), {c, c, s, s});
            }
        }
    };
    std::size_t length = m;
    for (; length >= 16; length /= 8) {
        passes_.push_back({length, m / length, twiddle_.size()});
        addTwiddles(length, m / length == 1);
    }
    lastLength_ = length;
}

void SplitComplexFourierTransform::Transform()
{
    double* re = Re();
    double* im = Im();
    // The passes go back and forth between the points and the work space;
    // the last, which may run in place, brings the result home.
    double* fromRe = re;
    double* fromIm = im;
    double* toRe = storage_.data() + 2 * Distance();
    double* toIm = storage_.data() + 3 * Distance();
    for (const Pass& pass : passes_) {
        const double* twiddle = twiddle_.data() + pass.twiddles;
        if (pass.stride == 1) TwiddledFirstPass(fromRe, fromIm, toRe, toIm, pass.length / 8, twiddle);
        else TwiddledPassAlongStride(fromRe, fromIm, toRe, toIm, pass.length / 8, pass.stride, twiddle);
        std::swap(fromRe, toRe);
        std::swap(fromIm, toIm);
    }
    const std::size_t stride = m_ / lastLength_;
    if (stride >= 2) LastPass<Pair>(lastLength_, fromRe, fromIm, re, im, stride);
    else LastPass<double>(lastLength_, fromRe, fromIm, re, im, stride);
}

}  // namespace harkwell
