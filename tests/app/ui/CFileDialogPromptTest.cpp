#include "app/ui/CFileDialogPrompt.h"

#include "fakes/ModalWatcher.h"
#include "fakes/TempDir.h"

#include <QFileDialog>

#include <gtest/gtest.h>

namespace harkwell {
namespace {

OpenFileRequest WavRequest(const std::string& folder)
{
    OpenFileRequest request;
    request.defaultExtension = "wav";
    request.filters = ParseFileFilters("WAV Files (*.wav)|*.wav|All Files (*.*)|*.*||");
    request.initialFolder = folder;
    return request;
}

TEST(CFileDialogPrompt, OffersTheFiltersAndFolderAndGivesTheChosenFile)
{
    testing::TempDir dir;
    const std::string tune = dir.File("tune.wav");
    testing::WriteBytes(tune, {0});

    QStringList filters;
    QString folder;
    testing::AnswerNextModal<QFileDialog>([&](QFileDialog* dialog) {
        filters = dialog->nameFilters();
        folder = dialog->directory().absolutePath();
        dialog->selectNameFilter(filters.value(1));
        dialog->selectFile(QString::fromStdString(tune));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    CFileDialogPrompt prompt;
    const auto choice = prompt.PromptOpen(WavRequest(dir.Path().string()));
    EXPECT_EQ(filters, (QStringList{"WAV Files (*.wav)", "All Files (*.*)"}));
    EXPECT_EQ(folder.toStdString(), dir.Path().string());
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->path, tune);
    EXPECT_EQ(choice->filterIndex, 2);
}

TEST(CFileDialogPrompt, GivesNothingWhenCancelled)
{
    testing::TempDir dir;
    testing::AnswerNextModal<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    CFileDialogPrompt prompt;
    EXPECT_FALSE(prompt.PromptOpen(WavRequest(dir.Path().string())));
}

}  // namespace
}  // namespace harkwell
