#include "common/Music.h"

#include "common/ErrorReport.h"

#include <cmath>

namespace harkwell {

namespace {

constexpr std::array<std::string_view, 12> kNoteNames{"C",  "C#", "D",  "D#", "E",  "F",
                                                      "F#", "G",  "G#", "A",  "A#", "B"};
constexpr double kOneTwelfth = 0.08333333333333333;

}  // namespace

int TempoToBpm(MessageSink& sink, std::int32_t microsecondsPerQuarter)
{
    if (microsecondsPerQuarter < 1000) {
        ReportGeneralError(sink, GeneralError::TempoTooFast);
        return 0;
    }
    return 60000 / (microsecondsPerQuarter / 1000);
}

std::string_view NoteName(int note)
{
    return kNoteNames[static_cast<std::size_t>(((note % 12) + 12) % 12)];
}

double NoteBoundary(double f1, double f2)
{
    return std::pow(2.0, std::log2(f1 / f2) * 0.5) * f2;
}

void FillNoteFrequencyTable(NoteFrequencyTable& table)
{
    for (int note = 0; note < kNoteCount; ++note)
        table[static_cast<std::size_t>(note)] = 440.0 * std::pow(2.0, (note - 69) * kOneTwelfth);
}

void PackTimeSignatureMeta(int packed, std::uint8_t out[4], int& length)
{
    int denominator = packed % 256;
    int exponent = 0;
    while (denominator > 1) {
        denominator /= 2;
        ++exponent;
    }
    out[0] = static_cast<std::uint8_t>(packed / 256);
    out[1] = static_cast<std::uint8_t>(exponent);
    out[2] = 18;
    out[3] = 8;
    length = 4;
}

}  // namespace harkwell
