#include "areas/ui/CBarDlg.h"

#include "areas/SeparatorListing.h"
#include "areas/ui/CInfoDlg.h"
#include "common/ErrorReport.h"

#include <QListWidget>

#include <algorithm>

namespace harkwell {

namespace {

constexpr std::array<DialogButton, 5> kButtons{{
    {CBarDlg::kClose, "  Close", {110, 200, 198, 227}},
    {CBarDlg::kAddSeparator, "Add Separator", {10, 10, 98, 37}},
    {CBarDlg::kBaseWidth, "Base Width", {110, 10, 198, 37}},
    {CBarDlg::kSetInfo, " Set Info", {10, 200, 98, 227}},
    {CBarDlg::kDelSeparator, "Del Separator", {10, 40, 98, 67}},
}};

constexpr std::string_view kTooNarrow = "指定されている範囲が無い、あるいは、狭すぎます。";

}  // namespace

CBarDlg::CBarDlg(QWidget* parent, SeparatorTable& table, std::uint32_t sampleRate, const PanelStretch& panel,
                 MessageSink& messages, Hooks hooks)
    : QDialog(parent), table_(table), sampleRate_(sampleRate == 0 ? 44100 : sampleRate), panel_(panel),
      messages_(messages), hooks_(std::move(hooks)), rows_(new QListWidget(this))
{
    setWindowTitle(QStringLiteral("Separator Information"));
    setFixedSize(330, 240);
    rows_->setGeometry(110, 45, 210, 145);
    rows_->setSortingEnabled(false);
    const auto hosts =
        buttons_.CreateDialogButtons(this, kButtons, [this](std::uint32_t tag) { Press(static_cast<Button>(tag)); });
    for (std::size_t i = 0; i < kButtons.size(); ++i) hosts_[static_cast<std::size_t>(kButtons[i].tag)] = hosts[i];
    FillRows();
}

CBarDlg::~CBarDlg()
{
    buttons_.DestroyAll();
}

std::int32_t CBarDlg::SelectionPosition() const
{
    return static_cast<std::int32_t>(
        std::min<std::uint64_t>(std::uint64_t{panel_.dataStart} + panel_.selection.start, INT32_MAX));
}

void CBarDlg::Press(Button button)
{
    const int row = std::clamp(rows_->currentRow(), 0, table_.separatorCount - 1);
    switch (button) {
    case kClose: accept(); return;
    case kAddSeparator: table_.InsertSeparator(SelectionPosition()); break;
    case kBaseWidth: {
        const auto width = static_cast<std::int32_t>(
            std::min<std::uint32_t>(panel_.selection.end - panel_.selection.start, INT32_MAX));
        if (!table_.SetBaseLength(row, width)) ShowPlainMessage(messages_, kTooNarrow);
        break;
    }
    case kSetInfo:
        hooks_.runInfoDialog([&] {
            CInfoDlg info(this, table_, row, sampleRate_, messages_, hooks_.drawSeparators);
            info.exec();
        });
        FillRows();
        return;
    case kDelSeparator:
        if (row == 0) {
            ShowPlainMessage(messages_, "Can not delete the first separator.");
            return;
        }
        (void)table_.DeleteSeparator(row);  // any row but the first is in use
        break;
    }
    hooks_.drawSeparators();
    FillRows();
}

void CBarDlg::FillRows()
{
    rows_->clear();
    for (int i = 0; i < table_.separatorCount; ++i)
        rows_->addItem(QString::fromStdString(SeparatorRow(table_, i, sampleRate_)));
    rows_->setCurrentRow(table_.SeparatorAt(SelectionPosition()));
}

}  // namespace harkwell
