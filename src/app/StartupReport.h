#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace harkwell {

// What the program found of the machine's sound at start-up.
struct SoundAtStart {
    bool output = false;           // a tune can play
    std::string outputCause;       // why not, when it cannot
    bool synth = false;            // the built-in synth's SoundFont loads
    std::string soundFont;         // the SoundFont looked for
};

// One line on stderr for each part of the sound that cannot be used, so a
// start from a terminal says plainly why a tune or a score will be silent.
void ReportSoundAtStart(const SoundAtStart& sound, std::ostream& errors);

// One shipped file or resource that --self-check looks for.
struct SelfCheckItem {
    std::string name;    // "manual"
    bool found = false;
    std::string detail;  // where it was found, or where it was looked for
};

// Prints "name: detail" or "name: not found (detail)" for every item; the
// exit status is 0 when everything was found and 1 otherwise.
int ReportSelfCheck(const std::vector<SelfCheckItem>& items, std::ostream& out);

}  // namespace harkwell
