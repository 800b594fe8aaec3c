#pragma once

#include "common/MessageSink.h"

#include <cstdio>
#include <span>

namespace harkwell::cli {

// The whole of harkwell-cli but the process: `arguments` are those after the
// program's name, messages go to the sink, results to `out` and usage to
// `err`. Returns the exit code: 0 done, 1 refused, 2 wrong usage.
int RunCli(std::span<char* const> arguments, MessageSink& sink, std::FILE* out, std::FILE* err);

}  // namespace harkwell::cli
