#include <gtest/gtest.h>

#include <vector>

#include "platform/WinApi.h"
#include "platform/qt/TestSeams.h"

namespace qt = quillfin::testing;

namespace {

struct Seen {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Seen> seen;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    seen.push_back({message, wParam, lParam});
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(7);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

class MessageQueue : public ::testing::Test {
protected:
    void SetUp() override {
        qt::ResetPlatform();
        seen.clear();
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = RecordingProc;
        wc.lpszClassName = "QueueTest";
        ASSERT_NE(RegisterClassExA(&wc), 0);
        hwnd = CreateWindowExA(0, "QueueTest", "Queue", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                               CW_USEDEFAULT, 520, 584, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(hwnd, nullptr);
    }
    void TearDown() override { qt::ResetPlatform(); }

    // Dispatches everything pending; returns the messages of the window procedure.
    std::vector<UINT> Pump() {
        seen.clear();
        qt::ProcessEvents();
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quitCode = static_cast<int>(msg.wParam);
                break;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        std::vector<UINT> messages;
        for (const Seen& s : seen) messages.push_back(s.message);
        return messages;
    }

    HWND hwnd = nullptr;
    int quitCode = -1;
};

TEST_F(MessageQueue, ShowingTheWindowSizesAndPaintsIt) {
    ShowWindow(hwnd, SW_SHOWDEFAULT);
    std::vector<UINT> messages = Pump();
    ASSERT_FALSE(messages.empty());
    EXPECT_NE(std::find(messages.begin(), messages.end(), WM_SIZE), messages.end());
    // Painting comes after every posted message, and only once.
    EXPECT_EQ(messages.back(), static_cast<UINT>(WM_PAINT));
    EXPECT_EQ(std::count(messages.begin(), messages.end(), WM_PAINT), 1);
    RECT client;
    ASSERT_TRUE(GetClientRect(hwnd, &client));
    EXPECT_EQ(client.right, 504);
    EXPECT_EQ(client.bottom, 545);  // no menu attached
}

TEST_F(MessageQueue, PostedMessagesComeInOrderAndQuitComesLast) {
    ShowWindow(hwnd, SW_SHOWDEFAULT);
    Pump();
    PostQuitMessage(3);
    PostMessageA(hwnd, WM_USER + 1, 1, 0);
    PostMessageA(hwnd, WM_USER + 2, 2, 0);
    qt::ChooseMenuItem(hwnd, 1004);
    std::vector<UINT> messages = Pump();
    EXPECT_EQ(messages, (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_COMMAND}));
    EXPECT_EQ(LOWORD(seen.back().wParam), 1004);
    EXPECT_EQ(quitCode, 3);
}

TEST_F(MessageQueue, CloseDestroysTheWindowAndEndsTheLoop) {
    ShowWindow(hwnd, SW_SHOWDEFAULT);
    Pump();
    seen.clear();
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0)) DispatchMessageA(&msg);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 7u);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].message, static_cast<UINT>(WM_CLOSE));
    EXPECT_EQ(seen[1].message, static_cast<UINT>(WM_DESTROY));
    RECT client;
    EXPECT_FALSE(GetClientRect(hwnd, &client));
}

TEST_F(MessageQueue, ClicksAndResizesArriveWithClientCoordinates) {
    ShowWindow(hwnd, SW_SHOWDEFAULT);
    Pump();
    qt::Click(hwnd, 300, 12);
    Pump();
    auto up = std::find_if(seen.begin(), seen.end(),
                           [](const Seen& s) { return s.message == WM_LBUTTONUP; });
    ASSERT_NE(up, seen.end());
    EXPECT_EQ(LOWORD(up->lParam), 300);
    EXPECT_EQ(HIWORD(up->lParam), 12);

    qt::ResizeClient(hwnd, 800, 600);
    std::vector<UINT> messages = Pump();
    auto size =
        std::find_if(seen.begin(), seen.end(), [](const Seen& s) { return s.message == WM_SIZE; });
    ASSERT_NE(size, seen.end());
    EXPECT_EQ(LOWORD(size->lParam), 800);
    EXPECT_EQ(HIWORD(size->lParam), 600);
    EXPECT_EQ(qt::ClientCanvas(hwnd).size(), QSize(800, 600));
}

TEST_F(MessageQueue, AsyncKeyStateReportsDownAndPressedSinceLastPoll) {
    EXPECT_EQ(GetAsyncKeyState(VK_RETURN), 0);
    qt::KeyDown(VK_RETURN);
    SHORT first = GetAsyncKeyState(VK_RETURN);
    EXPECT_NE(first & 0x8000, 0);
    EXPECT_EQ(first & 1, 1);
    SHORT second = GetAsyncKeyState(VK_RETURN);
    EXPECT_NE(second & 0x8000, 0) << "still held";
    EXPECT_EQ(second & 1, 0) << "the press was reported already";
    qt::KeyUp(VK_RETURN);
    EXPECT_EQ(GetAsyncKeyState(VK_RETURN), 0);

    // A press and release between two polls still counts once.
    qt::KeyDown(VK_RETURN);
    qt::KeyUp(VK_RETURN);
    EXPECT_EQ(GetAsyncKeyState(VK_RETURN), 1);
    EXPECT_EQ(GetAsyncKeyState(VK_RETURN), 0);
}

TEST_F(MessageQueue, KeysAreQueuedForTheFocusedWindow) {
    ShowWindow(hwnd, SW_SHOWDEFAULT);
    HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 10, 10, 100, 18, hwnd,
                                reinterpret_cast<HMENU>(502), nullptr, nullptr);
    Pump();
    SetFocus(edit);
    EXPECT_EQ(qt::FocusedWindow(), edit);
    qt::KeyDown(VK_RETURN);
    qt::ProcessEvents();
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(msg.hwnd, edit);
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_RETURN));
}

}  // namespace
