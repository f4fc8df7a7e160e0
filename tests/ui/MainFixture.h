// A fixture that starts the program afresh for each test and plays it through
// the layer's test seams: the same start-up and the same work after each
// dispatched message as the program's own loop, run until the queue is idle.
#pragma once

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/WinApi.h"
#include "platform/qt/TestSeams.h"
#include "tests/support/TempDir.h"
#include "ui/Program.h"
#include "ui/UiState.h"

namespace seams = quillfin::testing;

// The colours of the window's background in the three schemes.
constexpr const char* kNeutralBackground = "#000062";
constexpr const char* kCorrectBackground = "#006200";
constexpr const char* kWrongBackground = "#620000";

// A 24-bit bottom-up BMP of the given size whose pixels `colour(x, y)` gives as 0x00BBGGRR.
inline std::string MakeBmp(int width, int height, const std::function<COLORREF(int, int)>& colour) {
    const int rowSize = (width * 3 + 3) / 4 * 4;
    const std::uint32_t imageSize = static_cast<std::uint32_t>(rowSize * height);
    std::string bytes(54 + imageSize, '\0');
    auto put32 = [&](int at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, 54 + imageSize);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(width));
    put32(22, static_cast<std::uint32_t>(height));
    bytes[26] = 1;
    bytes[28] = 24;
    put32(34, imageSize);
    for (int y = 0; y < height; ++y) {
        const int row = 54 + (height - 1 - y) * rowSize;
        for (int x = 0; x < width; ++x) {
            const COLORREF c = colour(x, y);
            bytes[row + 3 * x] = static_cast<char>(GetBValue(c));
            bytes[row + 3 * x + 1] = static_cast<char>(GetGValue(c));
            bytes[row + 3 * x + 2] = static_cast<char>(GetRValue(c));
        }
    }
    return bytes;
}

class QuillfinTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A round kept at exit goes into the test's own folder.
        setenv("XDG_STATE_HOME", (dir.Path() / "state").c_str(), 1);
        // So does the window's place.
        setenv("XDG_CONFIG_HOME", (dir.Path() / "config").c_str(), 1);
        seams::ResetPlatform();
        ResetUiState();
        seams::ScriptDialogs(true);
        seams::ClearRecords();
        ASSERT_TRUE(StartQuillfin(nullptr, SW_SHOWNORMAL));
        Pump();
    }

    void TearDown() override {
        seams::ResetPlatform();
        ResetUiState();
    }

    UiState& ui() { return Ui(); }
    HWND Main() { return Ui().hwndMain; }

    // Dispatches messages as the program's loop does until none is waiting;
    // returns how many were dispatched. A quit message is taken and recorded.
    int Pump(int limit = 2000) {
        int dispatched = 0;
        for (;;) {
            seams::ProcessEvents();
            MSG msg{};
            if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) break;
            if (msg.message == WM_QUIT) {
                quit = true;
                exitCode = static_cast<int>(msg.wParam);
                break;
            }
            RunMessage(msg);
            if (++dispatched >= limit) {
                ADD_FAILURE() << "the message loop never went idle";
                break;
            }
        }
        return dispatched;
    }

    void PressEnter() {
        seams::KeyDown(VK_RETURN);
        Pump();
        seams::KeyUp(VK_RETURN);
        Pump();
    }

    void Answer(const std::string& text) {
        seams::TypeText(Ui().hwndTextBox, text);
        PressEnter();
    }

    void Menu(int id) {
        seams::ChooseMenuItem(Main(), id);
        Pump();
    }

    // Loads a round that asks the questions of `questionFile` in the given order.
    void LoadRound(const std::string& questionFile, const std::vector<int>& order) {
        std::string round = "qfile: \"" + questionFile +
                            "\"\r\nsfile: \"x.qfr\"\r\nqantal: " + std::to_string(order.size()) +
                            "\r\n";
        for (int no : order) round += "Q: " + std::to_string(no) + " Stat: 0\r\n";
        seams::PushFileDialogAnswer(dir.Write("round.qfr", round));
        Menu(kCmdLoadRound);
    }

    std::string Shown() { return seams::ControlText(Ui().hwndTextArea); }

    // The colour of a client pixel as "#rrggbb".
    std::string Pixel(int x, int y) {
        QImage canvas = seams::ClientCanvas(Main());
        return QColor(canvas.pixel(x, y)).name().toStdString();
    }

    // The background colour at the bottom-left corner of the client area.
    std::string Background() {
        QImage canvas = seams::ClientCanvas(Main());
        return Pixel(0, canvas.height() - 1);
    }

    TempDir dir;
    bool quit = false;
    int exitCode = -1;
};
