#include "InfoCommand.h"

#include "audio/WaveData.h"

namespace harkwell::cli {

int RunInfo(const std::string& path, MessageSink& sink, std::FILE* out)
{
    std::optional<WaveData> tune = WaveData::LoadMono(path, sink);
    if (!tune) return 1;
    const WaveFormat& format = tune->Format();
    std::fprintf(out,
                 "channels=%u\nsamplesPerSec=%u\navgBytesPerSec=%u\nblockAlign=%u\nbitsPerSample=%u\n"
                 "fmtSize=%u\ndataSize=%u\nlength=%u\nframes=%u\n",
                 unsigned{format.channels}, unsigned{format.samplesPerSec}, unsigned{format.avgBytesPerSec},
                 unsigned{format.blockAlign}, unsigned{format.bitsPerSample}, unsigned{tune->Header().fmtSize},
                 unsigned{tune->Header().dataSize}, unsigned{tune->Length()}, unsigned{tune->Frames()});
    return 0;
}

}  // namespace harkwell::cli
