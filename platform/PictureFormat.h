// The part of picture loading that both builds share, in plain C++ over
// bytes and 32-bit pixels: the limits, what a JPEG's EXIF block says about
// its orientation, a bounded look through a JPEG's markers before it is
// decoded, turning pixels upright, and drawing transparency over white.
// Pixels are 32-bit 0xAARRGGBB values, rows top-down, the layout of a
// Windows 32-bit DIB and of QImage's ARGB32 and RGB32 formats.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/PictureFile.h"

namespace quillfin::pictures {

// The largest picture accepted, in pixels: room for a 50-megapixel photo.
constexpr std::int64_t kMaxPixels = 64LL * 1024 * 1024;
// A file beyond this size cannot hold a picture that is accepted (32 bits per
// pixel at the pixel limit, plus room for headers and metadata).
constexpr std::int64_t kMaxFileBytes = kMaxPixels * 4 + 1024 * 1024;
// A JPEG decoder passes over the whole picture once per scan. Cameras and
// encoders write one scan, or about ten for a progressive JPEG.
constexpr int kMaxJpegScans = 32;

// The EXIF orientation, 1 to 8: how the stored pixels must be turned and
// mirrored to show the picture upright. 1 leaves them as they are.
// Reads the first APP1 "Exif" segment before the first scan; 1 when the
// file is not a JPEG, has no such segment, or the value is missing or not 1-8.
int JpegExifOrientation(const unsigned char* data, std::size_t size);

// Checks a JPEG's markers before it is decoded: a frame header whose size is
// neither zero nor over kMaxPixels, and at most kMaxJpegScans scans. Time
// linear in the size of the file.
bool JpegWithinLimits(const unsigned char* data, std::size_t size);

// The size of the upright picture: width and height swapped for the
// orientations 5 to 8.
void OrientedSize(int orientation, int width, int height, int& orientedWidth, int& orientedHeight);

// Writes the upright picture into `to` (orientedWidth x orientedHeight,
// `toStride` pixels per row) from `from` (width x height, `fromStride`).
void Orient(int orientation, const std::uint32_t* from, int width, int height,
            std::ptrdiff_t fromStride, std::uint32_t* to, std::ptrdiff_t toStride);

// Replaces each pixel (alpha not premultiplied) by its colour drawn over
// white, rounded to the nearest value, with alpha 255.
void CompositeOverWhite(std::uint32_t* pixels, std::size_t count);

// What each build does on its own for PictureFileFormat and LoadPictureFile,
// which both builds share:
// The file that the picture name `name` opens; "" when there is none.
std::string OpenedPictureFile(const char* name);
// Decodes a whole PNG or JPEG file held in memory into a 32-bit top-down DIB
// section, upright and drawn over white; null when it is malformed or breaks
// a limit.
HBITMAP DecodePngOrJpegFile(const unsigned char* data, std::size_t size, PictureFormat format);

}  // namespace quillfin::pictures
