// Pictures for tests, made in memory: PNG and JPEG written by Qt's own
// writers, an EXIF orientation block spliced into a JPEG, and BMP files of
// every bit depth with a palette where the depth has one.
#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QRandomGenerator>
#include <cstdint>
#include <string>
#include <vector>

namespace fixtures {

// The file bytes of `image` in `format` ("png", "jpeg"); quality for JPEG.
inline std::string Encode(const QImage& image, const char* format, int quality = 95) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes.toStdString();
}

// A picture with different colours in every corner and along both axes, so
// that any turn or mirror of it shows.
inline QImage Gradient(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y,
                           qRgb(x * 255 / std::max(1, width - 1), y * 255 / std::max(1, height - 1),
                                (x < width / 2) != (y < height / 2) ? 220 : 30));
        }
    }
    return image;
}

// `jpeg` with an APP1 EXIF segment holding the orientation tag, placed right
// after the start-of-image marker; `bigEndian` picks the TIFF byte order.
inline std::string WithExifOrientation(const std::string& jpeg, int orientation,
                                       bool bigEndian = false) {
    std::string tiff;
    auto put16 = [&](unsigned v) {
        if (bigEndian) {
            tiff += static_cast<char>(v >> 8);
            tiff += static_cast<char>(v & 0xFF);
        } else {
            tiff += static_cast<char>(v & 0xFF);
            tiff += static_cast<char>(v >> 8);
        }
    };
    auto put32 = [&](std::uint32_t v) {
        if (bigEndian) {
            put16(v >> 16);
            put16(v & 0xFFFF);
        } else {
            put16(v & 0xFFFF);
            put16(v >> 16);
        }
    };
    tiff += bigEndian ? "MM" : "II";
    put16(42);
    put32(8);       // the first directory follows the header
    put16(2);       // two entries: one unrelated, then the orientation
    put16(0x010F);  // make, ASCII, 4 bytes in place
    put16(2);
    put32(4);
    tiff += std::string("Cam\0", 4);
    put16(0x0112);  // orientation, SHORT, one value
    put16(3);
    put32(1);
    put16(static_cast<unsigned>(orientation));
    put16(0);
    put32(0);  // no next directory
    std::string payload = std::string("Exif\0\0", 6) + tiff;
    std::string segment = "\xFF\xE1";
    const std::size_t length = payload.size() + 2;
    segment += static_cast<char>(length >> 8);
    segment += static_cast<char>(length & 0xFF);
    segment += payload;
    return jpeg.substr(0, 2) + segment + jpeg.substr(2);
}

inline void Put16(std::string& s, unsigned v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
inline void Put32(std::string& s, std::uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

// A bottom-up BMP of `image` at `bits` per pixel: 1, 4 and 8 with a palette
// of random colours (each pixel takes a random entry), 16 as 5-5-5, 24, 32.
// `image` is replaced by what the file really holds.
inline std::string Bmp(QImage& image, int bits, QRandomGenerator& random) {
    const int width = image.width();
    const int height = image.height();
    std::vector<QRgb> palette;
    if (bits <= 8) {
        for (int i = 0; i < (1 << bits); ++i)
            palette.push_back(qRgb(random.bounded(256), random.bounded(256), random.bounded(256)));
    }
    const int stride = (width * bits + 31) / 32 * 4;
    std::string pixels(static_cast<std::size_t>(stride) * height, '\0');
    for (int y = 0; y < height; ++y) {
        unsigned char* row =
            reinterpret_cast<unsigned char*>(pixels.data()) + (height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            QRgb c = image.pixel(x, y);
            if (bits <= 8) {
                int index = random.bounded(1 << bits);
                image.setPixel(x, y, palette[static_cast<std::size_t>(index)]);
                int perByte = 8 / bits;
                int shift = 8 - bits * (x % perByte + 1);
                row[x / perByte] |= static_cast<unsigned char>(index << shift);
            } else if (bits == 16) {
                unsigned r = qRed(c) >> 3, g = qGreen(c) >> 3, b = qBlue(c) >> 3;
                unsigned v = (r << 10) | (g << 5) | b;
                row[2 * x] = static_cast<unsigned char>(v & 0xFF);
                row[2 * x + 1] = static_cast<unsigned char>(v >> 8);
                auto expand = [](unsigned five) {
                    return static_cast<int>((five * 255 + 15) / 31);
                };
                image.setPixel(x, y, qRgb(expand(r), expand(g), expand(b)));
            } else {
                unsigned char* p = row + x * (bits / 8);
                p[0] = static_cast<unsigned char>(qBlue(c));
                p[1] = static_cast<unsigned char>(qGreen(c));
                p[2] = static_cast<unsigned char>(qRed(c));
            }
        }
    }
    std::string table;
    for (QRgb c : palette) {
        table += static_cast<char>(qBlue(c));
        table += static_cast<char>(qGreen(c));
        table += static_cast<char>(qRed(c));
        table += '\0';
    }
    const std::uint32_t offset = 54 + static_cast<std::uint32_t>(table.size());
    std::string file = "BM";
    Put32(file, offset + static_cast<std::uint32_t>(pixels.size()));
    Put32(file, 0);
    Put32(file, offset);
    Put32(file, 40);
    Put32(file, static_cast<std::uint32_t>(width));
    Put32(file, static_cast<std::uint32_t>(height));
    Put16(file, 1);
    Put16(file, static_cast<unsigned>(bits));
    Put32(file, 0);
    Put32(file, static_cast<std::uint32_t>(pixels.size()));
    Put32(file, 2835);
    Put32(file, 2835);
    Put32(file, static_cast<std::uint32_t>(palette.size()));
    Put32(file, 0);
    return file + table + pixels;
}

}  // namespace fixtures
