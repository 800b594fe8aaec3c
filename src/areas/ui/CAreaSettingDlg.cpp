#include "areas/ui/CAreaSettingDlg.h"

#include "areas/AreaListing.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace harkwell {

namespace {

constexpr int kNameBytes = 255;  // the name box holds at most this many bytes

QString Text(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

CAreaSettingDlg::CAreaSettingDlg(QWidget* parent, std::string& name, std::uint32_t& colour)
    : QDialog(parent), name_(name), colour_(colour), nameBox_(new QLineEdit(this)), colours_(new QComboBox(this)),
      updateHost_(new COffScreenPicture(this))
{
    setWindowTitle(QStringLiteral("Area Setting"));
    setFixedSize(300, 140);
    auto* nameLabel = new QLabel(QStringLiteral("名称"), this);
    nameLabel->setGeometry(10, 14, 40, 22);
    nameBox_->setGeometry(56, 12, 230, 26);
    nameBox_->setText(Text(name_));
    auto* colourLabel = new QLabel(QStringLiteral("色"), this);
    colourLabel->setGeometry(10, 54, 40, 22);
    colours_->setGeometry(56, 52, 120, 26);
    for (const AreaColourChoice& choice : kAreaColourChoices) colours_->addItem(Text(choice.text));
    colours_->setCurrentIndex(static_cast<int>(AreaColourChoiceOf(colour_)));
    buttons_.CreateFirstButton([this](std::uint32_t) { Update(); }, nullptr, updateHost_, {10, 100, 98, 127},
                               QStringLiteral("    Update"), kReleasedButtonBitmap, kPressedButtonBitmap, 0);
}

CAreaSettingDlg::~CAreaSettingDlg()
{
    buttons_.DestroyAll();
}

void CAreaSettingDlg::Update()
{
    std::string name = nameBox_->text().toStdString();
    // Never half a character: cut back to the start of the last one that fits.
    if (name.size() > kNameBytes) {
        std::size_t cut = kNameBytes;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
        name.resize(cut);
    }
    name_ = name;
    const int chosen = colours_->currentIndex();
    if (chosen >= 0) colour_ = kAreaColourChoices[static_cast<std::size_t>(chosen)].colour;
    accept();
}

}  // namespace harkwell
