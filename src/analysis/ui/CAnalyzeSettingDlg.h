#pragma once

#include "widgets/ui/CButtonFamily.h"

#include <QDialog>

#include <cstdint>

class QCheckBox;

namespace harkwell {

class COffScreenPicture;

// "Analyze Setting": whether the frequency list weighs in the harmonics.
// "  Close" keeps the box's state in the option (1 checked, 0 not).
class CAnalyzeSettingDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr PictureRect kClosePlace{10, 50, 98, 77};

    CAnalyzeSettingDlg(QWidget* parent, std::int32_t& includeHarmonics);

    QCheckBox* HarmonicsBox() const { return box_; }
    COffScreenPicture* CloseButtonHost() const { return closeHost_; }

private:
    void Close();

    std::int32_t& includeHarmonics_;
    QCheckBox* box_;
    COffScreenPicture* closeHost_;
    CButtonFamily buttons_{ButtonFamilyKind::D};
};

}  // namespace harkwell
