#include "analysis/FourierTransform.h"

#include "common/ErrorReport.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace harkwell {

namespace {

constexpr std::string_view kNotPowerOfTwo = "CFourierTransform:2の乗数でなければなりません。";
constexpr std::string_view kRangeWrong = "CFourierTransform:変換範囲に誤りがあります。";
constexpr std::string_view kUndefined = "CFourierTransform:未定義のエラーが発生しました。";
constexpr std::string_view kNotSupported = "未対応";
constexpr double kMagnitudeScale = 0.00390625;  // 1 / 256

}  // namespace

bool CFourierTransform::IsPowerOfTwo(std::int64_t n)
{
    return n >= 2 && (n & (n - 1)) == 0;
}

void CFourierTransform::ReportError(MessageSink& messages, FourierError code)
{
    ShowSystemModalMessage(messages, code == FourierError::NotPowerOfTwo ? kNotPowerOfTwo
                                     : code == FourierError::RangeWrong  ? kRangeWrong
                                                                         : kUndefined);
}

CFourierTransform::CFourierTransform(MessageSink& messages, std::int64_t n, const TuneSamples& tune)
    : messages_(messages), tune_(tune)
{
    // Blocks beyond a million frames are no power of two the analysis asks for.
    if (!IsPowerOfTwo(n) || n > (std::int64_t{1} << 24)) {
        ReportError(messages_, FourierError::NotPowerOfTwo);
        return;
    }
    usable_ = true;
    size_ = static_cast<int>(n);
    frameCount_ = tune.FrameCount();
    const auto count = static_cast<std::size_t>(n);
    binFrequency_.resize(count / 2);
    for (std::size_t k = 0; k < count / 2; ++k)
        binFrequency_[k] = static_cast<std::int32_t>(std::int64_t{tune.sampleRate} * static_cast<std::int64_t>(k) / (2 * n));
    samples_.assign(count, 0);
    magnitude_.assign(count / 2, 0.0);
    work_.assign(count, 0.0);
    transform_.emplace_back(count);
}

bool CFourierTransform::TransformBlock(std::int64_t startFrame)
{
    std::fill(magnitude_.begin(), magnitude_.end(), 0.0);
    if (!usable_) return false;
    // A block must end before the last frame.
    if (startFrame < 0 || startFrame + size_ >= frameCount_) {
        ReportError(messages_, FourierError::RangeWrong);
        return false;
    }
    if (!ReadFirstChannel(tune_, startFrame, samples_)) {
        ShowPlainMessage(messages_, kNotSupported);
        return false;
    }
    for (std::size_t j = 0; j < samples_.size(); ++j) work_[j] = samples_[j];
    transform_.front().Transform(work_.data());
    for (std::size_t k = 0; k < magnitude_.size(); ++k) magnitude_[k] = std::abs(std::trunc(work_[k] * kMagnitudeScale));
    return true;
}

}  // namespace harkwell
