// The functions that know a window's or a screen's own DPI are looked up when
// first needed, never linked, so that the program starts on Windows Vista, 7
// and 8, which lack them: GetDpiForWindow (Windows 10 1607), else
// GetDpiForMonitor of the window's screen (Windows 8.1), else the system DPI;
// likewise AdjustWindowRectExForDpi (Windows 10 1607).
#include "platform/WindowDpi.h"

namespace {

constexpr UINT kDefaultDpi = 96;
// MDT_EFFECTIVE_DPI: the DPI the screen's scale setting gives.
constexpr int kEffectiveDpi = 0;

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using AdjustForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

template <typename Function>
Function Find(const char* library, const char* name) {
    HMODULE module = GetModuleHandleA(library);
    // From the system folder only, never from beside the program.
    if (module == nullptr) module = LoadLibraryExA(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

UINT SystemDpi() {
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) return kDefaultDpi;
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

}  // namespace

UINT WindowDpi(HWND hwnd) {
    if (hwnd == nullptr) return SystemDpi();
    static const auto perWindow = Find<GetDpiForWindowFunction>("user32.dll", "GetDpiForWindow");
    // 0 for a handle that is no window.
    if (perWindow != nullptr) {
        if (const UINT dpi = perWindow(hwnd); dpi > 0) return dpi;
    }
    static const auto perMonitor = Find<GetDpiForMonitorFunction>("shcore.dll", "GetDpiForMonitor");
    if (perMonitor != nullptr) {
        UINT x = 0;
        UINT y = 0;
        HMONITOR monitor = MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST);
        if (monitor != nullptr && SUCCEEDED(perMonitor(monitor, kEffectiveDpi, &x, &y)) && y > 0)
            return y;
    }
    return SystemDpi();
}

BOOL AdjustWindowRectForDpi(RECT* rect, DWORD style, BOOL menu, DWORD exStyle, UINT dpi) {
    static const auto forDpi = Find<AdjustForDpiFunction>("user32.dll", "AdjustWindowRectExForDpi");
    if (forDpi != nullptr) return forDpi(rect, style, menu, exStyle, dpi);
    return AdjustWindowRectEx(rect, style, menu, exStyle);
}
