#include "common/Files.h"

#include "common/ErrorReport.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace harkwell {

namespace {

constexpr std::string_view kWorkFilePrefix = ".harkwell-";
constexpr std::size_t kRandomPartSize = 6;

std::string FolderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string KindText(mode_t mode)
{
    if (S_ISDIR(mode)) return "a folder, not a regular file";
    if (S_ISFIFO(mode)) return "a FIFO, not a regular file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device, not a regular file";
    if (S_ISSOCK(mode)) return "a socket, not a regular file";
    return "not a regular file";
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

bool IsRandomPart(std::string_view text)
{
    if (text.size() != kRandomPartSize) return false;
    for (const char c : text)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
    return true;
}

// Makes a rename in the folder survive a crash. File systems that cannot sync
// a folder say EINVAL; their renames are as durable as they get.
int SyncFolder(const std::string& folder)
{
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    const int error = fsync(fd) == 0 || errno == EINVAL ? 0 : errno;
    close(fd);
    return error;
}

}  // namespace

std::string NotRegularFileCause(const std::string& path)
{
    struct stat info {};
    if (path.empty() || stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode)) return {};
    return KindText(info.st_mode);
}

std::string FileDetail(const std::string& path, std::string_view cause)
{
    std::string detail = path;
    detail.append(": ").append(cause);
    return detail;
}

FilePtr OpenForReading(const std::string& path, std::string* cause)
{
    const auto refuse = [cause](std::string text) {
        if (cause != nullptr) *cause = std::move(text);
        return FilePtr();
    };
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return refuse(std::strerror(errno));
    if (!S_ISREG(info.st_mode)) return refuse(KindText(info.st_mode));
    // Non-blocking, in case the path was swapped for a FIFO since the check.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return refuse(std::strerror(errno));
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return refuse(KindText(info.st_mode));
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) (void)fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);  // a regular file never blocks anyway
    FilePtr file(fdopen(fd, "rb"));
    if (!file) {
        const int error = errno;
        close(fd);
        return refuse(std::strerror(error));
    }
    return file;
}

FileReplacement::FileReplacement(const std::string& target, std::string_view prefix) : target_(target)
{
    struct stat info {};
    if (stat(target.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode)) {
            failure_ = FileDetail(target, KindText(info.st_mode));
            return;
        }
        // A link keeps pointing at the tune it named, which gets the new version.
        if (char* resolved = realpath(target.c_str(), nullptr)) {
            target_ = resolved;
            std::free(resolved);
        }
    }
    const std::string folder = FolderOf(target_);
    temporary_ = (folder == "/" ? std::string() : folder) + "/";
    temporary_.append(prefix).append("XXXXXX");
    const int fd = mkstemp(temporary_.data());
    if (fd < 0) {
        const int error = errno;
        temporary_.clear();
        failure_ = FileDetail(folder, std::strerror(error));
        return;
    }
    file_.reset(fdopen(fd, "w+b"));
    if (!file_) {
        const int error = errno;
        close(fd);
        (void)Fail(temporary_, error);
        Discard();
        return;
    }
    if (fchmod(fd, PermissionsFor(target_)) != 0) {
        (void)Fail(temporary_, errno);
        Discard();
    }
}

bool FileReplacement::Fail(const std::string& path, int error)
{
    failure_ = FileDetail(path, std::strerror(error != 0 ? error : EIO));
    return false;
}

bool FileReplacement::Commit()
{
    if (!file_) return false;
    errno = 0;
    if (std::fflush(file_.get()) != 0 || fsync(fileno(file_.get())) != 0) {
        (void)Fail(target_, errno);
        Discard();
        return false;
    }
    if (std::fclose(file_.release()) != 0) {
        (void)Fail(target_, errno);
        Discard();
        return false;
    }
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
        (void)Fail(target_, errno);
        Discard();
        return false;
    }
    temporary_.clear();
    if (const int error = SyncFolder(FolderOf(target_)); error != 0) return Fail(FolderOf(target_), error);
    return true;
}

void FileReplacement::Discard()
{
    file_.reset();
    if (!temporary_.empty()) unlink(temporary_.c_str());
    temporary_.clear();
}

void RemoveStaleWorkFileTemporaries(const std::string& target)
{
    const std::string folder = FolderOf(target);
    DIR* listing = opendir(folder.c_str());
    if (listing == nullptr) return;
    const int folderFd = dirfd(listing);
    while (const dirent* entry = readdir(listing)) {
        const std::string_view name = entry->d_name;
        if (!name.starts_with(kWorkFilePrefix) || !IsRandomPart(name.substr(kWorkFilePrefix.size()))) continue;
        struct stat info {};
        if (fstatat(folderFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (!S_ISREG(info.st_mode) || info.st_uid != geteuid()) continue;
        (void)unlinkat(folderFd, entry->d_name, 0);  // one that cannot go is left as it was
    }
    closedir(listing);
}

bool ReadFileUpTo(MessageSink& sink, const std::string& path, std::span<std::uint8_t> buffer,
                  std::size_t& count)
{
    count = 0;
    std::string cause;
    FilePtr file = OpenForReading(path, &cause);
    if (!file) {
        ShowPlainMessage(sink, path);
        ReportGeneralError(sink, GeneralError::CantOpenFile, FileDetail(path, cause));
        return false;
    }
    count = std::fread(buffer.data(), 1, buffer.size(), file.get());
    if (buffer.size() == kWorkBufferSize && count == kWorkBufferSize)
        ReportGeneralError(sink, GeneralError::DataSizeTooLarge);
    return true;
}

bool ReadFileExact(MessageSink& sink, const std::string& path, std::span<std::uint8_t> buffer)
{
    std::string cause;
    FilePtr file = OpenForReading(path, &cause);
    if (!file) {
        ReportGeneralError(sink, GeneralError::CantOpenFile, FileDetail(path, cause));
        return false;
    }
    if (std::fread(buffer.data(), 1, buffer.size(), file.get()) < buffer.size())
        ReportGeneralError(sink, GeneralError::DataSizeTooLarge);
    return true;
}

bool WriteWholeFile(MessageSink& sink, const std::string& path, std::span<const std::uint8_t> data)
{
    RemoveStaleWorkFileTemporaries(path);
    FileReplacement replacement(path, kWorkFilePrefix);
    if (replacement.File() == nullptr) {
        ReportGeneralError(sink, GeneralError::CantOpenFile, replacement.Failure());
        return false;
    }
    errno = 0;
    if (std::fwrite(data.data(), 1, data.size(), replacement.File()) != data.size()) {
        ReportGeneralError(sink, GeneralError::FileSizeError,
                           FileDetail(path, std::strerror(errno != 0 ? errno : EIO)));
        return false;
    }
    if (!replacement.Commit()) {
        ReportGeneralError(sink, GeneralError::FileSizeError, replacement.Failure());
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
