#include "analysis/ui/CAnalyzeSettingDlg.h"

#include "widgets/ui/COffScreenPicture.h"

#include <QCheckBox>

namespace harkwell {

CAnalyzeSettingDlg::CAnalyzeSettingDlg(QWidget* parent, std::int32_t& includeHarmonics)
    : QDialog(parent), includeHarmonics_(includeHarmonics),
      box_(new QCheckBox(QStringLiteral("倍音も含めて解析"), this)), closeHost_(new COffScreenPicture(this))
{
    setWindowTitle(QStringLiteral("Analyze Setting"));
    setFixedSize(220, 90);
    box_->setGeometry(10, 12, 200, 24);
    box_->setChecked(includeHarmonics_ == 1);
    buttons_.CreateFirstButton([this](std::uint32_t) { Close(); }, nullptr, closeHost_, kClosePlace,
                               QStringLiteral("  Close"), kReleasedButtonBitmap, kPressedButtonBitmap, 0);
}

void CAnalyzeSettingDlg::Close()
{
    includeHarmonics_ = box_->isChecked() ? 1 : 0;
    accept();
}

}  // namespace harkwell
