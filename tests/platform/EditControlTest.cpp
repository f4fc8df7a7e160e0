#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include "platform/WinApi.h"
#include "platform/qt/Internal.h"
#include "platform/qt/TestSeams.h"

namespace qt = quillfin::testing;
using quillfin::platform::As;
using quillfin::platform::Window;

namespace {

LRESULT CALLBACK PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

// The answer box is an EDIT without WS_BORDER: on Windows it paints white to
// its edges and the program draws the frames round it. A frame of the
// control's own would sit inside the program's and shift the text.
TEST(EditControl, EmptyBoxIsWhiteToItsEdges) {
    qt::ResetPlatform();
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = PlainProc;
    wc.lpszClassName = "EditControlTest";
    ASSERT_NE(RegisterClassExA(&wc), 0);
    HWND main = CreateWindowExA(0, "EditControlTest", "Quillfin", WS_OVERLAPPEDWINDOW, 0, 0, 520,
                                584, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(main, nullptr);
    HWND edit = CreateWindowExA(
        0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, 11,
        321, 478, 18, main, reinterpret_cast<HMENU>(502), nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    Window* window = As<Window>(edit);
    ASSERT_NE(window, nullptr);
    ASSERT_NE(window->widget, nullptr);

    QImage image = window->widget->grab().toImage();
    ASSERT_EQ(image.size(), QSize(478, 18));
    int notWhite = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) ++notWhite;
        }
    }
    EXPECT_EQ(notWhite, 0) << "pixels of a frame or of another colour in the empty box";
    qt::ResetPlatform();
}
