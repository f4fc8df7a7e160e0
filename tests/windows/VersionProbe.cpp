// Prints the version resource of each program named on the command line as
// Windows reads it: "name file=A.B.C.D product=A.B.C.D FileVersion=...
// ProductVersion=... ProductName=...", or "name none" when it has none.
#include <windows.h>

#include <cstdio>
#include <vector>

namespace {

// The string value `key` of the US English, Unicode block; "" when missing.
const char* StringValue(const std::vector<char>& data, const char* key) {
    char path[128];
    std::snprintf(path, sizeof(path), "\\StringFileInfo\\040904B0\\%s", key);
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data.data(), path, &value, &length) || value == nullptr) return "";
    return static_cast<const char*>(value);
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeA(argv[i], &ignored);
        std::vector<char> data(size);
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT fixedLength = 0;
        if (size == 0 || !GetFileVersionInfoA(argv[i], 0, size, data.data()) ||
            !VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedLength) ||
            fixed == nullptr || fixedLength < sizeof(VS_FIXEDFILEINFO)) {
            std::printf("%s none\n", argv[i]);
            continue;
        }
        std::printf(
            "%s file=%u.%u.%u.%u product=%u.%u.%u.%u FileVersion=%s "
            "ProductVersion=%s ProductName=%s\n",
            argv[i], unsigned{HIWORD(fixed->dwFileVersionMS)},
            unsigned{LOWORD(fixed->dwFileVersionMS)}, unsigned{HIWORD(fixed->dwFileVersionLS)},
            unsigned{LOWORD(fixed->dwFileVersionLS)}, unsigned{HIWORD(fixed->dwProductVersionMS)},
            unsigned{LOWORD(fixed->dwProductVersionMS)},
            unsigned{HIWORD(fixed->dwProductVersionLS)},
            unsigned{LOWORD(fixed->dwProductVersionLS)}, StringValue(data, "FileVersion"),
            StringValue(data, "ProductVersion"), StringValue(data, "ProductName"));
    }
    return 0;
}
