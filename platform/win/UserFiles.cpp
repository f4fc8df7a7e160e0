// The per-user folders under the user's application data.
#include "platform/UserFiles.h"

#include <windows.h>
// After <windows.h>, which it needs.
#include <shlobj.h>

namespace {

std::string UserFile(int folderId, const char* name) {
    if (name == nullptr || *name == '\0') return {};
    char base[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, folderId | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                                base)))
        return {};
    const std::string folder = std::string(base) + "\\Quillfin";
    if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return {};
    return folder + "\\" + name;
}

}  // namespace

std::string UserStateFile(const char* name) { return UserFile(CSIDL_LOCAL_APPDATA, name); }

std::string UserSettingsFile(const char* name) { return UserFile(CSIDL_APPDATA, name); }
