// Start folders of the file dialogs and the Help box.
#include "ui/Dialogs.h"

#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileNameText.h"
#include "platform/WinApi.h"
#include "rules/FileReader.h"
#include "ui/UiState.h"

const char* const kHelpPageName = "Quillfin_help_v.1.00 beta.html";

namespace {

constexpr const char* kHelpText =
    "Help documetntation is included in the \"help\" directory.\n"
    "Open the file \"Quillfin_help_v.1.00 beta.html\"";
constexpr const char* kHelpTitle = "Quillfin Help";
constexpr const char* kHelpPageIs = "\n\nThe help page is\n";
constexpr const char* kHelpOffer = "\n\nOpen it in the browser now?";
constexpr const char* kHelpMissing =
    "\n\nThe help page was not found beside the program or in its installed folders.";
constexpr const char* kOpenFailedText = "The help page could not be opened in the browser:\n";
constexpr const char* kOpenFailedTitle = "Help not opened";
constexpr const char* kRoundExtension = ".qfr";

// The longest program path that is looked at; Windows' own limit is shorter.
constexpr DWORD kModuleNameSize = 4096;
// ShellExecuteA reports success with a value above this.
constexpr std::intptr_t kShellErrorLimit = 32;

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// The absolute form of `name` split into its folder (separator included) and
// its file name. False when the system refuses the name or it names a folder.
bool SplitFullPath(const char* name, std::string& folder, std::string& file) {
    if (name == nullptr || *name == '\0') return false;
    const DWORD needed = GetFullPathNameA(name, 0, nullptr, nullptr);
    if (needed == 0) return false;
    std::vector<char> buffer(needed + 1, '\0');
    LPSTR filePart = nullptr;
    const DWORD length =
        GetFullPathNameA(name, static_cast<DWORD>(buffer.size()), buffer.data(), &filePart);
    if (length == 0 || length >= buffer.size() || filePart == nullptr || *filePart == '\0')
        return false;
    folder.assign(buffer.data(), static_cast<std::size_t>(filePart - buffer.data()));
    file.assign(filePart);
    return !folder.empty();
}

// `fileName` with its extension replaced by .qfr. A leading dot starts no
// extension.
std::string RoundFileNameFor(const std::string& fileName) {
    const std::size_t dot = fileName.rfind('.');
    const std::string base =
        dot == std::string::npos || dot == 0 ? fileName : fileName.substr(0, dot);
    return base + kRoundExtension;
}

bool IsReadableFile(const std::string& path) { return OpenFileAt(path.c_str(), 0) != nullptr; }

}  // namespace

DialogStart FileDialogStart(bool save) {
    DialogStart start;
    const char* questionFile = Ui().QuestionOrder.qfile;
    std::string folder;
    std::string file;
    if (questionFile != nullptr && SplitFullPath(questionFile, folder, file)) {
        start.folder = folder;
        if (save) start.fileName = RoundFileNameFor(file);
    } else {
        start.folder = Ui().LastDialogFolder;
    }
    return start;
}

void NoteDialogFolder(const char* chosenPath) {
    std::string folder;
    std::string file;
    if (SplitFullPath(chosenPath, folder, file)) Ui().LastDialogFolder = folder;
}

std::string FindHelpPage() {
    std::vector<char> module(kModuleNameSize, '\0');
    const DWORD length = GetModuleFileNameA(nullptr, module.data(), kModuleNameSize);
    if (length == 0 || length >= kModuleNameSize) return {};
    std::string folder;
    std::string program;
    if (!SplitFullPath(module.data(), folder, program)) return {};
    // The program's folder ends in its separator: '\' on Windows, '/' elsewhere.
    const std::string separator(1, folder.back());
    std::string parent = folder.substr(0, folder.size() - 1);
    while (!parent.empty() && !IsSeparator(parent.back())) parent.pop_back();

    std::vector<std::string> places = {folder + "help" + separator, folder};
    if (!parent.empty()) {
        places.push_back(parent + "share" + separator + "doc" + separator + "quillfin" + separator +
                         "help" + separator);
        places.push_back(parent + "help" + separator);
    }
    for (const std::string& place : places) {
        const std::string page = place + kHelpPageName;
        if (IsReadableFile(page)) return page;
    }
    return {};
}

void ShowHelpBox(HWND owner) {
    const std::string page = FindHelpPage();
    std::string text = kHelpText;
    if (page.empty()) {
        text += kHelpMissing;
        MessageBoxA(owner, text.c_str(), kHelpTitle, MB_OK);
        return;
    }
    text += kHelpPageIs + FileNameAsText(page.c_str()) + kHelpOffer;
    // No is the default: an Enter held on from the menu opens nothing.
    if (MessageBoxA(owner, text.c_str(), kHelpTitle, MB_YESNO | MB_DEFBUTTON2) != IDYES) return;
    const HINSTANCE opened =
        ShellExecuteA(owner, "open", page.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    if (reinterpret_cast<std::intptr_t>(opened) <= kShellErrorLimit) {
        const std::string failed = kOpenFailedText + FileNameAsText(page.c_str());
        MessageBoxA(owner, failed.c_str(), kOpenFailedTitle, MB_OK | MB_ICONWARNING);
    }
}
