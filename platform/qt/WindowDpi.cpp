// Qt scales the whole window by its device pixel ratio, so every window is
// laid out at the system font's DPI (GetDeviceCaps' LOGPIXELSY, which tests
// may set).
#include "platform/WindowDpi.h"

#include "platform/qt/GdiInternal.h"

UINT WindowDpi(HWND) {
    const int dpi = quillfin::platform::LogPixelsY();
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

BOOL AdjustWindowRectForDpi(RECT* rect, DWORD style, BOOL menu, DWORD exStyle, UINT) {
    return AdjustWindowRectEx(rect, style, menu, exStyle);
}
