#include "platform/PngFile.h"

#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QString>
#include <algorithm>
#include <cstring>

namespace {

// Qt's PNG writer takes a quality of 0 to 100 and packs at zlib level
// (100 - quality) * 9 / 91: the quality that gives `level` exactly.
int QualityFor(int level) {
    level = std::clamp(level, 0, 9);
    for (int quality = 100; quality >= 0; --quality) {
        if ((100 - quality) * 9 / 91 == level) return quality;
    }
    return -1;
}

}  // namespace

bool WritePngFile(const char* path, const PixelPlane& pixels, int level, std::string& error) {
    if (path == nullptr || pixels.top == nullptr || pixels.width < 1 || pixels.height < 1 ||
        (pixels.bytesPerPixel != 3 && pixels.bytesPerPixel != 4)) {
        error = "no picture to write";
        return false;
    }
    // 32-bit rows that run down are written as they stand; others are copied.
    QImage image;
    if (pixels.bytesPerPixel == 4 && pixels.stride > 0) {
        image =
            QImage(pixels.top, pixels.width, pixels.height, pixels.stride, QImage::Format_RGB32);
    } else {
        image = QImage(pixels.width, pixels.height, QImage::Format_RGB32);
        if (image.isNull()) {
            error = "not enough memory";
            return false;
        }
        for (int y = 0; y < pixels.height; ++y) {
            const unsigned char* in = pixels.top + y * pixels.stride;
            auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
            if (pixels.bytesPerPixel == 4) {
                std::memcpy(out, in, static_cast<std::size_t>(pixels.width) * 4);
                continue;
            }
            for (int x = 0; x < pixels.width; ++x, in += 3) out[x] = qRgb(in[2], in[1], in[0]);
        }
    }
    const QString name = QFile::decodeName(path);
    QImageWriter writer(name, "png");
    writer.setQuality(QualityFor(level));
    if (writer.write(image)) return true;
    error = writer.errorString().toStdString();
    // A file opened and then not written to its end is removed; one that
    // could not be opened is not this writer's to remove.
    QIODevice* file = writer.device();
    if (file != nullptr && file->isOpen()) {
        file->close();
        QFile::remove(name);
    }
    return false;
}
