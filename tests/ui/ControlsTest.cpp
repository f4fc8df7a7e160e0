#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/qt/Internal.h"
#include "platform/qt/TestSeams.h"
#include "ui/Controls.h"
#include "ui/UiState.h"

namespace qt = quillfin::testing;

namespace {

LRESULT CALLBACK PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

class Controls : public ::testing::Test {
protected:
    void SetUp() override {
        qt::ResetPlatform();
        ResetUiState();
        qt::ScriptDialogs(true);
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = PlainProc;
        wc.lpszClassName = "ControlsTest";
        ASSERT_NE(RegisterClassExA(&wc), 0);
        hwnd = CreateWindowExA(0, "ControlsTest", "Quillfin", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                               CW_USEDEFAULT, 520, 584, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(hwnd, nullptr);
        Ui().hwndMain = hwnd;
        Ui().hwndTextArea = CreateTextarea(nullptr, 501, 11, 11, 478, 298, hwnd, instance);
        Ui().hwndTextBox = CreateTextbox(502, 11, 321, 478, 18, hwnd, instance);
    }
    void TearDown() override {
        ResetUiState();
        qt::ResetPlatform();
    }

    // The colour a brush paints, read back from the canvas.
    COLORREF Paint(HBRUSH brush) {
        HDC dc = GetDC(hwnd);
        RECT r{0, 0, 1, 1};
        int filled = FillRect(dc, &r, brush);
        COLORREF colour = GetPixel(dc, 0, 0);
        ReleaseDC(hwnd, dc);
        return filled != 0 ? colour : CLR_INVALID;
    }

    int FontPixels() {
        auto* font = quillfin::platform::As<quillfin::platform::Font>(Ui().hTextAreaFont);
        return font != nullptr ? font->font.pixelSize() : 0;
    }

    HWND hwnd = nullptr;
    HINSTANCE instance = nullptr;
};

TEST_F(Controls, SchemesFollowTheFeedbackState) {
    struct Case {
        int scheme;
        COLORREF background, panel, frame;
    };
    const Case neutral{0, RGB(0, 0, 98), RGB(245, 245, 255), RGB(0, 0, 255)};
    std::vector<Case> cases = {{4, RGB(0, 98, 0), RGB(245, 255, 245), RGB(0, 255, 0)},
                               {5, RGB(98, 0, 0), RGB(255, 245, 245), RGB(255, 0, 0)}};
    for (int other : {0, 1, 2, 3, 6, -1, 45}) {
        Case c = neutral;
        c.scheme = other;
        cases.push_back(c);
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scheme);
        for (int twice = 0; twice < 2; ++twice) {
            SetColoursCorrect(c.scheme);
            EXPECT_EQ(Paint(Ui().brBackground), c.background);
            EXPECT_EQ(Paint(Ui().brPanel), c.panel);
            EXPECT_EQ(Paint(Ui().brFrame), c.frame);
        }
    }
}

TEST_F(Controls, ReplacedBrushesAreReleased) {
    SetColoursCorrect(0);
    std::vector<HBRUSH> old = {Ui().brBackground, Ui().brPanel, Ui().brFrame};
    SetColoursCorrect(4);
    for (HBRUSH brush : old) EXPECT_FALSE(DeleteObject(brush)) << "already freed";
}

TEST_F(Controls, FontIsTwelvePointsAtTheWindowsDpi) {
    struct Case {
        int dpi, pixels;
    };
    for (Case c : {Case{96, 16}, Case{120, 20}, Case{144, 24}, Case{192, 32}}) {
        SCOPED_TRACE(c.dpi);
        Ui().iDpi = c.dpi;
        EXPECT_EQ(SetTextAreaFont(501, hwnd), 0);
        ASSERT_NE(Ui().hTextAreaFont, nullptr);
        EXPECT_EQ(FontPixels(), c.pixels);
    }
    EXPECT_TRUE(qt::ShownMessageBoxes().empty());
}

TEST_F(Controls, FontFallsBackToTimesNewRomanThenReports) {
    qt::FailFonts({"Verdana"});
    SetTextAreaFont(501, hwnd);
    auto* font = quillfin::platform::As<quillfin::platform::Font>(Ui().hTextAreaFont);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->font.family().toStdString(), "Times New Roman");
    EXPECT_TRUE(qt::ShownMessageBoxes().empty());

    ResetUiState();
    qt::FailFonts({"Verdana", "Times New Roman"});
    EXPECT_EQ(SetTextAreaFont(501, hwnd), 0);
    EXPECT_EQ(Ui().hTextAreaFont, nullptr);
    ASSERT_EQ(qt::ShownMessageBoxes().size(), 1u);
    EXPECT_EQ(qt::ShownMessageBoxes()[0].text, "Font creation failed!");
    EXPECT_EQ(qt::ShownMessageBoxes()[0].caption, "Error");
    EXPECT_EQ(qt::ShownMessageBoxes()[0].owner, hwnd);
    EXPECT_EQ(qt::ShownMessageBoxes()[0].type & 0xF0, static_cast<UINT>(MB_ICONWARNING));
}

TEST_F(Controls, ControlsAreChildrenWithTheirIds) {
    char text[] = "Welcome";
    HWND area = CreateTextarea(text, 601, 20, 30, 100, 50, hwnd, instance);
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(qt::ControlText(area), "Welcome");
    RECT r = qt::ControlRect(area);
    EXPECT_EQ(r.left, 20);
    EXPECT_EQ(r.bottom, 80);
    EXPECT_TRUE(qt::IsVisible(area));
    EXPECT_EQ(qt::ControlText(Ui().hwndTextBox), "");
    // The ids reach the controls: a font sent by id lands on the answer box, not the text area.
    HFONT font = CreateFontA(-30, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Verdana");
    SendDlgItemMessageA(hwnd, 502, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    auto* box = quillfin::platform::As<quillfin::platform::Window>(Ui().hwndTextBox);
    auto* label = quillfin::platform::As<quillfin::platform::Window>(area);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->font, font);
    EXPECT_EQ(label->font, nullptr);
}

}  // namespace
