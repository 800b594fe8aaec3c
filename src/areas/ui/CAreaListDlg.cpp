#include "areas/ui/CAreaListDlg.h"

#include "areas/AreaColours.h"
#include "areas/AreaListing.h"
#include "areas/ui/CAreaSettingDlg.h"
#include "audio/ui/CWavePicture.h"
#include "common/ErrorReport.h"

#include <QListWidget>

namespace harkwell {

namespace {

constexpr std::array<DialogButton, 5> kButtons{{
    {CAreaListDlg::kClose, "  Close", {210, 190, 298, 217}},
    {CAreaListDlg::kDelete, "  Delete", {210, 150, 298, 177}},
    {CAreaListDlg::kSelect, "  Select", {110, 150, 198, 177}},
    {CAreaListDlg::kSetInfo, " Set Info", {10, 190, 98, 217}},
    {CAreaListDlg::kPlay, "  Play", {10, 150, 98, 177}},
}};

}  // namespace

CAreaListDlg::CAreaListDlg(QWidget* parent, CWavePicture& pictures, int list, std::uint32_t sampleRate,
                           MessageSink& messages, Hooks hooks)
    : QDialog(parent), pictures_(pictures), list_(list), sampleRate_(sampleRate == 0 ? 44100 : sampleRate),
      messages_(messages), hooks_(std::move(hooks)), rows_(new QListWidget(this))
{
    setWindowTitle(list_ == kPanelAreaList ? QStringLiteral("Analyze List") : QStringLiteral("Area List"));
    setFixedSize(310, 230);
    rows_->setGeometry(10, 10, 288, 130);
    rows_->setSortingEnabled(false);
    const auto hosts =
        buttons_.CreateDialogButtons(this, kButtons, [this](std::uint32_t tag) { Press(static_cast<Button>(tag)); });
    for (std::size_t i = 0; i < kButtons.size(); ++i) hosts_[static_cast<std::size_t>(kButtons[i].tag)] = hosts[i];
    FillRows();
}

CAreaListDlg::~CAreaListDlg()
{
    buttons_.DestroyAll();
}

void CAreaListDlg::SetPlayCaption(const QString& caption)
{
    buttons_.SetCaption(kPlay, caption);
    buttons_.ShowAll();
}

void CAreaListDlg::reject()
{
    // However the list closes, a row it plays stops with it.
    hooks_.stopPlaying();
    QDialog::reject();
}

void CAreaListDlg::Press(Button button)
{
    const int row = SelectedRow();
    const WaveformAreas* areas = pictures_.Areas(list_);
    const bool valid = areas != nullptr && row >= 0 && static_cast<std::size_t>(row) < areas->size();
    switch (button) {
    case kClose:
        hooks_.stopPlaying();
        accept();
        break;
    case kDelete:
        if (!valid) return;
        delete rows_->takeItem(row);
        pictures_.RemoveAreaAt(list_, row);
        RedrawSlot();
        break;
    case kSelect: {
        if (!valid) return;
        const WaveformArea area = (*areas)[static_cast<std::size_t>(row)];
        pictures_.RemoveAreaByColour(list_, kSelectionColour);
        pictures_.RecolourAreas(list_, kCurrentColour, kDoneColour);
        hooks_.select(area.start, area.end);
        FillRows();
        break;
    }
    case kSetInfo:
        if (row < 0) {
            ShowMessage(1);
            return;
        }
        if (hooks_.settingDialogOpen()) {
            ShowMessage(2);
            return;
        }
        if (valid) SetInfo(row);
        break;
    case kPlay:
        if (!valid) return;
        hooks_.play((*areas)[static_cast<std::size_t>(row)].start, (*areas)[static_cast<std::size_t>(row)].end);
        break;
    }
}

void CAreaListDlg::SetInfo(int row)
{
    const WaveformArea area = (*pictures_.Areas(list_))[static_cast<std::size_t>(row)];
    std::string name = area.name;
    std::uint32_t colour = area.colour;
    hooks_.runSettingDialog([&] {
        CAreaSettingDlg setting(this, name, colour);
        setting.exec();
    });
    pictures_.RenameArea(list_, row, name, colour);
    RedrawSlot();
    FillRows();
    rows_->setCurrentRow(row);
}

void CAreaListDlg::FillRows()
{
    rows_->clear();
    if (const WaveformAreas* areas = pictures_.Areas(list_))
        for (const WaveformArea& area : *areas)
            rows_->addItem(QString::fromStdString(AreaListRow(area, list_, sampleRate_)));
}

int CAreaListDlg::SelectedRow() const
{
    const QList<QListWidgetItem*> selected = rows_->selectedItems();
    return selected.isEmpty() ? -1 : rows_->row(selected.front());
}

void CAreaListDlg::RedrawSlot()
{
    pictures_.Redraw(list_);
    pictures_.Show(list_);
}

void CAreaListDlg::ShowMessage(int code)
{
    switch (code) {
    case 1: ShowPlainMessage(messages_, "選択されていません。"); break;
    case 2: ShowPlainMessage(messages_, "他に開いている入力ダイアログがあります。"); break;
    default: ShowPlainMessage(messages_, "CAreaListDlg::ErrorMsg"); break;
    }
}

}  // namespace harkwell
