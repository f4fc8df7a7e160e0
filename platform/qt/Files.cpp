// Names of files and the current folder, with the platform's own bytes:
// nothing is converted, as with the names that the file dialogs hand out.
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/WinApi.h"

namespace fs = std::filesystem;

// The absolute name, with "." parts and repeated separators left out. ".."
// stays: across a symbolic link it does not mean the folder written before it.
DWORD GetFullPathNameA(LPCSTR fileName, DWORD bufferLength, LPSTR buffer, LPSTR* filePart) {
    if (fileName == nullptr || *fileName == '\0') return 0;
    std::error_code error;
    const fs::path absolute = fs::absolute(fs::path(fileName), error);
    if (error) return 0;
    std::string full = absolute.root_path().string();
    for (const fs::path& part : absolute.relative_path()) {
        const std::string& name = part.native();
        if (name.empty() || name == ".") continue;
        if (full.empty() || full.back() != '/') full.push_back('/');
        full.append(name);
    }
    // A name ending in a separator names a folder, and keeps its separator.
    const std::string given(fileName);
    const bool folder = given.back() == '/' || given.ends_with("/.");
    if (folder && full.back() != '/') full += '/';

    if (buffer == nullptr || full.size() + 1 > bufferLength) {
        return static_cast<DWORD>(full.size() + 1);
    }
    std::memcpy(buffer, full.c_str(), full.size() + 1);
    if (filePart != nullptr) {
        *filePart = folder ? nullptr : buffer + full.rfind('/') + 1;
    }
    return static_cast<DWORD>(full.size());
}

BOOL SetCurrentDirectoryA(LPCSTR pathName) {
    if (pathName == nullptr || *pathName == '\0') return FALSE;
    std::error_code error;
    fs::current_path(fs::path(pathName), error);
    return error ? FALSE : TRUE;
}
