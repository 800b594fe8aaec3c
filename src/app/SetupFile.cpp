#include "app/SetupFile.h"

#include "common/ErrorReport.h"
#include "common/Files.h"

#include <vector>

namespace harkwell {

SetupFile::SetupFile(std::string path, SetupData& setup, MessageSink& sink)
    : path_(std::move(path)), setup_(setup), sink_(sink)
{
    setup_ = SetupData();
    FilePtr file = OpenForReading(path_);
    if (!file) {
        // Missing or unreadable gives the defaults silently; something that is
        // not a file at all is named, or the user never learns why.
        if (const std::string cause = NotRegularFileCause(path_); !cause.empty())
            ReportGeneralError(sink_, GeneralError::CantOpenFile, FileDetail(path_, cause));
        return;
    }
    std::vector<std::uint8_t> bytes(SetupData::kFileSize);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
    if (bytes.size() < SetupData::kFileSize) ReportGeneralError(sink_, GeneralError::DataSizeTooLarge);
    // Fields that are missing or wrong have taken their defaults.
    (void)SetupData::Parse(bytes, setup_);
}

// A failed write has been shown; a destructor can do no more.
SetupFile::~SetupFile() { (void)Save(); }

bool SetupFile::Save() const
{
    const SetupData::Bytes bytes = setup_.Serialize();
    return WriteWholeFile(sink_, path_, bytes);
}

std::string WorkFilePath(const std::string& workDir, const std::string& name)
{
    if (!workDir.empty() && workDir.back() == '/') return workDir + name;
    return workDir + "/" + name;
}

}  // namespace harkwell
