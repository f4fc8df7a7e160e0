#include "rules/FileReader.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <string>

#include "rules/FileNames.h"

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

FileHandle OpenFileAt(const char* fileName, long long offset) {
    if (!fileName || !*fileName || offset < 0 || offset > kMaxFileOffset) return nullptr;
#ifdef _WIN32
    struct _stat64 st;
    if (_stat64(fileName, &st) != 0 || (st.st_mode & _S_IFMT) != _S_IFREG) return nullptr;
    FileHandle f(std::fopen(fileName, "rb"));
    if (!f) return nullptr;
    if (offset != 0 && _fseeki64(f.get(), offset, SEEK_SET) != 0) return nullptr;
    return f;
#else
    // O_NONBLOCK keeps the open of a pipe without a writer from waiting.
    int fd = ::open(fileName, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 && (errno == ENOENT || errno == ENOTDIR)) {
        // A name written on Windows: `\` between folders, another case.
        const std::string found = FindWindowsName(fileName);
        if (!found.empty()) fd = ::open(found.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    }
    if (fd < 0) return nullptr;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    FileHandle f(::fdopen(fd, "rb"));
    if (!f) {
        ::close(fd);
        return nullptr;
    }
    if (offset != 0 && ::fseeko(f.get(), static_cast<off_t>(offset), SEEK_SET) != 0) return nullptr;
    return f;
#endif
}

std::size_t ReadBlock(std::FILE* f, char* buffer, std::size_t count, long long& offset) {
    if (!f || offset >= kMaxFileOffset) return 0;
    long long room = kMaxFileOffset - offset;
    if (static_cast<long long>(count) > room) count = static_cast<std::size_t>(room);
    std::size_t got = std::fread(buffer, 1, count, f);
    offset += static_cast<long long>(got);
    return got;
}
