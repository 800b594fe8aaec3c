#include "app/ui/CCopyDownDlg.h"

#include "analysis/NoteGuess.h"
#include "analysis/ui/CAnalyzeDlg.h"
#include "app/CommandTable.h"
#include "app/CompanionLocator.h"
#include "app/MainWindowLayout.h"
#include "app/ManualLocation.h"
#include "app/ScoreSong.h"
#include "app/ui/CMainDialogs.h"
#include "app/ui/CStretchCommands.h"
#include "areas/AreaListing.h"
#include "areas/ui/CAreaDlg.h"
#include "areas/ui/CAreaListDlg.h"
#include "areas/ui/CSelectionMarking.h"
#include "audio/ui/CWavePicture.h"
#include "common/ErrorReport.h"
#include "widgets/DialogUnits.h"
#include "widgets/ui/CButtonFamily.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <thread>
#include <vector>

namespace harkwell {

namespace {

constexpr int kGuidanceTop = kTunePicturePlace.bottom + 2;
constexpr int kGuidanceBottom = 218;  // the Play, Copy Down, Help and Close buttons start at 220
constexpr int kQuitDelayMs = 100;

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

CCopyDownDlg::CCopyDownDlg(AppServices services, std::string workDir, QWidget* parent)
    : QDialog(parent), services_(services), workDir_(std::move(workDir))
{
    setWindowTitle(QStringLiteral("Copy Down Tool"));
    setFixedSize(Units(515), Units(172));
    playback_ = std::make_unique<PlaybackControl>(
        services_.waveOut, services_.midiOut, services_.timers, services_.renderer, services_.messages,
        PlaybackControl::Hooks{
            [this](std::function<void()> task) { QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection); },
            [this](PlayMode mode, std::string_view caption) { SetPlayCaption(mode, caption); },
            [this] { UpdateGuidance(); },
            [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); },
            [this](bool playing) { OnScorePlaying(playing); }});
    dialogs_ = std::make_unique<CMainDialogs>(this, services_);
    CreateControls();
    areaDlg_ = new CAreaDlg(this, [this] { return TuneLoaded(); });
    analyzeDlg_ = new CAnalyzeDlg(this, [this] { return TuneLoaded(); }, services_.messages,
                                  {[this] { return synth_.Port(); }, &setup_.instrument, [this] { synth_.OpenAhead(); }});
    stretches_ = std::make_unique<CStretchCommands>(
        CStretchCommands::Windows{*this, *pictures_, *areaDlg_, *analyzeDlg_}, tune_, setup_, services_.messages);
    CreateButtons();
    AttachPanelPictures();
    UpdateGuidance();

    RestoreLastWork();
    // Again: the guidance above was written before the last tune came back.
    UpdateGuidance();
}

CCopyDownDlg::~CCopyDownDlg()
{
    files_.SaveAtClose(tune_, {pictures_->Areas(kTuneSlot), pictures_->Areas(CAreaDlg::kPictureSlot),
                               pictures_->Areas(CAnalyzeDlg::kPictureSlot)});
    playback_.reset();
    stretches_.reset();
    pictures_.reset();
    buttons_->DestroyAll();
    buttons_.reset();
    delete areaDlg_;
    delete analyzeDlg_;
}

void CCopyDownDlg::CreateControls()
{
    // The table of lines holds the visible bars only: they follow every move of the view.
    scrollBars_ = new CTuneScrollBars(this, {[this](int zoom) {
                                                 const auto shown = static_cast<std::uint32_t>(zoom);
                                                 if (stretches_)
                                                     stretches_->ShowTuneBarLines(shown, pictures_->ViewStart(kTuneSlot));
                                                 pictures_->SetZoom(kTuneSlot, zoom);
                                             },
                                             [this](std::uint32_t start) {
                                                 if (stretches_)
                                                     stretches_->ShowTuneBarLines(pictures_->Zoom(kTuneSlot), start);
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
        const QString caption = FromUtf8(button.caption);
        const int tag = static_cast<int>(button.command);
        if (button.command == command::kClose) {
            buttons_->CreateFirstButton([this](std::uint32_t command) { Dispatch(command); }, nullptr, host,
                                        button.place, caption, kReleasedButtonBitmap, kPressedButtonBitmap, tag);
        } else {
            buttons_->AddButton(host, button.place, caption, kReleasedButtonBitmap, kPressedButtonBitmap, tag);
        }
    }
}

void CCopyDownDlg::AttachPanelPictures()
{
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
    case command::kPlaySetting: dialogs_->OpenPlaySetting(setup_.playSpeed); break;
    case command::kCopyDown:
        stretches_->CopyDown(mark_);
        UpdateGuidance();
        break;
    case command::kClosePanel: areaDlg_->hide(); break;
    case command::kAnalyze: stretches_->Analyze(); break;
    case command::kCloseAnalyze: analyzeDlg_->hide(); break;
    case command::kLowPart:
        analyzeDlg_->AnalyzePart(kLowPart, tune_.AnalysisSamples(), files_.GuessSetting().NoteGuessOn());
        break;
    case command::kMidPart:
        analyzeDlg_->AnalyzePart(kMidPart, tune_.AnalysisSamples(), files_.GuessSetting().NoteGuessOn());
        break;
    case command::kHighPart:
        analyzeDlg_->AnalyzePart(kHighPart, tune_.AnalysisSamples(), files_.GuessSetting().NoteGuessOn());
        break;
    case command::kPowerSpectre: ShowPowerSpectrum(); break;
    case command::kAnalyzeSetting: dialogs_->OpenAnalyzeSetting(setup_.includeHarmonics, files_.GuessSetting()); break;
    case command::kPlayScore: playback_->ToggleScore(WrittenBar()); break;
    case command::kSyncPlay: SyncPlay(); break;
    case command::kAreaList: OpenAreaList(kTuneAreaList); break;
    case command::kBarInfo:
        dialogs_->OpenBarInfo(setup_.separators, tune_.SampleRate(), areaDlg_->Stretch(), [this] { DrawSeparators(); });
        break;
    case command::kAnalyzeList: OpenAreaList(kPanelAreaList); break;
    case command::kBaseWidth: stretches_->BaseWidth(); break;
    case command::kAddSeparator: stretches_->AddSeparator(); break;
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
    const std::string ripped = dialogs_->RipCdTrack();
    if (!ripped.empty()) OpenTune(ripped);
    UpdateGuidance();
}

void CCopyDownDlg::OpenTune(const std::string& path)
{
    // The new tune is read first: a file the reader refuses (it has said why)
    // leaves the tune, its areas, bars and settings as they were.
    if (!tune_.OpenNew(path, setup_)) return;
    for (int slot = 0; slot < 3; ++slot) pictures_->ClearAreas(slot);
    ShowTune();
}

void CCopyDownDlg::RestoreLastWork()
{
    // The window opens empty without a word; one started from a terminal says why there.
    const std::optional<AreaLists> lists = files_.RestoreLastWork(tune_, std::cerr);
    if (!lists) return;
    ShowTune();
    for (std::size_t slot = 0; slot < lists->size(); ++slot)
        for (const WaveformArea& area : (*lists)[slot])
            // The file holds no more than a list keeps; a refusal would have said so.
            (void)pictures_->AddArea(static_cast<int>(slot), area.start, area.end, area.colour, area.name);
    pictures_->RecolourAreas(kTuneSlot, kCurrentColour, kDoneColour);
    pictures_->Redraw(kTuneSlot);
    pictures_->Show(kTuneSlot);
}

void CCopyDownDlg::LetGoOfSamples()
{
    // The panels show a stretch again after the next Copy Down.
    if (!pictures_) return;
    for (const int slot : {kTuneSlot, CAreaDlg::kPictureSlot, CAnalyzeDlg::kPictureSlot})
        pictures_->SetSamples(slot, nullptr, 0, 1, 16);
}

void CCopyDownDlg::ShowTune()
{
    const WaveFormat format = tune_.Format();
    stretches_->ShowTuneBarLines(pictures_->Zoom(kTuneSlot), 0);
    pictures_->SetSamples(kTuneSlot, tune_.FrameBytes(0), tune_.Frames(), format.channels, format.bitsPerSample);
    pictures_->Show(kTuneSlot);
    scrollBars_->SetTune(TuneLoaded(), TuneFrames());
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
    playback_->Toggle(mode, {tune_.Format(), tune_.Tune().Samples()}, start, end, speed);
}

ScoreBar CCopyDownDlg::WrittenBar() const
{
    // The tempo of the separator in force where the analysed piece begins, at the play speed.
    const PanelStretch& piece = analyzeDlg_->Stretch();
    const auto position =
        static_cast<std::int32_t>(std::min<std::uint64_t>(std::uint64_t{piece.dataStart} + piece.selection.start, INT32_MAX));
    return {&analyzeDlg_->Grid(), ScoreTempo(setup_.separators, position, tune_.SampleRate(), setup_.playSpeed),
            setup_.instrument};
}

void CCopyDownDlg::SyncPlay()
{
    // Wave and score start together, or not at all while either plays.
    if (!TuneLoaded() || IsPlaying() || IsScorePlaying()) return;
    const auto [start, end] = PlayedStretch(analyzeDlg_->Stretch());
    playback_->SyncPlay({tune_.Format(), tune_.Tune().Samples()}, start, end, setup_.playSpeed, WrittenBar());
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
        if (CAreaListDlg* list = dialogs_->AreaList()) list->SetPlayCaption(FromUtf8(caption));
        return;
    }
    buttons_->SetCaption(static_cast<int>(button), FromUtf8(caption));
    buttons_->ShowAll();
}

QString CCopyDownDlg::ButtonCaption(std::uint32_t command) const
{
    // Buttons were made in command order, so a command is its button's index.
    return buttons_->Caption(static_cast<int>(command));
}

void CCopyDownDlg::OpenAreaList(int list)
{
    // Rows of the panel's list count from the panel's stretch; the tune plays them in its own frames.
    const std::uint32_t origin = list == kPanelAreaList ? areaDlg_->Stretch().dataStart : 0;
    CAreaListDlg::Hooks hooks;
    hooks.play = [this, origin](std::uint32_t start, std::uint32_t end) {
        TogglePlay(PlayMode::AreaList, origin + start, origin + end, 1.0);
    };
    hooks.stopPlaying = [this] { playback_->StopMode(PlayMode::AreaList); };
    hooks.select = [this, list](std::uint32_t start, std::uint32_t end) {
        if (list == kPanelAreaList) {
            areaDlg_->Selection() = {start, end, false};
            Dispatch(command::kAnalyze);
        } else {
            mark_ = {start, end, false};
            Dispatch(command::kCopyDown);
        }
    };
    dialogs_->OpenAreaList(*pictures_, list, tune_.SampleRate(), std::move(hooks));
}

CAreaListDlg* CCopyDownDlg::AreaList() { return dialogs_->AreaList(); }

void CCopyDownDlg::DrawSeparators() { stretches_->DrawSeparators(); }

void CCopyDownDlg::ShowPowerSpectrum()
{
    const NoteStrengths values = FrequencyListValues(services_.messages, tune_.AnalysisSamples(), analyzeDlg_->Range(),
                                                     setup_.includeHarmonics == 1);
    std::vector<std::string> guessLines;
    if (files_.GuessSetting().NoteGuessOn())
        guessLines = GuessListLines(GuessNotes(tune_.AnalysisSamples(), analyzeDlg_->Range()));
    dialogs_->ShowFrequencyList(values, guessLines);
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

void CCopyDownDlg::closeEvent(QCloseEvent* event) { event->ignore(); }

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
    menu.addAction(QStringLiteral("Harkwell のﾊﾞｰｼﾞｮﾝ情報(&A)..."), this, [this] { dialogs_->ShowAbout(); });
    menu.exec(event->globalPos());
}

}  // namespace harkwell
