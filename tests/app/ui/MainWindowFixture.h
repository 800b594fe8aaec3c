#pragma once

#include "app/ui/CCopyDownDlg.h"
#include "audio/WaveFileWriter.h"
#include "widgets/ui/COffScreenPicture.h"

#include "fakes/FakeMidiRenderer.h"
#include "fakes/FakeWaveOutPort.h"
#include "fakes/ManualTimerService.h"
#include "fakes/MouseActions.h"
#include "fakes/RecordingMessageSink.h"
#include "fakes/RecordingMidiPort.h"
#include "fakes/RecordingShell.h"
#include "fakes/ScriptedFilePrompt.h"
#include "fakes/SimulatedCdDrive.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace harkwell::testing {

// A stereo tune at 44100 Hz, written through the program's own writer.
inline std::string WriteTune(const TempDir& dir, const std::string& name, std::size_t frames)
{
    const std::string path = dir.File(name);
    RecordingMessageSink sink;
    WaveFileWriter writer(sink);
    EXPECT_EQ(writer.Open(path, 44100, 16, 2), WaveFileStatus::Done);
    std::vector<std::int16_t> samples(2 * frames);
    for (std::size_t i = 0; i < frames; ++i) {
        samples[2 * i] = static_cast<std::int16_t>(8000 * std::sin(double(i) * 0.0627));
        samples[2 * i + 1] = static_cast<std::int16_t>(-samples[2 * i] / 2);
    }
    EXPECT_EQ(writer.Write(reinterpret_cast<const std::uint8_t*>(samples.data()), samples.size() * 2),
              WaveWriteResult::Appended);
    EXPECT_EQ(writer.Close(), WaveFileStatus::Done);
    return path;
}

// The real main window in a folder of its own, on the fakes of the desktop.
class MainWindowFixture : public ::testing::Test {
protected:
    std::unique_ptr<CCopyDownDlg> Start()
    {
        auto window =
            std::make_unique<CCopyDownDlg>(AppServices{messages_, prompt_, shell_, waveOut_, midiOut_, renderer_, timers_, cdDrive_}, dir_.Path().string());
        window->show();
        return window;
    }

    void LoadThroughThePrompt(CCopyDownDlg& window, const std::string& path)
    {
        prompt_.answer = OpenFileChoice{path, 1};
        Click(window.ButtonHost(1));
    }

    TempDir dir_;
    RecordingMessageSink messages_;
    ScriptedFilePrompt prompt_;
    RecordingShell shell_;
    FakeWaveOutPort waveOut_;
    RecordingMidiDevices midiOut_;
    FakeMidiRenderer renderer_;
    ManualTimerService timers_;
    // Two audio tracks of a second and a half each.
    SimulatedCdDrive cdDrive_{SimulatedDisc({{110, true}, {110, true}})};
};

}  // namespace harkwell::testing
