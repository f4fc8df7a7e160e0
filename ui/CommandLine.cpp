// Reading the command line and opening the file it names.
#include "ui/CommandLine.h"

#include <string>
#include <vector>

#include "platform/FileNameText.h"
#include "platform/WinApi.h"
#include "round/QuestionOrder.h"
#include "rules/FileReader.h"
#include "ui/Program.h"

namespace {

constexpr const char* kCannotOpenTitle = "Could not open file";
constexpr const char* kCannotOpenText = "Could not open the file\n";

bool IsSeparator(char c) { return c == ' ' || c == '\t'; }

// The absolute form of `name` as the system builds it; `folderLength` gets
// the length of its folder part, separator included (0 when the name ends in
// a separator and so names no file). Empty when the system refuses the name.
std::string FullPathName(const std::string& name, std::size_t& folderLength) {
    folderLength = 0;
    const DWORD needed = GetFullPathNameA(name.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return {};
    std::vector<char> buffer(needed + 1, '\0');
    LPSTR filePart = nullptr;
    const DWORD length =
        GetFullPathNameA(name.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), &filePart);
    if (length == 0 || length >= buffer.size()) return {};
    if (filePart != nullptr) folderLength = static_cast<std::size_t>(filePart - buffer.data());
    return std::string(buffer.data(), length);
}

}  // namespace

std::vector<std::string> SplitCommandLine(const char* commandLine) {
    std::vector<std::string> arguments;
    if (commandLine == nullptr) return arguments;
    const char* p = commandLine;
    for (;;) {
        while (IsSeparator(*p)) ++p;
        if (*p == '\0') break;
        std::string argument;
        bool quoted = false;
        for (;;) {
            std::size_t backslashes = 0;
            while (*p == '\\') {
                ++p;
                ++backslashes;
            }
            bool literal = true;
            if (*p == '"') {
                if (backslashes % 2 == 0) {
                    if (quoted && p[1] == '"') {
                        ++p;  // "" inside quotes: one literal quote
                    } else {
                        literal = false;
                        quoted = !quoted;
                    }
                }
                backslashes /= 2;
            }
            argument.append(backslashes, '\\');
            if (*p == '\0' || (!quoted && IsSeparator(*p))) break;
            if (literal) argument += *p;
            ++p;
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

bool OpenCommandLineFile(HWND hwnd, const char* commandLine) {
    const std::vector<std::string> arguments = SplitCommandLine(commandLine);
    if (arguments.empty()) return false;
    return OpenGivenFile(hwnd, arguments.front());
}

bool OpenGivenFile(HWND hwnd, const std::string& given) {
    std::size_t folderLength = 0;
    const std::string path = given.empty() ? std::string() : FullPathName(given, folderLength);
    if (path.empty() || folderLength == 0 || !OpenFileAt(path.c_str(), 0)) {
        const std::string text =
            kCannotOpenText + FileNameAsText((path.empty() ? given : path).c_str());
        MessageBoxA(hwnd, text.c_str(), kCannotOpenTitle, MB_OK | MB_ICONWARNING);
        return false;
    }
    // Relative picture names in question files are found from here, as after
    // a file dialog.
    SetCurrentDirectoryA(path.substr(0, folderLength).c_str());
    // A file that cannot start a round is refused with the same box as from
    // the menu, and the welcome screen stays.
    return IsRoundFile(path.c_str()) ? ResumeRound(path.c_str()) : StartNewRound(path.c_str());
}
