#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/DibRows.h"
#include "platform/Resample.h"

namespace {

// A source picture of w x h pixels of `bytes` bytes, with varied channels.
std::vector<unsigned char> Pattern(int w, int h, int bytes) {
    std::vector<unsigned char> pixels(static_cast<std::size_t>(w * h * bytes));
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<unsigned char>((i * 37 + (i / 5) * 91) % 256);
    return pixels;
}

// The reference, in doubles, straight from the definitions: per axis the
// weight of source pixel k for output pixel i.
double Weight(int from, int to, int i, int k) {
    if (to < from) {
        const double lo = static_cast<double>(i) * from / to;
        const double hi = static_cast<double>(i + 1) * from / to;
        const double overlap = std::min(hi, k + 1.0) - std::max(lo, static_cast<double>(k));
        return overlap > 0 ? overlap * to / from : 0.0;
    }
    const double centre = std::clamp((i + 0.5) * from / to - 0.5, 0.0, from - 1.0);
    const double distance = std::abs(centre - k);
    return distance < 1 ? 1 - distance : 0.0;
}

double Reference(const std::vector<unsigned char>& pixels, int w, int h, int bytes, int tw, int th,
                 int x, int y, int channel) {
    double sum = 0;
    for (int sy = 0; sy < h; ++sy) {
        const double wy = Weight(h, th, y, sy);
        if (wy == 0) continue;
        for (int sx = 0; sx < w; ++sx) {
            const double wx = Weight(w, tw, x, sx);
            sum += wy * wx * pixels[static_cast<std::size_t>((sy * w + sx) * bytes + channel)];
        }
    }
    return sum;
}

std::vector<std::uint32_t> Scaled(const std::vector<unsigned char>& pixels, int w, int h, int bytes,
                                  int tw, int th, bool bottomUp = false) {
    PixelPlane plane;
    plane.width = w;
    plane.height = h;
    plane.bytesPerPixel = bytes;
    plane.stride = static_cast<std::ptrdiff_t>(w) * bytes;
    plane.top = pixels.data();
    std::vector<unsigned char> flipped;
    if (bottomUp) {
        // The same picture stored from its bottom row up.
        flipped.resize(pixels.size());
        for (int y = 0; y < h; ++y)
            std::copy_n(pixels.data() + y * plane.stride, plane.stride,
                        flipped.data() + (h - 1 - y) * plane.stride);
        plane.top = flipped.data() + (h - 1) * plane.stride;
        plane.stride = -plane.stride;
    }
    // One spare pixel per row, which must stay untouched.
    std::vector<std::uint32_t> out(static_cast<std::size_t>((tw + 1) * th), 0xDEADBEEFu);
    EXPECT_TRUE(Resample(plane, out.data(), tw, th, (tw + 1) * 4));
    for (int y = 0; y < th; ++y)
        EXPECT_EQ(out[static_cast<std::size_t>(y * (tw + 1) + tw)], 0xDEADBEEFu);
    std::vector<std::uint32_t> result;
    for (int y = 0; y < th; ++y)
        result.insert(result.end(), out.begin() + y * (tw + 1), out.begin() + y * (tw + 1) + tw);
    return result;
}

TEST(Resample, MatchesTheReferenceWithinOneLevel) {
    struct Case {
        int w, h, tw, th, bytes;
        bool bottomUp;
    };
    const Case cases[] = {
        {1, 1, 1, 1, 4, false},  {1, 1, 3, 2, 4, false},   {7, 1, 1, 1, 4, false},
        {1, 7, 1, 3, 4, false},  {9, 9, 3, 3, 4, false},   {21, 14, 3, 2, 4, false},
        {5, 4, 10, 8, 4, false}, {10, 10, 3, 17, 4, true}, {13, 6, 5, 12, 3, false},
        {4, 3, 4, 3, 3, true},   {300, 2, 7, 1, 4, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.w << "x" << c.h << " to " << c.tw << "x" << c.th << ", " << c.bytes
                     << " bytes" << (c.bottomUp ? ", bottom-up" : ""));
        const auto pixels = Pattern(c.w, c.h, c.bytes);
        const auto out = Scaled(pixels, c.w, c.h, c.bytes, c.tw, c.th, c.bottomUp);
        int worst = 0;
        for (int y = 0; y < c.th; ++y) {
            for (int x = 0; x < c.tw; ++x) {
                const std::uint32_t pixel = out[static_cast<std::size_t>(y * c.tw + x)];
                for (int channel = 0; channel < 4; ++channel) {
                    const int got = static_cast<int>((pixel >> (8 * channel)) & 0xFF);
                    const double want = channel < c.bytes ? Reference(pixels, c.w, c.h, c.bytes,
                                                                      c.tw, c.th, x, y, channel)
                                                          : 0.0;
                    worst =
                        std::max(worst, static_cast<int>(std::ceil(std::abs(got - want) - 0.5)));
                }
            }
        }
        EXPECT_LE(worst, 1);
    }
}

TEST(Resample, ExactValuesAtTheBoundaries) {
    // A third: each output pixel the exact mean of its 3 x 3 block.
    std::vector<unsigned char> block(9 * 4, 0);
    for (int i = 0; i < 9; ++i)
        block[static_cast<std::size_t>(i * 4)] = static_cast<unsigned char>(i * 30);
    EXPECT_EQ(Scaled(block, 3, 3, 4, 1, 1)[0], 120u);
    // A seventh of a line: 0, 10, ..., 60 averages to 30.
    std::vector<unsigned char> line(7 * 4, 0);
    for (int i = 0; i < 7; ++i)
        line[static_cast<std::size_t>(i * 4 + 2)] = static_cast<unsigned char>(i * 10);
    EXPECT_EQ(Scaled(line, 7, 1, 4, 1, 1)[0], 30u << 16);
    // Twice as wide: the centres of 0 and 255 fall at -1/4 (the edge), 1/4, 3/4, 5/4 (the edge).
    std::vector<unsigned char> pair = {0, 0, 0, 0, 255, 0, 0, 0};
    EXPECT_EQ(Scaled(pair, 2, 1, 4, 4, 1), (std::vector<std::uint32_t>{0, 64, 191, 255}));
    // One pixel enlarged stays that pixel everywhere.
    std::vector<unsigned char> one = {1, 2, 3, 255};
    EXPECT_EQ(Scaled(one, 1, 1, 4, 3, 5), std::vector<std::uint32_t>(15, 0xFF030201u));
}

TEST(Resample, APlainColourStaysExactlyThatColour) {
    for (int size : {7, 3, 11}) {
        SCOPED_TRACE(size);
        std::vector<unsigned char> plain(static_cast<std::size_t>(41 * 29 * 4));
        for (std::size_t i = 0; i < plain.size(); ++i)
            plain[i] = static_cast<unsigned char>(std::array<int, 4>{201, 17, 254, 255}[i % 4]);
        const auto out = Scaled(plain, 41, 29, 4, size, size + 1);
        EXPECT_EQ(std::count(out.begin(), out.end(), 0xFFFE11C9u), static_cast<long>(out.size()));
    }
}

TEST(Resample, RefusesEmptySizesAndOtherPixelSizes) {
    std::vector<unsigned char> pixels(16, 7);
    std::uint32_t out = 5;
    PixelPlane plane{pixels.data(), 8, 2, 2, 4};
    EXPECT_FALSE(Resample(plane, &out, 0, 1, 4));
    EXPECT_FALSE(Resample(plane, &out, 1, 0, 4));
    plane.bytesPerPixel = 2;
    EXPECT_FALSE(Resample(plane, &out, 1, 1, 4));
    EXPECT_EQ(out, 5u);
}

}  // namespace

// A copy at a whole multiple of the picture's size on both axes repeats each
// pixel as a square; any other size (unequal factors, one pixel more) is
// the resampler's.
TEST(ScaledCopy, WholeMultiplesRepeatPixelsOtherSizesResample) {
    constexpr int kW = 3, kH = 2;
    const std::vector<unsigned char> source = Pattern(kW, kH, 4);
    struct Case {
        int width, height;
        bool repeats;
    } cases[] = {{3, 2, false}, {6, 4, true},  {9, 6, true},
                 {6, 6, false}, {7, 4, false}, {6, 5, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        void* bits = nullptr;
        HBITMAP picture = NewTopDownBitmap(kW, kH, &bits);
        ASSERT_NE(picture, nullptr);
        std::copy(source.begin(), source.end(), static_cast<unsigned char*>(bits));
        HBITMAP copy = ScaledCopy(picture, c.width, c.height);
        ASSERT_NE(copy, nullptr);
        DIBSECTION dib{};
        ASSERT_EQ(GetObjectA(copy, sizeof(dib), &dib), static_cast<int>(sizeof(dib)));
        const auto* got = static_cast<const std::uint32_t*>(dib.dsBm.bmBits);
        std::vector<std::uint32_t> want(static_cast<std::size_t>(c.width * c.height));
        const std::uint32_t* in = reinterpret_cast<const std::uint32_t*>(source.data());
        if (c.repeats) {
            const int times = c.width / kW;
            for (int y = 0; y < c.height; ++y)
                for (int x = 0; x < c.width; ++x)
                    want[static_cast<std::size_t>(y * c.width + x)] =
                        in[(y / times) * kW + x / times];
        } else {
            ASSERT_TRUE(Resample(PixelPlane{source.data(), kW * 4, kW, kH, 4}, want.data(), c.width,
                                 c.height, c.width * 4));
        }
        EXPECT_TRUE(std::equal(want.begin(), want.end(), got));
        DeleteObject(copy);
        DeleteObject(picture);
    }
}
