#include "app/ui/CDesktopShell.h"

#include "app/InstallLayout.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace harkwell {

bool CDesktopShell::OpenUrl(const std::string& url)
{
    return QDesktopServices::openUrl(QUrl::fromUserInput(QString::fromStdString(url)));
}

bool CDesktopShell::StartProgram(const std::string& path)
{
    return QProcess::startDetached(QString::fromStdString(path), {});
}

std::vector<std::string> CDesktopShell::DataFolders() { return DataFoldersFor(RunningProgramFolder()); }

}  // namespace harkwell
