#pragma once

#include <QDialog>

#include <memory>

class QComboBox;

namespace harkwell {

class CButtonFamily;

// Chooses the speed of the analyze dialog's Play; the choice is kept in the
// settings, so it lasts from one run to the next.
class CPlaySettingDlg : public QDialog {
    Q_OBJECT

public:
    CPlaySettingDlg(QWidget* parent, double& playSpeed);
    ~CPlaySettingDlg() override;

    QComboBox* SpeedList() { return speeds_; }
    // The one button, "    設定": takes the chosen speed and closes.
    void Set();

private:
    double& playSpeed_;
    QComboBox* speeds_;
    std::unique_ptr<CButtonFamily> buttons_;
};

}  // namespace harkwell
