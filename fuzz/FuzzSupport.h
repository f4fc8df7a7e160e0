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

// Inputs that begin with these two bytes stand for a file of about 10 MB: the
// rest of the input repeated. They check that no single operation on a big
// hostile file takes long (the runner's -timeout).
constexpr std::uint8_t kBigFileMark[2] = {0xFF, 0xFE};
constexpr std::size_t kBigFileBytes = 10u << 20;

// Writes the input, or its 10 MB expansion, to `path`; true when expanded.
inline bool WriteScratchOrBig(const std::string& path, const std::uint8_t* data, std::size_t size) {
    if (size < 3 || data[0] != kBigFileMark[0] || data[1] != kBigFileMark[1]) {
        WriteScratch(path, data, size);
        return false;
    }
    std::string unit(reinterpret_cast<const char*>(data) + 2, size - 2);
    std::string big;
    big.reserve(kBigFileBytes + unit.size());
    while (big.size() < kBigFileBytes) big += unit;
    WriteScratch(path, reinterpret_cast<const std::uint8_t*>(big.data()), big.size());
    return true;
}
