#pragma once

#include "common/FilePrompt.h"

#include <optional>
#include <vector>

namespace harkwell::testing {

// Answers open-file prompts with a set choice and keeps the requests it was given.
class ScriptedFilePrompt final : public FilePrompt {
public:
    std::optional<OpenFileChoice> PromptOpen(const OpenFileRequest& request) override
    {
        requests.push_back(request);
        return answer;
    }

    std::optional<OpenFileChoice> answer;  // nothing: the user cancels
    std::vector<OpenFileRequest> requests;
};

}  // namespace harkwell::testing
