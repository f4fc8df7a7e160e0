// The dots per inch a window is drawn at, by which the program sizes its
// fonts, margins and frames (96 is 100 %). On Windows: the window's own DPI
// (Windows 10 1607 and later), else its screen's (Windows 8.1), else the
// system DPI; the functions are looked up at run time, so the program still
// starts on older Windows. On Linux the Qt layer scales the window itself and
// reports the system font's DPI, 96 on a plain desktop.
#pragma once

#include "platform/WinApi.h"

// The DPI of `hwnd` (of the system when `hwnd` is null or unknown); never below 1.
UINT WindowDpi(HWND hwnd);

// AdjustWindowRectEx for a window drawn at `dpi`, whose frame, title and menu
// bar the system scales (Windows 10 1607 and later); elsewhere the same as
// AdjustWindowRectEx, at the system's DPI.
BOOL AdjustWindowRectForDpi(RECT* rect, DWORD style, BOOL menu, DWORD exStyle, UINT dpi);
