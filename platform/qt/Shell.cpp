// The program's own file name and the shell's "open": the page is handed to
// the desktop's handler for its type (the browser for a web page). Under the
// test seams the request is only recorded, so that no test starts a browser.
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QGuiApplication>
#include <QUrl>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "platform/WinApi.h"
#include "platform/qt/Internal.h"

namespace {

// What ShellExecuteA returns: success above 32, Windows' error codes below.
constexpr std::intptr_t kShellOpened = 42;
constexpr std::intptr_t kShellFileNotFound = 2;
constexpr std::intptr_t kShellNoAssociation = 31;

std::optional<std::string>& ModuleNameOverride() {
    static std::optional<std::string> name;
    return name;
}

HINSTANCE ShellResult(std::intptr_t value) { return reinterpret_cast<HINSTANCE>(value); }

bool RecordOnly() {
    return quillfin::platform::Dialogs().on ||
           QGuiApplication::platformName() == QLatin1String("offscreen");
}

}  // namespace

namespace quillfin::testing {

void SetModuleFileName(std::optional<std::string> path) { ModuleNameOverride() = std::move(path); }

const std::vector<ShellRequest>& ShellRequests() {
    return quillfin::platform::Dialogs().shellRequests;
}

}  // namespace quillfin::testing

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
    if (module != nullptr || fileName == nullptr || size == 0) return 0;
    const std::string name = ModuleNameOverride().value_or(
        QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString());
    if (name.empty()) return 0;
    if (name.size() >= size) {
        // Cut short and still zero-terminated, as Windows XP and later do it.
        std::memcpy(fileName, name.data(), size - 1);
        fileName[size - 1] = '\0';
        return size;
    }
    std::memcpy(fileName, name.c_str(), name.size() + 1);
    return static_cast<DWORD>(name.size());
}

HINSTANCE ShellExecuteA(HWND, LPCSTR operation, LPCSTR file, LPCSTR, LPCSTR, int) {
    if (file == nullptr || *file == '\0') return ShellResult(kShellFileNotFound);
    if (operation != nullptr && std::strcmp(operation, "open") != 0)
        return ShellResult(kShellNoAssociation);
    if (!QFile::exists(QFile::decodeName(file))) return ShellResult(kShellFileNotFound);
    if (RecordOnly()) {
        quillfin::platform::Dialogs().shellRequests.push_back(
            quillfin::testing::ShellRequest{operation != nullptr ? operation : "", file});
        return ShellResult(kShellOpened);
    }
    const bool opened = QDesktopServices::openUrl(QUrl::fromLocalFile(QFile::decodeName(file)));
    return ShellResult(opened ? kShellOpened : kShellNoAssociation);
}
