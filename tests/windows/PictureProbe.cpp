// Prints what the program's own picture loading makes of each file named on
// the command line: "name width height" and one line of pixels as rrggbb,
// row by row from the top, or "name none" when it cannot be loaded. Built on
// both builds, so a script can compare the Windows decoding with the Linux one.
#include <cstdio>
#include <vector>

#include "platform/PictureFile.h"
#include "platform/WinApi.h"

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        HBITMAP bitmap = LoadPictureFile(nullptr, argv[i]);
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
