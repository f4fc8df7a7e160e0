// The checker's pictures through the same calls the program makes: the
// picture search of ui/ and the picture loading of platform/ (BMP, PNG,
// JPEG), read back as 32-bit rows as the zone marking reads them.
#include "check/Pictures.h"
#include "platform/PictureFile.h"
#include "platform/WinApi.h"
#include "questions/PictureSearch.h"
#include "rules/FileNames.h"

namespace {

// The bitmap's pixels as 0x00RRGGBB, rows from the top, read in one call as a
// 32-bit copy (what the zone marking reads), or pixel by pixel when the copy
// cannot be made.
bool ReadPixels(HBITMAP bitmap, PictureInfo& info) {
    const std::size_t count =
        static_cast<std::size_t>(info.width) * static_cast<std::size_t>(info.height);
    info.pixels.assign(count, 0);
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    format.bmiHeader.biWidth = info.width;
    format.bmiHeader.biHeight = -info.height;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    HDC dc = CreateCompatibleDC(nullptr);
    const int lines = GetDIBits(dc, bitmap, 0, static_cast<UINT>(info.height), info.pixels.data(),
                                &format, DIB_RGB_COLORS);
    if (lines == info.height) {
        DeleteDC(dc);
        for (std::uint32_t& pixel : info.pixels) pixel &= 0xFFFFFF;
        return true;
    }
    HGDIOBJ previous = SelectObject(dc, bitmap);
    std::size_t i = 0;
    for (int y = 0; y < info.height; ++y) {
        for (int x = 0; x < info.width; ++x) {
            const COLORREF c = GetPixel(dc, x, y);
            info.pixels[i++] = (static_cast<std::uint32_t>(GetRValue(c)) << 16) |
                               (static_cast<std::uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
        }
    }
    SelectObject(dc, previous);
    DeleteDC(dc);
    return true;
}

class ProgramPictureLibrary : public PictureLibrary {
protected:
    std::string Find(const std::string& questionFile, const std::string& name) override {
        std::string path = FindBitmapFile(name.c_str(), questionFile.c_str());
        if (!IsRegularFileName(path)) return std::string();
        return path;
    }

    bool Decode(const std::string& path, bool wantPixels, PictureInfo& info) override {
        info.jpeg = PictureFileFormat(path.c_str()) == PictureFormat::Jpeg;
        HBITMAP bitmap = LoadPictureFile(nullptr, path.c_str());
        if (bitmap == nullptr) return false;
        BITMAP size{};
        const bool sized =
            GetObjectA(bitmap, sizeof(size), &size) != 0 && size.bmWidth > 0 && size.bmHeight != 0;
        if (sized) {
            info.width = size.bmWidth;
            info.height = size.bmHeight < 0 ? -size.bmHeight : size.bmHeight;
            if (wantPixels) ReadPixels(bitmap, info);
        }
        DeleteObject(bitmap);
        return sized;
    }
};

}  // namespace

std::unique_ptr<PictureLibrary> ProgramPictures() {
    return std::make_unique<ProgramPictureLibrary>();
}
