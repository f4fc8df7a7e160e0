// A temporary folder for one test, removed with everything in it when the
// test ends, and helpers that write fixture files into it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }

    // Writes `bytes` exactly (binary) to `name` inside the folder; returns the full path.
    std::string Write(const std::string& name, std::string_view bytes) const;

    // The full path of `name` inside the folder (the file need not exist).
    std::string File(const std::string& name) const;

private:
    std::filesystem::path path_;
};

// The whole content of a file, or an empty string when it cannot be read.
std::string ReadWholeFile(const std::string& path);
