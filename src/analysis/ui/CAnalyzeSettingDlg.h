#pragma once

#include "widgets/ui/CButtonFamily.h"

#include <QDialog>

#include <cstdint>

class QCheckBox;

namespace harkwell {

class COffScreenPicture;

// "Analyze Setting": whether the frequency list weighs in the harmonics, and
// whether the note guess is shown beside the key colouring and in the list.
// "  Close" keeps both boxes' states (harmonics: 1 checked, 0 not).
class CAnalyzeSettingDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr PictureRect kClosePlace{10, 50, 98, 77};

    CAnalyzeSettingDlg(QWidget* parent, std::int32_t& includeHarmonics, bool& noteGuess);

    QCheckBox* HarmonicsBox() const { return box_; }
    QCheckBox* GuessBox() const { return guessBox_; }
    COffScreenPicture* CloseButtonHost() const { return closeHost_; }

private:
    void Close();

    std::int32_t& includeHarmonics_;
    bool& noteGuess_;
    QCheckBox* box_;
    QCheckBox* guessBox_;
    COffScreenPicture* closeHost_;
    CButtonFamily buttons_{ButtonFamilyKind::D};
};

}  // namespace harkwell
