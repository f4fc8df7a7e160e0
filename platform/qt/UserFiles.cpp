// The per-user folders of the XDG base directories, made private to the user.
#include "platform/UserFiles.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {

// An environment folder as the base directories take it: set, not empty, absolute.
std::filesystem::path AbsoluteFolderOf(const char* variable) {
    const char* value = std::getenv(variable);
    if (value == nullptr || *value == '\0') return {};
    std::filesystem::path folder(value);
    return folder.is_absolute() ? folder : std::filesystem::path();
}

// `name` in the program's folder under $`variable`, else under `fallback`
// in the home folder.
std::string UserFile(const char* variable, const char* fallback, const char* name) {
    namespace fs = std::filesystem;
    if (name == nullptr || *name == '\0') return {};
    fs::path base = AbsoluteFolderOf(variable);
    if (base.empty()) {
        const fs::path home = AbsoluteFolderOf("HOME");
        if (home.empty()) return {};
        base = home / fallback;
    }
    const fs::path folder = base / "quillfin";
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        fs::create_directories(folder, error);
        if (error) return {};
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, error);
    }
    return (folder / name).string();
}

}  // namespace

std::string UserStateFile(const char* name) {
    return UserFile("XDG_STATE_HOME", ".local/state", name);
}

std::string UserSettingsFile(const char* name) {
    return UserFile("XDG_CONFIG_HOME", ".config", name);
}
