#pragma once

#include "common/FilePrompt.h"

#include <optional>
#include <vector>

namespace harkwell::testing {

// Answers file prompts with set choices and keeps the requests it was given.
class ScriptedFilePrompt final : public FilePrompt {
public:
    std::optional<OpenFileChoice> PromptOpen(const OpenFileRequest& request) override
    {
        requests.push_back(request);
        return answer;
    }

    std::optional<std::string> PromptSave(const SaveFileRequest& request) override
    {
        saveRequests.push_back(request);
        return saveAnswer;
    }

    std::optional<OpenFileChoice> answer;  // nothing: the user cancels
    std::vector<OpenFileRequest> requests;
    std::optional<std::string> saveAnswer;  // nothing: the user cancels
    std::vector<SaveFileRequest> saveRequests;
};

}  // namespace harkwell::testing
