#include "ui/Picture.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/DibRows.h"
#include "platform/PictureFile.h"
#include "platform/ZoneMarking.h"
#include "questions/PictureSearch.h"
#include "rules/FileNames.h"
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

// Marks the zone on `picture`, which must not be selected into a device
// context and may be replaced by a 32-bit copy. The zone is the one held for
// this load, else the file Ui().ZoneName. False when the zone cannot be
// loaded or read, leaving the picture unmarked.
bool MarkZone(HINSTANCE instance, HBITMAP& picture, int red, int green, int blue) {
    UiState& ui = Ui();
    HBITMAP zone = ui.hZoneBitmap;
    const bool held = zone != nullptr;
    if (!held) zone = LoadFileBitmap(instance, ui.ZoneName.get());
    if (zone == nullptr) return false;
    const ZoneLight light{ui.CurrentQuestion.HaveFlag(flagDisplayZoneRed),
                          ui.CurrentQuestion.HaveFlag(flagDisplayZoneGreen),
                          ui.CurrentQuestion.HaveFlag(flagDisplayZoneBlue)};
    const bool readable = MarkZone(picture, zone, ZoneColour(red, green, blue), light);
    if (held) ui.hZoneBitmap = zone;
    if (readable) ui.bRedrawPicture = true;
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

// The picture's DC holding the picture scaled to width x height: the held
// copy when it has that size, else a new one made from the full picture.
// Null when no copy can be made.
HDC DrawnCopy(int width, int height) {
    UiState& ui = Ui();
    int heldWidth = 0;
    int heldHeight = 0;
    if (ui.hDrawnDC != nullptr && SizeOf(ui.hDrawnBitmap, heldWidth, heldHeight) &&
        heldWidth == width && heldHeight == height)
        return ui.hDrawnDC;
    ReleaseDrawnCopy();
    // The full picture is read through its rows, so it leaves its device
    // context meanwhile; a one-pixel bitmap stands in for it there.
    HBITMAP standIn = NewTopDownBitmap(1, 1, nullptr);
    if (standIn == nullptr) return nullptr;
    SelectObject(ui.hPictureDC, standIn);
    HBITMAP copy = ScaledCopy(ui.hPictureBitmap, width, height);
    SelectObject(ui.hPictureDC, ui.hPictureBitmap);
    DeleteObject(standIn);
    if (copy == nullptr) return nullptr;
    ui.hDrawnBitmap = copy;
    ui.hDrawnDC = CreateCompatibleDC(nullptr);
    if (ui.hDrawnDC == nullptr || SelectObject(ui.hDrawnDC, copy) == nullptr) {
        ReleaseDrawnCopy();
        return nullptr;
    }
    return ui.hDrawnDC;
}

}  // namespace

void ReleaseDrawnCopy() {
    UiState& ui = Ui();
    if (ui.hDrawnDC != nullptr) DeleteDC(ui.hDrawnDC);
    if (ui.hDrawnBitmap != nullptr) DeleteObject(ui.hDrawnBitmap);
    ui.hDrawnDC = nullptr;
    ui.hDrawnBitmap = nullptr;
}

HBITMAP LoadZoneBitmap(HINSTANCE& instance) {
    return LoadFileBitmap(instance, Ui().ZoneName.get());
}

bool LoadNewPicture(const char* name, HWND&, HINSTANCE& instance, int red, int green, int blue) {
    UiState& ui = Ui();
    ReleaseDrawnCopy();
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

    // A shrunk picture comes from its drawn-size copy, copied pixel for
    // pixel; only when no copy can be made does the system scale it.
    HDC source = ui.hPictureDC;
    if (drawnWidth != pictureWidth || drawnHeight != pictureHeight) {
        if (HDC copy = DrawnCopy(drawnWidth, drawnHeight); copy != nullptr) {
            source = copy;
            pictureWidth = drawnWidth;
            pictureHeight = drawnHeight;
        }
    }
    bool drawn = StretchBlt(dc, left, kPictureTop, drawnWidth, drawnHeight, source, 0, 0,
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
