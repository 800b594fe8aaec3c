#pragma once

#include "analysis/NoteAnalysis.h"
#include "widgets/ui/CButtonFamily.h"

#include <QDialog>

#include <string>
#include <vector>

class QListWidget;

namespace harkwell {

class COffScreenPicture;

// The "Power Spectre" result as text: one line per note 0..127 with its
// number, octave, name, strength (the largest scaled to 1000) and a bar of
// asterisks. With the note guess on, the guess comes first, a line a note.
// Modal; "  Close" ends it.
class CFrequencyListDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr PictureRect kClosePlace{10, 350, 98, 377};

    CFrequencyListDlg(QWidget* parent, const NoteStrengths& strengths, const std::vector<std::string>& guessLines = {});

    QListWidget* List() const { return list_; }
    COffScreenPicture* CloseButtonHost() const { return closeHost_; }

private:
    NoteStrengths strengths_;
    QListWidget* list_;
    COffScreenPicture* closeHost_;
    CButtonFamily buttons_{ButtonFamilyKind::B};
};

}  // namespace harkwell
