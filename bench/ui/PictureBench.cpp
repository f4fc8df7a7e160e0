// Times LoadNewPicture with zone marking on a 4000 x 3000 picture whose zone
// covers a quarter of it, and DisplayPicture scaling it into an 800 x 600
// client area. Runs on Qt's offscreen platform unless another is chosen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/WinApi.h"
#include "platform/qt/TestSeams.h"
#include "ui/Controls.h"
#include "ui/Picture.h"
#include "ui/UiState.h"

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

void Put32(std::string& s, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// A 24-bit picture; with `zone`, the top-left quarter is red and the rest black.
std::string WriteBmp(const std::filesystem::path& path, bool zone) {
    std::string file = "BM";
    std::uint32_t size = 54 + kWidth * 3 * kHeight;
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
            bool inZone = x < kWidth / 2 && y < kHeight / 2;
            if (zone) {
                file += inZone ? std::string{0, 0, static_cast<char>(255)} : std::string(3, '\0');
            } else {
                file += {static_cast<char>(x % 256), static_cast<char>(y % 256),
                         static_cast<char>((x + y) % 256)};
            }
        }
    }
    std::ofstream(path, std::ios::binary)
        .write(file.data(), static_cast<std::streamsize>(file.size()));
    return path.string();
}

struct Fixture {
    std::filesystem::path folder;
    std::string picture;
    HWND hwnd = nullptr;
    HINSTANCE instance = nullptr;

    Fixture() {
        folder = std::filesystem::temp_directory_path() / "quillfin-picture-bench";
        std::filesystem::create_directories(folder);
        picture = WriteBmp(folder / "photo.bmp", false);
        std::string zone = WriteBmp(folder / "zone.bmp", true);
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) {
            return DefWindowProcA(h, m, w, l);
        };
        wc.lpszClassName = "PictureBench";
        RegisterClassExA(&wc);
        hwnd = CreateWindowExA(0, "PictureBench", "Bench", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                               CW_USEDEFAULT, 816, 639, nullptr, nullptr, nullptr, nullptr);
        ShowWindow(hwnd, SW_SHOWDEFAULT);
        quillfin::testing::ResizeClient(hwnd, 800, 600);
        Ui().hwndMain = hwnd;
        SetColoursCorrect(0);
        Ui().ZoneName.reset(new char[zone.size() + 1]);
        std::copy(zone.c_str(), zone.c_str() + zone.size() + 1, Ui().ZoneName.get());
        Ui().CurrentQuestion.flags = flagDisplayZoneRed | flagDisplayZoneBlue;
    }
    ~Fixture() {
        std::error_code error;
        std::filesystem::remove_all(folder, error);
    }
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

void BM_LoadNewPictureWithZone(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        bool loaded = LoadNewPicture(f.picture.c_str(), f.hwnd, f.instance, 255, 0, 0);
        if (!loaded) state.SkipWithError("the picture did not load");
        benchmark::DoNotOptimize(loaded);
    }
}
BENCHMARK(BM_LoadNewPictureWithZone)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The same picture without a zone: what the marking itself costs is the difference.
void BM_LoadNewPictureWithoutZone(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        bool loaded = LoadNewPicture(f.picture.c_str(), f.hwnd, f.instance, -1, -1, -1);
        if (!loaded) state.SkipWithError("the picture did not load");
        benchmark::DoNotOptimize(loaded);
    }
}
BENCHMARK(BM_LoadNewPictureWithoutZone)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_DisplayPicture800x600(benchmark::State& state) {
    Fixture& f = Shared();
    LoadNewPicture(f.picture.c_str(), f.hwnd, f.instance, 255, 0, 0);
    for (auto _ : state) {
        bool drawn = DisplayPicture(f.hwnd, f.instance, 800, 600);
        if (!drawn) state.SkipWithError("the picture was not drawn");
        benchmark::DoNotOptimize(drawn);
    }
}
BENCHMARK(BM_DisplayPicture800x600)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
