#include "analysis/ui/CInstrumentList.h"

#include "score/GeneralMidi.h"

#include <QFontMetrics>
#include <QStyle>
#include <QStyleOptionComboBox>

#include <algorithm>

namespace harkwell {

namespace {

// Below these the names would no longer be read.
constexpr double kSmallestPointSize = 6.0;
constexpr int kSmallestPixelSize = 8;
constexpr double kPointStep = 0.25;

}  // namespace

CInstrumentList::CInstrumentList(QWidget* parent, const PictureRect& place) : QComboBox(parent)
{
    setFocusPolicy(Qt::ClickFocus);
    setGeometry(place.left, place.top, place.Width(), place.Height());
    for (std::string_view name : kProgramNames)
        addItem(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    FitFontToNames();
}

int CInstrumentList::WidestName(const QFont& font) const
{
    const QFontMetrics metrics(font);
    int widest = 0;
    for (int i = 0; i < count(); ++i) widest = std::max(widest, metrics.horizontalAdvance(itemText(i)));
    return widest;
}

int CInstrumentList::FieldWidth() const
{
    QStyleOptionComboBox option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this).width();
}

void CInstrumentList::FitFontToNames()
{
    QFont fitted = font();
    const int field = FieldWidth();
    if (fitted.pointSizeF() > 0) {
        while (WidestName(fitted) > field && fitted.pointSizeF() - kPointStep >= kSmallestPointSize)
            fitted.setPointSizeF(fitted.pointSizeF() - kPointStep);
    } else {
        // A font sized in pixels shrinks a pixel at a time.
        while (WidestName(fitted) > field && fitted.pixelSize() > kSmallestPixelSize) fitted.setPixelSize(fitted.pixelSize() - 1);
    }
    setFont(fitted);
}

}  // namespace harkwell
