#include "rules/FileReader.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "rules/FileNames.h"
#include "rules/QuestionFileText.h"

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

bool SeekTo(std::FILE* f, long long offset) {
#ifdef _WIN32
    return _fseeki64(f, offset, SEEK_SET) == 0;
#else
    return ::fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

}  // namespace

FileHandle OpenFileAt(const char* fileName, long long offset) {
    if (!fileName || !*fileName || offset < 0 || offset > kMaxFileOffset) return nullptr;
#ifdef _WIN32
    struct _stat64 st;
    if (_stat64(fileName, &st) != 0 || (st.st_mode & _S_IFMT) != _S_IFREG) return nullptr;
    FileHandle f(std::fopen(fileName, "rb"));
    if (!f) return nullptr;
    if (offset != 0 && !SeekTo(f.get(), offset)) return nullptr;
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
    if (offset != 0 && !SeekTo(f.get(), offset)) return nullptr;
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

TextSource::TextSource(FileHandle file, std::shared_ptr<const QuestionFileText> text,
                       long long offset)
    : file_(std::move(file)), text_(std::move(text)), position_(offset) {}
TextSource::TextSource(TextSource&&) noexcept = default;
TextSource& TextSource::operator=(TextSource&&) noexcept = default;
TextSource::~TextSource() = default;

std::size_t TextSource::Read(char* buffer, std::size_t count, long long& offset) {
    if (!text_) return ReadBlock(file_.get(), buffer, count, offset);
    if (offset >= kMaxFileOffset) return 0;
    const long long room = kMaxFileOffset - offset;
    if (static_cast<long long>(count) > room) count = static_cast<std::size_t>(room);
    const std::string& bytes = text_->Bytes();
    const long long size = static_cast<long long>(bytes.size());
    if (position_ >= size) return 0;
    const std::size_t got = std::min(count, static_cast<std::size_t>(size - position_));
    std::memcpy(buffer, bytes.data() + position_, got);
    position_ += static_cast<long long>(got);
    offset += static_cast<long long>(got);
    return got;
}

TextSource OpenTextAt(const char* fileName, long long offset, FileReading reading) {
    if (reading == FileReading::Bytes)
        return TextSource(OpenFileAt(fileName, offset), nullptr, offset);
    if (offset < 0 || offset > kMaxFileOffset) return TextSource();
    if (auto held = HeldQuestionTextOf(fileName))
        return TextSource(nullptr, std::move(held), offset);
    FileHandle file = OpenFileAt(fileName, 0);
    if (!file) return TextSource();
    std::shared_ptr<const QuestionFileText> text = ConvertedQuestionFile(fileName, file.get());
    if (text) return TextSource(nullptr, std::move(text), offset);
    // Read byte for byte, as any other file.
    if (!SeekTo(file.get(), offset)) return TextSource();
    return TextSource(std::move(file), nullptr, offset);
}
