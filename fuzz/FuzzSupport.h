// Helpers shared by the fuzz targets: a per-process scratch file that holds
// the current input, so that the file-based readers can run on it.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

inline std::string ScratchPath(const char* tag) {
    return "/tmp/quillfin-fuzz-" + std::string(tag) + "-" + std::to_string(::getpid());
}

inline void WriteScratch(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
}

// Inputs that begin with these two bytes stand for a file of 10 MB or more:
// the input from its fourth byte on, repeated. The third byte chooses the one
// operation that runs on it, so that the runner's -timeout bounds a single
// operation on a big hostile file.
constexpr std::uint8_t kBigFileMark[2] = {0xFF, 0xFE};
constexpr std::size_t kBigFileBytes = 10u << 20;

// Writes the input, or its 10 MB expansion, to `path`; true when expanded.
inline bool WriteScratchOrBig(const std::string& path, const std::uint8_t* data, std::size_t size) {
    if (size < 3 || data[0] != kBigFileMark[0] || data[1] != kBigFileMark[1]) {
        WriteScratch(path, data, size);
        return false;
    }
    std::string big(reinterpret_cast<const char*>(data) + 3, size - 3);
    if (big.empty()) big = " ";
    while (big.size() < kBigFileBytes)
        big += big;  // doubling: a few copies, not millions of appends
    big.resize(kBigFileBytes);
    WriteScratch(path, reinterpret_cast<const std::uint8_t*>(big.data()), big.size());
    return true;
}
