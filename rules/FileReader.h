// Opens files for the core's readers. Only regular files are opened: a folder,
// a device or a pipe reads as absent, so that no search can block or run
// forever. Offsets past kMaxFileOffset are treated as beyond the end of the file.
// A question file is read as text (UTF-8 and UTF-16 converted to Windows-1252,
// see rules/QuestionFileText.h); every other file byte for byte.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>

class QuestionFileText;

constexpr long long kMaxFileOffset = 2147483647LL - 4096;

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f) std::fclose(f);
    }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// The named regular file, opened for binary reading and positioned at
// `offset`; null when it cannot be opened, is not a regular file, or the
// offset is negative. A name missing as given is looked for as Windows would
// find it (FindWindowsName).
FileHandle OpenFileAt(const char* fileName, long long offset);

// Reads up to `count` bytes, never past kMaxFileOffset counted from `offset`
// (the offset the handle was opened at plus what was read before).
std::size_t ReadBlock(std::FILE* f, char* buffer, std::size_t count, long long& offset);

// How a reader takes a file's bytes: as they are (round files), or as a
// question file reads (converted when it is UTF-8 or UTF-16).
enum class FileReading { Bytes, QuestionFile };

// A file opened for reading at an offset: the file itself, or the converted
// text of a question file. Offsets count bytes of what is read.
class TextSource {
public:
    TextSource() = default;
    TextSource(FileHandle file, std::shared_ptr<const QuestionFileText> text, long long offset);
    TextSource(TextSource&&) noexcept;
    TextSource& operator=(TextSource&&) noexcept;
    ~TextSource();

    explicit operator bool() const { return file_ || text_; }

    // As ReadBlock: up to `count` bytes, never past kMaxFileOffset counted
    // from `offset`, which advances by what was read.
    std::size_t Read(char* buffer, std::size_t count, long long& offset);

private:
    FileHandle file_;
    std::shared_ptr<const QuestionFileText> text_;
    long long position_ = 0;
};

// The named regular file as `reading` takes it, positioned at `offset`;
// empty when it cannot be opened, is not a regular file, or the offset is
// negative. An offset past the end reads nothing.
TextSource OpenTextAt(const char* fileName, long long offset, FileReading reading);
