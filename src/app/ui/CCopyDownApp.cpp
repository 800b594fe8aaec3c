#include "app/ui/CCopyDownApp.h"

#include <QDir>
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

}  // namespace harkwell
