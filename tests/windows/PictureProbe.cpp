// Prints what the program's own picture loading makes of each file named on
// the command line: "name width height" and one line of pixels as rrggbb,
// row by row from the top, or "name none" when it cannot be loaded. Built on
// both builds, so a script can compare the Windows decoding with the Linux one.
// `--mark=ZONE,RED,GREEN,BLUE,FLAGS` before a name shows that picture as the
// feedback to a zone question does: loaded by the program with the zone
// marked (-1 for any component; FLAGS the question's flag bits).
// `--scale=W,H` before a name shows that picture scaled to W x H as the
// program draws it (its drawn-size copy); `--system=W,H` scaled by the
// system's StretchBlt instead, for comparison.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/DibRows.h"
#include "platform/PictureFile.h"
#include "platform/WinApi.h"
#include "ui/Picture.h"
#include "ui/UiState.h"

namespace {

// The picture `name` as the program marks it with the zone of `mark`; null
// when the arguments are not understood.
HBITMAP MarkedPicture(const char* mark, const char* name) {
    char zone[1024] = {};
    int red = 0, green = 0, blue = 0;
    unsigned flags = 0;
    if (std::sscanf(mark, "%1023[^,],%d,%d,%d,%u", zone, &red, &green, &blue, &flags) != 5)
        return nullptr;
    UiState& ui = Ui();
    ui.ZoneName.reset(new char[std::strlen(zone) + 1]);
    std::strcpy(ui.ZoneName.get(), zone);
    ui.CurrentQuestion.flags = flags;
    HWND hwnd = nullptr;
    HINSTANCE instance = nullptr;
    LoadNewPicture(name, hwnd, instance, -1, -1, -1);  // the question, then its feedback
    LoadNewPicture(name, hwnd, instance, red, green, blue);
    // Out of its device context, so that its rows can be read.
    DeleteDC(ui.hPictureDC);
    ui.hPictureDC = nullptr;
    HBITMAP bitmap = ui.hPictureBitmap;
    ui.hPictureBitmap = nullptr;
    ui.UnmarkedPictureFile.clear();
    return bitmap;
}

// `name` loaded and scaled to the size in `size` ("W,H"): by the program's
// resampler, or by the system's StretchBlt when `system`. Null on failure.
HBITMAP ScaledPicture(const char* size, const char* name, bool system) {
    int width = 0, height = 0;
    if (std::sscanf(size, "%d,%d", &width, &height) != 2 || width < 1 || height < 1) return nullptr;
    HBITMAP picture = LoadPictureFile(nullptr, name);
    if (picture == nullptr) return nullptr;
    HBITMAP scaled = nullptr;
    if (!system) {
        scaled = ScaledCopy(picture, width, height);
    } else if ((scaled = NewTopDownBitmap(width, height, nullptr)) != nullptr) {
        BITMAP full{};
        GetObjectA(picture, sizeof(full), &full);
        HDC from = CreateCompatibleDC(nullptr);
        HDC to = CreateCompatibleDC(nullptr);
        SelectObject(from, picture);
        SelectObject(to, scaled);
        StretchBlt(to, 0, 0, width, height, from, 0, 0, full.bmWidth,
                   full.bmHeight < 0 ? -full.bmHeight : full.bmHeight, SRCCOPY);
        DeleteDC(from);
        DeleteDC(to);
    }
    DeleteObject(picture);
    return scaled;
}

}  // namespace

int main(int argc, char** argv) {
    const char* mark = nullptr;
    const char* scale = nullptr;
    bool system = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--mark=", 7) == 0) {
            mark = argv[i] + 7;
            continue;
        }
        if (std::strncmp(argv[i], "--scale=", 8) == 0 ||
            std::strncmp(argv[i], "--system=", 9) == 0) {
            system = argv[i][2] == 's' && argv[i][3] == 'y';
            scale = std::strchr(argv[i], '=') + 1;
            continue;
        }
        HBITMAP bitmap = mark != nullptr    ? MarkedPicture(mark, argv[i])
                         : scale != nullptr ? ScaledPicture(scale, argv[i], system)
                                            : LoadPictureFile(nullptr, argv[i]);
        mark = nullptr;
        scale = nullptr;
        BITMAP size{};
        if (bitmap == nullptr || GetObjectA(bitmap, sizeof(size), &size) == 0) {
            std::printf("%s none\n", argv[i]);
            continue;
        }
        const int width = size.bmWidth;
        const int height = size.bmHeight < 0 ? -size.bmHeight : size.bmHeight;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 4);
        HDC screen = GetDC(nullptr);
        const int lines = GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                                    &info, DIB_RGB_COLORS);
        ReleaseDC(nullptr, screen);
        DeleteObject(bitmap);
        if (lines != height) {
            std::printf("%s unreadable\n", argv[i]);
            continue;
        }
        std::printf("%s %d %d\n", argv[i], width, height);
        for (std::size_t p = 0; p < pixels.size(); p += 4)
            std::printf("%02x%02x%02x", pixels[p + 2], pixels[p + 1], pixels[p]);
        std::printf("\n");
    }
    return 0;
}
