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
