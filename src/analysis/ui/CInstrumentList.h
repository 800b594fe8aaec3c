#pragma once

#include "widgets/PictureRect.h"

#include <QComboBox>

namespace harkwell {

// The drop-down of the score's instrument: the 128 General MIDI names, each
// shown whole. It takes the keys only once it is clicked, so that a key
// typed elsewhere in the window never changes the instrument.
class CInstrumentList : public QComboBox {
public:
    CInstrumentList(QWidget* parent, const PictureRect& place);

private:
    // The font made just small enough that the widest name fits the field.
    void FitFontToNames();
    int WidestName(const QFont& font) const;
    int FieldWidth() const;
};

}  // namespace harkwell
