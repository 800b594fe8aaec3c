#pragma once

#include "common/FilePrompt.h"

class QWidget;

namespace harkwell {

// Asks for a file to open or to save with the desktop's file dialog.
class CFileDialogPrompt final : public FilePrompt {
public:
    explicit CFileDialogPrompt(QWidget* parent = nullptr) : parent_(parent) {}
    [[nodiscard]] std::optional<OpenFileChoice> PromptOpen(const OpenFileRequest& request) override;
    [[nodiscard]] std::optional<std::string> PromptSave(const SaveFileRequest& request) override;

private:
    QWidget* parent_;
};

}  // namespace harkwell
