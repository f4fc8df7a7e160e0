#include "platform/PictureFile.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <cstdio>
#include <vector>

#include "platform/PictureFormat.h"
#include "platform/qt/GdiInternal.h"

namespace quillfin::platform {
namespace {

namespace pictures = quillfin::pictures;

constexpr std::size_t kHeadBytes = 8;
// What a decoder may allocate, in megabytes: one 32-bit picture at the pixel limit.
constexpr int kAllocationLimitMb = static_cast<int>(kMaxBmpPixels * 4 / (1024 * 1024));

// The whole file, or nullopt when it cannot be read or exceeds the size limit.
std::optional<std::vector<unsigned char>> ReadWholeFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return std::nullopt;
    std::vector<unsigned char> bytes;
    bool ok = std::fseek(file, 0, SEEK_END) == 0;
    long size = ok ? std::ftell(file) : -1;
    ok = ok && size >= 0 && size <= pictures::kMaxFileBytes && std::fseek(file, 0, SEEK_SET) == 0;
    if (ok) {
        bytes.resize(static_cast<std::size_t>(size));
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    }
    std::fclose(file);
    if (!ok) return std::nullopt;
    return bytes;
}

}  // namespace

std::optional<QImage> DecodePngOrJpeg(const unsigned char* data, std::size_t size) {
    if (data == nullptr) return std::nullopt;
    const PictureFormat format = PictureFormatOf(data, size);
    if (format != PictureFormat::Png && format != PictureFormat::Jpeg) return std::nullopt;
    if (format == PictureFormat::Jpeg && !pictures::JpegWithinLimits(data, size))
        return std::nullopt;
    if (size > static_cast<std::size_t>(pictures::kMaxFileBytes)) return std::nullopt;

    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format == PictureFormat::Png ? "png" : "jpeg");
    // The orientation is applied below, the same way on every build.
    reader.setAutoTransform(false);
    reader.setAllocationLimit(kAllocationLimitMb);
    const QSize declared = reader.size();
    if (!declared.isValid() || declared.isEmpty() ||
        static_cast<std::int64_t>(declared.width()) * declared.height() > kMaxBmpPixels)
        return std::nullopt;
    // Qt's JPEG reader decodes colour pictures into an image of this size and
    // format when it is given one; other readers and formats make their own.
    QImage image;
    if (format == PictureFormat::Jpeg) image = NewRgb32Image(declared.width(), declared.height());
    if (!reader.read(&image) || image.isNull()) return std::nullopt;

    if (image.hasAlphaChannel()) {
        image.convertTo(QImage::Format_ARGB32);
        if (image.isNull()) return std::nullopt;
        for (int y = 0; y < image.height(); ++y) {
            pictures::CompositeOverWhite(reinterpret_cast<std::uint32_t*>(image.scanLine(y)),
                                         static_cast<std::size_t>(image.width()));
        }
    }
    image.convertTo(QImage::Format_RGB32);
    if (image.isNull()) return std::nullopt;

    const int orientation =
        format == PictureFormat::Jpeg ? pictures::JpegExifOrientation(data, size) : 1;
    if (orientation == 1) return image;
    int width = 0;
    int height = 0;
    pictures::OrientedSize(orientation, image.width(), image.height(), width, height);
    QImage upright = NewRgb32Image(width, height);
    if (upright.isNull()) return std::nullopt;
    pictures::Orient(orientation, reinterpret_cast<const std::uint32_t*>(image.constBits()),
                     image.width(), image.height(), image.bytesPerLine() / 4,
                     reinterpret_cast<std::uint32_t*>(upright.bits()), upright.bytesPerLine() / 4);
    return upright;
}

}  // namespace quillfin::platform

using namespace quillfin::platform;

PictureFormat PictureFileFormat(const char* name) {
    std::string path = FindNamedFile(name);
    if (path.empty()) return PictureFormat::Unknown;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return PictureFormat::Unknown;
    unsigned char head[kHeadBytes] = {};
    std::size_t got = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    return PictureFormatOf(head, got);
}

HBITMAP LoadPictureFile(HINSTANCE instance, const char* name) {
    const PictureFormat format = PictureFileFormat(name);
    if (format != PictureFormat::Png && format != PictureFormat::Jpeg) {
        // BMP files, and whatever else the name holds, take the bitmap loader's own path.
        return static_cast<HBITMAP>(
            LoadImageA(instance, name, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    }
    auto bytes = ReadWholeFile(FindNamedFile(name));
    if (!bytes) return nullptr;
    std::optional<QImage> image = DecodePngOrJpeg(bytes->data(), bytes->size());
    bytes.reset();
    if (!image) return nullptr;
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->image = std::move(*image);
    bitmap->bitsPerPixel = 32;
    return ToHandle<HBITMAP>(Register(std::move(bitmap)));
}
