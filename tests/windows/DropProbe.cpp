// Drops files on the program's own window from inside its process, the way
// a drop from the file manager arrives: a DROPFILES block in global memory,
// posted as WM_DROPFILES (a drop handle posted from another process would
// carry nothing). Runs the program's message loop until it is idle and
// prints what the window then shows, for tests/windows/drop_test.sh.
//   quillfin_drop_probe.exe file...   ->   state=<QuizState> text=<text area>
#include <windows.h>
// After <windows.h>, which it needs.
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "ui/Program.h"
#include "ui/UiState.h"

namespace {

// The drop as Windows makes it: the names one after another, each ended by a
// zero, the list ended by one more.
HGLOBAL MakeDrop(int count, char** names) {
    std::string list;
    for (int i = 0; i < count; ++i) list.append(names[i]).push_back('\0');
    list.push_back('\0');
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size());
    if (memory == nullptr) return nullptr;
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), list.size());
    GlobalUnlock(memory);
    return memory;
}

void RunUntilIdle() {
    MSG msg{};
    for (int i = 0; i < 10000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        if (msg.message == WM_QUIT) return;
        RunMessage(msg);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: quillfin_drop_probe file...\n");
        return 2;
    }
    if (!StartQuillfin(GetModuleHandleA(nullptr), SW_SHOWNORMAL)) return 3;
    RunUntilIdle();
    HGLOBAL drop = MakeDrop(argc - 1, argv + 1);
    if (drop == nullptr ||
        !PostMessageA(Ui().hwndMain, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0))
        return 4;
    RunUntilIdle();
    char text[512] = {};
    GetWindowTextA(Ui().hwndTextArea, text, sizeof(text));
    std::printf("state=%d text=%s\n", Ui().QuizState, text);
    std::fflush(stdout);
    DestroyWindow(Ui().hwndMain);
    RunUntilIdle();
    return 0;
}
