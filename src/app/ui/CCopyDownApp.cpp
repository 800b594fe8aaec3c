#include "app/ui/CCopyDownApp.h"

#include <QApplication>
#include <QDir>
#include <QPalette>
#include <QFile>
#include <QStandardPaths>
#include <QUrl>

namespace harkwell {

int CCopyDownApp::Run()
{
    // The program works without its product page; nothing more to do when it cannot be shown.
    (void)OpenProductPage(services_.shell);
    CCopyDownDlg mainWindow(services_, workDir_);
    mainWindow.exec();
    return 0;
}

bool OpenProductPage(Shell& shell)
{
    // The page ships inside the program; a browser needs it as a file.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    const QString page = folder + QStringLiteral("/product.html");
    QDir().mkpath(folder);
    QFile::remove(page);
    if (!QFile::copy(QStringLiteral(":/product/index.html"), page)) return false;
    return shell.OpenUrl(QUrl::fromLocalFile(page).toString().toStdString());
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
