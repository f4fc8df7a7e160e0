// The read-only multi-line EDIT: its lines as the program counts them, its
// text kept as the bytes given, its colours from the parent and its paging.
#include <gtest/gtest.h>

#include <QImage>
#include <QScrollBar>
#include <QTextEdit>
#include <string>

#include "platform/WinApi.h"
#include "platform/qt/Internal.h"
#include "platform/qt/TestSeams.h"

namespace qt = quillfin::testing;
using quillfin::platform::As;
using quillfin::platform::Window;

namespace {

HBRUSH g_panel = nullptr;

LRESULT CALLBACK PanelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CTLCOLORSTATIC) {
        SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 0));
        return reinterpret_cast<LRESULT>(g_panel);
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

class TextView : public ::testing::Test {
protected:
    void SetUp() override {
        qt::ResetPlatform();
        g_panel = CreateSolidBrush(RGB(245, 255, 245));
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = PanelProc;
        wc.lpszClassName = "TextViewTest";
        ASSERT_NE(RegisterClassExA(&wc), 0);
        main = CreateWindowExA(0, "TextViewTest", "Quillfin", WS_OVERLAPPEDWINDOW, 0, 0, 520, 584,
                               nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(main, nullptr);
        ShowWindow(main, SW_SHOWNORMAL);
        view = CreateWindowExA(0, "EDIT", "",
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY, 11,
                               11, 200, 100, main, reinterpret_cast<HMENU>(501), nullptr, nullptr);
        ASSERT_NE(view, nullptr);
        font = CreateFontA(-16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Verdana");
        SendMessageA(view, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    void TearDown() override { qt::ResetPlatform(); }

    int Lines() { return static_cast<int>(SendMessageA(view, EM_GETLINECOUNT, 0, 0)); }

    QTextEdit* Widget() { return static_cast<QTextEdit*>(As<Window>(view)->widget.data()); }

    HWND main = nullptr;
    HWND view = nullptr;
    HFONT font = nullptr;
};

TEST_F(TextView, CountsTheLinesAsWrappedAtItsWidth) {
    struct Case {
        const char* what;
        std::string text;
        int lines;
    };
    const Case cases[] = {
        {"empty", "", 1},
        {"one short line", "Correct!", 1},
        {"three lines", "a\r\nb\r\nc", 3},
        {"a line break at the end opens a line", "Sorry\r\n", 2},
        {"a bare line feed breaks too", "a\nb", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(SetWindowTextA(view, c.text.c_str()));
        EXPECT_EQ(Lines(), c.lines);
    }
    // A word longer than a line is broken, not cut off at the right edge.
    SetWindowTextA(view, std::string(300, 'w').c_str());
    const int narrow = Lines();
    EXPECT_GT(narrow, 3);
    SetWindowPos(view, HWND_TOP, 11, 11, 400, 100, SWP_NOZORDER);
    EXPECT_LT(Lines(), narrow) << "a wider control takes fewer lines";
    // Counted while hidden, as the layout counts before it shows the control.
    ShowWindow(view, SW_HIDE);
    SetWindowPos(view, HWND_TOP, 11, 11, 200, 100, SWP_NOZORDER);
    EXPECT_EQ(Lines(), narrow);
}

TEST_F(TextView, LinesAreOneLineHeightOfTheFontApart) {
    HDC screen = GetDC(nullptr);
    SelectObject(screen, font);
    TEXTMETRICA metrics{};
    ASSERT_TRUE(GetTextMetricsA(screen, &metrics));
    ReleaseDC(nullptr, screen);
    const int line = metrics.tmHeight + metrics.tmExternalLeading;
    ASSERT_GT(line, 10);
    // Four lines in exactly their height and the margins of 2: no scrolling;
    // one pixel less: the last line is out of view.
    SetWindowTextA(view, "one\r\ntwo\r\nthree\r\nfour");
    SetWindowPos(view, HWND_TOP, 11, 11, 200, 4 * line + 4, SWP_NOZORDER);
    EXPECT_EQ(qt::HiddenTextRows(view), 0);
    SetWindowPos(view, HWND_TOP, 11, 11, 200, 4 * line + 3, SWP_NOZORDER);
    EXPECT_EQ(qt::HiddenTextRows(view), 1);
    EXPECT_EQ(Widget()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    // Tall enough again: the scroll bar goes, though the lines it narrowed
    // would need it.
    SetWindowPos(view, HWND_TOP, 11, 11, 200, 4 * line + 4, SWP_NOZORDER);
    EXPECT_EQ(Widget()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

TEST_F(TextView, KeepsTheBytesGivenAndShowsLineBreaks) {
    SetWindowTextA(view, "Sorry, correct answers were:\r\n\"G\xe4vle\"\r\n");
    std::string back(64, '\0');
    back.resize(static_cast<std::size_t>(GetWindowTextA(view, back.data(), 64)));
    EXPECT_EQ(back, "Sorry, correct answers were:\r\n\"G\xe4vle\"\r\n");
    EXPECT_EQ(qt::ControlText(view), "Sorry, correct answers were:\n\"G\xc3\xa4vle\"\n");
    EXPECT_EQ(Widget()->toPlainText().toStdString(),
              "Sorry, correct answers were:\n\"G\xc3\xa4vle\"\n");
    EXPECT_TRUE(Widget()->isReadOnly());
}

TEST_F(TextView, PaintsInTheColoursTheParentGives) {
    SetWindowTextA(view, "");
    const QImage shown = Widget()->grab().toImage();
    EXPECT_EQ(shown.pixel(100, 50) & 0xFFFFFF, 0xF5FFF5u);
    EXPECT_EQ(shown.pixel(0, 0) & 0xFFFFFF, 0xF5FFF5u) << "no frame of its own";
}

TEST_F(TextView, PagesDownAndUp) {
    std::string many;
    for (int i = 0; i < 40; ++i) many += "line " + std::to_string(i) + "\r\n";
    SetWindowTextA(view, many.c_str());
    qt::ProcessEvents();
    QScrollBar* bar = Widget()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    ASSERT_EQ(bar->value(), 0);
    SendMessageA(view, WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_GT(bar->value(), 0);
    SendMessageA(view, WM_VSCROLL, SB_PAGEUP, 0);
    EXPECT_EQ(bar->value(), 0);
}

}  // namespace
