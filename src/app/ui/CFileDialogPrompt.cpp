#include "app/ui/CFileDialogPrompt.h"

#include <QFileDialog>

namespace harkwell {

std::optional<OpenFileChoice> CFileDialogPrompt::PromptOpen(const OpenFileRequest& request)
{
    QFileDialog dialog(parent_);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    QStringList filters;
    for (const auto& filter : request.filters) filters << QString::fromStdString(DialogNameFilter(filter));
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    if (!request.initialFolder.empty()) dialog.setDirectory(QString::fromStdString(request.initialFolder));
    if (!request.initialFileName.empty()) dialog.selectFile(QString::fromStdString(request.initialFileName));

    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    OpenFileChoice choice;
    choice.path = dialog.selectedFiles().constFirst().toStdString();
    choice.filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    if (choice.filterIndex < 1) choice.filterIndex = 1;
    return choice;
}

std::optional<std::string> CFileDialogPrompt::PromptSave(const SaveFileRequest& request)
{
    QFileDialog dialog(parent_);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    QStringList filters;
    for (const auto& filter : request.filters) filters << QString::fromStdString(DialogNameFilter(filter));
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    // The dialog asks before it replaces a file; read-only files are left out.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog.setFilter(dialog.filter() | QDir::Writable);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst().toStdString();
}

}  // namespace harkwell
