// Takes the manual's pictures of the windows from the real windows: a tune is
// made, loaded, marked, copied down, analysed and a bar written, each window
// is grabbed as it stands, and every modal dialog is grabbed from inside its
// own event loop and closed. Run offscreen by tools/manual/take-pictures.sh.
#include "analysis/ui/CAnalyzeDlg.h"
#include "analysis/ui/CKeyboardPicture.h"
#include "app/CommandTable.h"
#include "app/ui/CAboutDlg.h"
#include "app/ui/CCopyDownDlg.h"
#include "app/ui/CDesktopShell.h"
#include "app/ui/CFileDialogPrompt.h"
#include "areas/SeparatorTable.h"
#include "areas/ui/CAreaDlg.h"
#include "areas/ui/CAreaSettingDlg.h"
#include "areas/ui/CInfoDlg.h"
#include "audio/WaveFileWriter.h"
#include "cd/SgIoTransport.h"
#include "common/StderrMessageSink.h"
#include "platform/FluidSynthRenderer.h"
#include "platform/MidiPorts.h"
#include "platform/PortAudioWaveOutPort.h"
#include "platform/QuietSoundProbing.h"
#include "platform/ThreadTimerService.h"
#include "widgets/ui/COffScreenPicture.h"

#include <QApplication>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

using namespace harkwell;
namespace fs = std::filesystem;

fs::path outFolder;
int failures = 0;

void Save(QWidget& widget, const char* name)
{
    QApplication::processEvents();
    const QString path = QString::fromStdString((outFolder / name).string());
    if (!widget.grab().save(path, "PNG")) {
        std::cerr << "could not write " << path.toStdString() << '\n';
        ++failures;
    }
}

// A little tune: a C major arpeggio with a bass note under each beat, two
// seconds a bar at 120 beats per minute, with a few overtones so that the
// keyboard shows what an instrument sounds like.
std::string WriteTune(const fs::path& folder)
{
    const std::string path = (folder / "arpeggio.wav").string();
    StderrMessageSink sink;
    WaveFileWriter writer(sink);
    if (writer.Open(path, 44100, 16, 2) != WaveFileStatus::Done) return {};
    const int melody[] = {60, 64, 67, 72, 67, 64, 60, 64, 65, 69, 72, 77, 72, 69, 65, 69};
    const int bass[] = {48, 48, 48, 48, 53, 53, 53, 53, 48, 48, 48, 48, 53, 53, 53, 53};
    const std::size_t noteFrames = 22050;  // a quarter note at 120 bpm
    std::vector<std::int16_t> samples;
    for (std::size_t n = 0; n < std::size(melody); ++n) {
        for (std::size_t i = 0; i < noteFrames; ++i) {
            const double t = double(i) / 44100.0;
            const double envelope = std::exp(-3.0 * t) * std::min(1.0, double(i) / 200.0);
            double value = 0;
            for (const int note : {melody[n], bass[n]}) {
                const double f = 440.0 * std::pow(2.0, (note - 69) / 12.0);
                for (int h = 1; h <= 3; ++h) value += std::sin(2 * M_PI * f * h * t) / (h * h);
            }
            const auto sample = static_cast<std::int16_t>(9000.0 * envelope * value);
            samples.push_back(sample);
            samples.push_back(sample);
        }
    }
    if (writer.Write(reinterpret_cast<const std::uint8_t*>(samples.data()), samples.size() * 2) !=
        WaveWriteResult::Appended)
        return {};
    if (writer.Close() != WaveFileStatus::Done) return {};
    return path;
}

void Drag(QWidget* widget, int fromX, int toX)
{
    const int y = widget->height() / 2;
    QTest::mousePress(widget, Qt::LeftButton, {}, {fromX, y});
    QMouseEvent move(QEvent::MouseMove, QPointF(toX, y), widget->mapToGlobal(QPointF(toX, y)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, {toX, y});
}

// Grabs the next modal dialog from inside its event loop and closes it.
// Message boxes on the way are grabbed under their own name and answered.
void GrabNextModal(const char* name, const char* messageName = "message.png")
{
    auto* timer = new QTimer(qApp);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, name, messageName] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) return;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            std::cerr << "message: " << box->text().toStdString() << '\n';
            Save(*box, messageName);
            box->accept();
            return;
        }
        timer->stop();
        timer->deleteLater();
        Save(*modal, name);
        modal->close();
    });
    timer->start();
}

void DoubleClickKey(CAnalyzeDlg& analyze, int note)
{
    const KeyboardLayout& layout = analyze.Keyboard().Layout();
    const auto& key = layout.Keys().at(static_cast<std::size_t>(note - layout.Lowest()));
    QTest::mouseDClick(analyze.Keyboard().Host(), Qt::LeftButton, {}, {(key.left + key.right) / 2, key.bottom - 3});
}

}  // namespace

int main(int argc, char** argv)
{
    harkwell::QuietSoundProbing();
    QApplication application(argc, argv);
    if (argc != 2) {
        std::cerr << "usage: harkwell-manual-pictures OUTPUT-FOLDER\n";
        return 2;
    }
    outFolder = argv[1];
    fs::create_directories(outFolder);
    char pattern[] = "/tmp/harkwell-pictures-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return 1;
    const fs::path work = pattern;
    const std::string tune = WriteTune(work);
    if (tune.empty()) return 1;

    // Messages go to stderr: a message box would stop the run, and the pictures show no message.
    harkwell::StderrMessageSink messages;
    harkwell::CFileDialogPrompt filePrompt;
    // The companion and the manual are looked for in a folder that holds neither.
    harkwell::CDesktopShell shell(work.string());
    harkwell::PortAudioSession sound;
    harkwell::PortAudioWaveOutPort waveOut(sound);
    harkwell::SystemMidiDevices midiOut(messages);
    harkwell::FluidSynthRenderer renderer;
    harkwell::ThreadTimerService timers;
    harkwell::SgIoTransport cdDrives(harkwell::RealSystemCalls());
    {
        CCopyDownDlg window({messages, filePrompt, shell, waveOut, midiOut, renderer, timers, cdDrives}, work.string());
        window.show();
        Save(window, "main-empty.png");

        window.OpenTune(tune);
        window.UpdateGuidance();
        Save(window, "main-loaded.png");
        // The first two bars.
        Drag(window.TunePictureHost(), 5, 440);
        Save(window, "main-marked.png");

        window.Dispatch(command::kCopyDown);
        window.UpdateGuidance();
        CAreaDlg& panel = window.AreaPanel();
        // The first bar of the two.
        Drag(panel.PictureHost(), 5, 440);
        Save(panel, "area-panel.png");

        window.Dispatch(command::kAnalyze);
        CAnalyzeDlg& analyze = window.AnalyzeDialog();
        Drag(analyze.PictureHost(), 5, 120);
        window.Dispatch(command::kMidPart);
        for (const int note : {60, 64, 67, 72}) DoubleClickKey(analyze, note);
        Save(analyze, "analyze.png");

        GrabNextModal("area-list.png");
        window.Dispatch(command::kAreaList);
        GrabNextModal("bar-info.png");
        window.Dispatch(command::kBarInfo);
        GrabNextModal("play-setting.png");
        window.Dispatch(command::kPlaySetting);
        GrabNextModal("analyze-setting.png");
        window.Dispatch(command::kAnalyzeSetting);
        GrabNextModal("frequency-list.png");
        window.Dispatch(command::kPowerSpectre);
        GrabNextModal("ripping.png", "ripping-message.png");
        window.Dispatch(command::kLoadCd);

        SeparatorTable table = window.Setup().separators;
        CInfoDlg info(nullptr, table, 0, 44100, messages, [] {});
        info.show();
        Save(info, "separator-info.png");
        std::string name = "Bar 1";
        std::uint32_t colour = 0xBFBFFF;
        CAreaSettingDlg setting(nullptr, name, colour);
        setting.show();
        Save(setting, "area-setting.png");
        CAboutDlg about;
        about.show();
        Save(about, "about.png");

        window.Dispatch(command::kClose);
        QTest::qWait(200);
    }
    fs::remove_all(work);
    return failures == 0 ? 0 : 1;
}
