// Question pictures and zone bitmaps from files: BMP, PNG or JPEG, told apart
// by the first bytes of the content, never by the name's ending. A BMP file
// loads exactly as LoadImageA loads it. PNG and JPEG files are decoded by the
// system's own decoders into a 32-bit top-down DIB section, turned upright by
// the EXIF orientation a camera wrote, with transparency drawn over white.
// Nothing here needs a window: a console program may call it.
#pragma once

#include <cstddef>

#include "platform/WinApi.h"

enum class PictureFormat { Unknown, Bmp, Png, Jpeg };

// The format that the first bytes of a file announce.
PictureFormat PictureFormatOf(const unsigned char* head, std::size_t size);

// The format of the named file's content; Unknown when it cannot be read.
// The name is found as LoadPictureFile finds it.
PictureFormat PictureFileFormat(const char* name);

// Loads the named file (Windows-1252 bytes, as a question file names it) as a
// DIB section. Null when the file is missing, malformed, truncated beyond
// use, of another kind, or larger than 64 megapixels; a hostile file fails
// or decodes in bounded time and memory.
HBITMAP LoadPictureFile(HINSTANCE instance, const char* name);
