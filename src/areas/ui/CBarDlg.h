#pragma once

#include "areas/PanelStretch.h"
#include "areas/SeparatorTable.h"
#include "common/MessageSink.h"
#include "widgets/ui/CButtonFamily.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <functional>

class QListWidget;

namespace harkwell {

// Lists the tune's separators with their start and tempo; adds one at the
// area panel's selection, sets one's base note length from it, opens one's
// details and deletes one.
class CBarDlg : public QDialog {
    Q_OBJECT

public:
    enum Button { kClose = 0, kAddSeparator = 1, kBaseWidth = 2, kSetInfo = 3, kDelSeparator = 4 };

    struct Hooks {
        // Puts the bar and beat lines of the table on every picture.
        std::function<void()> drawSeparators;
        // Runs the separator's details dialog under its own one-at-a-time rule.
        std::function<void(const std::function<void()>& dialog)> runInfoDialog;
    };

    CBarDlg(QWidget* parent, SeparatorTable& table, std::uint32_t sampleRate, const PanelStretch& panel,
            MessageSink& messages, Hooks hooks);
    ~CBarDlg() override;

    void Press(Button button);
    QListWidget* Rows() { return rows_; }
    COffScreenPicture* ButtonHost(Button button) { return hosts_.at(button); }

private:
    void FillRows();
    // The tune frame at the panel's selection.
    std::int32_t SelectionPosition() const;

    SeparatorTable& table_;
    std::uint32_t sampleRate_;
    const PanelStretch& panel_;
    MessageSink& messages_;
    Hooks hooks_;
    QListWidget* rows_;
    std::array<COffScreenPicture*, 5> hosts_{};
    CButtonFamily buttons_{ButtonFamilyKind::B};
};

}  // namespace harkwell
