#include "platform/ZoneMarking.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/DibRows.h"

namespace {

constexpr int kAnyValue = -1;

int Recolour(int component, bool lighten) {
    return lighten ? static_cast<int>((component + 255) * 0.5) : static_cast<int>(component * 0.75);
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
                  const std::function<bool(const std::uint32_t* row, int count)>& visit) {
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
        if (!visit(line.data(), width)) break;
    }
    return true;
}
