#include "areas/ui/CInfoDlg.h"

#include "areas/SeparatorListing.h"
#include "common/ErrorReport.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

namespace harkwell {

namespace {

QString Text(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QLabel* Label(QWidget* parent, const QString& text, int x, int y, int width)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(x, y, width, 22);
    return label;
}

}  // namespace

CInfoDlg::CInfoDlg(QWidget* parent, SeparatorTable& table, int index, std::uint32_t sampleRate,
                   MessageSink& messages, std::function<void()> drawSeparators)
    : QDialog(parent), table_(table), index_(std::clamp(index, 0, table.separatorCount - 1)),
      sampleRate_(sampleRate == 0 ? 44100 : sampleRate), messages_(messages),
      drawSeparators_(std::move(drawSeparators)),
      timeSignatures_(new QComboBox(this)), tempo_(new QLineEdit(this)), noteValues_(new QComboBox(this)),
      length_(new QSpinBox(this)), closeHost_(new COffScreenPicture(this))
{
    setWindowTitle(QStringLiteral("Information"));
    setFixedSize(410, 140);
    Label(this, QStringLiteral("拍子"), 10, 12, 60);
    timeSignatures_->setGeometry(80, 10, 100, 26);
    Label(this, QStringLiteral("テンポ"), 200, 12, 60);
    tempo_->setGeometry(260, 10, 80, 26);
    Label(this, QStringLiteral("ＢＰＭ"), 346, 12, 60);
    Label(this, QStringLiteral("基準音価"), 10, 52, 70);
    noteValues_->setGeometry(80, 50, 120, 26);
    Label(this, QStringLiteral("長さ"), 210, 52, 50);
    length_->setGeometry(260, 50, 80, 26);
    Label(this, QStringLiteral("ミリ秒"), 346, 52, 60);

    buttons_.CreateFirstButton([this](std::uint32_t) { accept(); }, nullptr, closeHost_, {310, 100, 398, 127},
                               QStringLiteral("  Close"), kReleasedButtonBitmap, kPressedButtonBitmap, 0);
    length_->setRange(0, 10000);
    for (const TimeSignature& signature : kTimeSignatureTable) timeSignatures_->addItem(Text(signature.name));
    for (const NoteValue& value : kNoteValueTable) noteValues_->addItem(Text(value.name));
    const auto at = static_cast<std::size_t>(index_);
    timeSignatures_->setCurrentIndex(table_.timeSignature[at]);
    noteValues_->setCurrentIndex(table_.baseNote[at]);
    ShowLengthAndTempo();

    connect(length_, &QSpinBox::textChanged, this, &CInfoDlg::OnLengthText);
    connect(noteValues_, &QComboBox::currentIndexChanged, this, &CInfoDlg::OnNoteValue);
    connect(timeSignatures_, &QComboBox::currentIndexChanged, this, &CInfoDlg::OnTimeSignature);
    ready_ = true;
}

CInfoDlg::~CInfoDlg()
{
    buttons_.DestroyAll();
}

void CInfoDlg::ShowLengthAndTempo()
{
    const QSignalBlocker quiet(length_);
    length_->setValue(table_.LengthMilliseconds(index_, sampleRate_));
    tempo_->setText(QString::number(table_.Tempo(index_, sampleRate_)));
    // Writing the length box counts as typing it: the stored length becomes
    // the frame count of the milliseconds shown.
    if (ready_) OnLengthText(length_->text());
}

void CInfoDlg::OnLengthText(const QString& text)
{
    if (!ready_) return;
    const int ms = LeadingMilliseconds(text.toStdString());
    if (ms <= 0) {
        ShowPlainMessage(messages_, "CInfoDlg::ErrorMsg");
        return;
    }
    table_.baseLength[static_cast<std::size_t>(index_)] = FramesFromMilliseconds(ms, sampleRate_);
    drawSeparators_();
}

void CInfoDlg::OnNoteValue(int index)
{
    if (!ready_ || index < 0) return;
    table_.ChangeBaseNote(index_, index);
    ShowLengthAndTempo();
}

void CInfoDlg::OnTimeSignature(int index)
{
    if (!ready_ || index < 0) return;
    table_.timeSignature[static_cast<std::size_t>(index_)] = index;
    drawSeparators_();
}

}  // namespace harkwell
