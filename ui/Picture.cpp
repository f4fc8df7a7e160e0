#include "ui/Picture.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "platform/DevicePixels.h"
#include "platform/DibRows.h"
#include "platform/PictureFile.h"
#include "platform/ZoneMarking.h"
#include "questions/PictureSearch.h"
#include "rules/FileNames.h"
#include "ui/Crosshair.h"
#include "ui/UiState.h"

namespace {

constexpr const char* kCongratulationName = "\\F_CG";
constexpr const char* kWelcomeName = "\\S_WC";
constexpr int kCongratulationBitmap = 1101;
constexpr int kWelcomeBitmap = 1102;
constexpr int kFallbackBitmap = 1103;
// At 96 DPI, as every size in pixels here: the room left beside the
// picture and its top edge.
constexpr int kMarginAcross = 22;
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
// its own size at the window's DPI (w x h at 96 DPI, scaled as the layout
// is, so that it keeps its size on the screen) when that fits into W - 22
// (at 96 DPI) by H - Ui().iPictureSpaceBelow, else scaled by the smaller of the two
// ratios so that it fits on both axes. The scaled side takes the whole room
// on its axis and the other side is truncated. A room below one pixel counts
// as one, so the result is never below 1 x 1.
void FitPicture(int w, int h, int clientWidth, int clientHeight, int& drawnWidth,
                int& drawnHeight) {
    const int roomAcross = std::max(clientWidth - ScaleToDpi(kMarginAcross), 1);
    const int roomDown = std::max(clientHeight - Ui().iPictureSpaceBelow, 1);
    w = std::max(ScaleToDpi(w), 1);
    h = std::max(ScaleToDpi(h), 1);
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

void ReleaseDrawnCopyOnly() {
    UiState& ui = Ui();
    if (ui.hDrawnDC != nullptr) DeleteDC(ui.hDrawnDC);
    if (ui.hDrawnBitmap != nullptr) DeleteObject(ui.hDrawnBitmap);
    ui.hDrawnDC = nullptr;
    ui.hDrawnBitmap = nullptr;
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
    ReleaseDrawnCopyOnly();
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
        ReleaseDrawnCopyOnly();
        return nullptr;
    }
    return ui.hDrawnDC;
}

void ReleaseReady() {
    UiState& ui = Ui();
    for (HBITMAP* ready : {&ui.hReadyZone, &ui.hReadyMarked, &ui.hReadyDrawn}) {
        if (*ready != nullptr) DeleteObject(*ready);
        *ready = nullptr;
    }
    ui.ReadyZoneFile.clear();
    ui.ReadyZoneVersion.clear();
    ui.bReadyTried = false;
}

// Whether the zone file made ready is still the one Ui().ZoneName names, unchanged.
bool ReadyZoneCurrent() {
    UiState& ui = Ui();
    return !ui.ReadyZoneFile.empty() && ui.ZoneName &&
           BitmapFileOf(ui.ZoneName.get()) == ui.ReadyZoneFile &&
           FileVersion(ui.ReadyZoneFile) == ui.ReadyZoneVersion;
}

// Replaces the drawn-size copy by `drawn`, which is not selected anywhere.
void InstallDrawnCopy(HBITMAP drawn) {
    UiState& ui = Ui();
    ReleaseDrawnCopyOnly();
    ui.hDrawnDC = CreateCompatibleDC(nullptr);
    if (ui.hDrawnDC == nullptr || SelectObject(ui.hDrawnDC, drawn) == nullptr) {
        if (ui.hDrawnDC != nullptr) DeleteDC(ui.hDrawnDC);
        ui.hDrawnDC = nullptr;
        DeleteObject(drawn);
        return;
    }
    ui.hDrawnBitmap = drawn;
}

}  // namespace

void ReleaseDrawnCopy() {
    ReleaseDrawnCopyOnly();
    ReleaseReady();
}

bool PrepareFeedbackPicture() {
    UiState& ui = Ui();
    if (ui.bReadyTried || ui.hPictureBitmap == nullptr || ui.hPictureDC == nullptr ||
        ui.UnmarkedPictureFile.empty() || !ui.ZoneName || !ui.PictureName ||
        (ui.QuizState != kQuizAwaitZoneClick && ui.QuizState != kQuizAwaitTypedAnswer))
        return false;
    ui.bReadyTried = true;
    const std::string zoneFile = BitmapFileOf(ui.ZoneName.get());
    // Read before the file is decoded, so that a change meanwhile shows as a new version.
    const std::string zoneVersion = FileVersion(zoneFile);
    HBITMAP zone =
        zoneVersion.empty() ? nullptr : LoadPictureFile(ui.hAppInstance, zoneFile.c_str());
    if (zone == nullptr) return true;
    int width = 0;
    int height = 0;
    if (!SizeOf(ui.hPictureBitmap, width, height)) {
        DeleteObject(zone);
        return true;
    }
    // A copy at the picture's own size is an exact copy; the picture leaves
    // its device context while it is read.
    HBITMAP standIn = NewTopDownBitmap(1, 1, nullptr);
    HBITMAP marked = nullptr;
    if (standIn != nullptr) {
        SelectObject(ui.hPictureDC, standIn);
        marked = ScaledCopy(ui.hPictureBitmap, width, height);
        SelectObject(ui.hPictureDC, ui.hPictureBitmap);
        DeleteObject(standIn);
    }
    clQuestion& question = ui.CurrentQuestion;
    const int red = question.ReturnZR(), green = question.ReturnZG(), blue = question.ReturnZB();
    const ZoneLight light{question.HaveFlag(flagDisplayZoneRed),
                          question.HaveFlag(flagDisplayZoneGreen),
                          question.HaveFlag(flagDisplayZoneBlue)};
    if (marked == nullptr || !MarkZone(marked, zone, ZoneColour(red, green, blue), light)) {
        if (marked != nullptr) DeleteObject(marked);
        DeleteObject(zone);
        return true;
    }
    HBITMAP drawn = nullptr;
    if (ui.iPictureDeviceWidth > 0 && ui.iPictureDeviceHeight > 0 &&
        (ui.iPictureDeviceWidth != width || ui.iPictureDeviceHeight != height))
        drawn = ScaledCopy(marked, ui.iPictureDeviceWidth, ui.iPictureDeviceHeight);
    ui.hReadyZone = zone;
    ui.hReadyMarked = marked;
    ui.hReadyDrawn = drawn;
    ui.ReadyZoneFile = zoneFile;
    ui.ReadyZoneVersion = zoneVersion;
    ui.iReadyColour[0] = red;
    ui.iReadyColour[1] = green;
    ui.iReadyColour[2] = blue;
    return true;
}

HBITMAP LoadZoneBitmap(HINSTANCE& instance) {
    UiState& ui = Ui();
    if (ui.hReadyZone != nullptr && ReadyZoneCurrent())
        return std::exchange(ui.hReadyZone, nullptr);
    return LoadFileBitmap(instance, ui.ZoneName.get());
}

bool LoadNewPicture(const char* name, HWND&, HINSTANCE& instance, int red, int green, int blue) {
    UiState& ui = Ui();
    // The marked picture made ready, taken when this load is the marking it was made for.
    HBITMAP readyMarked = nullptr;
    HBITMAP readyDrawn = nullptr;
    const int wanted[3] = {red, green, blue};
    if (ui.hReadyMarked != nullptr && std::equal(wanted, wanted + 3, ui.iReadyColour) &&
        name != nullptr && !ui.UnmarkedPictureFile.empty() &&
        BitmapFileOf(name) == ui.UnmarkedPictureFile &&
        FileVersion(ui.UnmarkedPictureFile) == ui.UnmarkedPictureVersion && ReadyZoneCurrent()) {
        readyMarked = std::exchange(ui.hReadyMarked, nullptr);
        readyDrawn = std::exchange(ui.hReadyDrawn, nullptr);
    }
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
    bool readyUsed = false;
    if (readyMarked != nullptr) {
        if (ui.hPictureBitmap != nullptr) DeleteObject(ui.hPictureBitmap);
        bitmap = readyMarked;
        loaded = true;
        readyUsed = true;
    } else if (zoneWanted && ui.hPictureBitmap != nullptr && !version.empty() &&
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
    bool marked = readyUsed;
    if (readyUsed) {
        ui.bRedrawPicture = true;
    } else {
        marked = loaded && zoneWanted && MarkZone(instance, bitmap, red, green, blue);
    }
    if (loaded && !builtIn && !marked) {
        ui.UnmarkedPictureFile = file;
        ui.UnmarkedPictureVersion = version;
    }

    ui.hPictureBitmap = bitmap;
    ui.hPictureDC = CreateCompatibleDC(nullptr);
    SelectObject(ui.hPictureDC, bitmap);
    if (readyDrawn != nullptr) InstallDrawnCopy(readyDrawn);
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
    const int top = PictureTop();
    const RECT device = DevicePixelsOf(hwnd, RECT{left, top, left + drawnWidth, top + drawnHeight});
    const int deviceWidth = std::max<int>(device.right - device.left, 1);
    const int deviceHeight = std::max<int>(device.bottom - device.top, 1);
    ui.iPictureDeviceWidth = deviceWidth;
    ui.iPictureDeviceHeight = deviceHeight;

    // A picture drawn at another size than its own comes from its copy at
    // the device size it covers, copied pixel for pixel; only when no copy
    // can be made does the system scale it.
    HDC source = ui.hPictureDC;
    if (deviceWidth != pictureWidth || deviceHeight != pictureHeight) {
        if (HDC copy = DrawnCopy(deviceWidth, deviceHeight); copy != nullptr) {
            source = copy;
            pictureWidth = deviceWidth;
            pictureHeight = deviceHeight;
        }
    }
    bool drawn = StretchBlt(dc, left, top, drawnWidth, drawnHeight, source, 0, 0, pictureWidth,
                            pictureHeight, SRCCOPY) != FALSE;
    RECT frame{left, top, left + drawnWidth, top + drawnHeight};
    FrameRect(dc, &frame, ui.brFrame);
    if (ui.QuizState == kQuizAwaitZoneClick) DrawCrosshair(dc);
    ReleaseDC(hwnd, dc);
    return drawn;
}

int PictureTop() { return ScaleToDpi(kPictureTop); }

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
