// The main window's first place, the place remembered between two starts,
// a remembered place on a screen that is gone, and the smallest window.
#include <QPoint>
#include <QWidget>
#include <string>
#include <utility>
#include <vector>

#include "tests/ui/MainFixture.h"
#include "ui/WindowPlace.h"

namespace {

using WindowPlace = QuillfinTest;

bool Same(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Text(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " - " + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

TEST(FirstPlace, KeepsTheSizeThatFitsElseShrinksWithTheSameProportionsCentred) {
    const RECT created{0, 0, 520, 584};
    struct Case {
        const char* what;
        RECT work;
        RECT expected;
    };
    const Case cases[] = {
        {"1280 x 800 less a panel", {0, 0, 1280, 770}, {380, 93, 900, 677}},
        {"exactly the window's size", {0, 0, 520, 584}, {0, 0, 520, 584}},
        {"one pixel too low", {0, 0, 520, 583}, {0, 0, 519, 583}},
        {"one pixel too narrow", {0, 0, 519, 584}, {0, 1, 519, 583}},
        {"1280 x 800 at scale 2", {0, 0, 640, 400}, {142, 0, 498, 400}},
        {"a second screen to the right", {1280, 0, 3200, 1050}, {1980, 233, 2500, 817}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RECT place = FirstPlace(created, c.work);
        EXPECT_TRUE(Same(place, c.expected)) << Text(place);
    }
}

TEST(PlaceInside, MovesTheLeastThatBringsTheWindowInsideAndNeverBelowTheMinimum) {
    const RECT work{0, 0, 1280, 770};
    const POINT minimum{200, 340};
    struct Case {
        const char* what;
        RECT window;
        RECT expected;
    };
    const Case cases[] = {
        {"inside stays", {100, 50, 620, 634}, {100, 50, 620, 634}},
        {"touching the corner stays", {760, 186, 1280, 770}, {760, 186, 1280, 770}},
        {"one pixel beyond the right edge", {761, 50, 1281, 634}, {760, 50, 1280, 634}},
        {"above the top", {100, -40, 620, 544}, {100, 0, 620, 584}},
        {"taller than the screen", {100, 100, 620, 1300}, {100, 0, 620, 770}},
        {"smaller than the minimum", {100, 100, 150, 150}, {100, 100, 300, 440}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RECT place = PlaceInside(c.window, work, minimum);
        EXPECT_TRUE(Same(place, c.expected)) << Text(place);
    }
}

class RememberedPlace : public QuillfinTest {
protected:
    void TearDown() override {
        seams::SetScreens({});
        QuillfinTest::TearDown();
    }

    WINDOWPLACEMENT Placement() {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof(placement);
        EXPECT_TRUE(GetWindowPlacement(Main(), &placement));
        return placement;
    }

    // Ends the program as File > Exit does and starts it again.
    void Restart() {
        Menu(kCmdExit);
        ASSERT_TRUE(quit);
        quit = false;
        seams::ResetPlatform();
        ResetUiState();
        seams::ScriptDialogs(true);
        ASSERT_TRUE(StartQuillfin(nullptr, SW_SHOWNORMAL));
        Pump();
    }
};

// The window system's frame stands inside the outer rectangle by the side
// of the frame that Windows would draw.
const QPoint kInset(8, 8);

TEST_F(RememberedPlace, FirstStartIsCentredOnTheWorkArea) {
    seams::SetScreens({{{0, 0, 1280, 800}, {0, 30, 1280, 800}}});
    seams::ResetPlatform();
    ResetUiState();
    ASSERT_TRUE(StartQuillfin(nullptr, SW_SHOWNORMAL));
    // On the screen at 380, 123 (the widget in by the frame's side); the
    // placement counts from the work area's top, below the panel.
    EXPECT_EQ(seams::MainWidget(Main())->pos(), QPoint(380, 123) + kInset);
    EXPECT_TRUE(Same(Placement().rcNormalPosition, RECT{380, 93, 900, 677}))
        << Text(Placement().rcNormalPosition);
}

TEST_F(RememberedPlace, BesideAPanelAtTheTopOrLeftThePlaceComesBackUnmoved) {
    // Panels on the primary screen's top and on the second screen's left.
    seams::SetScreens(
        {{{0, 0, 1280, 800}, {0, 30, 1280, 800}}, {{1280, 0, 3200, 1080}, {1330, 0, 3200, 1080}}});
    // At the work areas' corners, where a place taken for screen coordinates
    // would be moved off the panel once more at every start.
    for (const QPoint at : {QPoint(0, 30), QPoint(1330, 0), QPoint(300, 200)}) {
        SCOPED_TRACE(at.x());
        SetWindowPos(Main(), HWND_TOP, at.x(), at.y(), 600, 500, SWP_NOZORDER);
        Pump();
        ASSERT_EQ(seams::MainWidget(Main())->pos(), at + kInset);
        Restart();
        EXPECT_EQ(seams::MainWidget(Main())->pos(), at + kInset);
        Restart();
        EXPECT_EQ(seams::MainWidget(Main())->pos(), at + kInset);
    }
}

TEST_F(RememberedPlace, SizeAndPositionComeBackAtTheNextStart) {
    seams::SetScreens({{{0, 0, 1920, 1080}, {0, 0, 1920, 1050}}});
    WINDOWPLACEMENT moved = Placement();
    moved.rcNormalPosition = RECT{300, 200, 1000, 900};
    ASSERT_TRUE(SetWindowPlacement(Main(), &moved));
    Pump();
    Restart();
    const WINDOWPLACEMENT again = Placement();
    EXPECT_TRUE(Same(again.rcNormalPosition, moved.rcNormalPosition))
        << Text(again.rcNormalPosition);
    EXPECT_EQ(again.showCmd, static_cast<UINT>(SW_SHOWNORMAL));
    RECT client{};
    GetClientRect(Main(), &client);
    EXPECT_EQ(client.right, 700 - 16);
}

TEST_F(RememberedPlace, ASizeTheUserGaveTheWindowIsKept) {
    seams::SetScreens({{{0, 0, 1920, 1080}, {0, 0, 1920, 1050}}});
    // Resized by the window system, not by the program.
    seams::MainWidget(Main())->resize(600, 460);
    Pump();
    RECT before{};
    GetClientRect(Main(), &before);
    ASSERT_EQ(before.right, 600);
    Restart();
    RECT after{};
    GetClientRect(Main(), &after);
    EXPECT_EQ(after.right, before.right);
    EXPECT_EQ(after.bottom, before.bottom);
}

TEST_F(RememberedPlace, AMaximizedWindowComesBackMaximizedOverItsRestoredPlace) {
    seams::SetScreens({{{0, 0, 1920, 1080}, {0, 0, 1920, 1050}}});
    WINDOWPLACEMENT maximized = Placement();
    maximized.rcNormalPosition = RECT{300, 200, 1000, 900};
    maximized.showCmd = SW_SHOWMAXIMIZED;
    ASSERT_TRUE(SetWindowPlacement(Main(), &maximized));
    Pump();
    ASSERT_EQ(Placement().showCmd, static_cast<UINT>(SW_SHOWMAXIMIZED));
    Restart();
    const WINDOWPLACEMENT again = Placement();
    EXPECT_EQ(again.showCmd, static_cast<UINT>(SW_SHOWMAXIMIZED));
    EXPECT_EQ(again.rcNormalPosition.right - again.rcNormalPosition.left, 700);
    EXPECT_EQ(again.rcNormalPosition.bottom - again.rcNormalPosition.top, 700);
}

TEST_F(RememberedPlace, APlaceOnAScreenThatIsGoneMovesOntoTheNearestOne) {
    // Two screens side by side; the window on the right one.
    seams::SetScreens(
        {{{0, 0, 1280, 800}, {0, 0, 1280, 800}}, {{1280, 0, 3200, 1080}, {1280, 0, 3200, 1080}}});
    WINDOWPLACEMENT far = Placement();
    far.rcNormalPosition = RECT{2600, 300, 3120, 884};
    ASSERT_TRUE(SetWindowPlacement(Main(), &far));
    Pump();
    Menu(kCmdExit);
    ASSERT_TRUE(quit);
    quit = false;
    // The right screen is gone at the next start.
    seams::SetScreens({{{0, 0, 1280, 800}, {0, 0, 1280, 770}}});
    seams::ResetPlatform();
    ResetUiState();
    ASSERT_TRUE(StartQuillfin(nullptr, SW_SHOWNORMAL));
    EXPECT_TRUE(Same(Placement().rcNormalPosition, RECT{760, 186, 1280, 770}))
        << Text(Placement().rcNormalPosition);
}

TEST_F(RememberedPlace, WithoutAPlaceOrWithABrokenOneTheWindowStartsAsAtFirst) {
    seams::SetScreens({{{0, 0, 1280, 800}, {0, 0, 1280, 800}}});
    // A rectangle of no width is no place to come back to.
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Quillfin", 0, nullptr, 0, KEY_WRITE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    for (const char* name :
         {"WindowLeft", "WindowTop", "WindowRight", "WindowBottom", "WindowMaximized"}) {
        const DWORD zero = 0;
        ASSERT_EQ(RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zero),
                                 sizeof(zero)),
                  ERROR_SUCCESS);
    }
    RegCloseKey(key);
    seams::ResetPlatform();
    ResetUiState();
    ASSERT_TRUE(StartQuillfin(nullptr, SW_SHOWNORMAL));
    EXPECT_TRUE(Same(Placement().rcNormalPosition, RECT{380, 108, 900, 692}))
        << Text(Placement().rcNormalPosition);
}

TEST_F(WindowPlace, AtTheSmallestSizeA160By120PictureAndTheAnswerBoxFit) {
    MINMAXINFO limits{};
    LimitWindowSize(&limits);
    RECT outer{0, 0, kMinimumClientWidth, kMinimumClientHeight};
    AdjustWindowRectEx(&outer, WS_OVERLAPPEDWINDOW, TRUE, 0);
    EXPECT_EQ(limits.ptMinTrackSize.x, outer.right - outer.left);
    EXPECT_EQ(limits.ptMinTrackSize.y, outer.bottom - outer.top);
    // The window system keeps the window from going smaller.
    const QSize minimum = seams::MainWidget(Main())->minimumSize();
    EXPECT_EQ(minimum.width(), kMinimumClientWidth);
    EXPECT_GE(minimum.height(), kMinimumClientHeight);

    dir.Write("small.bmp", MakeBmp(160, 120, [](int, int) { return RGB(200, 160, 40); }));
    const std::string questions =
        dir.Write("pictured.txt", "\244Q \"What colour is this picture, more or less?\" \244P \"" +
                                      dir.File("small.bmp") + "\" \244A \"gold\" \244E\r\n");
    seams::ResizeClient(Main(), kMinimumClientWidth, kMinimumClientHeight);
    seams::PushFileDialogAnswer(questions);
    Menu(kCmdNewRound);
    ASSERT_EQ(ui().QuizState, kQuizAwaitTypedAnswer);
    EXPECT_EQ(ui().iPictureWidth, 160);
    EXPECT_EQ(ui().iPictureHeight, 120);
    EXPECT_TRUE(seams::IsVisible(ui().hwndTextBox));
    EXPECT_GT(ui().iTextAreaHeight, 18);
    EXPECT_LE(ui().iTextBoxY + ui().iTextBoxHeight + 2, kMinimumClientHeight);
    EXPECT_LE(ui().iTextBoxX + ui().iTextBoxWidth + 2, kMinimumClientWidth);
}

}  // namespace
