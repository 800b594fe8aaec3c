#include "common/Files.h"

#include "common/ErrorReport.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace harkwell {

namespace {

bool IsFolder(std::FILE* file)
{
    struct stat info {};
    return fstat(fileno(file), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string FolderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Permissions for a new file: those of the file it replaces, else 0666 less the umask.
mode_t PermissionsFor(const std::string& path)
{
    struct stat info {};
    if (stat(path.c_str(), &info) == 0) return info.st_mode & 07777;
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

bool WriteAll(int fd, std::span<const std::uint8_t> data)
{
    while (!data.empty()) {
        const ssize_t written = write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data = data.subspan(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

FilePtr OpenForReading(const std::string& path)
{
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (file && IsFolder(file.get())) file.reset();
    return file;
}

bool ReadFileUpTo(MessageSink& sink, const std::string& path, std::span<std::uint8_t> buffer,
                  std::size_t& count)
{
    count = 0;
    FilePtr file = OpenForReading(path);
    if (!file) {
        ShowPlainMessage(sink, path);
        ReportGeneralError(sink, GeneralError::CantOpenFile);
        return false;
    }
    count = std::fread(buffer.data(), 1, buffer.size(), file.get());
    if (buffer.size() == kWorkBufferSize && count == kWorkBufferSize)
        ReportGeneralError(sink, GeneralError::DataSizeTooLarge);
    return true;
}

bool ReadFileExact(MessageSink& sink, const std::string& path, std::span<std::uint8_t> buffer)
{
    FilePtr file = OpenForReading(path);
    if (!file) {
        ReportGeneralError(sink, GeneralError::CantOpenFile);
        return false;
    }
    if (std::fread(buffer.data(), 1, buffer.size(), file.get()) < buffer.size())
        ReportGeneralError(sink, GeneralError::DataSizeTooLarge);
    return true;
}

bool WriteWholeFile(MessageSink& sink, const std::string& path, std::span<const std::uint8_t> data)
{
    const std::string folder = FolderOf(path);
    std::string temporary = (folder == "/" ? std::string() : folder) + "/.harkwell-XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) {
        ReportGeneralError(sink, GeneralError::CantOpenFile);
        return false;
    }
    const bool written = fchmod(fd, PermissionsFor(path)) == 0 && WriteAll(fd, data) && fsync(fd) == 0;
    const bool closed = close(fd) == 0;
    if (!written || !closed) {
        unlink(temporary.c_str());
        ReportGeneralError(sink, GeneralError::FileSizeError);
        return false;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
        ReportGeneralError(sink, GeneralError::CantOpenFile);
        return false;
    }
    return true;
}

bool FileExists(const std::string& path)
{
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0;
}

bool CanOpenFile(const std::string& path)
{
    return OpenForReading(path) != nullptr;
}

std::string GetSpecialFolder(int folderId)
{
    if (folderId != kProgramFilesFolder) return {};
    const std::string folder = "/opt";
    struct stat info {};
    if (stat(folder.c_str(), &info) == 0) return S_ISDIR(info.st_mode) ? folder : std::string();
    return mkdir(folder.c_str(), 0755) == 0 ? folder : std::string();
}

}  // namespace harkwell
