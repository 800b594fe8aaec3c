#pragma once

#include "cd/CdReader.h"
#include "common/MessageSink.h"

#include <cstdio>
#include <span>

namespace harkwell::cli {

// cd drives | cd toc DEVICE | cd rip DEVICE TRACK OUT.wav, over the drives
// the reader reaches. drives prints one device path a line; toc one line a
// track, "track=N start=LBA frames=F seconds=S type=audio|data"; rip
// extracts the track numbered TRACK on the disc as the ripping dialog does,
// progress on err. 0 when done, 1 when refused or failed, 2 for wrong usage.
int RunCd(std::span<char* const> arguments, CdReader& reader, MessageSink& sink, std::FILE* out, std::FILE* err);

}  // namespace harkwell::cli
