// Opens files for the core's readers. Only regular files are opened: a folder,
// a device or a pipe reads as absent, so that no search can block or run
// forever. Offsets past kMaxFileOffset are treated as beyond the end of the file.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>

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
