// A main window on a screen that Qt scales by 2 (this program's own main
// sets QT_SCALE_FACTOR=2 on the offscreen platform):
// the program's coordinates stay in units, and the canvas behind them holds
// the device pixels, so a picture made at the device size is drawn pixel
// for pixel.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <cstdlib>

#include "platform/DevicePixels.h"
#include "platform/DibRows.h"
#include "platform/WinApi.h"
#include "platform/qt/GdiInternal.h"
#include "platform/qt/TestSeams.h"

namespace qt = quillfin::testing;

namespace {

LRESULT CALLBACK PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

class ScaledCanvas : public ::testing::Test {
protected:
    void SetUp() override {
        qt::ResetPlatform();
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = PlainProc;
        wc.lpszClassName = "ScaledCanvasTest";
        ASSERT_NE(RegisterClassExA(&wc), 0);
        hwnd =
            CreateWindowExA(0, "ScaledCanvasTest", "Quillfin", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                            CW_USEDEFAULT, 520, 584, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(hwnd, nullptr);
        ShowWindow(hwnd, SW_SHOW);
        qt::ResizeClient(hwnd, 200, 100);
        dc = GetDC(hwnd);
    }
    void TearDown() override {
        ReleaseDC(hwnd, dc);
        qt::ResetPlatform();
    }
    QRgb At(int x, int y) { return qt::ClientCanvas(hwnd).pixel(x, y) & 0xFFFFFF; }

    HWND hwnd = nullptr;
    HDC dc = nullptr;
};

TEST_F(ScaledCanvas, UnitsOutsideDevicePixelsInside) {
    RECT client{};
    ASSERT_TRUE(GetClientRect(hwnd, &client));
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 100);
    const QImage canvas = qt::ClientCanvas(hwnd);
    ASSERT_EQ(canvas.size(), QSize(400, 200));

    const RECT device = DevicePixelsOf(hwnd, RECT{10, 5, 110, 55});
    EXPECT_EQ(device.left, 20);
    EXPECT_EQ(device.top, 10);
    EXPECT_EQ(device.right, 220);
    EXPECT_EQ(device.bottom, 110);

    // A unit-wide fill and frame cover two device pixels; GetPixel reads a unit.
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT cell{3, 4, 4, 5};
    FillRect(dc, &cell, red);
    EXPECT_EQ(At(6, 8), 0xFF0000u);
    EXPECT_EQ(At(7, 9), 0xFF0000u);
    EXPECT_NE(At(8, 9), 0xFF0000u);
    EXPECT_NE(At(5, 8), 0xFF0000u);
    EXPECT_EQ(GetPixel(dc, 3, 4), RGB(255, 0, 0));
    RECT frame{50, 50, 60, 60};
    FrameRect(dc, &frame, red);
    EXPECT_EQ(At(101, 110), 0xFF0000u);
    EXPECT_NE(At(102, 110), 0xFF0000u);
    DeleteObject(red);
}

// The picture made at the device size of its place lands pixel for pixel:
// one-pixel checks stay one device pixel each, never averaged to grey.
TEST_F(ScaledCanvas, PictureAtDeviceSizeIsCopiedPixelForPixel) {
    void* bits = nullptr;
    HBITMAP picture = NewTopDownBitmap(40, 20, &bits);
    ASSERT_NE(picture, nullptr);
    auto* pixels = static_cast<std::uint32_t*>(bits);
    for (int i = 0; i < 40 * 20; ++i) pixels[i] = (i % 40 + i / 40) % 2 == 0 ? 0x000000 : 0xFFFF00;
    HDC memory = CreateCompatibleDC(nullptr);
    SelectObject(memory, picture);
    ASSERT_TRUE(StretchBlt(dc, 30, 20, 20, 10, memory, 0, 0, 40, 20, SRCCOPY));
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 40; ++x) {
            SCOPED_TRACE(testing::Message() << "picture pixel " << x << "," << y);
            ASSERT_EQ(At(60 + x, 40 + y), (x + y) % 2 == 0 ? 0x000000u : 0xFFFF00u);
        }
    }
    DeleteDC(memory);
    DeleteObject(picture);
}

}  // namespace

// Rectangles that meet in units meet in device pixels at every scale, and
// together cover the whole; at scale 1 a rectangle is its own.
TEST(DeviceRect, NeighboursStillMeetAtFractionalScales) {
    using quillfin::platform::DeviceRect;
    EXPECT_EQ(DeviceRect(QRect(3, 7, 11, 13), 1.0), QRect(3, 7, 11, 13));
    for (const qreal scale : {1.25, 1.5, 1.75, 2.0}) {
        SCOPED_TRACE(testing::Message() << "scale " << scale);
        int right = DeviceRect(QRect(0, 0, 0, 1), scale).right() + 1;
        for (int x = 0; x < 300; x += 7) {
            const QRect device = DeviceRect(QRect(x, 0, 7, 1), scale);
            ASSERT_EQ(device.left(), right) << "at unit " << x;
            right = device.right() + 1;
        }
        EXPECT_EQ(right, qRound(301 * scale));
    }
}

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("QT_SCALE_FACTOR", "2", 1);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
