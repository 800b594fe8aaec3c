#pragma once

#include "fakes/TempDir.h"

#include <cstdlib>
#include <string>
#include <sys/wait.h>

namespace harkwell::testing {

struct CliResult {
    int exitCode = -1;
    std::string out, err;
};

// Runs harkwell-cli with the arguments (already quoted for the shell), its
// output caught in files of the folder.
inline CliResult RunCli(const TempDir& dir, const std::string& arguments)
{
    const std::string out = dir.File("stdout.txt"), err = dir.File("stderr.txt");
    std::string command = "'";
    command += HARKWELL_CLI_PATH;
    command += "' " + arguments + " >'" + out + "' 2>'" + err + "'";
    const int status = std::system(command.c_str());
    CliResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const auto text = [](const std::string& path) {
        const auto bytes = ReadBytes(path);
        return std::string(bytes.begin(), bytes.end());
    };
    result.out = text(out);
    result.err = text(err);
    return result;
}

}  // namespace harkwell::testing
