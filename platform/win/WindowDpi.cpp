// GetDpiForWindow is looked up when first needed, never linked, so that the
// program starts on Windows 7 and 8, which lack it.
#include "platform/WindowDpi.h"

namespace {

constexpr UINT kDefaultDpi = 96;

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);

GetDpiForWindowFunction PerWindowDpi() {
    static const GetDpiForWindowFunction function = [] {
        HMODULE user32 = GetModuleHandleA("user32.dll");
        return user32 == nullptr
                   ? nullptr
                   : reinterpret_cast<GetDpiForWindowFunction>(
                         reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")));
    }();
    return function;
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
    if (hwnd != nullptr) {
        if (GetDpiForWindowFunction perWindow = PerWindowDpi(); perWindow != nullptr) {
            // 0 for a window handle that is not valid.
            if (const UINT dpi = perWindow(hwnd); dpi > 0) return dpi;
        }
    }
    return SystemDpi();
}
