#pragma once

#include <vector>

namespace harkwell {

// One rest symbol of a rest written out over a bar's beats.
struct RestSymbol {
    int start;   // sixteenths from the bar's start
    int length;  // sixteenths it stands for
    int type;    // the staff's type code it is drawn with
};

// How a silence of `length` sixteenths from `start` is written in a bar of
// `barLength` sixteenths that counts quarter-note beats, as rests are
// written by hand: a silence of the whole bar is one whole rest; one that
// starts on a beat and has a rest of its own length (a dotted half for 12) is
// that rest; any other fills the rest of its first beat, then takes its whole
// beats (one symbol where one exists) and last the start of its last beat.
// The symbols follow one another from `start`; a silence outside the bar is
// cut to it.
std::vector<RestSymbol> WriteRest(int start, int length, int barLength);

}  // namespace harkwell
