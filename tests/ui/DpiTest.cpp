// The layout at the window's DPI: sizes given at 96 DPI scale with it (the
// first window, the smallest window, the controls, their frames, the picture
// and its margins), a zone click still hits at 200 %, and WM_DPICHANGED moves
// the window to the suggested rectangle and lays it out afresh.
#include <cstdlib>
#include <string>

#include "tests/ui/MainFixture.h"
#include "ui/Controls.h"

namespace {

// What the layout of the welcome screen gives at one DPI.
struct Measured {
    int outerWidth, outerHeight, minWidth, minHeight;
    int pictureLeft, pictureWidth, pictureHeight;
    int textAreaX, textAreaY, textAreaWidth;
};

class Dpi : public QuillfinTest {
protected:
    // Starts the program afresh at `dpi` on one large screen, where the first
    // window keeps its size at every DPI tested.
    void StartAt(int dpi, RECT screen = RECT{0, 0, 4000, 3000}) {
        seams::ResetPlatform();
        ResetUiState();
        seams::ScriptDialogs(true);
        seams::SetScreens({{screen, screen}});
        seams::SetLogPixelsY(dpi);
        ASSERT_TRUE(StartQuillfin(nullptr, SW_SHOWNORMAL));
        Pump();
    }

    RECT Outer() {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof(placement);
        EXPECT_TRUE(GetWindowPlacement(Main(), &placement));
        return placement.rcNormalPosition;
    }

    // The welcome screen laid out in a client area of 600 x 560 at 96 DPI,
    // scaled to `dpi`.
    Measured Measure(int dpi) {
        Measured m{};
        const RECT outer = Outer();
        m.outerWidth = outer.right - outer.left;
        m.outerHeight = outer.bottom - outer.top;
        MINMAXINFO limits{};
        SendMessageA(Main(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        RECT frame{0, 0, 0, 0};
        AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, TRUE, 0);
        m.minWidth = limits.ptMinTrackSize.x - (frame.right - frame.left);
        m.minHeight = limits.ptMinTrackSize.y - (frame.bottom - frame.top);
        seams::ResizeClient(Main(), MulDiv(600, dpi, 96), MulDiv(560, dpi, 96));
        Pump();
        m.pictureLeft = ui().iPictureLeft;
        m.pictureWidth = ui().iPictureWidth;
        m.pictureHeight = ui().iPictureHeight;
        m.textAreaX = ui().iTextAreaX;
        m.textAreaY = ui().iTextAreaY;
        m.textAreaWidth = ui().iTextAreaWidth;
        return m;
    }

    // The colours across the text area's left frames at its vertical middle,
    // from `pixels` left of the text area up to it.
    std::string FrameColours(int pixels) {
        std::string colours;
        const int y = ui().iTextAreaY + ui().iTextAreaHeight / 2;
        for (int x = ui().iTextAreaX - pixels; x < ui().iTextAreaX; ++x)
            colours += Pixel(x, y) + " ";
        return colours;
    }
};

TEST_F(Dpi, WindowMinimumControlsAndPictureScaleWithTheDpi) {
    StartAt(96);
    const Measured base = Measure(96);
    // At 96 DPI the sizes stay those the program always had.
    EXPECT_EQ(base.outerWidth, 520);
    EXPECT_EQ(base.outerHeight, 584);
    EXPECT_EQ(base.minWidth, 182);
    EXPECT_EQ(base.minHeight, 287);
    EXPECT_EQ(base.textAreaWidth, 478);
    EXPECT_EQ(base.textAreaY, base.pictureHeight + 21);
    EXPECT_EQ(base.pictureWidth, 480);

    struct Case {
        int dpi;
        int slack;  // 125 % rounds each size on its own: the sums may be a pixel off
    };
    for (Case c : {Case{120, 1}, Case{192, 0}}) {
        SCOPED_TRACE(c.dpi);
        StartAt(c.dpi);
        const Measured m = Measure(c.dpi);
        auto expectScaled = [&](const char* what, int at96, int actual) {
            EXPECT_LE(std::abs(actual - MulDiv(at96, c.dpi, 96)), c.slack)
                << what << ": " << actual << " at " << c.dpi << " DPI, " << at96 << " at 96";
        };
        expectScaled("window width", base.outerWidth, m.outerWidth);
        expectScaled("window height", base.outerHeight, m.outerHeight);
        expectScaled("smallest client width", base.minWidth, m.minWidth);
        expectScaled("smallest client height", base.minHeight, m.minHeight);
        expectScaled("picture left", base.pictureLeft, m.pictureLeft);
        expectScaled("picture width", base.pictureWidth, m.pictureWidth);
        expectScaled("picture height", base.pictureHeight, m.pictureHeight);
        expectScaled("text area left", base.textAreaX, m.textAreaX);
        expectScaled("text area top", base.textAreaY, m.textAreaY);
        expectScaled("text area width", base.textAreaWidth, m.textAreaWidth);
    }
}

TEST_F(Dpi, FirstWindowTooLargeAt192IsFittedWithItsProportions) {
    // 1040 x 1168 at 192 DPI: as tall as the screen, as wide as the proportions give.
    StartAt(192, RECT{0, 0, 1024, 768});
    const RECT outer = Outer();
    EXPECT_EQ(outer.bottom - outer.top, 768);
    EXPECT_EQ(outer.right - outer.left, 1040 * 768 / 1168);
}

TEST_F(Dpi, ControlFramesAreOnePixelEachAt96AndTwoAt192) {
    StartAt(96);
    Measure(96);
    EXPECT_EQ(FrameColours(3), "#000062 #0000ff #f5f5ff ");
    StartAt(192);
    Measure(192);
    EXPECT_EQ(FrameColours(5), "#000062 #0000ff #0000ff #f5f5ff #f5f5ff ");
}

TEST_F(Dpi, ZoneClickHitsOnThePictureDrawnAtTwiceItsSize) {
    StartAt(192);
    // The zone is the right half of a 200 x 100 picture.
    dir.Write("half.bmp", MakeBmp(200, 100, [](int, int) { return RGB(100, 100, 100); }));
    dir.Write("half-zone.bmp",
              MakeBmp(200, 100, [](int x, int) { return x >= 100 ? RGB(255, 0, 0) : 0; }));
    const std::string file =
        dir.Write("zone.txt",
                  "\244Q \"Right half\" \244P \"half.bmp\" \244A \244Z \"half-zone.bmp\" \244F "
                  "zr 255 \244E\r\n");
    struct Case {
        int x;  // in the picture's own pixels
        int state;
    };
    for (Case c : {Case{90, kQuizFeedbackWrong}, Case{110, kQuizFeedbackCorrect}}) {
        SCOPED_TRACE(c.x);
        LoadRound(file, {1});
        ASSERT_EQ(ui().QuizState, kQuizAwaitZoneClick);
        ASSERT_EQ(ui().iPictureWidth, 400);
        ASSERT_EQ(ui().iPictureHeight, 200);
        seams::Click(Main(), ui().iPictureLeft + 2 * c.x, ui().iPictureHeight / 2 + 20);
        Pump();
        EXPECT_EQ(ui().QuizState, c.state);
    }
}

TEST_F(Dpi, DpiChangeMovesTheWindowToTheSuggestedPlaceAndLaysItOutAfresh) {
    StartAt(96);
    Measure(96);
    // A change to DPI 0 is no change.
    SendMessageA(Main(), WM_DPICHANGED, 0, 0);
    Pump();
    EXPECT_EQ(ui().iDpi, 96);
    EXPECT_EQ(ui().iTextAreaWidth, 478);

    RECT suggested{100, 80, 100 + 1040, 80 + 1168};
    SendMessageA(Main(), WM_DPICHANGED, (192 << 16) | 192, reinterpret_cast<LPARAM>(&suggested));
    Pump();
    const RECT outer = Outer();
    EXPECT_EQ(outer.left, 100);
    EXPECT_EQ(outer.top, 80);
    EXPECT_EQ(outer.right, 1140);
    EXPECT_EQ(outer.bottom, 1248);
    EXPECT_EQ(ui().iDpi, 192);
    EXPECT_EQ(ui().iTextAreaWidth, 956);
    EXPECT_EQ(ui().iPictureWidth, 960);
    EXPECT_EQ(ui().iTextAreaY, ui().iPictureHeight + 42);
    // The texts are set in a font of 12 points at 192 DPI, and the text area
    // is as tall as its one line in that font with its margins.
    EXPECT_GE(ui().iTextAreaHeight, 32);
    EXPECT_EQ(ui().iTextAreaHeight,
              static_cast<int>(SendMessageA(ui().hwndTextArea, EM_GETLINECOUNT, 0, 0)) *
                      TextLineHeight() +
                  8);
}

}  // namespace
