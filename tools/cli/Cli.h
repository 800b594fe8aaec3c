#pragma once

#include "common/MessageSink.h"

#include <cstdio>
#include <span>

namespace harkwell {
class CdReader;
}

namespace harkwell::cli {

// A command that plays through the machine's real sound: its arguments, sink, out and err.
using SoundCommand = int (*)(std::span<char* const>, MessageSink&, std::FILE*, std::FILE*);

// The whole of harkwell-cli but the process: `arguments` are those after the
// program's name, messages go to the sink, results to `out` and usage to
// `err`. The CD commands read through `cd`, and sync-check runs `syncCheck`;
// each is refused as unknown without it. Returns the exit code: 0 done,
// 1 refused, 2 wrong usage.
int RunCli(std::span<char* const> arguments, MessageSink& sink, std::FILE* out, std::FILE* err,
           CdReader* cd = nullptr, SoundCommand syncCheck = nullptr);

}  // namespace harkwell::cli
