// Harkwell: copy a tune down by ear, one short stretch at a time.
#include "app/ui/CCopyDownApp.h"
#include "app/ui/CDesktopShell.h"
#include "app/ui/CFileDialogPrompt.h"
#include "app/ui/CMessageBoxSink.h"
#include "cd/SgIoTransport.h"
#include "common/ErrorReport.h"
#include "platform/FluidSynthRenderer.h"
#include "platform/MidiPorts.h"
#include "platform/PortAudioWaveOutPort.h"
#include "platform/ThreadTimerService.h"

#include <QApplication>
#include <QIcon>

#include <unistd.h>

#include <climits>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Harkwell"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/harkwell.png")));
    harkwell::ApplyDialogColours(application);

    harkwell::CMessageBoxSink messages;
    harkwell::CFileDialogPrompt filePrompt;
    harkwell::CDesktopShell shell;
    harkwell::PortAudioSession sound;
    harkwell::PortAudioWaveOutPort waveOut(sound);
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
