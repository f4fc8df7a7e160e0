// The keyboard's way to answer a zone question: a crosshair on the picture
// that the arrow keys move and Enter or Space puts down as a click. Its place
// lives in the UI state as fractions of the picture's inner area (inside the
// one-pixel frame), so a resize keeps it on the same spot of the picture; it
// never leaves that area.
#pragma once

#include <string>

#include "platform/WinApi.h"

// A plain arrow moves the crosshair by 1/16 of the picture, Shift+arrow by
// 1/128, Ctrl+arrow by one pixel.
constexpr int kCrosshairCoarseSteps = 16;
constexpr int kCrosshairFineSteps = 128;

enum class CrosshairStep { Coarse, Fine, OnePixel };

// The fraction after one step of `direction` (-1 or +1) along an inner extent
// of `pixels` pixels, clamped to 0..1. A one-pixel step moves from the pixel
// the fraction stands for to its neighbour.
double StepCrosshair(double fraction, int direction, int pixels, CrosshairStep step);

// The pixel, 0 to pixels - 1, that a fraction stands for along an inner
// extent of `pixels` pixels (0 when there are none).
int CrosshairPixel(double fraction, int pixels);

// Puts the crosshair back to the picture's centre.
void CentreCrosshair();

// The start of a zone question: the crosshair at the centre and, for the
// first zone question of a round, a line after the question text that says
// which keys answer it.
void BeginZoneQuestion();

// A key for the crosshair while a zone answer is awaited: the arrows move it
// (by the step the modifiers choose), Home centres it. True when the key was
// one of these; the caller redraws the picture.
bool CrosshairKey(int virtualKey, bool shift, bool control);

// Where the crosshair stands, in the coordinates a click on the picture is
// measured in: (0, 0) is the first pixel inside the frame.
void CrosshairPoint(int& x, int& y);

// Draws the crosshair over the drawn picture on `dc`, clipped to the inside
// of the picture's frame: white and black, so that it shows on light and
// dark pictures in every colour scheme.
void DrawCrosshair(HDC dc);

// The crosshair's place as a reader hears it: "column 9 of 16, row 5 of 16".
std::string CrosshairValue();
