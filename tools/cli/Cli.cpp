#include "Cli.h"

#include "AnalyzeCommand.h"
#include "CdCommand.h"
#include "InfoCommand.h"
#include "StretchCommand.h"

#include <string_view>

namespace harkwell::cli {

namespace {

constexpr int kUsageError = 2;

// Every command and option the command line takes.
int Usage(std::FILE* err)
{
    std::fputs("usage: harkwell-cli info FILE.wav\n"
               "       harkwell-cli stretch IN.wav SPEED OUT.wav\n"
               "       harkwell-cli analyze FILE.wav START END [--part low|mid|high | --harmonics on|off | --guess]\n"
               "       harkwell-cli cd drives | cd toc DEVICE | cd rip DEVICE TRACK OUT.wav\n"
               "       harkwell-cli sync-check [--speed S]\n",
               err);
    return kUsageError;
}

}  // namespace

int RunCli(std::span<char* const> arguments, MessageSink& sink, std::FILE* out, std::FILE* err, CdReader* cd,
           SoundCommand syncCheck)
{
    if (arguments.empty()) return Usage(err);
    const std::string_view command = arguments[0];
    const auto rest = arguments.subspan(1);
    if (command == "info" && rest.size() == 1) return RunInfo(rest[0], sink, out);
    if (command == "analyze") return RunAnalyze(rest, sink, out, err);
    if (command == "stretch") return RunStretch(rest, sink, out, err);
    if (command == "cd" && cd != nullptr) return RunCd(rest, *cd, sink, out, err);
    if (command == "sync-check" && syncCheck != nullptr) return syncCheck(rest, sink, out, err);
    return Usage(err);
}

}  // namespace harkwell::cli
