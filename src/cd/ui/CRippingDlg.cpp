#include "cd/ui/CRippingDlg.h"

#include "common/ErrorReport.h"
#include "widgets/DialogUnits.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMetaObject>
#include <QPointer>

namespace harkwell {

namespace {

constexpr std::array<DialogButton, 3> kButtons{{
    {CRippingDlg::kClose, "  Close", {Units(80), Units(215), Units(80) + 88, Units(215) + 27}},
    {CRippingDlg::kRipping, "  Ripping", {Units(80), Units(7), Units(80) + 88, Units(7) + 27}},
    {CRippingDlg::kUpdateInfo, "Update Info", {Units(80), Units(33), Units(80) + 88, Units(33) + 27}},
}};
constexpr const char* kStopCaption = "   Stop";
constexpr int kTickMs = 200;

QString Text(const char* text) { return QString::fromUtf8(text); }

}  // namespace

CRippingDlg::CRippingDlg(QWidget* parent, CdReader& reader, MessageSink& messages, FilePrompt& prompt)
    : QDialog(parent), reader_(reader), messages_(messages), prompt_(prompt), drives_(new QComboBox(this)),
      tracks_(new QListWidget(this)), status_(new QLabel(this)), ticks_(new QLabel(this)),
      extractor_(reader, messages)
{
    setWindowTitle(QStringLiteral("Ripping"));
    setFixedSize(Units(80) + 100, Units(240));
    drives_->setGeometry(Units(7), Units(7), Units(63), Units(14));
    tracks_->setGeometry(Units(7), Units(33), Units(62), Units(137));
    status_->setGeometry(Units(7), Units(195), Units(62), Units(21));
    status_->setWordWrap(true);
    ticks_->setGeometry(Units(7), Units(223), Units(65), Units(12));
    timer_.setInterval(kTickMs);
    connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });

    for (const std::string& path : ListCdDrives(reader_)) drives_->addItem(QString::fromStdString(path));
    if (drives_->count() > 0) drives_->setCurrentIndex(0);
    else ShowPlainMessage(messages_, cd_text::kNoDrive);
    FillTracks();
    const auto hosts =
        buttons_.CreateDialogButtons(this, kButtons, [this](std::uint32_t tag) { Press(static_cast<Button>(tag)); });
    for (std::size_t i = 0; i < kButtons.size(); ++i) hosts_[static_cast<std::size_t>(kButtons[i].tag)] = hosts[i];
}

CRippingDlg::~CRippingDlg()
{
    // The worker ends after the piece it is reading; its last report finds the
    // dialog gone and is dropped.
    extractor_.Stop();
    extractor_.Join();
    buttons_.DestroyAll();
}

void CRippingDlg::Press(Button button)
{
    switch (button) {
    case kClose:
        if (extractor_.Running() || ripping_) {
            ShowPlainMessage(messages_, cd_text::kRipping);
            return;
        }
        QDialog::reject();
        return;
    case kRipping: StartOrStop(); return;
    case kUpdateInfo:
        if (!extractor_.Running() && !ripping_) FillTracks();
        return;
    }
}

void CRippingDlg::reject() { Press(kClose); }

void CRippingDlg::FillTracks()
{
    if (drives_->count() == 0) return;
    const int count = CountTracks(reader_, drives_->currentIndex(), messages_);
    tracks_->clear();
    if (count == 0) ShowPlainMessage(messages_, cd_text::kNoDisc);
    for (int number = 1; number <= count; ++number)
        tracks_->addItem(QString::fromUtf8("トラック%1").arg(number, 2, 10, QLatin1Char('0')));
}

void CRippingDlg::StartOrStop()
{
    if (ripping_) {
        buttons_.SetCaption(kRipping, Text(kButtons[kRipping].caption.data()));
        extractor_.Stop();
        status_->setText(Text(cd_text::kRipStopped));
        ripping_ = false;
        return;
    }
    if (extractor_.Running()) return;  // a stopped extraction is still finishing its piece
    if (drives_->count() == 0) return;
    if (tracks_->currentRow() < 0) {
        ShowPlainMessage(messages_, cd_text::kSelectTrack);
        return;
    }
    ripping_ = true;
    buttons_.SetCaption(kRipping, Text(kStopCaption));
    // A cancelled prompt leaves the name empty; the extraction says so.
    path_ = prompt_.PromptSave({"wav", ParseFileFilters("WAV files|*.wav|")}).value_or(std::string());
    QPointer<CRippingDlg> self(this);
    const bool started = extractor_.Start(
        [self](ExtractionResult result) {
            // From the worker: the dialog is touched only on the interface thread.
            QMetaObject::invokeMethod(
                self.data(), [self, result] { if (self) self->Completed(result); }, Qt::QueuedConnection);
        },
        drives_->currentIndex(), tracks_->currentRow(), path_);
    if (!started) return;
    status_->setText(Text(cd_text::kRipping));
    tickCount_ = 0;
    timer_.start();
}

void CRippingDlg::Tick()
{
    ticks_->setText(QStringLiteral("%1").arg(tickCount_, 4, 10, QLatin1Char('0')));
    ++tickCount_;
}

void CRippingDlg::Completed(ExtractionResult result)
{
    timer_.stop();
    ticks_->clear();
    buttons_.SetCaption(kRipping, Text(kButtons[kRipping].caption.data()));
    status_->setText(Text(cd_text::kRipStopped));
    ripping_ = false;
    if (result == ExtractionResult::Succeeded) {
        ShowPlainMessage(messages_, cd_text::kRipSucceeded);
        accept();
        return;
    }
    ShowPlainMessage(messages_, cd_text::kRipFailed);
    path_.clear();
}

}  // namespace harkwell
