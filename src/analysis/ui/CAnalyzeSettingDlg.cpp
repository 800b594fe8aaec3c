#include "analysis/ui/CAnalyzeSettingDlg.h"

#include "widgets/ui/COffScreenPicture.h"

#include <QCheckBox>

namespace harkwell {

CAnalyzeSettingDlg::CAnalyzeSettingDlg(QWidget* parent, std::int32_t& includeHarmonics, bool& noteGuess)
    : QDialog(parent), includeHarmonics_(includeHarmonics), noteGuess_(noteGuess),
      box_(new QCheckBox(QStringLiteral("倍音も含めて解析"), this)),
      guessBox_(new QCheckBox(QStringLiteral("Guess the notes that sound"), this)), closeHost_(new COffScreenPicture(this))
{
    setWindowTitle(QStringLiteral("Analyze Setting"));
    setFixedSize(220, 90);
    // Both boxes stand above "  Close", which keeps its place.
    box_->setGeometry(10, 4, 200, 22);
    box_->setChecked(includeHarmonics_ == 1);
    guessBox_->setGeometry(10, 26, 200, 22);
    guessBox_->setChecked(noteGuess_);
    buttons_.CreateFirstButton([this](std::uint32_t) { Close(); }, nullptr, closeHost_, kClosePlace,
                               QStringLiteral("  Close"), kReleasedButtonBitmap, kPressedButtonBitmap, 0);
}

void CAnalyzeSettingDlg::Close()
{
    includeHarmonics_ = box_->isChecked() ? 1 : 0;
    noteGuess_ = guessBox_->isChecked();
    accept();
}

}  // namespace harkwell
