// What the Windows program does about DPI, seen from inside, for
// tests/windows/dpi_test.sh.
//   quillfin_dpi_probe.exe manifest file.exe
//     -> dpiAware=<text> dpiAwareness=<text>: the manifest built into the
//        file (resource 1 of type RT_MANIFEST), read as Windows reads it
//   quillfin_dpi_probe.exe change <new dpi>
//     -> start dpi=<D> font=<lfHeight> client=<width> area=<text area width>
//        changed dpi=<D> window=<l,t,r,b> font=<lfHeight> client=<w> area=<w>
//        (the probe carries the program's manifest and runs the program's own
//        code: it starts the window, then sends it WM_DPICHANGED for the new
//        DPI with the suggested rectangle 40,30 - 940,730, as Windows does
//        when the window moves to a screen of another DPI, and runs the loop
//        until idle)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
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

int ClientWidth() {
    RECT client{};
    GetClientRect(Ui().hwndMain, &client);
    return client.right - client.left;
}

int Change(int newDpi) {
    if (!StartQuillfin(GetModuleHandleA(nullptr), SW_SHOWNORMAL)) return 3;
    RunUntilIdle();
    const int dpi = Ui().iDpi;
    std::printf("start dpi=%d font=%d client=%d area=%d\n", dpi, FontHeight(), ClientWidth(),
                AreaWidth());
    // A place that fits the test's screen of 1024 x 768 at every DPI.
    RECT suggested{40, 30, 40 + 900, 30 + 700};
    SendMessageA(Ui().hwndMain, WM_DPICHANGED, MAKEWPARAM(newDpi, newDpi),
                 reinterpret_cast<LPARAM>(&suggested));
    RunUntilIdle();
    RECT window{};
    GetWindowRect(Ui().hwndMain, &window);
    std::printf("changed dpi=%d window=%ld,%ld,%ld,%ld font=%d client=%d area=%d\n", Ui().iDpi,
                window.left, window.top, window.right, window.bottom, FontHeight(), ClientWidth(),
                AreaWidth());
    std::fflush(stdout);
    DestroyWindow(Ui().hwndMain);
    RunUntilIdle();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "manifest") return Manifest(argv[2]);
    if (argc == 3 && std::string(argv[1]) == "change") return Change(std::atoi(argv[2]));
    std::fprintf(stderr, "usage: quillfin_dpi_probe manifest file.exe | change dpi\n");
    return 2;
}
