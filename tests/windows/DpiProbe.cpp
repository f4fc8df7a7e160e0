// What the Windows program does about DPI, seen from inside, for
// tests/windows/dpi_test.sh.
//   quillfin_dpi_probe.exe manifest file.exe
//     -> dpiAware=<text> dpiAwareness=<text>: the manifest built into the
//        file (resource 1 of type RT_MANIFEST), read as Windows reads it
//   quillfin_dpi_probe.exe change
//     -> start dpi=<D> font=<lfHeight> area=<text area width>
//        changed dpi=<D> window=<l,t,r,b> font=<lfHeight> area=<width>
//        (the probe carries the program's manifest and runs the program's own
//        code: it starts the window, then sends it WM_DPICHANGED for twice
//        the DPI with a suggested rectangle, as Windows does when the window
//        moves to a screen of another DPI, and runs the loop until idle)
#include <windows.h>

#include <cstdio>
#include <string>

#include "ui/Program.h"
#include "ui/UiState.h"

namespace {

// The text between <tag ...> and </tag> in `xml`; "none" when missing.
std::string Element(const std::string& xml, const std::string& tag) {
    const std::size_t open = xml.find("<" + tag);
    if (open == std::string::npos) return "none";
    const std::size_t start = xml.find('>', open);
    const std::size_t end = xml.find("</" + tag + ">", open);
    if (start == std::string::npos || end == std::string::npos || end < start) return "none";
    return xml.substr(start + 1, end - start - 1);
}

int Manifest(const char* file) {
    HMODULE module = LoadLibraryExA(file, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr) {
        std::printf("cannot open %s\n", file);
        return 1;
    }
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr) {
        std::printf("no manifest\n");
        FreeLibrary(module);
        return 1;
    }
    const std::string xml(static_cast<const char*>(bytes), SizeofResource(module, found));
    std::printf("dpiAware=%s dpiAwareness=%s\n", Element(xml, "dpiAware").c_str(),
                Element(xml, "dpiAwareness").c_str());
    FreeLibrary(module);
    return 0;
}

void RunUntilIdle() {
    MSG msg{};
    for (int i = 0; i < 10000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        if (msg.message == WM_QUIT) return;
        RunMessage(msg);
    }
}

int FontHeight() {
    LOGFONTA font{};
    if (Ui().hTextAreaFont == nullptr || GetObjectA(Ui().hTextAreaFont, sizeof(font), &font) == 0)
        return 0;
    return font.lfHeight;
}

int AreaWidth() {
    RECT area{};
    GetWindowRect(Ui().hwndTextArea, &area);
    return area.right - area.left;
}

int Change() {
    if (!StartQuillfin(GetModuleHandleA(nullptr), SW_SHOWNORMAL)) return 3;
    RunUntilIdle();
    const int dpi = Ui().iDpi;
    RECT w0{}, c0{};
    GetWindowRect(Ui().hwndMain, &w0);
    GetClientRect(Ui().hwndMain, &c0);
    MONITORINFO mi{}; mi.cbSize = sizeof(mi);
    GetMonitorInfoA(MonitorFromWindow(Ui().hwndMain, MONITOR_DEFAULTTONEAREST), &mi);
    std::printf("debug window=%ld,%ld,%ld,%ld client=%ldx%ld work=%ld,%ld,%ld,%ld\n", w0.left, w0.top, w0.right, w0.bottom, c0.right, c0.bottom, mi.rcWork.left, mi.rcWork.top, mi.rcWork.right, mi.rcWork.bottom);
    std::printf("start dpi=%d font=%d area=%d\n", dpi, FontHeight(), AreaWidth());
    RECT suggested{40, 30, 40 + MulDiv(520, 2 * dpi, 96), 30 + MulDiv(584, 2 * dpi, 96)};
    SendMessageA(Ui().hwndMain, WM_DPICHANGED, MAKEWPARAM(2 * dpi, 2 * dpi),
                 reinterpret_cast<LPARAM>(&suggested));
    RunUntilIdle();
    RECT window{};
    GetWindowRect(Ui().hwndMain, &window);
    std::printf("changed dpi=%d window=%ld,%ld,%ld,%ld font=%d area=%d\n", Ui().iDpi, window.left,
                window.top, window.right, window.bottom, FontHeight(), AreaWidth());
    std::fflush(stdout);
    DestroyWindow(Ui().hwndMain);
    RunUntilIdle();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "manifest") return Manifest(argv[2]);
    if (argc == 2 && std::string(argv[1]) == "change") return Change();
    std::fprintf(stderr, "usage: quillfin_dpi_probe manifest file.exe | change\n");
    return 2;
}
