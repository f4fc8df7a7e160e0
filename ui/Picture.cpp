#include "ui/Picture.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/PictureFile.h"
#include "rules/FileNames.h"
#include "ui/PictureSearch.h"
#include "ui/UiState.h"

namespace {

constexpr const char* kCongratulationName = "\\F_CG";
constexpr const char* kWelcomeName = "\\S_WC";
constexpr int kCongratulationBitmap = 1101;
constexpr int kWelcomeBitmap = 1102;
constexpr int kFallbackBitmap = 1103;
constexpr int kMarginAcross = 22;
constexpr int kSpaceBelow = 167;
constexpr int kPictureTop = 10;
constexpr int kAnyValue = -1;

HBITMAP LoadResourceBitmap(HINSTANCE instance, int id) {
    return static_cast<HBITMAP>(
        LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

std::string BitmapFileOf(const char* name) {
    return FindBitmapFile(name, Ui().QuestionOrder.ReturnQFile());
}

HBITMAP LoadFileBitmap(HINSTANCE instance, const char* name) {
    if (name == nullptr) return nullptr;
    return LoadPictureFile(instance, BitmapFileOf(name).c_str());
}

bool SizeOf(HBITMAP bitmap, int& width, int& height) {
    BITMAP info{};
    if (GetObjectA(bitmap, sizeof(info), &info) == 0) return false;
    width = info.bmWidth;
    height = info.bmHeight;
    return true;
}

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

// The zone colour as a test on the bytes blue, green, red of a pixel read as
// one little-endian number: the bytes of the wanted components must match.
struct ZoneTest {
    std::uint32_t mask = 0;
    std::uint32_t wanted = 0;
    bool never = false;  // a component no byte can have

    ZoneTest(int blue, int green, int red) {
        const int components[3] = {blue, green, red};
        for (int i = 0; i < 3; ++i) {
            if (components[i] == kAnyValue) continue;  // any value matches
            if (components[i] < 0 || components[i] > 255) never = true;
            mask |= 0xFFu << (8 * i);
            wanted |= static_cast<std::uint32_t>(components[i] & 0xFF) << (8 * i);
        }
    }

    // `pixel` holds Bytes bytes: blue, green, red and, for four, one that plays no part.
    template <int Bytes>
    bool Matches(const unsigned char* pixel) const {
        std::uint32_t value = 0;
        if constexpr (Bytes == 4) {
            std::memcpy(&value, pixel, 4);
        } else {
            value = pixel[0] | (pixel[1] << 8) | (static_cast<std::uint32_t>(pixel[2]) << 16);
        }
        return (value & mask) == wanted;
    }
};

template <int ZoneBytes, int PictureBytes>
void MarkRows(const PixelRows& picture, const PixelRows& zone, const ZoneTest& test,
              const unsigned char (&recolour)[3][256]) {
    const int width = std::min(picture.width, zone.width);
    const int height = std::min(picture.height, zone.height);
    for (int y = 0; y < height; ++y) {
        const unsigned char* mark = zone.Row(y);
        unsigned char* pixel = picture.Row(y);
        for (int x = 0; x < width; ++x, mark += ZoneBytes, pixel += PictureBytes) {
            if (!test.Matches<ZoneBytes>(mark)) continue;
            pixel[0] = recolour[0][pixel[0]];
            pixel[1] = recolour[1][pixel[1]];
            pixel[2] = recolour[2][pixel[2]];
        }
    }
}

// Recolours every pixel of `picture` whose zone pixel has the zone colour,
// over the area both bitmaps cover. The zone is the one held for this load,
// else the file Ui().ZoneName. `picture` must not be selected into a device
// context; it may be replaced by a 32-bit copy. False when the zone cannot
// be loaded or read, leaving the picture unmarked.
bool MarkZone(HINSTANCE instance, HBITMAP& picture, int red, int green, int blue) {
    UiState& ui = Ui();
    HBITMAP zone = ui.hZoneBitmap;
    const bool held = zone != nullptr;
    if (!held) zone = LoadFileBitmap(instance, ui.ZoneName.get());
    if (zone == nullptr) return false;

    PixelRows zoneRows;
    PixelRows pictureRows;
    bool readable = MakeDirect(zone, zoneRows) && MakeDirect(picture, pictureRows);
    if (held) ui.hZoneBitmap = zone;
    if (readable) {
        const bool light[3] = {ui.CurrentQuestion.HaveFlag(flagDisplayZoneBlue),
                               ui.CurrentQuestion.HaveFlag(flagDisplayZoneGreen),
                               ui.CurrentQuestion.HaveFlag(flagDisplayZoneRed)};
        unsigned char recolour[3][256];
        for (int channel = 0; channel < 3; ++channel) {
            for (int c = 0; c < 256; ++c)
                recolour[channel][c] = static_cast<unsigned char>(Recolour(c, light[channel]));
        }
        const ZoneTest test{blue, green, red};
        GdiFlush();
        const int kinds = test.never ? 0 : zoneRows.bytesPerPixel * 10 + pictureRows.bytesPerPixel;
        switch (kinds) {
            case 0:
                break;  // no zone pixel can match
            case 44:
                MarkRows<4, 4>(pictureRows, zoneRows, test, recolour);
                break;
            case 43:
                MarkRows<4, 3>(pictureRows, zoneRows, test, recolour);
                break;
            case 34:
                MarkRows<3, 4>(pictureRows, zoneRows, test, recolour);
                break;
            case 33:
                MarkRows<3, 3>(pictureRows, zoneRows, test, recolour);
                break;
        }
        ui.bRedrawPicture = true;
    }
    if (!held) DeleteObject(zone);
    return readable;
}

// The size at which a picture of w x h is drawn in a client area of W x H:
// its own size when it fits into W - 22 by H - 167, else scaled by the
// smaller of the two ratios so that it fits on both axes. The scaled side
// takes the whole room on its axis and the other side is truncated. A room
// below one pixel counts as one, so the result is never below 1 x 1.
void FitPicture(int w, int h, int clientWidth, int clientHeight, int& drawnWidth,
                int& drawnHeight) {
    const int roomAcross = std::max(clientWidth - kMarginAcross, 1);
    const int roomDown = std::max(clientHeight - kSpaceBelow, 1);
    drawnWidth = w;
    drawnHeight = h;
    if (w <= roomAcross && h <= roomDown) return;
    // roomAcross / w <= roomDown / h, compared without rounding; a tie scales by width.
    const bool widthTighter =
        static_cast<long long>(roomAcross) * h <= static_cast<long long>(roomDown) * w;
    if (widthTighter) {
        drawnWidth = roomAcross;
        drawnHeight = static_cast<int>(static_cast<double>(roomAcross) / w * h);
    } else {
        drawnHeight = roomDown;
        drawnWidth = static_cast<int>(static_cast<double>(roomDown) / h * w);
    }
    drawnWidth = std::max(drawnWidth, 1);
    drawnHeight = std::max(drawnHeight, 1);
}

}  // namespace

HBITMAP LoadZoneBitmap(HINSTANCE& instance) {
    return LoadFileBitmap(instance, Ui().ZoneName.get());
}

bool LoadNewPicture(const char* name, HWND&, HINSTANCE& instance, int red, int green, int blue) {
    UiState& ui = Ui();
    if (ui.hPictureDC != nullptr) {
        DeleteDC(ui.hPictureDC);
        ui.hPictureDC = nullptr;
    }
    const bool zoneWanted = red != kAnyValue || green != kAnyValue || blue != kAnyValue;
    const bool builtIn = name != nullptr && (std::strcmp(name, kCongratulationName) == 0 ||
                                             std::strcmp(name, kWelcomeName) == 0);
    const std::string file = name != nullptr && !builtIn ? BitmapFileOf(name) : std::string();

    // Read before the file is decoded, so that a change meanwhile shows as a new version.
    const std::string version = file.empty() ? std::string() : FileVersion(file);

    HBITMAP bitmap = nullptr;
    bool loaded = false;
    if (zoneWanted && ui.hPictureBitmap != nullptr && !version.empty() &&
        file == ui.UnmarkedPictureFile && version == ui.UnmarkedPictureVersion) {
        // The question's picture is on screen unmarked, as the feedback after
        // a click or a typed answer finds it: mark that one.
        bitmap = ui.hPictureBitmap;
        loaded = true;
    } else {
        if (ui.hPictureBitmap != nullptr) DeleteObject(ui.hPictureBitmap);
        if (name != nullptr && std::strcmp(name, kCongratulationName) == 0) {
            bitmap = LoadResourceBitmap(instance, kCongratulationBitmap);
        } else if (name != nullptr && std::strcmp(name, kWelcomeName) == 0) {
            bitmap = LoadResourceBitmap(instance, kWelcomeBitmap);
        } else if (name != nullptr) {
            bitmap = LoadPictureFile(instance, file.c_str());
        }
        loaded = bitmap != nullptr;
        if (!loaded) bitmap = LoadResourceBitmap(instance, kFallbackBitmap);
    }
    ui.hPictureBitmap = nullptr;
    ui.UnmarkedPictureFile.clear();
    ui.UnmarkedPictureVersion.clear();

    // The zone is marked through the bitmap's rows while it is in no device context.
    const bool marked = loaded && zoneWanted && MarkZone(instance, bitmap, red, green, blue);
    if (loaded && !builtIn && !marked) {
        ui.UnmarkedPictureFile = file;
        ui.UnmarkedPictureVersion = version;
    }

    ui.hPictureBitmap = bitmap;
    ui.hPictureDC = CreateCompatibleDC(nullptr);
    SelectObject(ui.hPictureDC, bitmap);
    return loaded;
}

bool DisplayPicture(HWND& hwnd, HINSTANCE&, int width, int height) {
    UiState& ui = Ui();
    int pictureWidth = 0;
    int pictureHeight = 0;
    if (!SizeOf(ui.hPictureBitmap, pictureWidth, pictureHeight) || pictureWidth <= 0 ||
        pictureHeight <= 0)
        return false;
    HDC dc = GetDC(hwnd);

    int drawnWidth = 0;
    int drawnHeight = 0;
    FitPicture(pictureWidth, pictureHeight, width, height, drawnWidth, drawnHeight);
    int left = static_cast<int>(width / 2.0 - drawnWidth / 2.0);

    ui.iPictureWidth = drawnWidth;
    ui.iPictureHeight = drawnHeight;
    ui.iPictureLeft = left;

    bool drawn = StretchBlt(dc, left, kPictureTop, drawnWidth, drawnHeight, ui.hPictureDC, 0, 0,
                            pictureWidth, pictureHeight, SRCCOPY) != FALSE;
    RECT frame{left, kPictureTop, left + drawnWidth, kPictureTop + drawnHeight};
    FrameRect(dc, &frame, ui.brFrame);
    ReleaseDC(hwnd, dc);
    return drawn;
}

bool IsWithinRect(RECT& a, RECT& b) {
    auto within = [](LONG value, LONG low, LONG high) { return low <= value && value <= high; };
    bool across = within(a.left, b.left, b.right) || within(a.right, b.left, b.right);
    bool down = within(a.top, b.top, b.bottom) || within(a.bottom, b.top, b.bottom);
    return across && down;
}

bool SharesAPixel(const RECT& a, const RECT& b) {
    return std::max(a.left, b.left) < std::min(a.right, b.right) &&
           std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}
