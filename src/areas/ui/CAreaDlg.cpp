#include "areas/ui/CAreaDlg.h"

#include "areas/ui/CSelectionMarking.h"
#include "audio/ui/CWavePicture.h"
#include "widgets/ui/COffScreenPicture.h"

#include <QLabel>

namespace harkwell {

CAreaDlg::CAreaDlg(QWidget* parent, std::function<bool()> tuneLoaded)
    : QDialog(parent), tuneLoaded_(std::move(tuneLoaded)), pictureHost_(new COffScreenPicture(this)),
      guidance_(new QLabel(this))
{
    setWindowTitle(QStringLiteral("Area"));
    setFixedSize(900, 240);
    guidance_->setGeometry(10, 128, 880, 64);
    guidance_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Set once: it describes the panel, not what plays.
    guidance_->setText(QStringLiteral("Click play button to play.\nStart copying down after area is detemined."));
}

COffScreenPicture* CAreaDlg::NewButtonHost()
{
    return new COffScreenPicture(this);
}

void CAreaDlg::OnPicturePress(std::uint32_t frame)
{
    if (pictures_ != nullptr) PressSelection(*pictures_, kPictureSlot, stretch_.selection, tuneLoaded_(), frame);
}

void CAreaDlg::OnPictureRelease(std::uint32_t frame)
{
    if (pictures_ != nullptr) ReleaseSelection(*pictures_, kPictureSlot, stretch_.selection, tuneLoaded_(), frame);
}

QString CAreaDlg::GuidanceText() const
{
    return guidance_->text();
}

}  // namespace harkwell
