// Opening the first file of a drop.
#include "ui/FileDrop.h"

#include <string>
#include <vector>

#include "platform/WinApi.h"
#include "ui/CommandLine.h"

namespace {

constexpr UINT kCountFiles = 0xFFFFFFFF;

}  // namespace

bool OpenDroppedFiles(HWND hwnd, HDROP drop) {
    std::string first;
    if (DragQueryFileA(drop, kCountFiles, nullptr, 0) > 0) {
        const UINT length = DragQueryFileA(drop, 0, nullptr, 0);
        std::vector<char> name(length + 1, '\0');
        if (DragQueryFileA(drop, 0, name.data(), length + 1) == length) first = name.data();
    }
    // The drop is freed before any box opens over the window.
    DragFinish(drop);
    if (first.empty()) return false;
    return OpenGivenFile(hwnd, first);
}
