#include "app/ui/CCopyDownDlg.h"

#include "analysis/NoteGuess.h"
#include "analysis/ui/CAnalyzeDlg.h"
#include "analysis/ui/CAnalyzeSettingDlg.h"
#include "analysis/ui/CFrequencyListDlg.h"
#include "app/AreaFile.h"
#include "app/ui/CAboutDlg.h"
#include "app/ui/CPlaySettingDlg.h"
#include "app/ScoreSong.h"
#include "app/ui/CTuneScrollBars.h"
#include "app/CommandTable.h"
#include "app/CompanionLocator.h"
#include "app/ManualLocation.h"
#include "app/PanelPlacement.h"
#include "app/Guidance.h"
#include "areas/ui/CAreaDlg.h"
#include "areas/ui/CAreaListDlg.h"
#include "areas/ui/CBarDlg.h"
#include "areas/AreaListing.h"
#include "areas/ui/CSelectionMarking.h"
#include "audio/WaveformColumns.h"
#include "audio/ui/CWavePicture.h"
#include "cd/ui/CRippingDlg.h"
#include "common/ErrorReport.h"
#include "common/Files.h"
#include "widgets/DialogUnits.h"
#include "widgets/ui/CButtonFamily.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <thread>
#include <vector>

namespace harkwell {

namespace {

constexpr PictureRect kTunePicturePlace{10, 70, 890, 150};
constexpr PictureRect kPanelPicturePlace{10, 40, 890, 120};
constexpr PictureRect kAnalyzePicturePlace{10, 50, 510, 130};
constexpr int kTuneSlot = 0;
constexpr int kGuidanceTop = kTunePicturePlace.bottom + 2;
constexpr int kGuidanceBottom = 218;  // the Play, Copy Down, Help and Close buttons start at 220
constexpr std::string_view kTooNarrowForBaseWidth = "指定されている範囲が無い、あるいは、狭すぎます。";
constexpr int kQuitDelayMs = 100;

DesktopRect ToDesktop(const QRect& rect) { return {rect.x(), rect.y(), rect.width(), rect.height()}; }

// Shows a panel. The first time in the run it opens clear of the main window
// and of the other panel when the screen has room; from then on it comes
// back where it was, where the user moved it included.
void ShowPanel(QDialog& panel, const QWidget& main, const QWidget& other)
{
    if (!panel.testAttribute(Qt::WA_Moved) && main.screen() != nullptr) {
        std::vector<DesktopRect> taken;
        if (other.isVisible()) taken.push_back(ToDesktop(other.frameGeometry()));
        // The panel's frame is not known before it first shows: take the main window's.
        const QSize frame = main.frameGeometry().size() - main.geometry().size();
        const auto place = PanelPlace(ToDesktop(main.frameGeometry()), panel.width() + frame.width(),
                                      panel.height() + frame.height(), ToDesktop(main.screen()->availableGeometry()),
                                      taken);
        if (place) panel.move(place->x, place->y);
    }
    panel.show();
    panel.raise();
    // Without this, every show would put the panel back over the main window.
    panel.setAttribute(Qt::WA_Moved);
}


}  // namespace

CCopyDownDlg::CCopyDownDlg(AppServices services, std::string workDir, QWidget* parent)
    : QDialog(parent), services_(services), workDir_(std::move(workDir))
{
    setWindowTitle(QStringLiteral("Copy Down Tool"));
    setFixedSize(Units(515), Units(172));
    setupFile_ = std::make_unique<SetupFile>(WorkFilePath(workDir_, "setup.ini"), setup_, services_.messages);
    guessSetting_ = std::make_unique<GuessSettingFile>(
        WorkFilePath(workDir_, std::string(GuessSettingFile::kFileName)), services_.messages);
    playback_ = std::make_unique<PlaybackControl>(
        services_.waveOut, services_.midiOut, services_.timers, services_.renderer, services_.messages,
        PlaybackControl::Hooks{
            [this](std::function<void()> task) { QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection); },
            [this](PlayMode mode, std::string_view caption) { SetPlayCaption(mode, caption); },
            [this] { UpdateGuidance(); },
            [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); },
            [this](bool playing) { OnScorePlaying(playing); }});
    CreateControls();
    areaDlg_ = new CAreaDlg(this, [this] { return TuneLoaded(); });
    analyzeDlg_ = new CAnalyzeDlg(this, [this] { return TuneLoaded(); }, services_.messages,
                                  {[this] { return synth_.Port(); }, &setup_.instrument, [this] { synth_.OpenAhead(); }});
    CreateButtons();
    UpdateGuidance();

    // Slots 1 and 2 of the five a picture system has: they are always made.
    (void)pictures_->AddSlot(areaDlg_->PictureHost(), kPanelPicturePlace,
                       [this](std::uint32_t frame) { areaDlg_->OnPicturePress(frame); },
                       [this](std::uint32_t frame) { areaDlg_->OnPictureRelease(frame); });
    pictures_->SetBackground(CAreaDlg::kPictureSlot, kPanelBackground);
    areaDlg_->AttachPictures(pictures_.get());
    (void)pictures_->AddSlot(analyzeDlg_->PictureHost(), kAnalyzePicturePlace,
                       [this](std::uint32_t frame) { analyzeDlg_->OnPicturePress(frame); },
                       [this](std::uint32_t frame) { analyzeDlg_->OnPictureRelease(frame); });
    pictures_->SetBackground(CAnalyzeDlg::kPictureSlot, kPanelBackground);
    analyzeDlg_->AttachPictures(pictures_.get());
    pictures_->RedrawAll();
    pictures_->ShowAll();

    ReloadLastWork();
    // Again: the guidance above was written before the last tune came back.
    UpdateGuidance();
}

CCopyDownDlg::~CCopyDownDlg()
{
    SaveAreas();
    playback_.reset();
    pictures_.reset();
    buttons_->DestroyAll();
    buttons_.reset();
    tune_.reset();
    delete areaDlg_;
    delete analyzeDlg_;
    setupFile_.reset();  // writes setup.ini
}

void CCopyDownDlg::CreateControls()
{
    // The table of lines holds the visible bars only: they follow every move of the view.
    scrollBars_ = new CTuneScrollBars(this, {[this](int zoom) {
                                                 ShowTuneBarLines(static_cast<std::uint32_t>(zoom),
                                                                  pictures_->ViewStart(kTuneSlot));
                                                 pictures_->SetZoom(kTuneSlot, zoom);
                                             },
                                             [this](std::uint32_t start) {
                                                 ShowTuneBarLines(pictures_->Zoom(kTuneSlot), start);
                                                 pictures_->SetViewStart(kTuneSlot, start);
                                             }});

    guidanceLabel_ = new QLabel(this);
    // Between the tune's picture and the buttons below it, so all three lines
    // of the guidance show while a stretch plays.
    guidanceLabel_->setGeometry(Units(7), kGuidanceTop, Units(501), kGuidanceBottom - kGuidanceTop);
    guidanceLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    tunePictureHost_ = new COffScreenPicture(this);
    pictures_ = std::make_unique<CWavePicture>(
        services_.messages, tunePictureHost_, kTunePicturePlace, [this](std::uint32_t frame) { OnTunePress(frame); },
        [this](std::uint32_t frame) { OnTuneRelease(frame); });
    pictures_->SetBackground(kTuneSlot, kSlotBackground);
}

void CCopyDownDlg::CreateButtons()
{
    buttons_ = std::make_unique<CButtonFamily>(ButtonFamilyKind::A);
    for (const CommandButton& button : kCommandButtons) {
        COffScreenPicture* host = button.window == CommandWindow::Main        ? new COffScreenPicture(this)
                                  : button.window == CommandWindow::AreaPanel ? areaDlg_->NewButtonHost()
                                                                              : analyzeDlg_->NewButtonHost();
        buttonHosts_[button.command] = host;
        const QString caption = QString::fromUtf8(button.caption.data(), static_cast<qsizetype>(button.caption.size()));
        const int tag = static_cast<int>(button.command);
        if (button.command == command::kClose) {
            buttons_->CreateFirstButton([this](std::uint32_t command) { Dispatch(command); }, nullptr, host,
                                        button.place, caption, kReleasedButtonBitmap, kPressedButtonBitmap, tag);
        } else {
            buttons_->AddButton(host, button.place, caption, kReleasedButtonBitmap, kPressedButtonBitmap, tag);
        }
    }
}

void CCopyDownDlg::ReloadLastWork()
{
    // The window opens empty without a word; one started from a terminal says why there.
    std::string cause;
    if (!OpenForReading(setup_.tunePath, &cause)) {
        if (!setup_.tunePath.empty())
            std::fprintf(stderr, "harkwell: the last tune was not loaded: %s\n",
                         FileDetail(setup_.tunePath, cause).c_str());
        return;
    }
    LoadTune(setup_.tunePath);
    if (!TuneLoaded())
        std::fprintf(stderr, "harkwell: the last tune was not loaded: %s\n",
                     FileDetail(setup_.tunePath, "refused by the WAV reader").c_str());
    const AreaLists lists = LoadAreaFile(services_.messages, WorkFilePath(workDir_, "line.dat"));
    for (std::size_t slot = 0; slot < lists.size(); ++slot)
        for (const WaveformArea& area : lists[slot])
            // The file holds no more than a list keeps; a refusal would have said so.
            (void)pictures_->AddArea(static_cast<int>(slot), area.start, area.end, area.colour, area.name);
    pictures_->RecolourAreas(kTuneSlot, kCurrentColour, kDoneColour);
    pictures_->Redraw(kTuneSlot);
    pictures_->Show(kTuneSlot);
}

void CCopyDownDlg::SaveAreas()
{
    const std::string path = WorkFilePath(workDir_, "line.dat");
    if (!hadTune_ && FileExists(path)) return;
    // The program is closing: a failed save has said so, and the old file stays whole.
    (void)SaveAreaFile(services_.messages, path, {pictures_->Areas(0), pictures_->Areas(CAreaDlg::kPictureSlot),
                                                  pictures_->Areas(CAnalyzeDlg::kPictureSlot)});
}

void CCopyDownDlg::Dispatch(std::uint32_t command)
{
    switch (command) {
    case command::kClose:
        QTimer::singleShot(kQuitDelayMs, this, [this] { QDialog::done(QDialog::Accepted); });
        break;
    case command::kLoadWav: LoadWav(); break;
    case command::kLoadCd: LoadCd(); break;
    case command::kPlay: PlayCommand(PlayMode::Main); break;
    case command::kPlayPanel: PlayCommand(PlayMode::AreaPanel); break;
    case command::kPlayAnalyze: PlayCommand(PlayMode::AnalyzeDialog); break;
    case command::kPlaySetting: OpenPlaySetting(); break;
    case command::kCopyDown:
        CopyDown();
        UpdateGuidance();
        break;
    case command::kClosePanel: areaDlg_->hide(); break;
    case command::kAnalyze: Analyze(); break;
    case command::kCloseAnalyze: analyzeDlg_->hide(); break;
    case command::kLowPart: analyzeDlg_->AnalyzePart(kLowPart, AnalysisSamples(), guessSetting_->NoteGuessOn()); break;
    case command::kMidPart: analyzeDlg_->AnalyzePart(kMidPart, AnalysisSamples(), guessSetting_->NoteGuessOn()); break;
    case command::kHighPart: analyzeDlg_->AnalyzePart(kHighPart, AnalysisSamples(), guessSetting_->NoteGuessOn()); break;
    case command::kPowerSpectre: ShowPowerSpectrum(); break;
    case command::kAnalyzeSetting: OpenAnalyzeSetting(); break;
    case command::kPlayScore: PlayScore(); break;
    case command::kSyncPlay: SyncPlay(); break;
    case command::kAreaList: OpenAreaList(kTuneAreaList); break;
    case command::kBarInfo: OpenBarInfo(); break;
    case command::kAnalyzeList: OpenAreaList(kPanelAreaList); break;
    case command::kBaseWidth: BaseWidth(); break;
    case command::kAddSeparator: AddSeparator(); break;
    // Help and Input Score leave the work as it is; what they could not open goes to stderr.
    case command::kHelp: (void)OpenManual(services_.shell, std::cerr); break;
    case command::kInputScore: (void)StartCompanion(services_.shell, std::cerr); break;
    default:
        // An identifier outside the table does nothing.
        break;
    }
}

void CCopyDownDlg::LoadWav()
{
    areaDlg_->hide();
    analyzeDlg_->hide();
    std::string path;
    if (PromptOpenFile(services_.filePrompt, "wav", "wave files|*.wav|", path, nullptr, nullptr, &workDir_))
        OpenTune(path);
    UpdateGuidance();
}

void CCopyDownDlg::LoadCd()
{
    areaDlg_->hide();
    analyzeDlg_->hide();
    std::string ripped;
    listDialog_.Run(services_.messages, [&] {
        CdReader reader(services_.cdDrives);
        CRippingDlg ripping(this, reader, services_.messages, services_.filePrompt);
        ripping.exec();
        ripped = ripping.RippedPath();
    });
    if (!ripped.empty()) OpenTune(ripped);
    UpdateGuidance();
}

void CCopyDownDlg::PlayCommand(PlayMode mode)
{
    switch (mode) {
    case PlayMode::Main: TogglePlay(mode, mark_.start, mark_.end, 1.0); break;
    case PlayMode::AreaPanel: {
        const auto [start, end] = PlayedStretch(areaDlg_->Stretch());
        TogglePlay(mode, start, end, 1.0);
        break;
    }
    case PlayMode::AnalyzeDialog: {
        const auto [start, end] = PlayedStretch(analyzeDlg_->Stretch());
        TogglePlay(mode, start, end, setup_.playSpeed);
        break;
    }
    case PlayMode::AreaList: break;  // the list dialog names its own stretch
    }
}

void CCopyDownDlg::TogglePlay(PlayMode mode, std::uint32_t start, std::uint32_t end, double speed)
{
    if (!TuneLoaded()) return;
    playback_->Toggle(mode, {tune_->Format(), tune_->Samples()}, start, end, speed);
}

ScoreBar CCopyDownDlg::WrittenBar() const
{
    // The tempo of the separator in force where the analysed piece begins, at the play speed.
    const PanelStretch& piece = analyzeDlg_->Stretch();
    const auto position =
        static_cast<std::int32_t>(std::min<std::uint64_t>(std::uint64_t{piece.dataStart} + piece.selection.start, INT32_MAX));
    return {&analyzeDlg_->Grid(), ScoreTempo(setup_.separators, position, SampleRate(), setup_.playSpeed),
            setup_.instrument};
}

void CCopyDownDlg::PlayScore() { playback_->ToggleScore(WrittenBar()); }

void CCopyDownDlg::SyncPlay()
{
    // Wave and score start together, or not at all while either plays.
    if (!TuneLoaded() || IsPlaying() || IsScorePlaying()) return;
    const auto [start, end] = PlayedStretch(analyzeDlg_->Stretch());
    playback_->SyncPlay({tune_->Format(), tune_->Samples()}, start, end, setup_.playSpeed, WrittenBar());
    buttons_->ShowAll();
}

void CCopyDownDlg::OnScorePlaying(bool playing)
{
    analyzeDlg_->SetScorePlaying(playing);
    buttons_->SetCaption(static_cast<int>(command::kPlayScore), playing ? QStringLiteral("  Stop") : QStringLiteral("  Play"));
    buttons_->ShowAll();
}

void CCopyDownDlg::SetPlayCaption(PlayMode mode, std::string_view caption)
{
    std::uint32_t button = command::kPlay;
    switch (mode) {
    case PlayMode::Main: button = command::kPlay; break;
    case PlayMode::AreaPanel: button = command::kPlayPanel; break;
    case PlayMode::AnalyzeDialog: button = command::kPlayAnalyze; break;
    case PlayMode::AreaList:
        if (areaList_) areaList_->SetPlayCaption(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
        return;
    }
    buttons_->SetCaption(static_cast<int>(button),
                         QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
    buttons_->ShowAll();
}

QString CCopyDownDlg::ButtonCaption(std::uint32_t command) const
{
    // Buttons were made in command order, so a command is its button's index.
    return buttons_->Caption(static_cast<int>(command));
}

void CCopyDownDlg::OpenAreaList(int list)
{
    listDialog_.Run(services_.messages, [this, list] {
        // Rows of the panel's list count from the panel's stretch; the tune plays them in its own frames.
        const std::uint32_t origin = list == kPanelAreaList ? areaDlg_->Stretch().dataStart : 0;
        CAreaListDlg dialog(
            this, *pictures_, list, SampleRate(), services_.messages,
            {[this, origin](std::uint32_t start, std::uint32_t end) {
                 TogglePlay(PlayMode::AreaList, origin + start, origin + end, 1.0);
             },
             [this] { playback_->StopMode(PlayMode::AreaList); },
             [this, list](std::uint32_t start, std::uint32_t end) {
                 if (list == kPanelAreaList) {
                     areaDlg_->Selection() = {start, end, false};
                     Dispatch(command::kAnalyze);
                 } else {
                     mark_ = {start, end, false};
                     Dispatch(command::kCopyDown);
                 }
             },
             [this] { return settingDialog_.IsOpen(); },
             [this](const std::function<void()>& setting) { settingDialog_.Run(services_.messages, setting); }});
        areaList_ = &dialog;
        dialog.exec();
    });
}

void CCopyDownDlg::OpenBarInfo()
{
    listDialog_.Run(services_.messages, [this] {
        CBarDlg dialog(this, setup_.separators, SampleRate(), areaDlg_->Stretch(), services_.messages,
                       {[this] { DrawSeparators(); },
                        [this](const std::function<void()>& info) { infoDialog_.Run(services_.messages, info); }});
        dialog.exec();
    });
}

CAreaListDlg* CCopyDownDlg::AreaList()
{
    return areaList_;
}

std::uint32_t CCopyDownDlg::SampleRate() const
{
    return tune_ ? tune_->Format().samplesPerSec : 44100;
}

void CCopyDownDlg::OpenPlaySetting()
{
    settingDialog_.Run(services_.messages, [this] {
        CPlaySettingDlg setting(this, setup_.playSpeed);
        setting.exec();
    });
}

void CCopyDownDlg::OpenTune(const std::string& path)
{
    // The new tune is read first: a file the reader refuses (it has said why)
    // leaves the tune, its areas, bars and settings as they were.
    std::optional<WaveData> tune = WaveData::LoadMono(path, services_.messages);
    if (!tune) return;
    setup_ = SetupData();
    for (int slot = 0; slot < 3; ++slot) pictures_->ClearAreas(slot);
    // A path too long for setup.ini is not kept: a cut path would name another file.
    setup_.tunePath = FitsTunePath(path) ? path : std::string();
    InstallTune(std::move(tune));
}

void CCopyDownDlg::LoadTune(const std::string& path)
{
    InstallTune(WaveData::LoadMono(path, services_.messages));
}

// `tune` comes mixed to mono, as every tune of the work is.
void CCopyDownDlg::InstallTune(std::optional<WaveData> tune)
{
    // The pictures read the samples in place: none keeps pointing at the old
    // tune's once it is gone. The panels show a stretch again after the next Copy Down.
    for (const int slot : {kTuneSlot, CAreaDlg::kPictureSlot, CAnalyzeDlg::kPictureSlot})
        pictures_->SetSamples(slot, nullptr, 0, 1, 16);
    tune_ = std::move(tune);
    if (tune_) hadTune_ = true;
    const WaveFormat format = tune_ ? tune_->Format() : WaveFormat{};
    ShowTuneBarLines(pictures_->Zoom(kTuneSlot), 0);
    pictures_->SetSamples(kTuneSlot, tune_ ? tune_->Samples().data() : nullptr, TuneFrames(), format.channels,
                          format.bitsPerSample);
    pictures_->Show(kTuneSlot);
    scrollBars_->SetTune(TuneLoaded(), TuneFrames());
}

std::uint32_t CCopyDownDlg::TuneFrames() const
{
    return tune_ ? tune_->Frames() : 0;
}

std::uint32_t CCopyDownDlg::BytesPerFrame() const
{
    return tune_ ? std::uint32_t{tune_->Format().blockAlign} : 0;
}

void CCopyDownDlg::UpdateGuidance()
{
    guidance_ = GuidanceText(TuneLoaded(), mark_.start != 0 || mark_.end != 0, IsPlaying());
    // The text keeps its line breaks as "\n\r"; a label wants "\n" alone.
    QString shown = QString::fromStdString(guidance_);
    shown.remove(QLatin1Char('\r'));
    guidanceLabel_->setText(shown);
}

void CCopyDownDlg::ShowMainMessage(MainMessage message)
{
    ShowPlainMessage(services_.messages, MainMessageText(message));
}

void CCopyDownDlg::OnTunePress(std::uint32_t frame)
{
    PressSelection(*pictures_, kTuneSlot, mark_, TuneLoaded(), frame);
}

void CCopyDownDlg::OnTuneRelease(std::uint32_t frame)
{
    ReleaseSelection(*pictures_, kTuneSlot, mark_, TuneLoaded(), frame);
    UpdateGuidance();
}

void CCopyDownDlg::ShowTuneBarLines(std::uint32_t zoom, std::uint32_t viewStart)
{
    pictures_->ClearMarkers(kTuneSlot);
    const WaveformView view{TuneFrames(), zoom, viewStart, kTunePicturePlace.Width(), kTunePicturePlace.Height()};
    const std::int64_t end = std::int64_t{viewStart} + view.VisibleFrames();
    for (const BarLine& line : VisibleTuneBarLines(setup_.separators, viewStart, end, TuneFrames(),
                                                   kTunePicturePlace.Width(), CWavePicture::kMaxLines))
        pictures_->AddMarker(kTuneSlot, static_cast<std::uint32_t>(line.position), line.colour);
}

void CCopyDownDlg::ShowStretchLines(int slot, std::int64_t dataStart, std::int64_t length)
{
    pictures_->ClearMarkers(slot);
    for (const BarLine& line : StretchBarAndBeatLines(setup_.separators, dataStart, length, CWavePicture::kMaxLines))
        pictures_->AddMarker(slot, static_cast<std::uint32_t>(line.position), line.colour);
}

void CCopyDownDlg::DrawSeparators()
{
    if (!TuneLoaded()) return;
    const PanelStretch& panel = areaDlg_->Stretch();
    ShowStretchLines(CAreaDlg::kPictureSlot, panel.dataStart, panel.dataLength);
    pictures_->Redraw(CAreaDlg::kPictureSlot);
    pictures_->Show(CAreaDlg::kPictureSlot);
    const PanelStretch& analyzed = analyzeDlg_->Stretch();
    ShowStretchLines(CAnalyzeDlg::kPictureSlot, analyzed.dataStart, analyzed.dataLength);
    pictures_->Redraw(CAnalyzeDlg::kPictureSlot);
    pictures_->Show(CAnalyzeDlg::kPictureSlot);
    ShowTuneBarLines(pictures_->Zoom(kTuneSlot), pictures_->ViewStart(kTuneSlot));
    pictures_->Redraw(kTuneSlot);
    pictures_->Show(kTuneSlot);
}

void CCopyDownDlg::CopyDown()
{
    if (!TuneLoaded()) return;
    // A mark made on an earlier, longer tune is cut to this one.
    const std::uint32_t last = TuneFrames() == 0 ? 0 : TuneFrames() - 1;
    mark_.start = std::min(mark_.start, last);
    mark_.end = std::min(mark_.end, last);
    if (mark_.end - mark_.start < kMinStretchFrames) {
        ShowMainMessage(MainMessage::TooNarrow);
        return;
    }
    pictures_->RemoveAreaByColour(kTuneSlot, kSelectionColour);
    areaDlg_->ShowStretch({mark_.start, mark_.end - mark_.start, tune_->Format().samplesPerSec, {}});
    const PanelStretch& stretch = areaDlg_->Stretch();

    MakeCurrentArea(kTuneSlot, mark_.start, mark_.end);

    const int panel = CAreaDlg::kPictureSlot;
    ShowStretchLines(panel, stretch.dataStart, stretch.dataLength);
    pictures_->RecolourAreas(panel, kCurrentColour, kDoneColour);
    pictures_->RemoveAreaByColour(panel, kSelectionColour);
    pictures_->SetSamples(panel, tune_->Samples().data() + std::size_t{mark_.start} * BytesPerFrame(),
                          stretch.dataLength, tune_->Format().channels, tune_->Format().bitsPerSample);
    pictures_->Show(panel);
    pictures_->Redraw(kTuneSlot);
    pictures_->Show(kTuneSlot);
    ShowPanel(*areaDlg_, *this, *analyzeDlg_);
}

void CCopyDownDlg::MakeCurrentArea(int slot, std::uint32_t start, std::uint32_t end)
{
    // A stretch seen before keeps its name and moves to the end of the list.
    std::string name(kUndefinedAreaName);
    if (const int found = pictures_->FindArea(slot, start, end); found >= 0) {
        name = (*pictures_->Areas(slot))[static_cast<std::size_t>(found)].name;
        pictures_->RemoveAreaAt(slot, found);
    }
    pictures_->RecolourAreas(slot, kCurrentColour, kDoneColour);
    // A full list has said so: the stretch is still shown in the panel, but not kept.
    (void)pictures_->AddArea(slot, start, end, kCurrentColour, name);
}

void CCopyDownDlg::Analyze()
{
    if (!TuneLoaded()) return;
    const StretchSelection& piece = areaDlg_->Selection();
    if (piece.end - piece.start < kMinStretchFrames) {
        ShowMainMessage(MainMessage::TooNarrow);
        return;
    }
    const int panel = CAreaDlg::kPictureSlot;
    const int analyze = CAnalyzeDlg::kPictureSlot;
    pictures_->RemoveAreaByColour(panel, kSelectionColour);
    const std::uint32_t pieceStart = areaDlg_->Stretch().dataStart + piece.start;
    const std::uint32_t pieceLength = piece.end - piece.start;

    MakeCurrentArea(panel, piece.start, piece.end);

    // Never past the tune's end, even for a piece of a stretch of an earlier tune.
    const std::uint32_t start = std::min(pieceStart, TuneFrames());
    const std::uint32_t shown = std::min(pieceLength, TuneFrames() - start);
    ShowStretchLines(analyze, pieceStart, shown);
    pictures_->RemoveAreaByColour(analyze, kSelectionColour);
    pictures_->SetSamples(analyze, tune_->Samples().data() + std::size_t{start} * BytesPerFrame(), shown,
                          tune_->Format().channels, tune_->Format().bitsPerSample);
    pictures_->Show(analyze);
    pictures_->Redraw(panel);
    pictures_->Show(panel);

    analyzeDlg_->ShowStretch({pieceStart, pieceLength, tune_->Format().samplesPerSec, {}});
    analyzeDlg_->PrepareForStretch();
    ShowPanel(*analyzeDlg_, *this, *areaDlg_);
}

void CCopyDownDlg::BaseWidth()
{
    const StretchSelection& piece = analyzeDlg_->Selection();
    const auto position = static_cast<std::int32_t>(std::min<std::uint64_t>(
        std::uint64_t{analyzeDlg_->Stretch().dataStart} + piece.start, INT32_MAX));
    const int separator = setup_.separators.SeparatorAt(position);
    const auto width = static_cast<std::int32_t>(std::min<std::uint32_t>(piece.end - piece.start, INT32_MAX));
    if (!setup_.separators.SetBaseLength(separator, width))
        ShowPlainMessage(services_.messages, kTooNarrowForBaseWidth);
    DrawSeparators();
}

TuneSamples CCopyDownDlg::AnalysisSamples() const
{
    if (!tune_) return {};
    const WaveFormat& format = tune_->Format();
    return {tune_->Samples().data(), tune_->Samples().size(), static_cast<std::int32_t>(format.samplesPerSec),
            format.channels, format.bitsPerSample};
}

void CCopyDownDlg::ShowPowerSpectrum()
{
    const NoteStrengths values =
        FrequencyListValues(services_.messages, AnalysisSamples(), analyzeDlg_->Range(), setup_.includeHarmonics == 1);
    std::vector<std::string> guessLines;
    if (guessSetting_->NoteGuessOn()) guessLines = GuessListLines(GuessNotes(AnalysisSamples(), analyzeDlg_->Range()));
    listDialog_.Run(services_.messages, [&] {
        CFrequencyListDlg list(this, values, guessLines);
        list.exec();
    });
}

void CCopyDownDlg::OpenAnalyzeSetting()
{
    settingDialog_.Run(services_.messages, [this] {
        bool noteGuess = guessSetting_->NoteGuessOn();
        CAnalyzeSettingDlg setting(this, setup_.includeHarmonics, noteGuess);
        // A failed write has been shown; the setting holds until the program ends.
        if (setting.exec() == QDialog::Accepted && noteGuess != guessSetting_->NoteGuessOn())
            (void)guessSetting_->SetNoteGuess(noteGuess);
    });
}

void CCopyDownDlg::AddSeparator()
{
    const StretchSelection& piece = analyzeDlg_->Selection();
    setup_.separators.InsertSeparator(static_cast<std::int32_t>(
        std::min<std::uint64_t>(std::uint64_t{analyzeDlg_->Stretch().dataStart} + piece.start, INT32_MAX)));
    DrawSeparators();
}

void CCopyDownDlg::closeEvent(QCloseEvent* event)
{
    event->ignore();
}

void CCopyDownDlg::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) return;
    QDialog::keyPressEvent(event);
}

void CCopyDownDlg::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.addSeparator();
    menu.addAction(QStringLiteral("Harkwell のﾊﾞｰｼﾞｮﾝ情報(&A)..."), this, &CCopyDownDlg::ShowAbout);
    menu.exec(event->globalPos());
}

void CCopyDownDlg::ShowAbout()
{
    CAboutDlg about(this);
    about.exec();
}

}  // namespace harkwell
