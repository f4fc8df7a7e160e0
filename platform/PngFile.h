// Writes pictures as PNG files, the same pixels on every build: 8 bits of
// red, green and blue, no transparency, read back exactly as written. The
// system's own encoder packs them (Qt on Linux, the Windows Imaging
// Component on Windows). Nothing here needs a window.
#pragma once

#include <string>

#include "platform/Resample.h"

// zlib's levels run from 0 (stored) to 9 (smallest). Level 1 writes a photo
// of 1600 x 1200 in about a fifth of the time of level 6, zlib's default,
// for about a sixth more bytes, and a third of the bytes level 0 writes.
constexpr int kPngFastLevel = 1;

// Writes `pixels` (3 or 4 bytes each, blue, green, red; a fourth byte is
// ignored) to the file `path`, given in the platform's own bytes, replacing
// a file of that name. `level` is zlib's, 0 to 9, where the encoder lets it
// be chosen (Qt does; Windows' encoder picks its own). False, with the
// reason in `error` and no file left behind, when it cannot be written.
bool WritePngFile(const char* path, const PixelPlane& pixels, int level, std::string& error);
