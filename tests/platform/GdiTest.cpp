#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <string>
#include <vector>

#include "platform/WinApi.h"
#include "platform/qt/TestSeams.h"

namespace qt = quillfin::testing;

namespace {

struct CtlColorRequest {
    HDC dc;
    HWND control;
};
std::vector<CtlColorRequest> ctlColorRequests;
HBRUSH panelBrush = nullptr;

LRESULT CALLBACK PanelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CTLCOLORSTATIC) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        ctlColorRequests.push_back({dc, reinterpret_cast<HWND>(lParam)});
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(panelBrush);
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

class Gdi : public ::testing::Test {
protected:
    void SetUp() override {
        qt::ResetPlatform();
        ctlColorRequests.clear();
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = PanelProc;
        wc.lpszClassName = "GdiTest";
        ASSERT_NE(RegisterClassExA(&wc), 0);
        hwnd = CreateWindowExA(0, "GdiTest", "Gdi", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                               CW_USEDEFAULT, 520, 584, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(hwnd, nullptr);
        ShowWindow(hwnd, SW_SHOWDEFAULT);
        qt::ResizeClient(hwnd, 40, 30);
    }
    void TearDown() override { qt::ResetPlatform(); }

    // The canvas as text, one character per pixel: '#' for `ink`, '.' otherwise.
    std::string Picture(QRgb ink, int width, int height) {
        QImage canvas = qt::ClientCanvas(hwnd);
        std::string rows;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x)
                rows += (canvas.pixel(x, y) & 0xFFFFFF) == (ink & 0xFFFFFF) ? '#' : '.';
            rows += '\n';
        }
        return rows;
    }

    HWND hwnd = nullptr;
};

TEST_F(Gdi, FillAndFrameExcludeRightAndBottomEdges) {
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    struct Case {
        const char* name;
        RECT rect;
        bool frame;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"fill", {1, 1, 4, 3}, false, "......\n.###..\n.###..\n......\n"},
        {"frame", {0, 0, 5, 4}, true, "#####.\n#...#.\n#...#.\n#####.\n"},
        {"frame one pixel wide", {2, 0, 3, 4}, true, "..#...\n..#...\n..#...\n..#...\n"},
        {"empty frame draws nothing", {2, 2, 2, 4}, true, "......\n......\n......\n......\n"},
        {"fill clipped at the edge", {-3, -3, 2, 1}, false, "##....\n......\n......\n......\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HDC dc = GetDC(hwnd);
        RECT all{0, 0, 40, 30};
        ASSERT_EQ(FillRect(dc, &all, white), 1);
        EXPECT_EQ(c.frame ? FrameRect(dc, &c.rect, red) : FillRect(dc, &c.rect, red), 1);
        ReleaseDC(hwnd, dc);
        EXPECT_EQ(Picture(qRgb(255, 0, 0), 6, 4), c.expected);
    }
}

TEST_F(Gdi, StretchBltScalesAMemoryBitmapOntoTheCanvas) {
    HANDLE loaded =
        LoadImageA(nullptr, MAKEINTRESOURCEA(1103), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    ASSERT_NE(loaded, nullptr);
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ original = SelectObject(memory, loaded);
    ASSERT_NE(original, nullptr);
    // Paint the bitmap one colour so the scaled copy is predictable.
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 132; ++x) SetPixel(memory, x, y, RGB(10, 200, 30));
    EXPECT_EQ(GetPixel(memory, 131, 59), RGB(10, 200, 30));
    EXPECT_EQ(GetPixel(memory, 132, 0), CLR_INVALID);

    HDC dc = GetDC(hwnd);
    HBRUSH black = CreateSolidBrush(0);
    RECT all{0, 0, 40, 30};
    FillRect(dc, &all, black);
    EXPECT_TRUE(StretchBlt(dc, 2, 3, 6, 4, memory, 0, 0, 132, 60, SRCCOPY));
    EXPECT_EQ(Picture(qRgb(10, 200, 30), 10, 8),
              "..........\n..........\n..........\n..######..\n..######..\n..######..\n"
              "..######..\n..........\n");
    EXPECT_EQ(GetPixel(dc, 7, 6), RGB(10, 200, 30));
    // A source rectangle outside the bitmap, or no bitmap at all, fails.
    EXPECT_FALSE(StretchBlt(dc, 0, 0, 6, 4, memory, 0, 0, 133, 60, SRCCOPY));
    HDC empty = CreateCompatibleDC(nullptr);
    EXPECT_FALSE(StretchBlt(dc, 0, 0, 6, 4, empty, 0, 0, 132, 60, SRCCOPY));
    ReleaseDC(hwnd, dc);

    // A selected bitmap cannot be deleted, nor selected into a second context.
    EXPECT_FALSE(DeleteObject(loaded));
    EXPECT_EQ(SelectObject(empty, loaded), nullptr);
    EXPECT_EQ(SelectObject(memory, original), loaded);
    EXPECT_TRUE(DeleteObject(loaded));
    EXPECT_TRUE(DeleteDC(memory));
    EXPECT_TRUE(DeleteDC(empty));
    EXPECT_FALSE(DeleteDC(memory)) << "a context is freed once";
}

TEST_F(Gdi, BitmapObjectDescribesItsSize) {
    HANDLE bitmap =
        LoadImageA(nullptr, MAKEINTRESOURCEA(1102), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    BITMAP info{};
    EXPECT_EQ(GetObjectA(bitmap, sizeof(info) - 1, &info), 0);
    ASSERT_EQ(GetObjectA(bitmap, sizeof(info), &info), static_cast<int>(sizeof(info)));
    EXPECT_EQ(info.bmWidth, 480);
    EXPECT_EQ(info.bmHeight, 360);
    EXPECT_EQ(info.bmWidthBytes, 1920);
    EXPECT_EQ(GetObjectA(reinterpret_cast<HANDLE>(0x12345), sizeof(info), &info), 0);

    // A top-down DIB section: its bits as made, its height positive as Windows reports it.
    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header.bmiHeader.biWidth = 3;
    header.bmiHeader.biHeight = -2;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, &header, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(section, nullptr);
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectA(section, sizeof(dib), &dib), static_cast<int>(sizeof(dib)));
    EXPECT_EQ(dib.dsBm.bmBits, bits);
    EXPECT_EQ(dib.dsBmih.biHeight, 2);
    EXPECT_EQ(dib.dsBm.bmHeight, 2);
    EXPECT_TRUE(DeleteObject(section));
}

TEST_F(Gdi, MulDivRoundsHalfAwayFromZero) {
    struct Case {
        int number, numerator, denominator, expected;
    };
    for (Case c :
         {Case{12, 96, 72, 16}, Case{12, 120, 72, 20}, Case{12, 144, 72, 24}, Case{1, 1, 2, 1},
          Case{-1, 1, 2, -1}, Case{5, 1, -2, -3}, Case{7, 3, 0, -1}, Case{0x40000000, 8, 2, -1}}) {
        SCOPED_TRACE(std::to_string(c.number) + "*" + std::to_string(c.numerator) + "/" +
                     std::to_string(c.denominator));
        EXPECT_EQ(MulDiv(c.number, c.numerator, c.denominator), c.expected);
    }
}

TEST_F(Gdi, LogPixelsFollowsTheOverride) {
    HDC screen = GetDC(nullptr);
    qt::SetLogPixelsY(120);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 120);
    qt::SetLogPixelsY(0);
    EXPECT_GT(GetDeviceCaps(screen, LOGPIXELSY), 0);
    ReleaseDC(nullptr, screen);
}

TEST_F(Gdi, FontsAreRequestsThatFailOnlyWhenTold) {
    HFONT missing = CreateFontA(-16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "No Such Face At All");
    EXPECT_NE(missing, nullptr);
    qt::FailFonts({"Verdana"});
    EXPECT_EQ(CreateFontA(-16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "verdana"), nullptr);
    EXPECT_NE(CreateFontA(-16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Times New Roman"), nullptr);
    EXPECT_TRUE(DeleteObject(missing));
}

TEST_F(Gdi, StaticControlTakesItsColoursFromTheParent) {
    panelBrush = CreateSolidBrush(RGB(245, 245, 255));
    HWND label = CreateWindowExA(0, "STATIC", "<b>Tom & Jerry</b>", WS_CHILD | WS_VISIBLE, 5, 5,
                                 200, 40, hwnd, reinterpret_cast<HMENU>(501), nullptr, nullptr);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(qt::ControlText(label), "<b>Tom & Jerry</b>");
    QWidget* widget = nullptr;
    for (QWidget* w : QApplication::allWidgets()) {
        if (w->property("quillfinHwnd").toULongLong() == reinterpret_cast<std::uintptr_t>(label))
            widget = w;
    }
    ASSERT_NE(widget, nullptr);
    QImage shot = widget->grab().toImage();
    ASSERT_FALSE(ctlColorRequests.empty());
    EXPECT_EQ(ctlColorRequests.back().control, label);
    EXPECT_EQ(shot.pixelColor(shot.width() - 2, shot.height() - 2), QColor(245, 245, 255));
    // Some pixels carry the black text.
    bool ink = false;
    for (int y = 0; y < shot.height() && !ink; ++y)
        for (int x = 0; x < shot.width() && !ink; ++x) ink = shot.pixelColor(x, y) == Qt::black;
    EXPECT_TRUE(ink);
}

}  // namespace
