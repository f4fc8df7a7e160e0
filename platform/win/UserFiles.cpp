// The per-user folder under the user's local application data.
#include "platform/UserFiles.h"

#include <windows.h>
// After <windows.h>, which it needs.
#include <shlobj.h>

std::string UserStateFile(const char* name) {
    if (name == nullptr || *name == '\0') return {};
    char base[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                                SHGFP_TYPE_CURRENT, base)))
        return {};
    const std::string folder = std::string(base) + "\\Quillfin";
    if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return {};
    return folder + "\\" + name;
}
