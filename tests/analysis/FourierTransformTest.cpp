#include "analysis/FourierTransform.h"
#include "analysis/RealFourierTransform.h"
#include "analysis/SineTransform.h"

#include "fakes/RecordingMessageSink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <vector>

namespace harkwell {
namespace {

using testing::RecordingMessageSink;

// S[k] = sum a[j] sin(pi (j + 1/2) k / n) for 0 < k <= n, summed directly; the
// angle is reduced exactly, as (2j + 1) k modulo 4n quarter-turns of 2n.
std::vector<double> DirectSineSums(const std::vector<double>& a)
{
    const std::size_t n = a.size();
    std::vector<double> sine(4 * n);
    for (std::size_t m = 0; m < 4 * n; ++m) sine[m] = std::sin(std::numbers::pi * double(m) / double(2 * n));
    std::vector<double> s(n + 1, 0.0);
    for (std::size_t k = 1; k <= n; ++k) {
        double sum = 0.0;
        for (std::size_t j = 0; j < n; ++j) sum += a[j] * sine[((2 * j + 1) * k) % (4 * n)];
        s[k] = sum;
    }
    return s;
}

// The transform's layout: S[k] in a[k] for 0 < k < n, S[n] in a[0].
double RelativeError(const std::vector<double>& fast, const std::vector<double>& direct)
{
    const std::size_t n = fast.size();
    double largest = 0.0, error = 0.0;
    for (std::size_t k = 1; k <= n; ++k) {
        const double got = fast[k % n];
        largest = std::max(largest, std::abs(direct[k]));
        error = std::max(error, std::abs(got - direct[k]));
    }
    return error / largest;
}

TEST(SineTransform, EqualsTheDirectSumForEveryPowerOfTwoUpTo8192)
{
    std::mt19937 random(12345);
    std::uniform_real_distribution<double> value(-32768.0, 32767.0);
    for (std::size_t n = 2; n <= 8192; n *= 2) {
        std::vector<double> a(n);
        for (double& x : a) x = value(random);
        const std::vector<double> direct = DirectSineSums(a);
        SineTransform transform(n);
        transform.Transform(a.data());
        EXPECT_LE(RelativeError(a, direct), 1e-9) << "n = " << n;
        // The same object serves the next block just as well.
        for (double& x : a) x = value(random);
        const std::vector<double> again = DirectSineSums(a);
        transform.Transform(a.data());
        EXPECT_LE(RelativeError(a, again), 1e-9) << "second block, n = " << n;
    }
}

TEST(SineTransform, PutsASingleCosineOfTheSumsFrequencyIntoItsCoefficient)
{
    // sin(pi (j + 1/2) k / n) for k = 5 is orthogonal to every other k < n:
    // only coefficient 5 is left, with n / 2.
    const std::size_t n = 64;
    std::vector<double> a(n);
    for (std::size_t j = 0; j < n; ++j) a[j] = std::sin(std::numbers::pi * (double(j) + 0.5) * 5.0 / double(n));
    SineTransform(n).Transform(a.data());
    for (std::size_t k = 0; k < n; ++k) EXPECT_NEAR(a[k], k == 5 ? 32.0 : 0.0, 1e-9) << k;
}

TEST(RealFourierTransform, EqualsTheDirectSumForEveryPowerOfTwoUpTo8192)
{
    std::mt19937 random(54321);
    std::uniform_real_distribution<double> value(-32768.0, 32767.0);
    for (std::size_t n = 2; n <= 8192; n *= 2) {
        RealFourierTransform transform(n);
        for (int round = 0; round < 2; ++round) {  // the same object serves the next block
            std::vector<double> x(n);
            for (double& v : x) v = value(random);
            std::vector<std::complex<double>> fast(n / 2 + 1);
            transform.Transform(x.data(), fast.data());
            double largest = 0.0, error = 0.0;
            for (std::size_t k = 0; k <= n / 2; ++k) {
                std::complex<double> sum = 0.0;
                for (std::size_t j = 0; j < n; ++j)
                    sum += x[j] * std::polar(1.0, -2.0 * std::numbers::pi * double((j * k) % n) / double(n));
                largest = std::max(largest, std::abs(sum));
                error = std::max(error, std::abs(fast[k] - sum));
            }
            EXPECT_LE(error / largest, 1e-9) << "n = " << n << ", block " << round;
        }
    }
}

TEST(CFourierTransform, IsPowerOfTwo)
{
    for (std::int64_t n : {0, 1, 3, 6, -2, 8191}) EXPECT_FALSE(CFourierTransform::IsPowerOfTwo(n)) << n;
    for (std::int64_t n : {2, 4, 1024, 8192}) EXPECT_TRUE(CFourierTransform::IsPowerOfTwo(n)) << n;
}

struct Tune {
    std::vector<std::uint8_t> bytes;
    TuneSamples View(std::int32_t channels, std::int32_t bits, std::int32_t rate = 44100) const
    {
        return {bytes.data(), bytes.size(), rate, channels, bits};
    }
};

Tune Pcm16(const std::vector<std::int16_t>& samples)
{
    Tune tune;
    for (std::int16_t s : samples) {
        tune.bytes.push_back(static_cast<std::uint8_t>(s & 0xFF));
        tune.bytes.push_back(static_cast<std::uint8_t>((s >> 8) & 0xFF));
    }
    return tune;
}

std::vector<std::int16_t> Sine(double frequency, std::size_t frames, double amplitude = 10000.0)
{
    std::vector<std::int16_t> samples(frames);
    for (std::size_t i = 0; i < frames; ++i)
        samples[i] = static_cast<std::int16_t>(amplitude * std::sin(2.0 * std::numbers::pi * frequency * double(i) / 44100.0));
    return samples;
}

TEST(CFourierTransform, LabelsEachCoefficientWithTheFrequencyItMeasures)
{
    RecordingMessageSink messages;
    const Tune tune = Pcm16(std::vector<std::int16_t>(2 * 20000, 0));
    const CFourierTransform big(messages, 8192, tune.View(2, 16));
    ASSERT_EQ(big.BinFrequency().size(), 4096u);
    EXPECT_EQ(big.BinFrequency()[0], 0);
    EXPECT_EQ(big.BinFrequency()[1], 2);       // 44100 / 16384 = 2.69
    EXPECT_EQ(big.BinFrequency()[4095], 11022);  // just below half the rate
    EXPECT_EQ(big.FrameCount(), 20000);

    // A steady 440 Hz tone peaks at k = 440 * 2n / rate = 20.4, labelled 430 Hz.
    const Tune tone = Pcm16(Sine(440.0, 4096));
    CFourierTransform transform(messages, 1024, tone.View(1, 16));
    ASSERT_TRUE(transform.TransformBlock(1000));
    const auto magnitude = transform.Magnitude();
    const auto peak = std::max_element(magnitude.begin(), magnitude.end()) - magnitude.begin();
    EXPECT_EQ(peak, 20);
    EXPECT_EQ(transform.BinFrequency()[20], 430);
    EXPECT_TRUE(messages.messages.empty());
}

// The magnitudes the transform must give for a block it read as `block`.
std::vector<double> ExpectedMagnitudes(const std::vector<std::int16_t>& block)
{
    const std::vector<double> s = DirectSineSums(std::vector<double>(block.begin(), block.end()));
    const std::size_t n = block.size();
    std::vector<double> magnitude(n / 2);
    for (std::size_t k = 0; k < n / 2; ++k) magnitude[k] = std::abs(std::trunc((k == 0 ? s[n] : s[k]) / 256.0));
    return magnitude;
}

void ExpectMagnitudes(const CFourierTransform& transform, const std::vector<std::int16_t>& block)
{
    const std::vector<double> expected = ExpectedMagnitudes(block);
    const auto got = transform.Magnitude();
    ASSERT_EQ(got.size(), expected.size());
    // Truncation may fall either side of a whole number when a sum lands on one.
    for (std::size_t k = 0; k < expected.size(); ++k) EXPECT_NEAR(got[k], expected[k], 1.0) << k;
}

TEST(CFourierTransform, ReadsTheFirstChannelOf16BitFramesAndUnsigned8BitSamples)
{
    RecordingMessageSink messages;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> sample(-32768, 32767);
    const std::size_t n = 64, frames = 200, start = 30;

    std::vector<std::int16_t> interleaved(2 * frames);
    for (auto& s : interleaved) s = static_cast<std::int16_t>(sample(random));
    const Tune stereo = Pcm16(interleaved);
    CFourierTransform fromStereo(messages, n, stereo.View(2, 16));
    ASSERT_TRUE(fromStereo.TransformBlock(start));
    std::vector<std::int16_t> left(n);
    for (std::size_t i = 0; i < n; ++i) left[i] = interleaved[2 * (start + i)];
    EXPECT_EQ(std::vector<std::int16_t>(fromStereo.Samples().begin(), fromStereo.Samples().end()), left);
    ExpectMagnitudes(fromStereo, left);

    Tune eightBit;
    for (std::size_t i = 0; i < frames; ++i) eightBit.bytes.push_back(static_cast<std::uint8_t>(i * 37 % 256));
    CFourierTransform fromBytes(messages, n, eightBit.View(1, 8));
    ASSERT_TRUE(fromBytes.TransformBlock(start));
    // Unsigned bytes enter as signed 16-bit values: silence (128) is 0.
    std::vector<std::int16_t> signedSamples(n);
    for (std::size_t i = 0; i < n; ++i)
        signedSamples[i] = static_cast<std::int16_t>((int{eightBit.bytes[start + i]} - 128) * 256);
    EXPECT_EQ(std::vector<std::int16_t>(fromBytes.Samples().begin(), fromBytes.Samples().end()), signedSamples);
    ExpectMagnitudes(fromBytes, signedSamples);
    EXPECT_TRUE(messages.messages.empty());
}

TEST(CFourierTransform, AFullScaleBlockGivesLargePositiveMagnitudes)
{
    RecordingMessageSink messages;
    std::vector<std::int16_t> square(8200);
    for (std::size_t i = 0; i < square.size(); ++i) square[i] = (i / 8) % 2 == 0 ? 32767 : -32768;
    const Tune tune = Pcm16(square);
    CFourierTransform transform(messages, 8192, tune.View(1, 16));
    ASSERT_TRUE(transform.TransformBlock(0));
    const auto magnitude = transform.Magnitude();
    EXPECT_GT(*std::max_element(magnitude.begin(), magnitude.end()), 32767.0 * 10);
    EXPECT_GE(*std::min_element(magnitude.begin(), magnitude.end()), 0.0);
}

TEST(CFourierTransform, RefusesABlockThatDoesNotEndBeforeTheLastFrame)
{
    RecordingMessageSink messages;
    const Tune tune = Pcm16(Sine(440.0, 1000));
    CFourierTransform transform(messages, 512, tune.View(1, 16));
    EXPECT_TRUE(transform.TransformBlock(1000 - 512 - 1));
    EXPECT_TRUE(messages.messages.empty());
    for (std::int64_t start : {std::int64_t{1000 - 512}, std::int64_t{900}, std::int64_t{-1}}) {
        messages.messages.clear();
        EXPECT_FALSE(transform.TransformBlock(start)) << start;
        ASSERT_EQ(messages.messages.size(), 1u) << start;
        EXPECT_EQ(messages.messages[0].text, "CFourierTransform:変換範囲に誤りがあります。");
        EXPECT_EQ(messages.messages[0].kind, MessageKind::SystemModal);
        for (double m : transform.Magnitude()) ASSERT_EQ(m, 0.0) << "a refused block counts for nothing";
    }
}

TEST(CFourierTransform, RefusesSizesThatAreNoPowerOfTwoAndFormatsItCannotRead)
{
    const Tune tune = Pcm16(Sine(440.0, 1000));
    for (std::int64_t n : {1, 3, 0}) {
        RecordingMessageSink messages;
        CFourierTransform transform(messages, n, tune.View(1, 16));
        EXPECT_FALSE(transform.Usable());
        EXPECT_FALSE(transform.TransformBlock(0));
        ASSERT_EQ(messages.messages.size(), 1u) << "only the constructor speaks, n = " << n;
        EXPECT_EQ(messages.messages[0].text, "CFourierTransform:2の乗数でなければなりません。");
        EXPECT_EQ(messages.messages[0].kind, MessageKind::SystemModal);
    }

    RecordingMessageSink messages;
    CFourierTransform eightBitStereo(messages, 64, tune.View(2, 8));
    EXPECT_FALSE(eightBitStereo.TransformBlock(0));
    EXPECT_FALSE(eightBitStereo.TransformBlock(64));
    ASSERT_EQ(messages.messages.size(), 2u) << "once for every block";
    EXPECT_EQ(messages.messages[0].text, "未対応");
    EXPECT_EQ(messages.messages[0].kind, MessageKind::Plain);

    CFourierTransform::ReportError(messages, static_cast<FourierError>(7));
    EXPECT_EQ(messages.messages.back().text, "CFourierTransform:未定義のエラーが発生しました。");
}

}  // namespace
}  // namespace harkwell
