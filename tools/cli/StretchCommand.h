#pragma once

#include "common/MessageSink.h"

#include <cstdio>
#include <span>

namespace harkwell::cli {

// stretch IN.wav SPEED OUT.wav: loads a tune as the program does (read, then
// mix to mono), changes its speed with the pitch kept as a play command does
// (spacing factor 8), writes it as a WAV file and prints
// "frames_in=N frames_out=M". 0 when written, 1 when refused (OUT is left as it
// was then), 2 for wrong usage, a SPEED that is not a positive number included; usage goes to `err`.
int RunStretch(std::span<char* const> arguments, MessageSink& sink, std::FILE* out, std::FILE* err);

}  // namespace harkwell::cli
