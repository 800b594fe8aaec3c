#pragma once

#include "areas/SeparatorTable.h"
#include "common/MessageSink.h"
#include "widgets/ui/CButtonFamily.h"

#include <QDialog>

#include <cstdint>
#include <functional>

class QComboBox;
class QLineEdit;
class QSpinBox;

namespace harkwell {

// Edits one separator: its time signature, its base note value and the
// length of its base note in milliseconds, showing the tempo they give.
// Every change goes into the table at once and the bar lines follow.
class CInfoDlg : public QDialog {
    Q_OBJECT

public:
    CInfoDlg(QWidget* parent, SeparatorTable& table, int index, std::uint32_t sampleRate, MessageSink& messages,
             std::function<void()> drawSeparators);
    ~CInfoDlg() override;

    QComboBox* TimeSignatureList() { return timeSignatures_; }
    QComboBox* NoteValueList() { return noteValues_; }
    QSpinBox* LengthBox() { return length_; }
    QLineEdit* TempoBox() { return tempo_; }
    COffScreenPicture* CloseButton() { return closeHost_; }

private:
    void ShowLengthAndTempo();
    void OnLengthText(const QString& text);
    void OnNoteValue(int index);
    void OnTimeSignature(int index);

    SeparatorTable& table_;
    int index_;
    std::uint32_t sampleRate_;
    MessageSink& messages_;
    std::function<void()> drawSeparators_;
    bool ready_ = false;
    QComboBox* timeSignatures_;
    QLineEdit* tempo_;
    QComboBox* noteValues_;
    QSpinBox* length_;
    COffScreenPicture* closeHost_;
    CButtonFamily buttons_{ButtonFamilyKind::C};
};

}  // namespace harkwell
