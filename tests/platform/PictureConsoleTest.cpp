// Picture decoding from a program without any Qt application object and
// without a window, as a console program uses it.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>

#include "platform/PictureFile.h"
#include "platform/WinApi.h"
#include "tests/support/PictureFixtures.h"
#include "tests/support/TempDir.h"

namespace {

TEST(PictureConsole, DecodesEveryFormatWithoutApplicationOrWindow) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    TempDir dir;
    QImage image = fixtures::Gradient(6, 4);
    QRandomGenerator random(3);
    QImage bmpImage = image;
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {{"p.png", fixtures::Encode(image, "png")},
                 {"p.jpg", fixtures::WithExifOrientation(fixtures::Encode(image, "jpeg"), 6)},
                 {"p.bmp", fixtures::Bmp(bmpImage, 8, random)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = dir.Write(c.name, c.bytes);
        HBITMAP bitmap = LoadPictureFile(nullptr, path.c_str());
        ASSERT_NE(bitmap, nullptr);
        DIBSECTION dib{};
        ASSERT_EQ(GetObjectA(bitmap, sizeof(dib), &dib), static_cast<int>(sizeof(dib)));
        const bool turned = c.bytes[0] == '\xFF';  // the JPEG is stored turned a quarter
        EXPECT_EQ(dib.dsBm.bmWidth, turned ? 4 : 6);
        EXPECT_EQ(dib.dsBm.bmHeight, turned ? 6 : 4);
        ASSERT_NE(dib.dsBm.bmBits, nullptr);
        if (!turned) {
            // The top-left pixel as the picture has it (blue, green, red in memory).
            const auto* first = static_cast<const unsigned char*>(dib.dsBm.bmBits);
            QRgb expected = c.bytes[0] == 'B' ? bmpImage.pixel(0, 0) : image.pixel(0, 0);
            EXPECT_EQ(qRgb(first[2], first[1], first[0]), expected);
        }
        EXPECT_TRUE(DeleteObject(bitmap));
    }
}

}  // namespace
