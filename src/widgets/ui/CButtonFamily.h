#pragma once

#include "widgets/ui/COffScreenPicture.h"

#include <QImage>
#include <QPointer>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

namespace harkwell {

// The four families keep the buttons of a modal dialog apart from those of the
// windows behind it: A the main window and its two panels, B the list, bar,
// frequency list and ripping dialogs, C the separator information dialog, D
// the one button of each small setting dialog.
enum class ButtonFamilyKind { A, B, C, D };

// Resource numbers of the two button looks.
inline constexpr int kReleasedButtonBitmap = 130;
inline constexpr int kPressedButtonBitmap = 129;

// Caption colours, 0x00BBGGRR: dark green on a released button, a muted teal
// while it is down, and a light red for a pressed button of family D.
inline constexpr std::uint32_t kCaptionReleased = 0x006400;
inline constexpr std::uint32_t kCaptionPressed = 0x326464;
inline constexpr std::uint32_t kCaptionPressedFamilyD = 0x7F7FFF;

// One button of a dialog's own family: its tag, caption and place.
struct DialogButton {
    int tag;
    std::string_view caption;  // UTF-8; leading blanks are part of the look
    PictureRect place;
};

// A family of up to 64 bitmap buttons sharing one press handler and one
// release handler, each button told apart by its tag. A command fires when
// its button goes down.
class CButtonFamily {
public:
    using Handler = std::function<void(std::uint32_t tag)>;
    static constexpr int kCapacity = 64;

    explicit CButtonFamily(ButtonFamilyKind kind) : kind_(kind) {}
    CButtonFamily(const CButtonFamily&) = delete;
    CButtonFamily& operator=(const CButtonFamily&) = delete;

    // Sets the handlers and adds the first button. Families B, C and D start
    // afresh at index 0 (each of their dialogs has its own buttons); family A
    // goes on counting. False when the family is full.
    bool CreateFirstButton(Handler onPress, Handler onRelease, COffScreenPicture* host, const PictureRect& rect,
                           const QString& caption, int releasedBitmap, int pressedBitmap, int tag);
    // Places the host over `rect` as a button with the caption and tag. False,
    // and nothing changed, when the family already holds 64 buttons.
    bool AddButton(COffScreenPicture* host, const PictureRect& rect, const QString& caption, int releasedBitmap,
                   int pressedBitmap, int tag);

    // A dialog's buttons in the two usual looks, each on a new host on the
    // window: the first starts the family with the press handler. The hosts,
    // in the order given.
    std::vector<COffScreenPicture*> CreateDialogButtons(QWidget* window, std::span<const DialogButton> buttons,
                                                        Handler onPress);

    // The first button with the tag gets the caption and is redrawn off
    // screen; nothing happens when no button has the tag.
    void SetCaption(int tag, const QString& caption);
    void DrawAll();
    void ShowAll();
    // Gives up every button's surface and looks; captions are emptied except in family D.
    void DestroyAll();

    int Count() const { return count_; }
    QString Caption(int index) const { return buttons_.at(static_cast<std::size_t>(index)).caption; }
    bool IsPressed(int index) const { return buttons_.at(static_cast<std::size_t>(index)).pressed; }

private:
    struct Button {
        QPointer<COffScreenPicture> host;  // null once its dialog is gone
        QImage releasedLook;
        QImage pressedLook;
        QString caption;
        bool pressed = false;
    };

    void Draw(int index);
    void Show(int index);
    void OnPress(int index);
    void OnRelease(int index);
    QColor CaptionColour(bool down) const;

    ButtonFamilyKind kind_;
    Handler onPress_;
    Handler onRelease_;
    std::array<Button, kCapacity> buttons_{};
    int count_ = 0;
};

}  // namespace harkwell
