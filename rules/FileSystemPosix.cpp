// The file system on POSIX systems (see rules/FileSystem.h).
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>

#include "rules/FileSystem.h"

namespace {

void (*traceStep)(const char*) = nullptr;

void Trace(const char* step) {
    if (traceStep) traceStep(step);
}

constexpr std::int64_t kNsPerSecond = 1000000000;

void FillStamp(const struct stat& st, FileStamp& stamp) {
    stamp.regular = S_ISREG(st.st_mode);
    stamp.size = static_cast<std::int64_t>(st.st_size);
    stamp.modifiedNs =
        static_cast<std::int64_t>(st.st_mtim.tv_sec) * kNsPerSecond + st.st_mtim.tv_nsec;
    stamp.changedNs =
        static_cast<std::int64_t>(st.st_ctim.tv_sec) * kNsPerSecond + st.st_ctim.tv_nsec;
    stamp.volume = static_cast<std::uint64_t>(st.st_dev);
    stamp.index = static_cast<std::uint64_t>(st.st_ino);
}

}  // namespace

std::FILE* OpenRegularFile(const char* name, bool* missing) {
    if (missing) *missing = false;
    // O_NONBLOCK keeps the open of a pipe without a writer from waiting.
    const int fd = ::open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (missing) *missing = errno == ENOENT || errno == ENOTDIR;
        return nullptr;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file) ::close(fd);
    return file;
}

bool SeekFile(std::FILE* file, long long offset) {
    return ::fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
}

bool StampOfOpenFile(std::FILE* file, FileStamp& stamp) {
    struct stat st;
    if (::fstat(::fileno(file), &st) != 0) return false;
    FillStamp(st, stamp);
    return true;
}

bool StampOfName(const std::string& name, FileStamp& stamp) {
    struct stat st;
    if (name.empty() || ::stat(name.c_str(), &st) != 0) return false;
    FillStamp(st, stamp);
    return true;
}

PathKind KindOf(const std::string& name) {
    struct stat st;
    if (name.empty() || ::stat(name.c_str(), &st) != 0) return PathKind::Missing;
    if (S_ISREG(st.st_mode)) return PathKind::RegularFile;
    if (S_ISDIR(st.st_mode)) return PathKind::Folder;
    return PathKind::Other;
}

bool ListFolder(const std::string& folder, std::vector<std::string>& names) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) return false;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name != "." && name != "..") names.emplace_back(name);
    }
    ::closedir(dir);
    return true;
}

std::string FolderOf(const std::string& name) {
    const std::size_t slash = name.rfind('/');
    return slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
}

std::string BaseNameOf(const std::string& name) {
    const std::size_t separator = name.find_last_of("/\\");
    return separator == std::string::npos ? name : name.substr(separator + 1);
}

bool SystemFindsWindowsNames() { return false; }

std::FILE* CreateNewFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return nullptr;
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) ::close(fd);
    return file;
}

bool CloseOnDisk(std::FILE* file) {
    bool ok = std::fflush(file) == 0;
    ok = ok && ::fsync(::fileno(file)) == 0;
    if (ok) Trace("flush");
    return std::fclose(file) == 0 && ok;
}

bool MoveFileOver(const std::string& from, const std::string& to) {
    if (std::rename(from.c_str(), to.c_str()) != 0) return false;
    Trace("rename");
    return true;
}

bool RemoveFileName(const std::string& name) { return std::remove(name.c_str()) == 0; }

void SetFileSystemTraceForTests(void (*trace)(const char*)) { traceStep = trace; }
