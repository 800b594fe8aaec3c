// Harkwell: copy a tune down by ear, one short stretch at a time.
#include "app/ManualLocation.h"
#include "app/StartOptions.h"
#include "app/StartupReport.h"
#include "app/ui/CCopyDownApp.h"
#include "app/ui/CDesktopShell.h"
#include "app/ui/CFileDialogPrompt.h"
#include "app/ui/CMessageBoxSink.h"
#include "cd/SgIoTransport.h"
#include "common/ErrorReport.h"
#include "platform/FluidSynthRenderer.h"
#include "platform/MidiPorts.h"
#include "platform/PortAudioWaveOutPort.h"
#include "platform/QuietSoundProbing.h"
#include "platform/ThreadTimerService.h"

#include <QApplication>
#include <QCoreApplication>
#include <QIcon>
#include <QImage>

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

// Whether the files this program ships and needs are where it looks for them.
int SelfCheck(harkwell::Shell& shell)
{
    std::vector<harkwell::SelfCheckItem> items;
    const std::vector<std::string> folders = shell.DataFolders();
    const std::optional<std::string> manual = harkwell::FindManual(folders);
    std::string lookedIn = "looked in";
    for (const std::string& folder : folders) lookedIn += " " + folder;
    items.push_back({"manual", manual.has_value(), manual.value_or(lookedIn)});
    items.push_back({"soundfont", harkwell::IsUsableSoundFont(harkwell::kDefaultGmSoundFont),
                     harkwell::kDefaultGmSoundFont});
    const bool pictures = !QImage(QStringLiteral(":/bitmaps/129.png")).isNull() &&
                          !QImage(QStringLiteral(":/staff/treble.png")).isNull();
    items.push_back({"pictures", pictures, "built in"});
    return harkwell::ReportSelfCheck(items, std::cout);
}

harkwell::SoundAtStart ProbeSound(harkwell::WaveOutPort& waveOut)
{
    // CD quality: what a ripped track plays in.
    const harkwell::WaveFormat format{1, 2, 44100, 176400, 4, 16};
    harkwell::SoundAtStart sound;
    sound.output = waveOut.Supports(-1, format);
    if (!sound.output) sound.outputCause = waveOut.RefusalCause(-1, format);
    sound.soundFont = harkwell::kDefaultGmSoundFont;
    sound.synth = harkwell::IsUsableSoundFont(sound.soundFont);
    return sound;
}

// The options that print and end. They need no display, so they are
// answered before the interface starts whenever the command line holds only
// the program's own options; Qt's own options leave the rest to the start below.
std::optional<int> AnswerWithoutInterface(int argc, char** argv)
{
    const harkwell::StartOptions options = harkwell::ParseStartOptions({argv + 1, argv + argc});
    if (!options.error.empty()) return std::nullopt;
    if (options.usage) {
        std::cout << harkwell::kStartUsage;
        return 0;
    }
    if (!options.selfCheck) return std::nullopt;
    QCoreApplication application(argc, argv);
    harkwell::CDesktopShell shell;
    return SelfCheck(shell);
}

}  // namespace

int main(int argc, char** argv)
{
    if (const std::optional<int> answered = AnswerWithoutInterface(argc, argv)) return *answered;
    harkwell::QuietSoundProbing();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Harkwell"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/harkwell.png")));
    harkwell::ApplyDialogColours(application);

    // Qt has taken its own options out of argv.
    const harkwell::StartOptions options = harkwell::ParseStartOptions({argv + 1, argv + argc});
    if (!options.error.empty()) {
        std::cerr << "harkwell: " << options.error << '\n' << harkwell::kStartUsage;
        return 2;
    }
    if (options.usage) {
        std::cout << harkwell::kStartUsage;
        return 0;
    }

    harkwell::CMessageBoxSink messages;
    harkwell::CDesktopShell shell;
    if (options.selfCheck) return SelfCheck(shell);
    if (options.dataHome) {
        std::string cause;
        if (!harkwell::EnterWorkFolder(harkwell::DataHomeFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME")),
                                       cause)) {
            const std::string text = "The folder for the work files cannot be used: " + cause;
            std::cerr << "harkwell: " << text << '\n';
            harkwell::ShowPlainMessage(messages, text);
            return 1;
        }
    }

    harkwell::CFileDialogPrompt filePrompt;
    harkwell::PortAudioSession sound;
    harkwell::PortAudioWaveOutPort waveOut(sound);
    harkwell::ReportSoundAtStart(ProbeSound(waveOut), std::cerr);
    // Opens nothing yet: without a SoundFont or a sound server the program
    // starts all the same, and says so when a score or key is first played.
    harkwell::SystemMidiDevices midiOut(messages);
    harkwell::FluidSynthRenderer renderer;
    harkwell::ThreadTimerService timers;
    harkwell::SgIoTransport cdDrives(harkwell::RealSystemCalls());
    char workDir[PATH_MAX] = {};
    if (getcwd(workDir, sizeof workDir) == nullptr) {
        harkwell::ReportGeneralError(messages, harkwell::GeneralError::NoCurrentDirectory);
        return 1;
    }
    harkwell::CCopyDownApp app({messages, filePrompt, shell, waveOut, midiOut, renderer, timers, cdDrives}, workDir);
    return app.Run();
}
