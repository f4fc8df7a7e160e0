// The checker's pictures through the same calls the program makes: the
// picture search of questions/, the picture loading of platform/ (BMP, PNG,
// JPEG) and the zone rows read as the zone marking reads them.
#include "check/Pictures.h"
#include "platform/PictureFile.h"
#include "platform/WinApi.h"
#include "platform/ZoneMarking.h"
#include "questions/PictureSearch.h"
#include "rules/FileNames.h"

namespace {

class ProgramPictureLibrary : public PictureLibrary {
protected:
    std::string Find(const std::string& questionFile, const std::string& name) override {
        std::string path = FindBitmapFile(name.c_str(), questionFile.c_str());
        if (!IsRegularFileName(path)) return std::string();
        return path;
    }

    bool Decode(const std::string& path, PictureInfo& info) override {
        info.jpeg = PictureFileFormat(path.c_str()) == PictureFormat::Jpeg;
        HBITMAP bitmap = LoadPictureFile(nullptr, path.c_str());
        if (bitmap == nullptr) return false;
        BITMAP size{};
        const bool sized =
            GetObjectA(bitmap, sizeof(size), &size) != 0 && size.bmWidth > 0 && size.bmHeight != 0;
        if (sized) {
            info.width = size.bmWidth;
            info.height = size.bmHeight < 0 ? -size.bmHeight : size.bmHeight;
        }
        DeleteObject(bitmap);
        return sized;
    }

    bool ReadRows(const std::string& path, int width, int height,
                  const std::function<bool(const std::uint32_t*, int)>& visit) override {
        HBITMAP bitmap = LoadPictureFile(nullptr, path.c_str());
        if (bitmap == nullptr) return false;
        const bool read = ReadZoneRows(bitmap, width, height, visit);
        DeleteObject(bitmap);
        return read;
    }
};

}  // namespace

std::unique_ptr<PictureLibrary> ProgramPictures() {
    return std::make_unique<ProgramPictureLibrary>();
}
