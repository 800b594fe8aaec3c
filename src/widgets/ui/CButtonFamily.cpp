#include "widgets/ui/CButtonFamily.h"

#include "widgets/ui/CBitmapResources.h"

#include <QPainter>

namespace harkwell {

namespace {

// Captions are written from (2, 2) in a box wider than the button, so a long
// caption runs off its right edge instead of wrapping.
const QRect kCaptionBox(QPoint(2, 2), QPoint(209, 27));

// Captions such as "Analyze Setting" must fit an 88-pixel button.
QFont CaptionFont(QFont font)
{
    font.setPixelSize(11);
    return font;
}

}  // namespace

bool CButtonFamily::CreateFirstButton(Handler onPress, Handler onRelease, COffScreenPicture* host,
                                      const PictureRect& rect, const QString& caption, int releasedBitmap,
                                      int pressedBitmap, int tag)
{
    onPress_ = std::move(onPress);
    onRelease_ = std::move(onRelease);
    if (kind_ != ButtonFamilyKind::A) count_ = 0;
    return AddButton(host, rect, caption, releasedBitmap, pressedBitmap, tag);
}

std::vector<COffScreenPicture*> CButtonFamily::CreateDialogButtons(QWidget* window,
                                                                  std::span<const DialogButton> buttons,
                                                                  Handler onPress)
{
    std::vector<COffScreenPicture*> hosts;
    for (const DialogButton& button : buttons) {
        auto* host = new COffScreenPicture(window);
        const QString caption = QString::fromUtf8(button.caption.data(), static_cast<qsizetype>(button.caption.size()));
        // A dialog has a few buttons of a family of 64: they always fit.
        if (hosts.empty())
            (void)CreateFirstButton(onPress, nullptr, host, button.place, caption, kReleasedButtonBitmap,
                                    kPressedButtonBitmap, button.tag);
        else
            (void)AddButton(host, button.place, caption, kReleasedButtonBitmap, kPressedButtonBitmap, button.tag);
        hosts.push_back(host);
    }
    return hosts;
}

bool CButtonFamily::AddButton(COffScreenPicture* host, const PictureRect& rect, const QString& caption,
                              int releasedBitmap, int pressedBitmap, int tag)
{
    if (count_ >= kCapacity || host == nullptr) return false;
    const int index = count_;
    host->CreateOffScreen(rect, {[this, index](int, int, int) { OnPress(index); },
                                 [this, index](int, int, int) { OnRelease(index); }, nullptr, nullptr});
    host->SetTag(tag);
    Button& button = buttons_[static_cast<std::size_t>(index)];
    button = {host, LoadBitmapResource(releasedBitmap), LoadBitmapResource(pressedBitmap), caption, false};
    // Shown at once too, so a new button never appears blank before its owner repaints.
    Draw(index);
    Show(index);
    ++count_;
    return true;
}

void CButtonFamily::SetCaption(int tag, const QString& caption)
{
    for (int index = 0; index < count_; ++index) {
        Button& button = buttons_[static_cast<std::size_t>(index)];
        if (button.host && button.host->Tag() == tag) {
            button.caption = caption;
            Draw(index);
            return;
        }
    }
}

void CButtonFamily::DrawAll()
{
    for (int index = 0; index < count_; ++index) Draw(index);
}

void CButtonFamily::ShowAll()
{
    for (int index = 0; index < count_; ++index) Show(index);
}

void CButtonFamily::DestroyAll()
{
    for (int index = 0; index < count_; ++index) {
        Button& button = buttons_[static_cast<std::size_t>(index)];
        if (button.host) {
            button.host->ReleaseOffScreen();
            button.host->SetCallbacks({});
        }
        button.releasedLook = QImage();
        button.pressedLook = QImage();
        if (kind_ != ButtonFamilyKind::D) button.caption.clear();
    }
}

QColor CButtonFamily::CaptionColour(bool down) const
{
    if (!down) return ColourFromBgr(kCaptionReleased);
    return ColourFromBgr(kind_ == ButtonFamilyKind::D ? kCaptionPressedFamilyD : kCaptionPressed);
}

void CButtonFamily::Draw(int index)
{
    Button& button = buttons_[static_cast<std::size_t>(index)];
    if (!button.host || button.host->Surface().isNull()) return;
    QImage& surface = button.host->Surface();
    QPainter painter(&surface);
    painter.fillRect(surface.rect(), Qt::white);
    const QImage& look = button.pressed ? button.pressedLook : button.releasedLook;
    if (!look.isNull()) painter.drawImage(surface.rect(), look);
    painter.setFont(CaptionFont(button.host->font()));
    painter.setPen(CaptionColour(button.pressed));
    painter.drawText(kCaptionBox, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, button.caption);
}

void CButtonFamily::Show(int index)
{
    Button& button = buttons_[static_cast<std::size_t>(index)];
    if (button.host) button.host->ShowOffScreen();
}

void CButtonFamily::OnPress(int index)
{
    Button& button = buttons_[static_cast<std::size_t>(index)];
    if (!button.host || button.host->Tag() == -1) return;
    const auto tag = static_cast<std::uint32_t>(button.host->Tag());
    button.pressed = true;
    Draw(index);
    Show(index);
    if (onPress_) onPress_(tag);
}

void CButtonFamily::OnRelease(int index)
{
    Button& button = buttons_[static_cast<std::size_t>(index)];
    if (!button.host) return;
    const auto tag = static_cast<std::uint32_t>(button.host->Tag());
    button.pressed = false;
    Draw(index);
    Show(index);
    if (onRelease_) onRelease_(tag);
}

}  // namespace harkwell
