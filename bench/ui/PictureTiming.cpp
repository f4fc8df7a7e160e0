// Times the Windows program's picture work where Google Benchmark is not at
// hand: LoadNewPicture of a 4000 x 3000 BMP with its zone marked and without,
// the resampler taking such a picture to 800 x 600, a repaint from the
// drawn-size copy, a zone click on that picture through the program's own
// loop until the feedback is painted (with the feedback's picture made ready
// while the question waited, and without), and Enter on the feedback until
// the next question's picture is painted. Prints the median and the range of each over a number
// of runs, and each case's floor, reading the same files. Run it under Wine
// or on Windows: quillfin_picture_timing.exe [runs] [folder].
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/ui/BenchPictures.h"
#include "platform/Resample.h"
#include "platform/WinApi.h"
#include "ui/Picture.h"
#include "ui/Program.h"
#include "ui/UiState.h"

namespace {

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
    if (!bench::WriteFile(picture, bench::BmpBytes(false)) ||
        !bench::WriteFile(zone, bench::BmpBytes(true))) {
        std::printf("could not write the pictures into %s\n", folder.c_str());
        return 2;
    }
    std::FILE* out = std::fopen(quiz.c_str(), "wb");
    if (out == nullptr) return 2;
    // Enough questions that every timed step finds another one waiting.
    for (int i = 0; i < 4 * runs + 8; ++i)
        std::fprintf(out,
                     "\xa4Q \"Click the red quarter (%d).\"\r\n\xa4P \"%s\"\r\n\xa4"
                     "A\r\n\xa4Z \"%s\"\r\n"
                     "\xa4"
                     "F zc red\r\n\xa4"
                     "E\r\n",
                     i, picture.c_str(), zone.c_str());
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
         [&] { return bench::ReadFile(picture) > 0 && bench::ReadFile(zone) > 0; });
    Time("read picture file (floor)", runs, [&] { return bench::ReadFile(picture) > 0; });
    Time("LoadNewPicture with zone", runs,
         [&] { return LoadNewPicture(shown.c_str(), ui.hwndMain, ui.hAppInstance, 255, 0, 0); });
    Time("LoadNewPicture without zone", runs,
         [&] { return LoadNewPicture(shown.c_str(), ui.hwndMain, ui.hAppInstance, -1, -1, -1); });

    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(bench::kWidth) * bench::kHeight);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint32_t>(i * 2654435761u) & 0xFFFFFFu;
    std::vector<std::uint32_t> drawn(800 * 600);
    const PixelPlane plane{reinterpret_cast<const unsigned char*>(pixels.data()), bench::kWidth * 4,
                           bench::kWidth, bench::kHeight, 4};
    Time("Resample 12 MP to 800 x 600", runs,
         [&] { return Resample(plane, drawn.data(), 800, 600, 800 * 4); });

    Time("DisplayPicture into 800 x 600", runs,
         [&] { return DisplayPicture(ui.hwndMain, ui.hAppInstance, 800, 600); });

    // The click: the question on screen again, then a click on its red
    // quarter; `ready` lets the loop's idle work make the feedback's picture
    // first, as it does while the learner thinks.
    for (const bool ready : {false, true}) {
        std::vector<double> ms;
        for (int i = 0; i < runs; ++i) {
            ui.QuizState = kQuizAwaitZoneClick;
            LoadNewPicture(shown.c_str(), ui.hwndMain, ui.hAppInstance, -1, -1, -1);
            LayoutWindow();
            RedrawPicture();
            ui.bRelayout = false;
            ui.bRedrawPicture = false;
            Pump();
            if (ready)
                while (PrepareFeedbackPicture()) {
                }
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
                    ready ? "zone click, feedback made ready" : "zone click to painted feedback",
                    ms[ms.size() / 2], ms.front(), ms.back(), runs);
    }

    // Enter on the feedback until the next question's picture is painted.
    ui.bWindowActive = true;  // the program's loop counts Enter only in an active window
    std::vector<double> next;
    for (int i = 0; i < runs; ++i) {
        if (ui.QuizState != kQuizFeedbackCorrect) {
            const LPARAM at = MAKELPARAM(ui.iPictureLeft + 20, 30);
            PostMessageA(ui.hwndMain, WM_LBUTTONDOWN, MK_LBUTTON, at);
            PostMessageA(ui.hwndMain, WM_LBUTTONUP, 0, at);
            Pump();
            UpdateWindow(ui.hwndMain);
            Pump();
        }
        const auto start = std::chrono::steady_clock::now();
        PostMessageA(ui.hwndMain, WM_KEYDOWN, VK_RETURN, 1);
        PostMessageA(ui.hwndMain, WM_KEYUP, VK_RETURN, LPARAM(0xC0000001u));
        Pump();
        UpdateWindow(ui.hwndMain);
        Pump();
        next.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
        if (ui.QuizState != kQuizAwaitZoneClick) {
            std::printf("Enter did not bring the next question\n");
            return 1;
        }
    }
    std::sort(next.begin(), next.end());
    std::printf("%-40s median %8.1f ms   (%.1f to %.1f, %d runs)\n",
                "Enter to the next question painted", next[next.size() / 2], next.front(),
                next.back(), runs);

    DestroyWindow(ui.hwndMain);
    std::remove(picture.c_str());
    std::remove(zone.c_str());
    std::remove(quiz.c_str());
    return 0;
}
