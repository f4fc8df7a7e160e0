// Times the Windows program's picture work where Google Benchmark is not at
// hand: LoadNewPicture of a 4000 x 3000 BMP with its zone marked and without,
// and a zone click on that picture through the program's own loop until the
// feedback is painted. Prints the median and the range of each over a number
// of runs, and each case's floor, reading the same files. Run it under Wine
// or on Windows: quillfin_picture_timing.exe [runs] [folder].
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/WinApi.h"
#include "ui/Picture.h"
#include "ui/Program.h"
#include "ui/UiState.h"

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

void Put32(std::string& s, unsigned v) {
    for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// A 24-bit picture; with `zone`, the top-left quarter is red and the rest black.
bool WriteBmp(const std::string& path, bool zone) {
    std::string file = "BM";
    const unsigned size = 54 + kWidth * 3 * kHeight;
    Put32(file, size);
    Put32(file, 0);
    Put32(file, 54);
    Put32(file, 40);
    Put32(file, kWidth);
    Put32(file, kHeight);
    file += {1, 0, 24, 0};
    for (int i = 0; i < 6; ++i) Put32(file, 0);
    file.reserve(size);
    for (int y = kHeight - 1; y >= 0; --y) {
        for (int x = 0; x < kWidth; ++x) {
            if (zone) {
                const bool inZone = x < kWidth / 2 && y < kHeight / 2;
                file += {0, 0, static_cast<char>(inZone ? 255 : 0)};
            } else {
                file += {static_cast<char>(x % 256), static_cast<char>(y % 256),
                         static_cast<char>((x + y) % 256)};
            }
        }
    }
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) return false;
    const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    return std::fclose(out) == 0 && written;
}

std::size_t ReadFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return 0;
    std::fseek(file, 0, SEEK_END);
    std::vector<unsigned char> bytes(static_cast<std::size_t>(std::ftell(file)));
    std::fseek(file, 0, SEEK_SET);
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return got;
}

// Every message waiting, each through the program's loop pass, paints included.
void Pump() {
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) RunMessage(msg);
}

template <typename Work>
void Time(const char* name, int runs, Work work) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (!work()) {
            std::printf("%-40s failed\n", name);
            return;
        }
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-40s median %8.1f ms   (%.1f to %.1f, %d runs)\n", name, ms[ms.size() / 2],
                ms.front(), ms.back(), runs);
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    std::string folder = argc > 2 ? argv[2] : ".";
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
    const std::string picture = folder + "timing-photo.bmp";
    const std::string zone = folder + "timing-zone.bmp";
    const std::string quiz = folder + "timing-quiz.txt";
    if (!WriteBmp(picture, false) || !WriteBmp(zone, true)) {
        std::printf("could not write the pictures into %s\n", folder.c_str());
        return 2;
    }
    std::FILE* out = std::fopen(quiz.c_str(), "wb");
    if (out == nullptr) return 2;
    std::fprintf(out,
                 "\xa4Q \"Click the red quarter.\"\r\n\xa4P \"%s\"\r\n\xa4"
                 "A\r\n\xa4Z \"%s\"\r\n"
                 "\xa4"
                 "F zc red\r\n\xa4"
                 "E\r\n",
                 picture.c_str(), zone.c_str());
    std::fclose(out);

    if (!StartQuillfin(GetModuleHandleA(nullptr), SW_SHOWNORMAL)) return 2;
    UiState& ui = Ui();
    SetWindowPos(ui.hwndMain, nullptr, 0, 0, 816, 639, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    StartNewRound(quiz.c_str());
    Pump();
    QuizStep();
    Pump();
    if (ui.QuizState != kQuizAwaitZoneClick) {
        std::printf("the zone question did not come up\n");
        return 2;
    }
    const std::string shown = ui.PictureName.get();

    Time("read picture and zone files (floor)", runs,
         [&] { return ReadFile(picture) > 0 && ReadFile(zone) > 0; });
    Time("read picture file (floor)", runs, [&] { return ReadFile(picture) > 0; });
    Time("LoadNewPicture with zone", runs,
         [&] { return LoadNewPicture(shown.c_str(), ui.hwndMain, ui.hAppInstance, 255, 0, 0); });
    Time("LoadNewPicture without zone", runs,
         [&] { return LoadNewPicture(shown.c_str(), ui.hwndMain, ui.hAppInstance, -1, -1, -1); });

    Time("DisplayPicture into 800 x 600", runs,
         [&] { return DisplayPicture(ui.hwndMain, ui.hAppInstance, 800, 600); });

    // The click: the question on screen again, then a click on its red quarter.
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        ui.QuizState = kQuizAwaitZoneClick;
        LoadNewPicture(shown.c_str(), ui.hwndMain, ui.hAppInstance, -1, -1, -1);
        LayoutWindow();
        RedrawPicture();
        ui.bRelayout = false;
        ui.bRedrawPicture = false;
        Pump();
        const LPARAM at = MAKELPARAM(ui.iPictureLeft + 20, 30);
        const auto start = std::chrono::steady_clock::now();
        PostMessageA(ui.hwndMain, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(ui.hwndMain, WM_LBUTTONUP, 0, at);
        Pump();
        UpdateWindow(ui.hwndMain);
        Pump();
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
        if (ui.QuizState != kQuizFeedbackCorrect) {
            std::printf("the click was not taken as right\n");
            return 1;
        }
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-40s median %8.1f ms   (%.1f to %.1f, %d runs)\n",
                "zone click to painted feedback", ms[ms.size() / 2], ms.front(), ms.back(), runs);

    DestroyWindow(ui.hwndMain);
    std::remove(picture.c_str());
    std::remove(zone.c_str());
    std::remove(quiz.c_str());
    return 0;
}
