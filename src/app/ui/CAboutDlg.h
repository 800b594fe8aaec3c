#pragma once

#include <QDialog>

namespace harkwell {

// The version box reached from the main window's context menu.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace harkwell
