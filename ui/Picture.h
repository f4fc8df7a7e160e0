// The picture in the upper part of the main window: loading a question's
// bitmap or a built-in one, marking the answer zone on it, drawing it scaled
// and framed, and the rectangle test that tells whether a repaint touches it.
// The loaded picture lives in Ui().hPictureBitmap and Ui().hPictureDC, its
// drawn-size copy in Ui().hDrawnBitmap and Ui().hDrawnDC.
#pragma once

#include "platform/WinApi.h"

// Loads `name` ("\S_WC" and "\F_CG" name the built-in welcome and
// congratulation pictures, anything else a BMP, PNG or JPEG file) into the UI
// state and, unless all three components are -1, marks the pixels that have
// the zone colour in the zone bitmap: Ui().hZoneBitmap when one is held, else
// the file Ui().ZoneName. False when the picture could not be loaded and the
// built-in "Could not open bitmap" picture stands in for it.
bool LoadNewPicture(const char* name, HWND& hwnd, HINSTANCE& instance, int red, int green,
                    int blue);

// The zone bitmap that Ui().ZoneName names (BMP, PNG or JPEG), found as
// pictures are found; the one made ready by PrepareFeedbackPicture when the
// file has not changed since. Null when there is none or it cannot be
// loaded. The caller deletes it.
HBITMAP LoadZoneBitmap(HINSTANCE& instance);

// Draws the loaded picture into a client area of width x height, at its own
// size (scaled to the window's DPI) or shrunk to fit, centred, PictureTop()
// pixels from the top, framed with brFrame; records where in iPictureLeft,
// iPictureWidth, iPictureHeight.
// A shrunk picture is drawn from a copy at the drawn size, made by the
// resampler when that size or the picture changes, so that a repaint only
// copies pixels. False when the copy fails (the frame is drawn all the same)
// or nothing is loaded.
bool DisplayPicture(HWND& hwnd, HINSTANCE& instance, int width, int height);

// The client row of the picture's top edge: 10 at 96 DPI.
int PictureTop();

// Frees the drawn-size copy of the picture, if one is held, and the
// feedback's picture made ready, if any.
void ReleaseDrawnCopy();

// Work for an empty message queue: while a question whose feedback marks a
// zone is on screen with its picture unmarked, loads the zone and makes the
// marked picture and its drawn-size copy, once per picture, so that the
// feedback swaps them in (LoadNewPicture) and the zone click takes the zone
// (LoadZoneBitmap). True when it did that work.
bool PrepareFeedbackPicture();

// True when a's left or right edge lies within b's horizontal extent and a's
// top or bottom edge within b's vertical extent, bounds included.
bool IsWithinRect(RECT& a, RECT& b);

// True when a and b have at least one pixel in common; right and bottom edges
// are exclusive, as in every RECT.
bool SharesAPixel(const RECT& a, const RECT& b);
