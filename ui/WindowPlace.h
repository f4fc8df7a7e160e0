// The main window's place on the screens. At the first start it keeps its
// size where that fits the work area of its screen and is otherwise shrunk
// to fit with the same proportions, centred. Its size, position and
// maximized state are kept per user when the program ends (the registry:
// HKEY_CURRENT_USER\Software\Quillfin) and taken up at the next start on a
// screen that is still there. It never gets smaller than the size at which
// the text area, the answer box and a 160 x 120 picture fit.
#pragma once

#include "platform/WinApi.h"

// The smallest client area at 96 DPI (scaled to the window's DPI as the
// layout is): a picture of 160 x 120 pixels is shown unscaled with the room
// the layout leaves round it (beside it 22 pixels, below it 167 for the text
// area of six lines and the answer box).
constexpr int kMinimumClientWidth = 160 + 22;
constexpr int kMinimumClientHeight = 120 + 167;

// The outer rectangle `window` (as created) at its first start on a screen
// with the work area `work`: the same size when it fits, else the largest of
// the same proportions that fits; centred in the work area.
RECT FirstPlace(const RECT& window, const RECT& work);

// A remembered outer rectangle made to fit the work area `work` of the
// screen it is to stand on: no larger than the work area (nor smaller than
// `minimum`), and moved the least distance that brings it wholly inside.
RECT PlaceInside(const RECT& window, const RECT& work, POINT minimum);

// Places the main window, created (at its size for 96 DPI) but not yet
// shown, and shows it with `showCommand`: where it was when the program last
// ended (maximized again if it was), else at its first place, its size
// scaled to the window's DPI.
void ShowMainWindowInPlace(HWND hwnd, int showCommand);

// As the program ends: keeps the window's restored rectangle and whether it
// is maximized for the next start. Nothing is kept when it is minimized.
void RememberWindowPlace(HWND hwnd);

// WM_GETMINMAXINFO: the smallest outer size for the smallest client area.
void LimitWindowSize(MINMAXINFO* limits);
