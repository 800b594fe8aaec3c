// harkwell-cli: the engine of Harkwell without a window, for scripts.
#include "Cli.h"
#include "SyncCheckCommand.h"

#include "cd/CdReader.h"
#include "cd/SgIoTransport.h"
#include "common/StderrMessageSink.h"

#include <cstddef>
#include <cstdio>

int main(int argc, char** argv)
{
    harkwell::StderrMessageSink sink;
    const std::size_t count = argc > 1 ? static_cast<std::size_t>(argc - 1) : 0;
    // The CD commands reach the machine's drives through the real SCSI pass-through.
    harkwell::SgIoTransport drives(harkwell::RealSystemCalls());
    harkwell::CdReader reader(drives);
    return harkwell::cli::RunCli({argv + 1, count}, sink, stdout, stderr, &reader, &harkwell::cli::RunSyncCheck);
}
