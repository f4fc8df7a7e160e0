#include "platform/ZoneMarking.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int kAnyValue = -1;

int Recolour(int component, bool lighten) {
    return lighten ? static_cast<int>((component + 255) * 0.5) : static_cast<int>(component * 0.75);
}

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
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = size.bmWidth;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP copy = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (copy == nullptr) return nullptr;
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

// Direct rows of `bitmap`; a bitmap without them (palette, 16-bit, other
// channel masks) is replaced by a 32-bit copy first, and freed. A bitmap
// with a palette would otherwise take the marked colours only as near as its
// palette allows. False, with `bitmap` unchanged, when no copy can be made.
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

// Reads a pixel of Bytes bytes (blue, green, red and, for four, one that
// plays no part) as 0x00RRGGBB.
template <int Bytes>
std::uint32_t PixelAt(const unsigned char* pixel) {
    if constexpr (Bytes == 4) {
        std::uint32_t value = 0;
        std::memcpy(&value, pixel, 4);
        return value & 0xFFFFFFu;
    } else {
        return pixel[0] | (pixel[1] << 8) | (static_cast<std::uint32_t>(pixel[2]) << 16);
    }
}

template <int ZoneBytes, int PictureBytes>
void MarkRows(const PixelRows& picture, const PixelRows& zone, const ZoneColour& test,
              const unsigned char (&recolour)[3][256]) {
    const int width = std::min(picture.width, zone.width);
    const int height = std::min(picture.height, zone.height);
    for (int y = 0; y < height; ++y) {
        const unsigned char* mark = zone.Row(y);
        unsigned char* pixel = picture.Row(y);
        for (int x = 0; x < width; ++x, mark += ZoneBytes, pixel += PictureBytes) {
            if (!test.Matches(PixelAt<ZoneBytes>(mark))) continue;
            pixel[0] = recolour[0][pixel[0]];
            pixel[1] = recolour[1][pixel[1]];
            pixel[2] = recolour[2][pixel[2]];
        }
    }
}

}  // namespace

ZoneColour::ZoneColour(int red, int green, int blue) {
    const int components[3] = {blue, green, red};
    for (int i = 0; i < 3; ++i) {
        if (components[i] == kAnyValue) continue;  // any value matches
        if (components[i] < 0 || components[i] > 255) never_ = true;
        mask_ |= 0xFFu << (8 * i);
        wanted_ |= static_cast<std::uint32_t>(components[i] & 0xFF) << (8 * i);
    }
}

bool MarkZone(HBITMAP& picture, HBITMAP& zone, const ZoneColour& colour, ZoneLight light) {
    PixelRows zoneRows;
    PixelRows pictureRows;
    if (!MakeDirect(zone, zoneRows) || !MakeDirect(picture, pictureRows)) return false;
    const bool lighten[3] = {light.blue, light.green, light.red};
    unsigned char recolour[3][256];
    for (int channel = 0; channel < 3; ++channel) {
        for (int c = 0; c < 256; ++c)
            recolour[channel][c] = static_cast<unsigned char>(Recolour(c, lighten[channel]));
    }
    GdiFlush();
    const int kinds = colour.Never() ? 0 : zoneRows.bytesPerPixel * 10 + pictureRows.bytesPerPixel;
    switch (kinds) {
        case 0:
            break;  // no zone pixel can match
        case 44:
            MarkRows<4, 4>(pictureRows, zoneRows, colour, recolour);
            break;
        case 43:
            MarkRows<4, 3>(pictureRows, zoneRows, colour, recolour);
            break;
        case 34:
            MarkRows<3, 4>(pictureRows, zoneRows, colour, recolour);
            break;
        case 33:
            MarkRows<3, 3>(pictureRows, zoneRows, colour, recolour);
            break;
    }
    return true;
}

bool ReadZoneRows(HBITMAP& bitmap, int width, int height,
                  const std::function<bool(const std::uint32_t* row, int y)>& visit) {
    PixelRows rows;
    if (!MakeDirect(bitmap, rows)) return false;
    GdiFlush();
    width = std::clamp(width, 0, rows.width);
    height = std::clamp(height, 0, rows.height);
    std::vector<std::uint32_t> line(static_cast<std::size_t>(width));
    for (int y = 0; y < height; ++y) {
        const unsigned char* pixel = rows.Row(y);
        for (int x = 0; x < width; ++x, pixel += rows.bytesPerPixel) {
            line[static_cast<std::size_t>(x)] =
                rows.bytesPerPixel == 4 ? PixelAt<4>(pixel) : PixelAt<3>(pixel);
        }
        if (!visit(line.data(), y)) break;
    }
    return true;
}
