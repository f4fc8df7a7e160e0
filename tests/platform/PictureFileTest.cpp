#include <gtest/gtest.h>

#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QRandomGenerator>
#include <cstdint>
#include <string>

#include "platform/PictureFile.h"
#include "platform/PictureFormat.h"
#include "platform/WinApi.h"
#include "platform/qt/TestSeams.h"
#include "tests/support/PictureFixtures.h"
#include "tests/support/TempDir.h"

namespace qt = quillfin::testing;
namespace pictures = quillfin::pictures;

namespace {

// The pixels of a loaded bitmap as 0xFFRRGGBB, read one by one through a memory context.
QImage PixelsOf(HBITMAP bitmap) {
    BITMAP info{};
    if (bitmap == nullptr || GetObjectA(bitmap, sizeof(info), &info) == 0) return QImage();
    QImage image(info.bmWidth, info.bmHeight, QImage::Format_RGB32);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    for (int y = 0; y < info.bmHeight; ++y) {
        for (int x = 0; x < info.bmWidth; ++x) {
            COLORREF c = GetPixel(dc, x, y);
            image.setPixel(x, y, qRgb(GetRValue(c), GetGValue(c), GetBValue(c)));
        }
    }
    SelectObject(dc, previous);
    DeleteDC(dc);
    return image;
}

// Qt's own decoding of the same bytes, as 32-bit pixels, turned upright as
// Qt itself reads the orientation when asked to.
QImage QtDecoded(const std::string& bytes, bool upright) {
    QByteArray data = QByteArray::fromStdString(bytes);
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(upright);
    return reader.read().convertToFormat(QImage::Format_RGB32);
}

// The mean difference of the colour components of two pictures of one size.
double MeanDifference(const QImage& a, const QImage& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * a.width() * a.height());
}

class PictureFile : public ::testing::Test {
protected:
    void SetUp() override { qt::ResetPlatform(); }
    void TearDown() override { qt::ResetPlatform(); }

    HBITMAP Load(const std::string& name, const std::string& bytes) {
        std::string path = dir.Write(name, bytes);
        return LoadPictureFile(nullptr, path.c_str());
    }

    TempDir dir;
};

TEST_F(PictureFile, FormatIsToldByContentNotByName) {
    QImage image = fixtures::Gradient(5, 4);
    QRandomGenerator random(7);
    QImage bmpImage = image;
    struct Case {
        const char* name;
        std::string bytes;
        PictureFormat format;
    } cases[] = {
        {"png-named.bmp", fixtures::Encode(image, "png"), PictureFormat::Png},
        {"jpeg-named.png", fixtures::Encode(image, "jpeg"), PictureFormat::Jpeg},
        {"bmp-named.jpg", fixtures::Bmp(bmpImage, 24, random), PictureFormat::Bmp},
        {"text.png", "not a picture at all", PictureFormat::Unknown},
        {"empty.png", "", PictureFormat::Unknown},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = dir.Write(c.name, c.bytes);
        EXPECT_EQ(PictureFileFormat(path.c_str()), c.format);
        HBITMAP bitmap = LoadPictureFile(nullptr, path.c_str());
        EXPECT_EQ(bitmap != nullptr, c.format != PictureFormat::Unknown);
        if (bitmap != nullptr) {
            BITMAP info{};
            ASSERT_NE(GetObjectA(bitmap, sizeof(info), &info), 0);
            EXPECT_EQ(info.bmWidth, 5);
            EXPECT_EQ(info.bmHeight, 4);
            DeleteObject(bitmap);
        }
    }
    EXPECT_EQ(PictureFileFormat(dir.File("missing.png").c_str()), PictureFormat::Unknown);
    EXPECT_EQ(LoadPictureFile(nullptr, dir.File("missing.png").c_str()), nullptr);
    EXPECT_EQ(LoadPictureFile(nullptr, nullptr), nullptr);
}

TEST_F(PictureFile, BmpTakesTheBitmapLoadersPath) {
    QRandomGenerator random(11);
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        SCOPED_TRACE(bits);
        QImage image = fixtures::Gradient(7, 5);
        std::string bytes = fixtures::Bmp(image, bits, random);
        std::string path = dir.Write("picture.bmp", bytes);
        HBITMAP viaPictures = LoadPictureFile(nullptr, path.c_str());
        HANDLE viaLoader = LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                                      LR_LOADFROMFILE | LR_CREATEDIBSECTION);
        ASSERT_NE(viaPictures, nullptr);
        ASSERT_NE(viaLoader, nullptr);
        EXPECT_EQ(PixelsOf(viaPictures), PixelsOf(static_cast<HBITMAP>(viaLoader)));
        EXPECT_EQ(PixelsOf(viaPictures), image);
        DeleteObject(viaPictures);
        DeleteObject(viaLoader);
    }
}

TEST_F(PictureFile, PngShowsPixelForPixel) {
    QImage rgb = fixtures::Gradient(13, 9);
    QImage grey = rgb.convertToFormat(QImage::Format_Grayscale8);
    QImage palette = rgb.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    struct Case {
        const char* name;
        QImage image;
    } cases[] = {{"rgb", rgb}, {"grey", grey}, {"palette", palette}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HBITMAP bitmap = Load("picture.png", fixtures::Encode(c.image, "png"));
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(PixelsOf(bitmap), c.image.convertToFormat(QImage::Format_RGB32));
        DeleteObject(bitmap);
    }
}

TEST_F(PictureFile, PngTransparencyIsDrawnOverWhite) {
    // Alpha in the pixels, and a palette with a transparent entry.
    QImage alpha(4, 1, QImage::Format_ARGB32);
    alpha.setPixel(0, 0, qRgba(200, 100, 40, 255));
    alpha.setPixel(1, 0, qRgba(200, 100, 40, 0));
    alpha.setPixel(2, 0, qRgba(200, 100, 40, 128));
    alpha.setPixel(3, 0, qRgba(0, 0, 0, 64));
    HBITMAP bitmap = Load("alpha.png", fixtures::Encode(alpha, "png"));
    ASSERT_NE(bitmap, nullptr);
    QImage shown = PixelsOf(bitmap);
    EXPECT_EQ(shown.pixel(0, 0), qRgb(200, 100, 40));
    EXPECT_EQ(shown.pixel(1, 0), qRgb(255, 255, 255));
    // 200 * 128/255 + 255 * 127/255 = 227.4; 100 -> 177.2; 40 -> 147.1
    EXPECT_EQ(shown.pixel(2, 0), qRgb(227, 177, 147));
    EXPECT_EQ(shown.pixel(3, 0), qRgb(191, 191, 191));
    DeleteObject(bitmap);

    QImage indexed(2, 1, QImage::Format_Indexed8);
    indexed.setColorTable({qRgba(10, 20, 30, 255), qRgba(10, 20, 30, 0)});
    indexed.setPixel(0, 0, 0);
    indexed.setPixel(1, 0, 1);
    bitmap = Load("palette-alpha.png", fixtures::Encode(indexed, "png"));
    ASSERT_NE(bitmap, nullptr);
    shown = PixelsOf(bitmap);
    EXPECT_EQ(shown.pixel(0, 0), qRgb(10, 20, 30));
    EXPECT_EQ(shown.pixel(1, 0), qRgb(255, 255, 255));
    DeleteObject(bitmap);
}

TEST_F(PictureFile, JpegShowsWhatThisBuildsDecoderGives) {
    QImage colour = fixtures::Gradient(33, 17);
    QImage grey = colour.convertToFormat(QImage::Format_Grayscale8);
    for (const QImage& image : {colour, grey}) {
        SCOPED_TRACE(image.isGrayscale() ? "grey" : "colour");
        std::string bytes = fixtures::Encode(image, "jpeg");
        HBITMAP bitmap = Load("photo.jpg", bytes);
        ASSERT_NE(bitmap, nullptr);
        QImage shown = PixelsOf(bitmap);
        EXPECT_EQ(shown, QtDecoded(bytes, false));
        // And near the picture that was written: JPEG loses a little.
        EXPECT_LE(MeanDifference(shown, image.convertToFormat(QImage::Format_RGB32)), 6.0);
        if (image.isGrayscale()) {
            for (int x = 0; x < shown.width(); ++x) {
                QRgb p = shown.pixel(x, 8);
                EXPECT_TRUE(qRed(p) == qGreen(p) && qGreen(p) == qBlue(p)) << x;
            }
        }
        DeleteObject(bitmap);
    }
}

TEST_F(PictureFile, JpegIsTurnedUprightByEachExifOrientation) {
    const std::string plain = fixtures::Encode(fixtures::Gradient(24, 16), "jpeg");
    const QImage stored = QtDecoded(plain, false);
    for (int orientation = 1; orientation <= 8; ++orientation) {
        for (bool bigEndian : {false, true}) {
            SCOPED_TRACE(testing::Message() << "orientation " << orientation
                                            << (bigEndian ? " big-endian" : " little-endian"));
            std::string bytes = fixtures::WithExifOrientation(plain, orientation, bigEndian);
            HBITMAP bitmap = Load("photo.jpg", bytes);
            ASSERT_NE(bitmap, nullptr);
            QImage shown = PixelsOf(bitmap);
            const bool turned = orientation >= 5;
            EXPECT_EQ(shown.width(), turned ? 16 : 24);
            EXPECT_EQ(shown.height(), turned ? 24 : 16);
            // Qt reads the same tag itself when asked: the two must agree.
            EXPECT_EQ(shown, QtDecoded(bytes, true));
            DeleteObject(bitmap);
        }
    }
    // Orientation 6 (a phone held upright): the stored top-left corner ends up top right.
    HBITMAP bitmap = Load("photo.jpg", fixtures::WithExifOrientation(plain, 6));
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(PixelsOf(bitmap).pixel(15, 0), stored.pixel(0, 0));
    DeleteObject(bitmap);
}

// A photo of several megapixels is decoded into memory of its own, and turned
// upright into more of it: both must hold what Qt's reader gives.
TEST_F(PictureFile, LargeJpegShowsWhatThisBuildsDecoderGives) {
    const std::string plain = fixtures::Encode(fixtures::Gradient(1703, 1301), "jpeg");
    for (int orientation : {1, 6}) {
        SCOPED_TRACE(testing::Message() << "orientation " << orientation);
        const std::string bytes = fixtures::WithExifOrientation(plain, orientation);
        HBITMAP bitmap = Load("photo.jpg", bytes);
        ASSERT_NE(bitmap, nullptr);
        const QImage expected = QtDecoded(bytes, true);
        DIBSECTION dib{};
        ASSERT_EQ(GetObjectA(bitmap, sizeof(dib), &dib), static_cast<int>(sizeof(dib)));
        ASSERT_EQ(QSize(dib.dsBm.bmWidth, dib.dsBm.bmHeight), expected.size());
        const auto* bits = static_cast<const std::uint32_t*>(dib.dsBm.bmBits);
        ASSERT_NE(bits, nullptr);
        int wrong = 0;
        for (int y = 0; y < expected.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(expected.constScanLine(y));
            for (int x = 0; x < expected.width(); ++x)
                wrong += (bits[static_cast<std::size_t>(y) * expected.width() + x] & 0xFFFFFF) !=
                         (line[x] & 0xFFFFFF);
        }
        EXPECT_EQ(wrong, 0);
        DeleteObject(bitmap);
    }
}

TEST_F(PictureFile, BadAndHostileFilesFailWithoutHarm) {
    const std::string png = fixtures::Encode(fixtures::Gradient(40, 30), "png");
    const std::string jpeg = fixtures::Encode(fixtures::Gradient(40, 30), "jpeg");
    // A PNG header that declares 9000 x 9000 pixels (over the limit) with a valid CRC.
    std::string hugePng = png;
    auto setBig32 = [](std::string& s, std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (24 - 8 * i));
    };
    setBig32(hugePng, 16, 9000);
    setBig32(hugePng, 20, 9000);
    {
        QByteArray header = QByteArray::fromStdString(hugePng.substr(12, 17));
        std::uint32_t crc = 0xFFFFFFFFu;
        for (char ch : header) {
            crc ^= static_cast<unsigned char>(ch);
            for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
        setBig32(hugePng, 29, ~crc);
    }
    // A JPEG whose frame declares 60000 x 60000 pixels.
    std::string hugeJpeg = jpeg;
    std::size_t frame = hugeJpeg.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    hugeJpeg[frame + 5] = hugeJpeg[frame + 7] = static_cast<char>(0xEA);
    hugeJpeg[frame + 6] = hugeJpeg[frame + 8] = static_cast<char>(0x60);
    // A JPEG with more scan headers than any encoder writes.
    std::size_t scan = jpeg.find("\xFF\xDA");
    ASSERT_NE(scan, std::string::npos);
    std::string manyScans = jpeg.substr(0, jpeg.size() - 2);
    std::string scanHeader =
        jpeg.substr(scan, 2 + ((static_cast<unsigned char>(jpeg[scan + 2]) << 8) |
                               static_cast<unsigned char>(jpeg[scan + 3])));
    for (int i = 0; i < pictures::kMaxJpegScans; ++i)
        manyScans += scanHeader + std::string(8, '\0');
    manyScans += "\xFF\xD9";

    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"png signature only", png.substr(0, 8)},
        {"png cut in its header", png.substr(0, 20)},
        {"png over the pixel limit", hugePng},
        {"jpeg start only", jpeg.substr(0, 4)},
        {"jpeg cut before the scan", jpeg.substr(0, jpeg.find("\xFF\xDA"))},
        {"jpeg over the pixel limit", hugeJpeg},
        {"jpeg with too many scans", manyScans},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Load("bad.img", c.bytes), nullptr);
    }
}

TEST(PictureFormat, ExifOrientationIsReadOnlyWhereItIsValid) {
    const std::string jpeg = fixtures::Encode(fixtures::Gradient(8, 8), "jpeg");
    auto orientation = [](const std::string& bytes) {
        return pictures::JpegExifOrientation(reinterpret_cast<const unsigned char*>(bytes.data()),
                                             bytes.size());
    };
    EXPECT_EQ(orientation(jpeg), 1);
    EXPECT_EQ(orientation(fixtures::WithExifOrientation(jpeg, 6)), 6);
    EXPECT_EQ(orientation(fixtures::WithExifOrientation(jpeg, 8, true)), 8);
    EXPECT_EQ(orientation(fixtures::WithExifOrientation(jpeg, 9)), 1);
    EXPECT_EQ(orientation(fixtures::WithExifOrientation(jpeg, 0)), 1);
    // Every cut of the EXIF block reads as 1 or the value, never past the data.
    std::string full = fixtures::WithExifOrientation(jpeg, 3);
    for (std::size_t cut = 0; cut < 80; ++cut) {
        int value = orientation(full.substr(0, cut));
        EXPECT_TRUE(value == 1 || value == 3) << cut;
    }
    // An EXIF segment whose length runs past the file.
    std::string overlong = full.substr(0, 60);
    overlong[4] = static_cast<char>(0x7F);
    EXPECT_EQ(orientation(overlong), 1);
    // Not a JPEG at all.
    EXPECT_EQ(orientation("BM0000"), 1);
}

TEST(PictureFormat, CompositeOverWhiteRounds) {
    struct Case {
        std::uint32_t in, out;
    } cases[] = {
        {0xFF102030u, 0xFF102030u}, {0x00102030u, 0xFFFFFFFFu}, {0x80000000u, 0xFF7F7F7Fu},
        {0x01FFFFFFu, 0xFFFFFFFFu}, {0xFE000000u, 0xFF010101u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        std::uint32_t pixel = c.in;
        pictures::CompositeOverWhite(&pixel, 1);
        EXPECT_EQ(pixel, c.out);
    }
}

}  // namespace
