#pragma once

#include "common/MessageSink.h"

#include <cstdio>
#include <string>

namespace harkwell::cli {

// Loads a tune as the program does (read, then mix to mono) and prints its
// fields as key=value lines. 0 when it loaded, 1 when it was refused.
int RunInfo(const std::string& path, MessageSink& sink, std::FILE* out);

}  // namespace harkwell::cli
