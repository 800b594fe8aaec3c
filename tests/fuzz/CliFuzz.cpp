// harkwell-cli's argument handling, in process. Input: the arguments, one a
// line. The folder holds a few small tunes and a file that is none; paths
// stay inside it, and whatever a command wrote there is cleared after it.
#include "FuzzCheck.h"

#include "Cli.h"
#include "audio/WaveFileWriter.h"

#include <dirent.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace harkwell::fuzz {
namespace {

constexpr std::size_t kMaxArguments = 10;
constexpr std::size_t kMaxArgumentBytes = 48;

void WriteTune(const char* name, std::uint32_t rate, std::uint16_t bits, std::uint16_t channels, std::uint32_t frames)
{
    SilentSink sink;
    WaveFileWriter writer(sink);
    Require(writer.Open(name, rate, bits, channels) == WaveFileStatus::Done, "fixture opens");
    std::vector<std::uint8_t> bytes;
    for (std::uint32_t i = 0; i < frames * channels; ++i) {
        const double wave = std::sin(i * 0.07) * 12000.0;
        if (bits == 8) {
            bytes.push_back(static_cast<std::uint8_t>(128 + wave / 256));
        } else {
            const auto sample = static_cast<std::uint16_t>(static_cast<std::int16_t>(wave));
            bytes.push_back(static_cast<std::uint8_t>(sample));
            bytes.push_back(static_cast<std::uint8_t>(sample >> 8));
        }
    }
    Require(writer.Write(bytes.data(), bytes.size()) == WaveWriteResult::Appended, "fixture written");
    Require(writer.Close() == WaveFileStatus::Done, "fixture closed");
}

void WriteFixtures()
{
    WriteTune("a.wav", 44100, 16, 2, 3000);
    WriteTune("b.wav", 8000, 8, 1, 500);
    std::FILE* text = std::fopen("c.wav", "wb");
    Require(text != nullptr, "fixture opens");
    std::fputs("not a tune\n", text);
    std::fclose(text);
}

void ClearFolder()
{
    DIR* folder = opendir(".");
    Require(folder != nullptr, "folder lists");
    std::vector<std::string> names;
    while (const dirent* entry = readdir(folder)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(folder);
    for (const std::string& name : names) Require(std::remove(name.c_str()) == 0, "left file removed");
}

// Removes what a command left in the folder and puts the fixtures back.
void Restore()
{
    ClearFolder();
    WriteFixtures();
}

std::string& Folder()
{
    static std::string folder;
    return folder;
}

void RemoveFolder()
{
    if (chdir(Folder().c_str()) != 0) return;
    ClearFolder();
    if (chdir("/") == 0) rmdir(Folder().c_str());
}

}  // namespace
}  // namespace harkwell::fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char pattern[] = "/tmp/harkwell-cli-fuzz-XXXXXX";
    harkwell::fuzz::Require(mkdtemp(pattern) != nullptr && chdir(pattern) == 0, "working folder");
    harkwell::fuzz::Folder() = pattern;
    std::atexit(harkwell::fuzz::RemoveFolder);
    harkwell::fuzz::WriteFixtures();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace harkwell::fuzz;
    std::vector<std::string> arguments(1);
    for (std::size_t i = 0; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == '\n') {
            arguments.emplace_back();
        } else {
            // A path leaving the folder could touch anything; a NUL ends an argument anyway.
            if (c == '/' || c == '\0') return -1;
            arguments.back().push_back(c);
        }
        if (arguments.size() > kMaxArguments || arguments.back().size() > kMaxArgumentBytes) return -1;
    }
    if (size == 0) arguments.clear();
    std::vector<char*> pointers;
    for (std::string& argument : arguments) pointers.push_back(argument.data());

    static std::FILE* const out = std::fopen("/dev/null", "w");
    char* errText = nullptr;
    std::size_t errSize = 0;
    std::FILE* err = open_memstream(&errText, &errSize);
    Require(out != nullptr && err != nullptr, "streams");
    SilentSink sink;
    const int code = harkwell::cli::RunCli(pointers, sink, out, err);
    std::fclose(err);
    const std::string usage(errText, errSize);
    std::free(errText);

    Require(code == 0 || code == 1 || code == 2, "exit codes are 0, 1 or 2");
    Require((code == 2) == (usage.find("usage: harkwell-cli") != std::string::npos), "usage exactly for exit code 2");
    if (!arguments.empty() && arguments[0] == "stretch") Restore();
    return 0;
}
