#include "app/ui/CPlaySettingDlg.h"

#include "app/PlaySpeeds.h"
#include "widgets/ui/CButtonFamily.h"

#include <QComboBox>

namespace harkwell {

CPlaySettingDlg::CPlaySettingDlg(QWidget* parent, double& playSpeed)
    : QDialog(parent), playSpeed_(playSpeed), speeds_(new QComboBox(this)),
      buttons_(std::make_unique<CButtonFamily>(ButtonFamilyKind::D))
{
    setWindowTitle(QStringLiteral("Play Setting"));
    setFixedSize(200, 140);
    speeds_->setGeometry(10, 20, 160, 26);
    for (const PlaySpeed& speed : kPlaySpeeds)
        speeds_->addItem(QString::fromUtf8(speed.text.data(), static_cast<qsizetype>(speed.text.size())));
    // A speed that is none of the list's leaves it without a choice.
    speeds_->setCurrentIndex(PlaySpeedIndex(playSpeed_));
    buttons_->CreateFirstButton([this](std::uint32_t tag) { if (tag == 0) Set(); }, nullptr,
                                new COffScreenPicture(this), {10, 100, 98, 127}, QStringLiteral("    設定"),
                                kReleasedButtonBitmap, kPressedButtonBitmap, 0);
}

CPlaySettingDlg::~CPlaySettingDlg()
{
    buttons_->DestroyAll();
}

void CPlaySettingDlg::Set()
{
    const int chosen = speeds_->currentIndex();
    if (chosen >= 0) playSpeed_ = kPlaySpeeds[static_cast<std::size_t>(chosen)].factor;
    accept();
}

}  // namespace harkwell
