#include "score/BarRests.h"

#include "score/StaffLayout.h"

#include <algorithm>
#include <array>

namespace harkwell {

namespace {

constexpr int kBeat = 4;
// The rests there are symbols for, a bar's whole rest aside: sixteenth,
// eighth, dotted eighth, quarter, dotted quarter, half, dotted half.
constexpr std::array<int, 7> kSymbolLengths{1, 2, 3, 4, 6, 8, 12};
// Whole beats, longest first: a dotted half, a half, a quarter.
constexpr std::array<int, 3> kBeatRuns{3, 2, 1};

bool HasSymbol(int length)
{
    return std::find(kSymbolLengths.begin(), kSymbolLengths.end(), length) != kSymbolLengths.end();
}

// A rest within one beat from `offset` sixteenths into it: an eighth on the
// beat's half, a sixteenth on its other sixteenths, so that the half stays
// seen; from the beat's start as long as it can.
int WithinBeat(int offset, int room)
{
    if (offset == 0) return std::min(room, kBeat - 1);
    if (offset == 2 && room >= 2) return 2;
    return 1;
}

}  // namespace

std::vector<RestSymbol> WriteRest(int start, int length, int barLength)
{
    const int from = std::max(start, 0);
    const int end = std::min(start + length, barLength);
    if (end <= from) return {};
    if (from == 0 && end == barLength) return {{0, barLength, StaffNoteType(16)}};
    if (from % kBeat == 0 && HasSymbol(end - from)) return {{from, end - from, StaffNoteType(end - from)}};

    std::vector<RestSymbol> symbols;
    const auto add = [&](int at, int sixteenths) { symbols.push_back({at, sixteenths, StaffNoteType(sixteenths)}); };
    int at = from;
    while (at % kBeat != 0 && at < end) {
        const int beatEnd = (at / kBeat + 1) * kBeat;
        const int piece = WithinBeat(at % kBeat, std::min(beatEnd, end) - at);
        add(at, piece);
        at += piece;
    }
    for (int beats = (end - at) / kBeat; beats > 0;) {
        const int run = *std::find_if(kBeatRuns.begin(), kBeatRuns.end(), [&](int r) { return r <= beats; });
        add(at, run * kBeat);
        at += run * kBeat;
        beats -= run;
    }
    if (at < end) add(at, WithinBeat(0, end - at));
    return symbols;
}

}  // namespace harkwell
