// Scaling a picture to another size, the same on every build: each output
// pixel of a shrunk axis is the area average of the source pixels it covers;
// an enlarged axis is interpolated linearly between the two nearest source
// pixels, pixel centres aligned; an axis of equal size is copied. Plain
// memory in, plain memory out, a row at a time.
#pragma once

#include <cstddef>
#include <cstdint>

// Pixels of 8-bit channels, 3 (blue, green, red) or 4 (blue, green, red,
// and one more) bytes each. `top` is the top row; `stride` the bytes from a
// row to the one below it (negative for rows stored bottom-up).
struct PixelPlane {
    const unsigned char* top = nullptr;
    std::ptrdiff_t stride = 0;
    int width = 0;
    int height = 0;
    int bytesPerPixel = 4;
};

// Writes `source` scaled to width x height into the 32-bit pixels at
// `target` (top row first, `targetStride` bytes from row to row). Each
// channel is scaled alone; the fourth byte of a 3-byte source is 0. False,
// writing nothing, when a size is below 1 or the source has another pixel size.
bool Resample(const PixelPlane& source, std::uint32_t* target, int width, int height,
              std::ptrdiff_t targetStride);
