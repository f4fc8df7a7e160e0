// The checker's pictures through the same calls the program makes: the
// picture search of ui/ and LoadImageA of the platform layer, read back
// through a memory device context as the zone test reads them.
#include "check/Pictures.h"
#include "platform/WinApi.h"
#include "rules/FileNames.h"
#include "ui/PictureSearch.h"

namespace {

HBITMAP LoadPicture(const std::string& path) {
    return static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                                           LR_CREATEDIBSECTION | LR_LOADFROMFILE));
}

bool IsJpeg(const std::string&) { return false; }

class ProgramPictureLibrary : public PictureLibrary {
protected:
    std::string Find(const std::string& questionFile, const std::string& name) override {
        std::string path = FindBitmapFile(name.c_str(), questionFile.c_str());
        if (!IsRegularFileName(path)) return std::string();
        return path;
    }

    bool Decode(const std::string& path, bool wantPixels, PictureInfo& info) override {
        info.jpeg = IsJpeg(path);
        HBITMAP bitmap = LoadPicture(path);
        if (bitmap == nullptr) return false;
        BITMAP size{};
        const bool sized =
            GetObjectA(bitmap, sizeof(size), &size) != 0 && size.bmWidth > 0 && size.bmHeight != 0;
        if (sized) {
            info.width = size.bmWidth;
            info.height = size.bmHeight < 0 ? -size.bmHeight : size.bmHeight;
        }
        if (sized && wantPixels) {
            HDC dc = CreateCompatibleDC(nullptr);
            HGDIOBJ previous = SelectObject(dc, bitmap);
            info.pixels.resize(static_cast<std::size_t>(info.width) *
                               static_cast<std::size_t>(info.height));
            std::size_t i = 0;
            for (int y = 0; y < info.height; ++y) {
                for (int x = 0; x < info.width; ++x) {
                    COLORREF c = GetPixel(dc, x, y);
                    info.pixels[i++] = (static_cast<std::uint32_t>(GetRValue(c)) << 16) |
                                       (static_cast<std::uint32_t>(GetGValue(c)) << 8) |
                                       GetBValue(c);
                }
            }
            SelectObject(dc, previous);
            DeleteDC(dc);
        }
        DeleteObject(bitmap);
        return sized;
    }
};

}  // namespace

std::unique_ptr<PictureLibrary> ProgramPictures() {
    return std::make_unique<ProgramPictureLibrary>();
}
