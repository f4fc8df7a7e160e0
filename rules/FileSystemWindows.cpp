// The file system on Windows (see rules/FileSystem.h). Every name goes to the
// system's ANSI functions as the bytes it is.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <windows.h>

#include <cerrno>

#include "rules/FileSystem.h"

namespace {

void (*traceStep)(const char*) = nullptr;

void Trace(const char* step) {
    if (traceStep) traceStep(step);
}

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::uint64_t Join(DWORD high, DWORD low) { return (static_cast<std::uint64_t>(high) << 32) | low; }

// A FILETIME (100-nanosecond ticks since 1601) in nanoseconds since 1970.
std::int64_t NsSince1970(std::uint64_t ticks) {
    constexpr std::int64_t kTicksTo1970 = 116444736000000000LL;
    return (static_cast<std::int64_t>(ticks) - kTicksTo1970) * 100;
}

bool IsRegularAttributes(DWORD attributes) {
    return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

// The stamp of an open handle: the last write to the 100 ns, the volume's
// serial number and the file's index on it, and the change time, which also
// moves when a copy keeps the last write time of its source.
bool StampOfHandle(HANDLE handle, FileStamp& stamp) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (handle == INVALID_HANDLE_VALUE || GetFileInformationByHandle(handle, &info) == 0)
        return false;
    stamp.regular = IsRegularAttributes(info.dwFileAttributes);
    stamp.size = static_cast<std::int64_t>(Join(info.nFileSizeHigh, info.nFileSizeLow));
    stamp.modifiedNs =
        NsSince1970(Join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime));
    stamp.changedNs = stamp.modifiedNs;
    FILE_BASIC_INFO basic{};
    if (GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof(basic)) != 0 &&
        basic.ChangeTime.QuadPart != 0)
        stamp.changedNs = NsSince1970(static_cast<std::uint64_t>(basic.ChangeTime.QuadPart));
    stamp.volume = info.dwVolumeSerialNumber;
    stamp.index = Join(info.nFileIndexHigh, info.nFileIndexLow);
    return true;
}

HANDLE HandleOf(std::FILE* file) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))); }

}  // namespace

std::FILE* OpenRegularFile(const char* name, bool* missing) {
    if (missing) *missing = false;
    const DWORD attributes = GetFileAttributesA(name);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        if (missing) {
            const DWORD error = GetLastError();
            *missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        }
        return nullptr;
    }
    if (!IsRegularAttributes(attributes)) return nullptr;
    return std::fopen(name, "rb");
}

bool SeekFile(std::FILE* file, long long offset) { return _fseeki64(file, offset, SEEK_SET) == 0; }

bool StampOfOpenFile(std::FILE* file, FileStamp& stamp) {
    return StampOfHandle(HandleOf(file), stamp);
}

bool StampOfName(const std::string& name, FileStamp& stamp) {
    if (name.empty()) return false;
    // Backup semantics open folders too; no access is asked for.
    HANDLE handle =
        CreateFileA(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    const bool ok = StampOfHandle(handle, stamp);
    CloseHandle(handle);
    return ok;
}

PathKind KindOf(const std::string& name) {
    if (name.empty()) return PathKind::Missing;
    const DWORD attributes = GetFileAttributesA(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
    if (attributes & FILE_ATTRIBUTE_DEVICE) return PathKind::Other;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return PathKind::Folder;
    return PathKind::RegularFile;
}

bool ListFolder(const std::string& folder, std::vector<std::string>& names) {
    std::string pattern = folder.empty() ? std::string(".") : folder;
    if (!IsSeparator(pattern.back())) pattern += '\\';
    pattern += '*';
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        const std::string name(found.cFileName);
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &found) != 0);
    FindClose(search);
    return true;
}

std::string FolderOf(const std::string& name) {
    std::size_t end = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        // The second byte of a double-byte character may have the value of `\`.
        if (IsDBCSLeadByte(static_cast<BYTE>(name[i])) && i + 1 < name.size()) {
            ++i;
            continue;
        }
        if (IsSeparator(name[i]) || (i == 1 && name[i] == ':' && IsDriveLetter(name[0])))
            end = i + 1;
    }
    return name.substr(0, end);
}

std::string BaseNameOf(const std::string& name) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (IsDBCSLeadByte(static_cast<BYTE>(name[i])) && i + 1 < name.size()) {
            ++i;
            continue;
        }
        if (IsSeparator(name[i])) start = i + 1;
    }
    return name.substr(start);
}

bool SystemFindsWindowsNames() { return true; }

std::FILE* CreateNewFile(const std::string& path) {
    const int fd =
        ::_open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0) return nullptr;
    std::FILE* file = ::_fdopen(fd, "wb");
    if (!file) ::_close(fd);
    return file;
}

bool CloseOnDisk(std::FILE* file) {
    // fflush hands the data to the system; FlushFileBuffers writes it to the
    // disk, so that a rename that follows never outlives the data it names.
    bool ok = std::fflush(file) == 0;
    ok = ok && FlushFileBuffers(HandleOf(file)) != 0;
    if (ok) Trace("flush");
    return std::fclose(file) == 0 && ok;
}

bool MoveFileOver(const std::string& from, const std::string& to) {
    // Write-through: the move itself is on the disk when this returns.
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ==
        0)
        return false;
    Trace("rename");
    return true;
}

bool RemoveFileName(const std::string& name) { return DeleteFileA(name.c_str()) != 0; }

void SetFileSystemTraceForTests(void (*trace)(const char*)) { traceStep = trace; }
