#pragma once

#include "common/MessageSink.h"

#include <cstdio>
#include <span>

namespace harkwell::cli {

// sync-check [--speed S]: plays a stretch of clicks against a bar of notes on
// the same beats through Sync Play, on the default sound server, records
// what the server plays, and prints how far the first note lies from the
// first click as the last line, `offset_ms=N`. 1 when there is no sound
// server or synth, or nothing was heard.
int RunSyncCheck(std::span<char* const> arguments, MessageSink& sink, std::FILE* out, std::FILE* err);

}  // namespace harkwell::cli
