#include <gtest/gtest.h>

#include <QImage>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/WinApi.h"
#include "platform/qt/Internal.h"
#include "platform/qt/TestSeams.h"
#include "tests/support/TempDir.h"

namespace qt = quillfin::testing;
namespace qp = quillfin::platform;

namespace {

void Put16(std::string& s, unsigned v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string& s, std::uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

// A BMP file: file header, an info header of `headerSize` bytes (12 for the
// old core header), the masks after a 40-byte header when `masks` is not
// empty, the palette (0xRRGGBB) and the pixel data.
std::string Bmp(int headerSize, int width, int height, int bits, std::uint32_t compression,
                const std::vector<std::uint32_t>& palette, const std::string& data,
                const std::vector<std::uint32_t>& masks = {}, std::uint32_t colorsUsed = 0) {
    std::string info;
    if (headerSize == 12) {
        Put32(info, 12);
        Put16(info, static_cast<unsigned>(width));
        Put16(info, static_cast<unsigned>(height));
        Put16(info, 1);
        Put16(info, static_cast<unsigned>(bits));
    } else {
        Put32(info, static_cast<std::uint32_t>(headerSize));
        Put32(info, static_cast<std::uint32_t>(width));
        Put32(info, static_cast<std::uint32_t>(height));
        Put16(info, 1);
        Put16(info, static_cast<unsigned>(bits));
        Put32(info, compression);
        Put32(info, static_cast<std::uint32_t>(data.size()));
        Put32(info, 2835);
        Put32(info, 2835);
        Put32(info, colorsUsed);
        Put32(info, 0);
        std::string extra;
        for (std::uint32_t m : masks) Put32(extra, m);
        if (headerSize > 40) {
            extra.resize(static_cast<std::size_t>(headerSize - 40), '\0');
            info += extra;
        } else {
            info += extra;
        }
    }
    std::string table;
    for (std::uint32_t c : palette) {
        table.push_back(static_cast<char>(c & 0xFF));
        table.push_back(static_cast<char>((c >> 8) & 0xFF));
        table.push_back(static_cast<char>((c >> 16) & 0xFF));
        if (headerSize != 12) table.push_back('\0');
    }
    std::string file = "BM";
    std::uint32_t offset = 14 + static_cast<std::uint32_t>(info.size() + table.size());
    Put32(file, offset + static_cast<std::uint32_t>(data.size()));
    Put32(file, 0);
    Put32(file, offset);
    return file + info + table + data;
}

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s.push_back(static_cast<char>(v));
    return s;
}

// Pads a row to a multiple of four bytes.
std::string Row(std::string bytes) {
    while (bytes.size() % 4 != 0) bytes.push_back('\0');
    return bytes;
}

// The picture every variant below encodes, 5 x 2, top row first.
constexpr std::uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF,
                        kBlack = 0x000000, kYellow = 0xFFFF00, kCyan = 0x00FFFF,
                        kMagenta = 0xFF00FF;
const std::vector<std::vector<std::uint32_t>> kPicture = {
    {kRed, kGreen, kBlue, kWhite, kBlack},
    {kYellow, kCyan, kMagenta, kWhite, kRed},
};
const std::vector<std::uint32_t> kPalette = {kBlack, kRed,    kGreen, kBlue,
                                             kWhite, kYellow, kCyan,  kMagenta};

int IndexOf(std::uint32_t colour) {
    for (std::size_t i = 0; i < kPalette.size(); ++i)
        if (kPalette[i] == colour) return static_cast<int>(i);
    return -1;
}

std::string Rows24(bool topDown) {
    std::string data;
    for (int r = 0; r < 2; ++r) {
        const auto& row = kPicture[static_cast<std::size_t>(topDown ? r : 1 - r)];
        std::string bytes;
        for (std::uint32_t c : row)
            bytes += Bytes({int(c & 0xFF), int((c >> 8) & 0xFF), int(c >> 16)});
        data += Row(bytes);
    }
    return data;
}

std::string Rows32(int rShift, int gShift, int bShift) {
    std::string data;
    for (int r = 1; r >= 0; --r) {
        for (std::uint32_t c : kPicture[static_cast<std::size_t>(r)]) {
            std::uint32_t v =
                ((c >> 16) << rShift) | (((c >> 8) & 0xFF) << gShift) | ((c & 0xFF) << bShift);
            Put32(data, v);
        }
    }
    return data;
}

std::string Rows16(bool is565) {
    std::string data;
    for (int r = 1; r >= 0; --r) {
        std::string bytes;
        for (std::uint32_t c : kPicture[static_cast<std::size_t>(r)]) {
            unsigned red = (c >> 16) >> 3, green = ((c >> 8) & 0xFF), blue = (c & 0xFF) >> 3;
            unsigned v = is565 ? (red << 11) | ((green >> 2) << 5) | blue
                               : (red << 10) | ((green >> 3) << 5) | blue;
            Put16(bytes, v);
        }
        data += Row(bytes);
    }
    return data;
}

std::string RowsIndexed(int bits) {
    std::string data;
    for (int r = 1; r >= 0; --r) {
        std::string bytes;
        int acc = 0, used = 0;
        for (std::uint32_t c : kPicture[static_cast<std::size_t>(r)]) {
            acc = (acc << bits) | IndexOf(c);
            used += bits;
            if (used == 8) {
                bytes.push_back(static_cast<char>(acc));
                acc = used = 0;
            }
        }
        if (used > 0) bytes.push_back(static_cast<char>(acc << (8 - used)));
        data += Row(bytes);
    }
    return data;
}

class BmpLoad : public ::testing::Test {
protected:
    void SetUp() override { qt::ResetPlatform(); }
    void TearDown() override { qt::ResetPlatform(); }

    HBITMAP Load(const std::string& path) {
        return static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                                               LR_CREATEDIBSECTION | LR_LOADFROMFILE));
    }

    // The pixels of a loaded bitmap as 0xRRGGBB rows, top first.
    std::vector<std::vector<std::uint32_t>> Pixels(HBITMAP bitmap) {
        BITMAP info{};
        EXPECT_EQ(GetObjectA(bitmap, sizeof(info), &info), static_cast<int>(sizeof(info)));
        HDC dc = CreateCompatibleDC(nullptr);
        SelectObject(dc, bitmap);
        std::vector<std::vector<std::uint32_t>> rows;
        for (int y = 0; y < info.bmHeight; ++y) {
            std::vector<std::uint32_t> row;
            for (int x = 0; x < info.bmWidth; ++x) {
                COLORREF c = GetPixel(dc, x, y);
                row.push_back((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
            }
            rows.push_back(row);
        }
        DeleteDC(dc);
        return rows;
    }

    TempDir dir;
};

TEST_F(BmpLoad, EveryVariantDecodesToTheSamePicture) {
    std::vector<std::uint32_t> pal8 = kPalette;
    // Bottom row: two runs of one, a literal run of three, end of line. Top
    // row: a literal run of five, end of bitmap.
    std::string rle8 = Bytes({1, IndexOf(kYellow), 1, IndexOf(kCyan)}) +
                       Bytes({0, 3, IndexOf(kMagenta), IndexOf(kWhite), IndexOf(kRed), 0}) +
                       Bytes({0, 0}) +
                       Bytes({0, 5, IndexOf(kRed), IndexOf(kGreen), IndexOf(kBlue), IndexOf(kWhite),
                              IndexOf(kBlack), 0}) +
                       Bytes({0, 1});
    auto pair = [](std::uint32_t a, std::uint32_t b) { return IndexOf(a) << 4 | IndexOf(b); };
    std::string rle4 = Bytes({2, pair(kYellow, kCyan)}) +
                       Bytes({0, 3, pair(kMagenta, kWhite), pair(kRed, kBlack)}) + Bytes({0, 0}) +
                       Bytes({2, pair(kRed, kGreen)}) + Bytes({1, pair(kBlue, kBlue)}) +
                       Bytes({2, pair(kWhite, kBlack)}) + Bytes({0, 1});

    struct Case {
        const char* name;
        std::string file;
    };
    const std::vector<Case> cases = {
        {"24 bits bottom-up", Bmp(40, 5, 2, 24, 0, {}, Rows24(false))},
        {"24 bits top-down", Bmp(40, 5, -2, 24, 0, {}, Rows24(true))},
        {"24 bits, core header", Bmp(12, 5, 2, 24, 0, {}, Rows24(false))},
        {"24 bits, version 5 header", Bmp(124, 5, 2, 24, 0, {}, Rows24(false))},
        {"32 bits", Bmp(40, 5, 2, 32, 0, {}, Rows32(16, 8, 0))},
        {"32 bits, bit fields in reverse order",
         Bmp(40, 5, 2, 32, 3, {}, Rows32(0, 8, 16), {0x0000FF, 0x00FF00, 0xFF0000})},
        {"32 bits, bit fields inside a version 4 header",
         Bmp(108, 5, 2, 32, 3, {}, Rows32(24, 16, 8), {0xFF000000, 0x00FF0000, 0x0000FF00})},
        {"16 bits 5-5-5", Bmp(40, 5, 2, 16, 0, {}, Rows16(false))},
        {"16 bits 5-6-5 bit fields",
         Bmp(40, 5, 2, 16, 3, {}, Rows16(true), {0xF800, 0x07E0, 0x001F})},
        {"8 bits with palette", Bmp(40, 5, 2, 8, 0, pal8, RowsIndexed(8), {}, 8)},
        {"8 bits, core header", Bmp(
                                    12, 5, 2, 8, 0,
                                    [&] {
                                        std::vector<std::uint32_t> full = pal8;
                                        full.resize(256, 0);
                                        return full;
                                    }(),
                                    RowsIndexed(8))},
        {"4 bits with palette", Bmp(40, 5, 2, 4, 0, pal8, RowsIndexed(4), {}, 8)},
        {"8 bits run-length encoded", Bmp(40, 5, 2, 8, 1, pal8, rle8, {}, 8)},
        {"4 bits run-length encoded", Bmp(40, 5, 2, 4, 2, pal8, rle4, {}, 8)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HBITMAP bitmap = Load(dir.Write("picture.bmp", c.file));
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(Pixels(bitmap), kPicture);
        EXPECT_TRUE(DeleteObject(bitmap));
    }
}

TEST_F(BmpLoad, OneBitPicturesUseTheirTwoColours) {
    // 10 x 1: alternating pairs of the two palette colours.
    std::string data = Row(Bytes({0b11001100, 0b11000000}));
    HBITMAP bitmap = Load(dir.Write("mono.bmp", Bmp(40, 10, 1, 1, 0, {kBlue, kYellow}, data)));
    ASSERT_NE(bitmap, nullptr);
    std::vector<std::uint32_t> expected = {kYellow, kYellow, kBlue, kBlue,   kYellow,
                                           kYellow, kBlue,   kBlue, kYellow, kYellow};
    EXPECT_EQ(Pixels(bitmap)[0], expected);
}

// Runs that go past the row's end are cut there; every escape after them
// (a literal run, a move, the end of the line) still counts.
TEST_F(BmpLoad, RunsPastTheRowEndAreCutAndEscapesStillCount) {
    const int red = IndexOf(kRed), green = IndexOf(kGreen), blue = IndexOf(kBlue);
    const int white = IndexOf(kWhite);
    std::string data = Bytes({6, red, 3, green}) +                 // 4 red, the rest cut
                       Bytes({0, 3, blue, white, green, 0}) +      // a literal run, cut
                       Bytes({200, blue}) + Bytes({0, 2, 0, 1}) +  // a move one row up
                       Bytes({2, white}) + Bytes({0, 0}) +         // cut, end of line
                       Bytes({0, 3, IndexOf(kYellow), IndexOf(kCyan), IndexOf(kMagenta), 0}) +
                       Bytes({0, 1});
    HBITMAP bitmap = Load(dir.Write("runs.bmp", Bmp(40, 4, 3, 8, 1, kPalette, data, {}, 8)));
    ASSERT_NE(bitmap, nullptr);
    const std::vector<std::vector<std::uint32_t>> expected = {
        {kYellow, kCyan, kMagenta, kBlack},
        {kBlack, kBlack, kBlack, kBlack},
        {kRed, kRed, kRed, kRed},
    };
    EXPECT_EQ(Pixels(bitmap), expected);

    // The same after nine megabytes of runs past the end of the bottom row:
    // a file that large is read whole into memory of its own.
    std::string padded = data;
    std::string filler(9 << 20, static_cast<char>(green));  // runs of 255 green pixels
    for (std::size_t i = 0; i < filler.size(); i += 2) filler[i] = static_cast<char>(255);
    padded.insert(4, filler);
    bitmap = Load(dir.Write("long-runs.bmp", Bmp(40, 4, 3, 8, 1, kPalette, padded, {}, 8)));
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(Pixels(bitmap), expected);
}

TEST_F(BmpLoad, BadFilesFailQuickly) {
    std::string good = Bmp(40, 5, 2, 24, 0, {}, Rows24(false));
    std::string huge = Bmp(40, 100000, 100000, 24, 0, {}, std::string(64, '\0'));
    std::string hugeRle = Bmp(40, 100000, 100000, 8, 1, kPalette, Bytes({0, 1}), {}, 8);
    std::string badMask = Bmp(40, 5, 2, 32, 3, {}, Rows32(16, 8, 0), {0xF0F000, 0xFF00, 0xFF});
    std::string rleWithoutEnd = Bmp(40, 5, 2, 8, 1, kPalette, Bytes({5, 1}), {}, 8);
    std::string jpeg = good;
    jpeg[30] = 4;  // compression: an embedded JPEG
    std::string badBits = good;
    badBits[28] = 7;
    std::string noWidth = Bmp(40, 0, 2, 24, 0, {}, Rows24(false));
    std::string negativeWidth = Bmp(40, -5, 2, 24, 0, {}, Rows24(false));
    std::string paletteCut = Bmp(40, 5, 2, 8, 0, kPalette, "", {}, 256);
    std::filesystem::create_directory(dir.Path() / "folder.bmp");

    struct Case {
        const char* name;
        std::string path;
    };
    const std::vector<Case> cases = {
        {"truncated pixel data", dir.Write("cut.bmp", good.substr(0, good.size() - 20))},
        {"only the file header", dir.Write("header.bmp", good.substr(0, 14))},
        {"empty file", dir.Write("empty.bmp", "")},
        {"not a bitmap", dir.Write("text.bmp", "This is not a picture at all, just words.")},
        {"100000 x 100000 claimed", dir.Write("huge.bmp", huge)},
        {"100000 x 100000 run-length encoded", dir.Write("hugerle.bmp", hugeRle)},
        {"scattered bit mask", dir.Write("mask.bmp", badMask)},
        {"run-length data ends early", dir.Write("rle.bmp", rleWithoutEnd)},
        {"embedded JPEG", dir.Write("jpeg.bmp", jpeg)},
        {"7 bits per pixel", dir.Write("bits.bmp", badBits)},
        {"zero width", dir.Write("nowidth.bmp", noWidth)},
        {"negative width", dir.Write("negwidth.bmp", negativeWidth)},
        {"palette beyond the file", dir.Write("palette.bmp", paletteCut)},
        {"a folder", dir.File("folder.bmp")},
        {"a missing file", dir.File("missing.bmp")},
        {"an empty name", ""},
    };
    // The work a bad file causes is bounded by what it holds, not by what it
    // claims: no more bytes read than twice the file (its head, then its
    // pixels from their offset), no more pixels decoded than the largest sound
    // picture among them (5 x 2), as the sound one costs.
    const qp::BmpWork start = qp::BmpWorkDone();
    HBITMAP sound = Load(dir.Write("good.bmp", good));
    ASSERT_NE(sound, nullptr);
    DeleteObject(sound);
    EXPECT_GE(qp::BmpWorkDone().bytesRead - start.bytesRead, good.size());
    EXPECT_LE(qp::BmpWorkDone().bytesRead - start.bytesRead, 2 * good.size());
    EXPECT_EQ(qp::BmpWorkDone().pixelsDecoded - start.pixelsDecoded, 10u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::error_code ec;
        const auto size = std::filesystem::is_regular_file(c.path, ec)
                              ? std::filesystem::file_size(c.path, ec)
                              : std::uintmax_t{0};
        const qp::BmpWork before = qp::BmpWorkDone();
        EXPECT_EQ(Load(c.path), nullptr);
        EXPECT_LE(qp::BmpWorkDone().bytesRead - before.bytesRead, 2 * size);
        EXPECT_LE(qp::BmpWorkDone().pixelsDecoded - before.pixelsDecoded, 10u);
    }
}

TEST_F(BmpLoad, EveryPrefixOfAFileIsHandled) {
    std::string rle = Bmp(40, 5, 2, 8, 1, kPalette,
                          Bytes({2, 1, 0, 3, 2, 3, 4, 0, 0, 0, 2, 1, 3, 2, 0, 1}), {}, 8);
    ASSERT_NE(Load(dir.Write("whole.bmp", rle)), nullptr);
    for (std::size_t length = 0; length < rle.size(); ++length) {
        SCOPED_TRACE(length);
        EXPECT_EQ(Load(dir.Write("prefix.bmp", rle.substr(0, length))), nullptr);
    }
}

TEST_F(BmpLoad, FiftyMegapixelPictureLoads) {
    // 8660 x 5774 (50.0 megapixels), run-length encoded to keep the file small.
    const int width = 8660, height = 5774;
    std::string row;
    for (int left = width; left > 0; left -= 255) row += Bytes({std::min(left, 255), 3});
    row += Bytes({0, 0});
    std::string data;
    data.reserve(row.size() * height + 2);
    for (int y = 0; y < height; ++y) data += row;
    data += Bytes({0, 1});
    HBITMAP bitmap =
        Load(dir.Write("photo.bmp", Bmp(40, width, height, 8, 1, kPalette, data, {}, 8)));
    ASSERT_NE(bitmap, nullptr);
    BITMAP info{};
    GetObjectA(bitmap, sizeof(info), &info);
    EXPECT_EQ(info.bmWidth, width);
    EXPECT_EQ(info.bmHeight, height);
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, bitmap);
    EXPECT_EQ(GetPixel(dc, width - 1, height - 1), RGB(0, 0, 255));
    DeleteDC(dc);
}

// Pictures of several megapixels live in memory of their own; their rows,
// odd widths included, must hold what Qt's own reader makes of the file.
TEST_F(BmpLoad, LargePicturesDecodeAsQtReadsThem) {
    const int width = 1703, height = 1301;  // 8.9 MB at 32 bits
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < width; ++x) line[x] = qRgb(x * 7 % 256, y * 3 % 256, (x ^ y) % 256);
    }
    const std::string path = (dir.Path() / "large.bmp").string();
    ASSERT_TRUE(picture.save(QString::fromStdString(path), "BMP"));
    const QImage expected =
        QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(expected.size(), picture.size());

    HBITMAP bitmap = Load(path);
    ASSERT_NE(bitmap, nullptr);
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectA(bitmap, sizeof(dib), &dib), static_cast<int>(sizeof(dib)));
    ASSERT_EQ(dib.dsBm.bmWidth, width);
    ASSERT_EQ(dib.dsBm.bmHeight, height);
    ASSERT_NE(dib.dsBm.bmBits, nullptr);
    const auto* bits = static_cast<const std::uint32_t*>(dib.dsBm.bmBits);
    int wrong = 0;
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(expected.constScanLine(y));
        for (int x = 0; x < width; ++x)
            wrong +=
                (bits[static_cast<std::size_t>(y) * width + x] & 0xFFFFFF) != (line[x] & 0xFFFFFF);
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_TRUE(DeleteObject(bitmap));
}

TEST_F(BmpLoad, NamesWrittenOnWindowsFindTheirFile) {
    std::filesystem::create_directory(dir.Path() / "pics");
    dir.Write("pics/G\xC3\xA4vle.bmp", Bmp(40, 5, 2, 24, 0, {}, Rows24(false)));
    // As a question file written on Windows spells it: Windows-1252, any case, `\\`.
    const std::string folder = dir.Path().string() + "/";
    for (const char* name : {"pics/G\xE4vle.bmp", "PICS\\g\xC4VLE.BMP", "Pics/G\xC3\x84VLE.bmp"}) {
        SCOPED_TRACE(name);
        HBITMAP bitmap = Load(folder + name);
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(Pixels(bitmap), kPicture);
    }
    EXPECT_EQ(Load(folder + "pics\\Gavle.bmp"), nullptr);
}

TEST_F(BmpLoad, BuiltInBitmapsHaveTheirSizes) {
    struct Case {
        int id, width, height;
    };
    for (Case c : {Case{1101, 480, 360}, Case{1102, 480, 360}, Case{1103, 132, 60}}) {
        SCOPED_TRACE(c.id);
        HANDLE bitmap =
            LoadImageA(nullptr, MAKEINTRESOURCEA(c.id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
        ASSERT_NE(bitmap, nullptr);
        BITMAP info{};
        ASSERT_EQ(GetObjectA(bitmap, sizeof(info), &info), static_cast<int>(sizeof(info)));
        EXPECT_EQ(info.bmWidth, c.width);
        EXPECT_EQ(info.bmHeight, c.height);
        // Held as a 32-bit DIB section whatever the file's depth, with its rows reachable.
        EXPECT_EQ(info.bmBitsPixel, 32);
        EXPECT_NE(info.bmBits, nullptr);
    }
    EXPECT_EQ(LoadImageA(nullptr, MAKEINTRESOURCEA(1104), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION),
              nullptr);
}

}  // namespace
