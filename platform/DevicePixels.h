// Where a window's client coordinates meet the screen's pixels. A Windows
// program that declares itself DPI aware speaks device pixels, so there a
// rectangle is its own device rectangle. On Linux the window speaks Qt's
// logical pixels, which the screen's scale factor enlarges: a picture made
// at the device size of the place it is drawn in is drawn pixel for pixel,
// as sharp as it was made, instead of being scaled a second time.
#pragma once

#include "platform/WinApi.h"

// The device pixels that the client rectangle `area` of `hwnd` covers.
RECT DevicePixelsOf(HWND hwnd, const RECT& area);
