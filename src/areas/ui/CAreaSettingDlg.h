#pragma once

#include "widgets/ui/CButtonFamily.h"

#include <QDialog>

#include <cstdint>
#include <string>

class QComboBox;
class QLineEdit;

namespace harkwell {

// Names and colours one area. "    Update" takes what the boxes show;
// closing by other means leaves the name and colour as they were given.
class CAreaSettingDlg : public QDialog {
    Q_OBJECT

public:
    CAreaSettingDlg(QWidget* parent, std::string& name, std::uint32_t& colour);
    ~CAreaSettingDlg() override;

    QLineEdit* NameBox() { return nameBox_; }
    QComboBox* ColourList() { return colours_; }
    COffScreenPicture* UpdateButton() { return updateHost_; }
    void Update();

private:
    std::string& name_;
    std::uint32_t& colour_;
    QLineEdit* nameBox_;
    QComboBox* colours_;
    COffScreenPicture* updateHost_;
    CButtonFamily buttons_{ButtonFamilyKind::D};
};

}  // namespace harkwell
