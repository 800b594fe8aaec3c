#include "analysis/CAnalyzeDlg.h"

#include "areas/CSelectionMarking.h"
#include "audio/CWavePicture.h"
#include "widgets/COffScreenPicture.h"

namespace harkwell {

CAnalyzeDlg::CAnalyzeDlg(QWidget* parent, std::function<bool()> tuneLoaded)
    : QDialog(parent), tuneLoaded_(std::move(tuneLoaded)), pictureHost_(new COffScreenPicture(this))
{
    setWindowTitle(QStringLiteral("Analyze"));
    setFixedSize(520, 540);
}

COffScreenPicture* CAnalyzeDlg::NewButtonHost()
{
    return new COffScreenPicture(this);
}

void CAnalyzeDlg::OnPicturePress(std::uint32_t frame)
{
    if (pictures_ != nullptr) PressSelection(*pictures_, kPictureSlot, selection_, tuneLoaded_(), frame);
}

void CAnalyzeDlg::OnPictureRelease(std::uint32_t frame)
{
    if (pictures_ != nullptr) ReleaseSelection(*pictures_, kPictureSlot, selection_, tuneLoaded_(), frame);
}

void CAnalyzeDlg::PrepareForStretch()
{
    grid_.SetCursor(0);
    grid_.Write(ScoreGrid::kRest, ScoreGrid::kPositions);
}

}  // namespace harkwell
