// The pixel rows of DIB sections, reached through their bits without a call
// per pixel, and copies of them in 32 bits or at another size. Written
// against the Windows-API subset alone, so both builds read pixels the same way.
#pragma once

#include <cstddef>

#include "platform/WinApi.h"

// The rows of a DIB section whose pixels are 24 or 32 bits in the order
// blue, green, red, reached through its bits without a call per pixel.
struct PixelRows {
    unsigned char* top = nullptr;  // the top row
    std::ptrdiff_t stride = 0;     // bytes from a row to the one below (negative: bottom-up)
    int width = 0;
    int height = 0;
    int bytesPerPixel = 0;

    unsigned char* Row(int y) const { return top + y * stride; }
};

// Direct rows of `bitmap`; a bitmap without them (palette, 16-bit, other
// channel masks) is replaced by a 32-bit copy first, and freed. A bitmap
// with a palette would otherwise take the marked colours only as near as its
// palette allows. False, with `bitmap` unchanged, when no copy can be made.
// `bitmap` must not be selected into a device context.
bool MakeDirect(HBITMAP& bitmap, PixelRows& rows);

// A 32-bit DIB section of width x height whose rows run from the top down,
// all black; its bits in *bits when that is not null. Null when it cannot be made.
HBITMAP NewTopDownBitmap(int width, int height, void** bits);

// A 32-bit top-down DIB section of width x height holding `picture` scaled
// to that size by Resample; a size that is the picture's own times a whole
// number on both axes (a picture at its own size on a screen scaled to 200 %)
// repeats each pixel instead, so that its edges stay as sharp as they were
// made. `picture` must not be selected into a device context and may be
// replaced as by MakeDirect. Null when it cannot be made.
HBITMAP ScaledCopy(HBITMAP& picture, int width, int height);
