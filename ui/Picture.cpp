#include "ui/Picture.h"

#include <algorithm>
#include <cstring>
#include <string>

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

HBITMAP LoadFileBitmap(HINSTANCE instance, const char* name) {
    if (name == nullptr) return nullptr;
    std::string path = FindBitmapFile(name, Ui().QuestionOrder.ReturnQFile());
    return static_cast<HBITMAP>(LoadImageA(instance, path.c_str(), IMAGE_BITMAP, 0, 0,
                                           LR_CREATEDIBSECTION | LR_LOADFROMFILE));
}

bool SizeOf(HBITMAP bitmap, int& width, int& height) {
    BITMAP info{};
    if (GetObjectA(bitmap, sizeof(info), &info) == 0) return false;
    width = info.bmWidth;
    height = info.bmHeight;
    return true;
}

bool ComponentMatches(int wanted, int actual) { return wanted == kAnyValue || wanted == actual; }

int Recolour(int component, bool lighten) {
    return lighten ? static_cast<int>((component + 255) * 0.5) : static_cast<int>(component * 0.75);
}

// Recolours every picture pixel whose zone pixel has the zone colour, over
// the area both bitmaps cover. False when the zone bitmap cannot be loaded.
bool MarkZone(HINSTANCE instance, int width, int height, int red, int green, int blue) {
    UiState& ui = Ui();
    HBITMAP zone = LoadFileBitmap(instance, ui.ZoneName.get());
    int zoneWidth = 0;
    int zoneHeight = 0;
    if (zone == nullptr || !SizeOf(zone, zoneWidth, zoneHeight)) {
        if (zone != nullptr) DeleteObject(zone);
        return false;
    }
    HDC zoneDC = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(zoneDC, zone);
    const bool lightRed = ui.CurrentQuestion.HaveFlag(flagDisplayZoneRed);
    const bool lightGreen = ui.CurrentQuestion.HaveFlag(flagDisplayZoneGreen);
    const bool lightBlue = ui.CurrentQuestion.HaveFlag(flagDisplayZoneBlue);
    for (int y = 0; y < zoneHeight && y < height; ++y) {
        for (int x = 0; x < zoneWidth && x < width; ++x) {
            COLORREF mark = GetPixel(zoneDC, x, y);
            if (!ComponentMatches(red, GetRValue(mark)) ||
                !ComponentMatches(green, GetGValue(mark)) ||
                !ComponentMatches(blue, GetBValue(mark)))
                continue;
            COLORREF pixel = GetPixel(ui.hPictureDC, x, y);
            SetPixel(
                ui.hPictureDC, x, y,
                RGB(Recolour(GetRValue(pixel), lightRed), Recolour(GetGValue(pixel), lightGreen),
                    Recolour(GetBValue(pixel), lightBlue)));
        }
    }
    ui.bRedrawPicture = true;
    SelectObject(zoneDC, previous);
    DeleteDC(zoneDC);
    DeleteObject(zone);
    return true;
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

bool LoadNewPicture(const char* name, HWND&, HINSTANCE& instance, int red, int green, int blue) {
    UiState& ui = Ui();
    if (ui.hPictureDC != nullptr) {
        DeleteDC(ui.hPictureDC);
        ui.hPictureDC = nullptr;
    }
    if (ui.hPictureBitmap != nullptr) {
        DeleteObject(ui.hPictureBitmap);
        ui.hPictureBitmap = nullptr;
    }

    HBITMAP bitmap = nullptr;
    if (name != nullptr && std::strcmp(name, kCongratulationName) == 0) {
        bitmap = LoadResourceBitmap(instance, kCongratulationBitmap);
    } else if (name != nullptr && std::strcmp(name, kWelcomeName) == 0) {
        bitmap = LoadResourceBitmap(instance, kWelcomeBitmap);
    } else {
        bitmap = LoadFileBitmap(instance, name);
    }
    bool loaded = bitmap != nullptr;
    if (!loaded) bitmap = LoadResourceBitmap(instance, kFallbackBitmap);

    ui.hPictureBitmap = bitmap;
    int width = 0;
    int height = 0;
    SizeOf(bitmap, width, height);
    ui.hPictureDC = CreateCompatibleDC(nullptr);
    SelectObject(ui.hPictureDC, bitmap);

    bool zoneWanted = red != kAnyValue || green != kAnyValue || blue != kAnyValue;
    if (loaded && zoneWanted) MarkZone(instance, width, height, red, green, blue);
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
