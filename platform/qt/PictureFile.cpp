#include "platform/PictureFile.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <vector>

#include "platform/PictureFormat.h"
#include "platform/qt/GdiInternal.h"

namespace quillfin::platform {
namespace {

namespace pictures = quillfin::pictures;

// What a decoder may allocate, in megabytes: one 32-bit picture at the pixel limit.
constexpr int kAllocationLimitMb = static_cast<int>(pictures::kMaxPixels * 4 / (1024 * 1024));

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
        static_cast<std::int64_t>(declared.width()) * declared.height() > pictures::kMaxPixels)
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

std::string quillfin::pictures::OpenedPictureFile(const char* name) { return FindNamedFile(name); }

HBITMAP quillfin::pictures::DecodePngOrJpegFile(const unsigned char* data, std::size_t size,
                                                PictureFormat) {
    std::optional<QImage> image = DecodePngOrJpeg(data, size);
    if (!image) return nullptr;
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->image = std::move(*image);
    bitmap->bitsPerPixel = 32;
    return ToHandle<HBITMAP>(Register(std::move(bitmap)));
}
