#pragma once

#include <QDialog>

class QApplication;

namespace harkwell {

// The main window: the tune, its waveform and the copying-down commands.
class CCopyDownDlg : public QDialog {
    Q_OBJECT

public:
    explicit CCopyDownDlg(QWidget* parent = nullptr);
};

// The colours of every dialog of the program: a soft green with darker text.
void ApplyDialogColours(QApplication& application);

}  // namespace harkwell
