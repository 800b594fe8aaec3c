// harkwell_tune_memory [MINUTES...]: the peak memory of a loaded tune.
//
// For each length (60 and 180 minutes unless told) it writes a stereo 16-bit
// tune at 44100 Hz beside the system's temporary files, then loads it as the
// main window does (read and mixed to mono, then shown whole in the tune's
// 880 × 80 picture) and prints the peak of the resident set that the load
// added, against the tune's mono samples. The file is removed afterwards.
#include "audio/WaveData.h"
#include "audio/WaveFileWriter.h"
#include "audio/ui/CWavePicture.h"
#include "common/StderrMessageSink.h"
#include "BenchSupport.h"
#include "widgets/ui/COffScreenPicture.h"

#include <QApplication>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace harkwell;

using bench::ResetPeakResidentSet;
using bench::StatusKilobytes;

int Measure(std::uint32_t minutes)
{
    StderrMessageSink sink;
    const std::string path =
        (std::filesystem::temp_directory_path() / ("harkwell-memory-" + std::to_string(minutes) + "min.wav")).string();
    if (!bench::WriteStereoTune(path, minutes * 60, sink)) {
        std::fprintf(stderr, "could not write %s\n", path.c_str());
        std::filesystem::remove(path);
        return 1;
    }
    // The picture reads the tune's samples in place: the tune outlives it.
    std::optional<WaveData> tune;
    QWidget parent;
    auto* window = new COffScreenPicture(&parent);
    CWavePicture picture(sink, window, PictureRect{10, 70, 890, 150}, nullptr, nullptr);

    const long baseKb = StatusKilobytes("VmRSS:");
    ResetPeakResidentSet();
    tune = WaveData::LoadMono(path, sink);
    if (!tune) {
        std::filesystem::remove(path);
        return 1;
    }
    picture.SetSamples(0, tune->Samples().data(), tune->Frames(), tune->Format().channels, tune->Format().bitsPerSample);
    picture.Show(0);
    const double peak = double(StatusKilobytes("VmHWM:") - baseKb) * 1024.0;
    const double held = double(StatusKilobytes("VmRSS:") - baseKb) * 1024.0;
    const double mono = double(tune->Length());
    std::printf("%4u min: file %7.1f MB, mono samples %7.1f MB, peak added %7.1f MB (%.3f x), held %7.1f MB (%.3f x)\n",
                minutes, double(std::filesystem::file_size(path)) / 1e6, mono / 1e6, peak / 1e6, peak / mono,
                held / 1e6, held / mono);
    std::filesystem::remove(path);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    std::vector<std::uint32_t> lengths;
    for (int i = 1; i < argc; ++i) lengths.push_back(static_cast<std::uint32_t>(std::strtoul(argv[i], nullptr, 10)));
    if (lengths.empty()) lengths = {60, 180};
    int status = 0;
    for (const std::uint32_t minutes : lengths)
        if (minutes > 0 && Measure(minutes) != 0) status = 1;
    return status;
}
