// harkwell-cli: the engine of Harkwell without a window, for scripts.
#include "AnalyzeCommand.h"
#include "CdCommand.h"
#include "InfoCommand.h"
#include "StretchCommand.h"

#include "cd/CdReader.h"
#include "cd/SgIoTransport.h"
#include "common/StderrMessageSink.h"

#include <cstdio>
#include <string_view>

namespace {

constexpr int kUsageError = 2;

int Usage()
{
    std::fputs("usage: harkwell-cli info FILE.wav\n"
               "       harkwell-cli stretch IN.wav SPEED OUT.wav\n"
               "       harkwell-cli analyze FILE.wav START END [--part low|mid|high] [--harmonics on|off]\n"
               "       harkwell-cli cd drives | cd toc DEVICE | cd rip DEVICE TRACK OUT.wav\n",
               stderr);
    return kUsageError;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return Usage();
    const std::string_view command = argv[1];
    harkwell::StderrMessageSink sink;
    if (command == "info" && argc == 3) return harkwell::cli::RunInfo(argv[2], sink, stdout);
    if (command == "analyze") return harkwell::cli::RunAnalyze({argv + 2, static_cast<std::size_t>(argc - 2)}, sink, stdout, stderr);
    if (command == "stretch") return harkwell::cli::RunStretch({argv + 2, static_cast<std::size_t>(argc - 2)}, sink, stdout);
    if (command == "cd") {
        harkwell::SgIoTransport drives(harkwell::RealSystemCalls());
        harkwell::CdReader reader(drives);
        return harkwell::cli::RunCd({argv + 2, static_cast<std::size_t>(argc - 2)}, reader, sink, stdout, stderr);
    }
    return Usage();
}
