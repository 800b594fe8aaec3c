#include "app/CCopyDownDlg.h"

#include <QApplication>
#include <QPalette>

namespace harkwell {

namespace {

// The window is sized in dialog units of about 1.75 pixels each.
constexpr double kPixelsPerUnitX = 1.75;
constexpr double kPixelsPerUnitY = 1.75;
constexpr int kWidthUnits = 515;
constexpr int kHeightUnits = 172;

}  // namespace

CCopyDownDlg::CCopyDownDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Copy Down Tool"));
    setFixedSize(static_cast<int>(kWidthUnits * kPixelsPerUnitX), static_cast<int>(kHeightUnits * kPixelsPerUnitY));
}

void ApplyDialogColours(QApplication& application)
{
    QPalette palette = application.palette();
    const QColor background(172, 205, 172);
    const QColor text(64, 127, 64);
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::ButtonText, text);
    application.setPalette(palette);
}

}  // namespace harkwell
