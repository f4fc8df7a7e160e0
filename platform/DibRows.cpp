#include "platform/DibRows.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "platform/Resample.h"

namespace {

BITMAPINFO TopDownInfo(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// Whether the rows of the DIB section `bitmap`, whose bits start at `first`,
// run from the top down. GetObjectA cannot say: Windows reports the height of
// a top-down DIB section as positive. So the first pixel in memory is changed
// twice, and each time GDI is asked whether the top-left pixel changed with
// it; two different values rule out a match by chance. The pixel is restored.
// `bitmap` must not be selected into a device context.
bool RowsRunDown(HBITMAP bitmap, unsigned char* first) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    GdiFlush();
    const unsigned char blue = first[0];
    bool down = previous != nullptr;
    for (unsigned char flip : {0xFF, 0x55}) {
        first[0] = static_cast<unsigned char>(blue ^ flip);
        const COLORREF seen = GetPixel(dc, 0, 0);
        down = down && seen != CLR_INVALID && GetBValue(seen) == first[0];
    }
    first[0] = blue;
    if (previous != nullptr) SelectObject(dc, previous);
    DeleteDC(dc);
    return down;
}

bool DirectRows(HBITMAP bitmap, PixelRows& rows) {
    DIBSECTION dib{};
    if (bitmap == nullptr || GetObjectA(bitmap, sizeof(dib), &dib) != sizeof(dib)) return false;
    const BITMAP& bm = dib.dsBm;
    if (bm.bmBits == nullptr || bm.bmWidth <= 0 || bm.bmHeight == 0) return false;
    if (bm.bmBitsPixel != 24 && bm.bmBitsPixel != 32) return false;
    const bool plainOrder = dib.dsBmih.biCompression == BI_RGB ||
                            (dib.dsBmih.biCompression == BI_BITFIELDS && bm.bmBitsPixel == 32 &&
                             dib.dsBitfields[0] == 0xFF0000 && dib.dsBitfields[1] == 0xFF00 &&
                             dib.dsBitfields[2] == 0xFF);
    if (!plainOrder) return false;
    rows.width = bm.bmWidth;
    rows.height = std::abs(bm.bmHeight);
    rows.bytesPerPixel = bm.bmBitsPixel / 8;
    // DIB rows are padded to four bytes; computed here rather than taken from
    // bmWidthBytes, which some systems report by the device-bitmap rule.
    const std::ptrdiff_t stride =
        (static_cast<std::ptrdiff_t>(bm.bmWidth) * bm.bmBitsPixel + 31) / 32 * 4;
    auto* base = static_cast<unsigned char*>(bm.bmBits);
    const bool bottomUp = rows.height > 1 && !RowsRunDown(bitmap, base);
    rows.top = bottomUp ? base + (rows.height - 1) * stride : base;
    rows.stride = bottomUp ? -stride : stride;
    return true;
}

// A 32-bit top-down DIB section with the pixels of `bitmap`, which must not
// be selected into a device context. Null when it cannot be made.
HBITMAP CopyAs32Bit(HBITMAP bitmap) {
    BITMAP size{};
    if (GetObjectA(bitmap, sizeof(size), &size) == 0 || size.bmWidth <= 0 || size.bmHeight == 0)
        return nullptr;
    const int height = std::abs(size.bmHeight);
    void* bits = nullptr;
    HBITMAP copy = NewTopDownBitmap(size.bmWidth, height, &bits);
    if (copy == nullptr) return nullptr;
    BITMAPINFO info = TopDownInfo(size.bmWidth, height);
    HDC screen = GetDC(nullptr);
    const int lines =
        GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), bits, &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (lines != height) {
        DeleteObject(copy);
        return nullptr;
    }
    return copy;
}

}  // namespace

HBITMAP NewTopDownBitmap(int width, int height, void** bits) {
    if (width <= 0 || height <= 0) return nullptr;
    BITMAPINFO info = TopDownInfo(width, height);
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (bitmap == nullptr || pixels == nullptr) {
        if (bitmap != nullptr) DeleteObject(bitmap);
        return nullptr;
    }
    if (bits != nullptr) *bits = pixels;
    return bitmap;
}

bool MakeDirect(HBITMAP& bitmap, PixelRows& rows) {
    if (DirectRows(bitmap, rows)) return true;
    HBITMAP copy = CopyAs32Bit(bitmap);
    if (copy == nullptr || !DirectRows(copy, rows)) {
        if (copy != nullptr) DeleteObject(copy);
        return false;
    }
    DeleteObject(bitmap);
    bitmap = copy;
    return true;
}

namespace {

// `source` enlarged `times` times on both axes, each pixel repeated as a
// square, into 32-bit rows; the fourth byte of a 3-byte source is 0.
void Repeat(const PixelRows& source, int times, std::uint32_t* target) {
    const int width = source.width * times;
    for (int y = 0; y < source.height; ++y) {
        const unsigned char* in = source.top + static_cast<std::ptrdiff_t>(y) * source.stride;
        std::uint32_t* out = target + static_cast<std::ptrdiff_t>(y) * times * width;
        for (int x = 0; x < source.width; ++x, in += source.bytesPerPixel) {
            const std::uint32_t pixel =
                in[0] | (in[1] << 8) | (in[2] << 16) |
                (source.bytesPerPixel == 4 ? static_cast<std::uint32_t>(in[3]) << 24 : 0);
            std::fill(out + static_cast<std::ptrdiff_t>(x) * times,
                      out + static_cast<std::ptrdiff_t>(x + 1) * times, pixel);
        }
        for (int copy = 1; copy < times; ++copy)
            std::copy(out, out + width, out + static_cast<std::ptrdiff_t>(copy) * width);
    }
}

}  // namespace

HBITMAP ScaledCopy(HBITMAP& picture, int width, int height) {
    PixelRows rows;
    if (!MakeDirect(picture, rows)) return nullptr;
    void* bits = nullptr;
    HBITMAP copy = NewTopDownBitmap(width, height, &bits);
    if (copy == nullptr) return nullptr;
    GdiFlush();
    const int times = rows.width > 0 ? width / rows.width : 0;
    if (times >= 2 && width == rows.width * times && height == rows.height * times &&
        (rows.bytesPerPixel == 3 || rows.bytesPerPixel == 4)) {
        Repeat(rows, times, static_cast<std::uint32_t*>(bits));
        return copy;
    }
    const PixelPlane source{rows.top, rows.stride, rows.width, rows.height, rows.bytesPerPixel};
    if (!Resample(source, static_cast<std::uint32_t*>(bits), width, height,
                  static_cast<std::ptrdiff_t>(width) * 4)) {
        DeleteObject(copy);
        return nullptr;
    }
    return copy;
}
