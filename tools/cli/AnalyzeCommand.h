#pragma once

#include "common/MessageSink.h"

#include <cstdio>
#include <span>

namespace harkwell::cli {

// analyze FILE.wav START END [--part low|mid|high | --harmonics on|off | --guess]
//
// Loads the tune as the program does and analyses frames START..END of it.
// With --part: the 128 values a part button hands to the key colouring, one
// "note value" pair a line. Without: the 128 lines of the frequency list,
// weighted by the harmonics unless --harmonics off. With --guess: the notes
// guessed to sound, strongest first, one "NN NAME" a line (as "69 A4"). `arguments` are those
// after "analyze". Usage goes to `err`. 0 when printed, 1 when the tune or the selection was
// refused, 2 for wrong usage.
int RunAnalyze(std::span<char* const> arguments, MessageSink& sink, std::FILE* out, std::FILE* err);

}  // namespace harkwell::cli
