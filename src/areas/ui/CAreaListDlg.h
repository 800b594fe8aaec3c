#pragma once

#include "common/MessageSink.h"
#include "widgets/ui/CButtonFamily.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <functional>

class QListWidget;

namespace harkwell {

class CWavePicture;

// Lists the areas of one area list (0 the tune's, 1 the area panel's) and
// lets the user play one, make it the current stretch again, rename or
// recolour it, or delete it.
class CAreaListDlg : public QDialog {
    Q_OBJECT

public:
    enum Button { kClose = 0, kDelete = 1, kSelect = 2, kSetInfo = 3, kPlay = 4 };

    // What the list needs of the main window.
    struct Hooks {
        // The Play command of the area list for an area's frames (a second
        // press, or the analyze dialog's Play, stops it).
        std::function<void(std::uint32_t start, std::uint32_t end)> play;
        // Stops a playback this list started; nothing otherwise.
        std::function<void()> stopPlaying;
        // Makes the area the current stretch again: Copy Down for list 0,
        // Analyze for list 1.
        std::function<void(std::uint32_t start, std::uint32_t end)> select;
        // One setting dialog at a time, shared with the main window's:
        // whether one is open, and running one under that rule.
        std::function<bool()> settingDialogOpen;
        std::function<void(const std::function<void()>& dialog)> runSettingDialog;
    };

    CAreaListDlg(QWidget* parent, CWavePicture& pictures, int list, std::uint32_t sampleRate, MessageSink& messages,
                 Hooks hooks);
    ~CAreaListDlg() override;

    // The list's own Play button follows its playback.
    void SetPlayCaption(const QString& caption);

    void Press(Button button);
    QListWidget* Rows() { return rows_; }
    COffScreenPicture* ButtonHost(Button button) { return hosts_.at(button); }
    QString ButtonCaption(Button button) const { return buttons_.Caption(button); }

protected:
    void reject() override;

private:
    void FillRows();
    // The selected row, or -1.
    int SelectedRow() const;
    void RedrawSlot();
    void ShowMessage(int code);
    void SetInfo(int row);

    CWavePicture& pictures_;
    int list_;
    std::uint32_t sampleRate_;
    MessageSink& messages_;
    Hooks hooks_;
    QListWidget* rows_;
    std::array<COffScreenPicture*, 5> hosts_{};
    CButtonFamily buttons_{ButtonFamilyKind::B};
};

}  // namespace harkwell
