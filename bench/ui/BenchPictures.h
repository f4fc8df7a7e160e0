// The pictures the picture benchmarks load, the same on both builds: a
// 4000 x 3000 24-bit BMP, either a photo-like pattern or a zone bitmap whose
// top-left quarter is red and the rest black. Also the floor every load is
// measured against: reading a whole file into a new buffer.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

inline void Put32(std::string& s, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// The bytes of the picture, or with `zone` of its zone bitmap.
inline std::string BmpBytes(bool zone) {
    std::string file = "BM";
    const std::uint32_t size = 54 + kWidth * 3 * kHeight;
    Put32(file, size);
    Put32(file, 0);
    Put32(file, 54);
    Put32(file, 40);
    Put32(file, kWidth);
    Put32(file, kHeight);
    file += {1, 0, 24, 0};
    for (int i = 0; i < 6; ++i) Put32(file, 0);
    file.reserve(size);
    for (int y = kHeight - 1; y >= 0; --y) {
        for (int x = 0; x < kWidth; ++x) {
            if (zone) {
                const bool inZone = x < kWidth / 2 && y < kHeight / 2;
                file += {0, 0, static_cast<char>(inZone ? 255 : 0)};
            } else {
                file += {static_cast<char>(x % 256), static_cast<char>(y % 256),
                         static_cast<char>((x + y) % 256)};
            }
        }
    }
    return file;
}

// Writes `bytes` to `path`; false when it could not be written whole.
inline bool WriteFile(const std::string& path, const std::string& bytes) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && written;
}

// The whole file read into `bytes`: a new buffer each time unless the caller
// keeps one. The number of bytes read.
inline std::size_t ReadFileInto(const std::string& path, std::vector<unsigned char>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return 0;
    std::fseek(file, 0, SEEK_END);
    bytes.resize(static_cast<std::size_t>(std::ftell(file)));
    std::fseek(file, 0, SEEK_SET);
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return got;
}

inline std::size_t ReadFile(const std::string& path) {
    std::vector<unsigned char> bytes;
    return ReadFileInto(path, bytes);
}

}  // namespace bench
