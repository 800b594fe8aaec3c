#include "analysis/ui/CFrequencyListDlg.h"

#include "widgets/ui/COffScreenPicture.h"

#include <QFontDatabase>
#include <QListWidget>

namespace harkwell {

CFrequencyListDlg::CFrequencyListDlg(QWidget* parent, const NoteStrengths& strengths,
                                     const std::vector<std::string>& guessLines)
    : QDialog(parent), strengths_(strengths), list_(new QListWidget(this)), closeHost_(new COffScreenPicture(this))
{
    setWindowTitle(QStringLiteral("Frequency List"));
    setFixedSize(330, 390);
    list_->setGeometry(10, 10, 310, 330);
    list_->setSortingEnabled(false);
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The columns of the lines line up only in a fixed-width face.
    list_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    for (const std::string& line : guessLines) list_->addItem(QString::fromStdString(line));
    for (const std::string& line : FrequencyListLines(strengths_)) list_->addItem(QString::fromStdString(line));

    buttons_.CreateFirstButton([this](std::uint32_t) { accept(); }, nullptr, closeHost_, kClosePlace,
                               QStringLiteral("  Close"), kReleasedButtonBitmap, kPressedButtonBitmap, 0);
}

}  // namespace harkwell
