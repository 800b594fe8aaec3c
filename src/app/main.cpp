// Harkwell: copy a tune down by ear, one short stretch at a time.
#include "app/CCopyDownDlg.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Harkwell"));
    harkwell::ApplyDialogColours(application);
    harkwell::CCopyDownDlg mainWindow;
    mainWindow.exec();
    return 0;
}
