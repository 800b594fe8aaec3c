#pragma once

#include "app/SetupData.h"
#include "common/MessageSink.h"

#include <string>

namespace harkwell {

// Binds the settings record to setup.ini: reads it when made, from the file
// or from the defaults, and writes it back whole when destroyed.
class SetupFile {
public:
    SetupFile(std::string path, SetupData& setup, MessageSink& sink);
    ~SetupFile();
    SetupFile(const SetupFile&) = delete;
    SetupFile& operator=(const SetupFile&) = delete;

    // Writes the record now; false after a message.
    [[nodiscard]] bool Save() const;

private:
    std::string path_;
    SetupData& setup_;
    MessageSink& sink_;
};

// The path of a file in the working folder: no second "/" when the folder ends in one.
std::string WorkFilePath(const std::string& workDir, const std::string& name);

}  // namespace harkwell
