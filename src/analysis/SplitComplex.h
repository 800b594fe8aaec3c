#pragma once

// What the Fourier transforms share inside: two doubles that go through every
// operation together (one SSE2 register on amd64, plain pairs elsewhere), and
// complex values kept as separate real and imaginary parts, one value or two
// at a time, so that a step over neighbouring points needs no shuffling.

#include <cmath>
#include <cstddef>
#include <numbers>
#include <vector>

namespace harkwell::fourier {

typedef double Pair __attribute__((vector_size(16)));

// Loads and stores that need no alignment: the transforms run on callers' blocks.
inline Pair LoadPair(const double* from)
{
    Pair v;
    __builtin_memcpy(&v, from, sizeof v);
    return v;
}
inline void StorePair(double* to, Pair v) { __builtin_memcpy(to, &v, sizeof v); }
inline Pair Swapped(Pair v) { return __builtin_shufflevector(v, v, 1, 0); }
// (a[0], b[0]) and (a[1], b[1]).
inline Pair Firsts(Pair a, Pair b) { return __builtin_shufflevector(a, b, 0, 2); }
inline Pair Seconds(Pair a, Pair b) { return __builtin_shufflevector(a, b, 1, 3); }

// One complex value (T = double) or two (T = Pair).
template <class T>
struct Split {
    T re, im;
};

template <class T>
inline Split<T> operator+(Split<T> a, Split<T> b) { return {a.re + b.re, a.im + b.im}; }
template <class T>
inline Split<T> operator-(Split<T> a, Split<T> b) { return {a.re - b.re, a.im - b.im}; }
template <class T>
inline Split<T> operator*(Split<T> a, Split<T> b)
{
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}
template <class T>
inline Split<T> TimesMinusI(Split<T> a) { return {a.im, -a.re}; }

template <class T>
inline T Load(const double* from)
{
    if constexpr (sizeof(T) == sizeof(double)) return *from;
    else return LoadPair(from);
}
template <class T>
inline void Store(double* to, T v)
{
    if constexpr (sizeof(T) == sizeof(double)) *to = v;
    else StorePair(to, v);
}
template <class T>
inline Split<T> Load(const double* re, const double* im, std::size_t at)
{
    return {Load<T>(re + at), Load<T>(im + at)};
}
template <class T>
inline void Store(double* re, double* im, std::size_t at, Split<T> v)
{
    Store<T>(re + at, v.re);
    Store<T>(im + at, v.im);
}

// The real transform of 2h values from the complex transform Z of h points
// that holds them in pairs: V[p] = E[p] + W^p O[p], with E = (Z[p] + conj Z[h-p]) / 2,
// O = (Z[p] - conj Z[h-p]) / 2i and W = e^(-2 pi i / 2h); and V[h-p] =
// conj(E[p] - W^p O[p]) from the same two. `halfTwiddle` is W^p / 2.
// The `halfTwiddle` table for a real transform of n values: W^p / 2 for p <= n/4.
inline void FillHalfTwiddles(std::size_t n, std::vector<double>& re, std::vector<double>& im)
{
    re.resize(n / 4 + 1);
    im.resize(n / 4 + 1);
    for (std::size_t p = 0; p <= n / 4; ++p) {
        const double angle = -2.0 * std::numbers::pi * double(p) / double(n);
        re[p] = 0.5 * std::cos(angle);
        im[p] = 0.5 * std::sin(angle);
    }
}

template <class T>
struct MirroredValues {
    Split<T> atP, atMirror;  // V[p], V[h-p]
};
template <class T>
inline MirroredValues<T> UntangleMirrored(Split<T> zp, Split<T> zMirror, Split<T> halfTwiddle)
{
    const Split<T> sum{zp.re + zMirror.re, zp.im - zMirror.im};
    const Split<T> diff{zp.re - zMirror.re, zp.im + zMirror.im};
    const Split<T> even{0.5 * sum.re, 0.5 * sum.im};
    const Split<T> odd = halfTwiddle * TimesMinusI(diff);
    return {even + odd, {even.re - odd.re, odd.im - even.im}};
}

}  // namespace harkwell::fourier
