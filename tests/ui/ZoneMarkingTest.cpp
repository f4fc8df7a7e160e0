// Zone marking through the bitmaps' rows against the rule applied pixel by
// pixel with GetPixel and SetPixel, on random pictures and zones.
#include <gtest/gtest.h>

#include <QImage>
#include <QRandomGenerator>
#include <string>

#include "platform/PictureFile.h"
#include "platform/WinApi.h"
#include "platform/qt/TestSeams.h"
#include "tests/support/PictureFixtures.h"
#include "tests/support/TempDir.h"
#include "ui/Picture.h"
#include "ui/UiState.h"

namespace qt = quillfin::testing;

namespace {

int Recoloured(int component, bool lighten) {
    return lighten ? static_cast<int>((component + 255) * 0.5) : static_cast<int>(component * 0.75);
}

bool Matches(int wanted, int actual) { return wanted == -1 || wanted == actual; }

// The picture file marked one pixel at a time, as the rule reads.
QImage MarkedPixelByPixel(const std::string& pictureFile, const std::string& zoneFile, int red,
                          int green, int blue, std::uint32_t flags) {
    HBITMAP picture = LoadPictureFile(nullptr, pictureFile.c_str());
    HBITMAP zone = LoadPictureFile(nullptr, zoneFile.c_str());
    BITMAP p{}, z{};
    GetObjectA(picture, sizeof(p), &p);
    GetObjectA(zone, sizeof(z), &z);
    HDC pictureDC = CreateCompatibleDC(nullptr);
    HDC zoneDC = CreateCompatibleDC(nullptr);
    HGDIOBJ oldPicture = SelectObject(pictureDC, picture);
    HGDIOBJ oldZone = SelectObject(zoneDC, zone);
    for (int y = 0; y < z.bmHeight && y < p.bmHeight; ++y) {
        for (int x = 0; x < z.bmWidth && x < p.bmWidth; ++x) {
            COLORREF mark = GetPixel(zoneDC, x, y);
            if (!Matches(red, GetRValue(mark)) || !Matches(green, GetGValue(mark)) ||
                !Matches(blue, GetBValue(mark)))
                continue;
            COLORREF c = GetPixel(pictureDC, x, y);
            SetPixel(pictureDC, x, y,
                     RGB(Recoloured(GetRValue(c), flags & flagDisplayZoneRed),
                         Recoloured(GetGValue(c), flags & flagDisplayZoneGreen),
                         Recoloured(GetBValue(c), flags & flagDisplayZoneBlue)));
        }
    }
    QImage result(p.bmWidth, p.bmHeight, QImage::Format_RGB32);
    for (int y = 0; y < p.bmHeight; ++y) {
        for (int x = 0; x < p.bmWidth; ++x) {
            COLORREF c = GetPixel(pictureDC, x, y);
            result.setPixel(x, y, qRgb(GetRValue(c), GetGValue(c), GetBValue(c)));
        }
    }
    SelectObject(pictureDC, oldPicture);
    SelectObject(zoneDC, oldZone);
    DeleteDC(pictureDC);
    DeleteDC(zoneDC);
    DeleteObject(picture);
    DeleteObject(zone);
    return result;
}

QImage LoadedPicture() {
    BITMAP p{};
    GetObjectA(Ui().hPictureBitmap, sizeof(p), &p);
    QImage result(p.bmWidth, p.bmHeight, QImage::Format_RGB32);
    for (int y = 0; y < p.bmHeight; ++y) {
        for (int x = 0; x < p.bmWidth; ++x) {
            COLORREF c = GetPixel(Ui().hPictureDC, x, y);
            result.setPixel(x, y, qRgb(GetRValue(c), GetGValue(c), GetBValue(c)));
        }
    }
    return result;
}

// A zone picture made of a few colours, so that the zone colour is common.
QImage FewColours(int width, int height, QRandomGenerator& random) {
    const QRgb colours[] = {qRgb(255, 0, 0), qRgb(255, 0, 7), qRgb(0, 255, 0), qRgb(9, 9, 9)};
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.setPixel(x, y, colours[random.bounded(4)]);
    return image;
}

QImage Noise(int width, int height, QRandomGenerator& random) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y,
                           qRgb(random.bounded(256), random.bounded(256), random.bounded(256)));
    return image;
}

class ZoneMarking : public ::testing::Test {
protected:
    void SetUp() override {
        qt::ResetPlatform();
        ResetUiState();
    }
    void TearDown() override {
        ResetUiState();
        qt::ResetPlatform();
    }
    TempDir dir;
};

TEST_F(ZoneMarking, EqualsTheRuleAppliedPixelByPixel) {
    QRandomGenerator random(20261208);
    const int depths[] = {1, 4, 8, 16, 24, 32};
    HWND hwnd = nullptr;
    HINSTANCE instance = nullptr;
    int cases = 0;
    for (int pictureBits : depths) {
        for (int zoneBits : {1, 4, 8, 16, 24, 32, 0 /* PNG */}) {
            for (int round = 0; round < 3; ++round, ++cases) {
                // Odd and even widths; zones smaller, equal and larger than the picture.
                const int width = 1 + random.bounded(37);
                const int height = 1 + random.bounded(23);
                const int zoneWidth = round == 0 ? width : 1 + random.bounded(45);
                const int zoneHeight = round == 0 ? height : 1 + random.bounded(30);
                QImage pictureImage = Noise(width, height, random);
                QImage zoneImage = FewColours(zoneWidth, zoneHeight, random);
                std::string pictureFile =
                    dir.Write("picture.bmp", fixtures::Bmp(pictureImage, pictureBits, random));
                std::string zoneFile =
                    zoneBits == 0
                        ? dir.Write("zone.png", fixtures::Encode(zoneImage, "png"))
                        : dir.Write("zone.bmp", fixtures::Bmp(zoneImage, zoneBits, random));
                // The zone colour: a colour of the zone picture, some components -1.
                QRgb wanted =
                    zoneImage.pixel(random.bounded(zoneWidth), random.bounded(zoneHeight));
                int red = random.bounded(4) == 0 ? -1 : qRed(wanted);
                int green = random.bounded(4) == 0 ? -1 : qGreen(wanted);
                int blue = random.bounded(4) == 0 ? -1 : qBlue(wanted);
                if (red == -1 && green == -1 && blue == -1) red = qRed(wanted);
                const std::uint32_t flags = (random.bounded(2) ? flagDisplayZoneRed : 0) |
                                            (random.bounded(2) ? flagDisplayZoneGreen : 0) |
                                            (random.bounded(2) ? flagDisplayZoneBlue : 0);
                SCOPED_TRACE(testing::Message()
                             << "picture " << width << "x" << height << " at " << pictureBits
                             << " bits, zone " << zoneWidth << "x" << zoneHeight << " at "
                             << (zoneBits == 0 ? "PNG" : std::to_string(zoneBits) + " bits")
                             << ", colour " << red << "," << green << "," << blue << ", flags "
                             << flags);

                Ui().CurrentQuestion.flags = flags;
                Ui().ZoneName.reset(new char[zoneFile.size() + 1]);
                std::copy(zoneFile.c_str(), zoneFile.c_str() + zoneFile.size() + 1,
                          Ui().ZoneName.get());
                ASSERT_TRUE(LoadNewPicture(pictureFile.c_str(), hwnd, instance, red, green, blue));
                const QImage marked = LoadedPicture();
                const QImage expected =
                    MarkedPixelByPixel(pictureFile, zoneFile, red, green, blue, flags);
                ASSERT_EQ(marked.size(), expected.size());
                EXPECT_EQ(marked, expected);
                // Something was marked wherever the zone colour occurs in the common area.
                bool anyMarked = marked != pictureImage;
                bool anyZone = false;
                for (int y = 0; y < std::min(height, zoneHeight); ++y)
                    for (int x = 0; x < std::min(width, zoneWidth); ++x) {
                        QRgb z = zoneImage.pixel(x, y);
                        anyZone |= Matches(red, qRed(z)) && Matches(green, qGreen(z)) &&
                                   Matches(blue, qBlue(z));
                    }
                if (zoneBits != 0 && zoneBits <= 8) continue;  // palette zones were re-coloured
                EXPECT_EQ(anyMarked, anyZone);
            }
        }
    }
    EXPECT_EQ(cases, 6 * 7 * 3);
}

TEST_F(ZoneMarking, HeldZoneBitmapIsUsedInsteadOfTheFile) {
    QRandomGenerator random(5);
    QImage pictureImage(4, 1, QImage::Format_RGB32);
    pictureImage.fill(qRgb(200, 100, 40));
    std::string pictureFile = dir.Write("p.bmp", fixtures::Bmp(pictureImage, 24, random));
    QImage held(4, 1, QImage::Format_RGB32);
    held.fill(qRgb(0, 0, 0));
    held.setPixel(1, 0, qRgb(255, 0, 0));
    std::string heldFile = dir.Write("held.png", fixtures::Encode(held, "png"));
    // The named file has no zone pixel at all: only the held bitmap can mark (1, 0).
    QImage named(4, 1, QImage::Format_RGB32);
    named.fill(qRgb(0, 0, 0));
    std::string namedFile = dir.Write("named.png", fixtures::Encode(named, "png"));
    Ui().ZoneName.reset(new char[namedFile.size() + 1]);
    std::copy(namedFile.c_str(), namedFile.c_str() + namedFile.size() + 1, Ui().ZoneName.get());
    Ui().CurrentQuestion.flags = 0;
    Ui().hZoneBitmap = LoadPictureFile(nullptr, heldFile.c_str());
    ASSERT_NE(Ui().hZoneBitmap, nullptr);
    HWND hwnd = nullptr;
    HINSTANCE instance = nullptr;
    ASSERT_TRUE(LoadNewPicture(pictureFile.c_str(), hwnd, instance, 255, 0, 0));
    EXPECT_EQ(GetPixel(Ui().hPictureDC, 1, 0), RGB(150, 75, 30));
    EXPECT_EQ(GetPixel(Ui().hPictureDC, 0, 0), RGB(200, 100, 40));
    EXPECT_TRUE(DeleteObject(Ui().hZoneBitmap)) << "the held bitmap stays the caller's";
    Ui().hZoneBitmap = nullptr;
}

void NameTheZone(const std::string& zoneFile) {
    Ui().ZoneName.reset(new char[zoneFile.size() + 1]);
    std::copy(zoneFile.c_str(), zoneFile.c_str() + zoneFile.size() + 1, Ui().ZoneName.get());
}

// The feedback marks the picture already on screen when it is the same file,
// unmarked: the result must be what a fresh decode and marking give, marked
// once, and a picture that changed on disk meanwhile must be decoded again.
TEST_F(ZoneMarking, PictureOnScreenIsMarkedAsAFreshDecodeWouldBe) {
    QRandomGenerator random(20261209);
    HWND hwnd = nullptr;
    HINSTANCE instance = nullptr;
    QImage zoneImage = FewColours(29, 17, random);
    const std::string zoneFile = dir.Write("zone.png", fixtures::Encode(zoneImage, "png"));
    NameTheZone(zoneFile);
    Ui().CurrentQuestion.flags = flagDisplayZoneGreen;
    const QRgb wanted = zoneImage.pixel(3, 4);
    for (int bits : {1, 8, 16, 24, 32}) {
        SCOPED_TRACE(testing::Message() << bits << "-bit picture");
        QImage pictureImage = Noise(29, 17, random);
        const std::string pictureFile = dir.Write("picture" + std::to_string(bits) + ".bmp",
                                                  fixtures::Bmp(pictureImage, bits, random));
        const QImage expected = MarkedPixelByPixel(pictureFile, zoneFile, qRed(wanted), -1,
                                                   qBlue(wanted), flagDisplayZoneGreen);

        ASSERT_TRUE(LoadNewPicture(pictureFile.c_str(), hwnd, instance, -1, -1, -1));
        const HBITMAP shown = Ui().hPictureBitmap;
        ASSERT_TRUE(
            LoadNewPicture(pictureFile.c_str(), hwnd, instance, qRed(wanted), -1, qBlue(wanted)));
        EXPECT_EQ(LoadedPicture(), expected);
        if (bits >= 24) {
            EXPECT_EQ(Ui().hPictureBitmap, shown) << "decoded a second time";
        }

        // Marked already (a zone shown with the question): the feedback marks it once.
        ASSERT_TRUE(
            LoadNewPicture(pictureFile.c_str(), hwnd, instance, qRed(wanted), -1, qBlue(wanted)));
        EXPECT_EQ(LoadedPicture(), expected);
    }
}

TEST_F(ZoneMarking, PictureChangedOnDiskSinceItWasShownIsDecodedAgain) {
    QRandomGenerator random(77);
    HWND hwnd = nullptr;
    HINSTANCE instance = nullptr;
    QImage zoneImage(8, 8, QImage::Format_RGB32);
    zoneImage.fill(qRgb(255, 0, 0));
    const std::string zoneFile = dir.Write("zone.bmp", fixtures::Bmp(zoneImage, 24, random));
    NameTheZone(zoneFile);
    Ui().CurrentQuestion.flags = 0;
    QImage before(6, 6, QImage::Format_RGB32);
    before.fill(qRgb(100, 100, 100));
    const std::string pictureFile = dir.Write("picture.bmp", fixtures::Bmp(before, 24, random));
    ASSERT_TRUE(LoadNewPicture(pictureFile.c_str(), hwnd, instance, -1, -1, -1));

    QImage after(7, 5, QImage::Format_RGB32);
    after.fill(qRgb(40, 80, 200));
    dir.Write("picture.bmp", fixtures::Bmp(after, 24, random));
    ASSERT_TRUE(LoadNewPicture(pictureFile.c_str(), hwnd, instance, 255, 0, 0));
    EXPECT_EQ(LoadedPicture(), MarkedPixelByPixel(pictureFile, zoneFile, 255, 0, 0, 0));
    EXPECT_EQ(LoadedPicture().size(), QSize(7, 5));
}

// A zone that cannot be loaded leaves the picture unmarked; a later marking
// with a zone that loads still marks it exactly once.
TEST_F(ZoneMarking, MissingZoneLeavesThePictureUnmarkedForALaterMarking) {
    QRandomGenerator random(3);
    HWND hwnd = nullptr;
    HINSTANCE instance = nullptr;
    QImage pictureImage(5, 3, QImage::Format_RGB32);
    pictureImage.fill(qRgb(200, 120, 60));
    const std::string pictureFile = dir.Write("p.bmp", fixtures::Bmp(pictureImage, 24, random));
    Ui().CurrentQuestion.flags = 0;
    NameTheZone((dir.Path() / "no-such-zone.bmp").string());
    ASSERT_TRUE(LoadNewPicture(pictureFile.c_str(), hwnd, instance, 255, 0, 0));
    EXPECT_EQ(GetPixel(Ui().hPictureDC, 2, 1), RGB(200, 120, 60));

    QImage zoneImage(5, 3, QImage::Format_RGB32);
    zoneImage.fill(qRgb(255, 0, 0));
    NameTheZone(dir.Write("zone.bmp", fixtures::Bmp(zoneImage, 24, random)));
    ASSERT_TRUE(LoadNewPicture(pictureFile.c_str(), hwnd, instance, 255, 0, 0));
    EXPECT_EQ(GetPixel(Ui().hPictureDC, 2, 1), RGB(150, 90, 45));
}

}  // namespace
