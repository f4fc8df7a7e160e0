// Times LoadNewPicture with zone marking on a 4000 x 3000 picture whose zone
// covers a quarter of it, without zone, and from a 12-megapixel JPEG; each
// beside its floor, the time to read the same files from the page cache. Also
// DisplayPicture into an 800 x 600 client area, the resampler alone, a zone
// click through the program's loop until the feedback is painted (with the
// peak memory above the resident size before the click), a repaint of the
// whole client area, Enter on the feedback until the next question's picture
// is on screen, and hostile files that must decode
// or fail quickly. Runs on Qt's offscreen platform unless another is chosen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/ui/BenchPictures.h"
#include "platform/PictureFile.h"
#include "platform/Resample.h"
#include "platform/WinApi.h"
#include "platform/qt/TestSeams.h"
#include "tests/support/PictureFixtures.h"
#include "ui/Controls.h"
#include "ui/Picture.h"
#include "ui/Program.h"
#include "ui/UiState.h"

namespace {

using bench::kHeight;
using bench::kWidth;
using bench::Put32;

std::string WriteBmp(const std::filesystem::path& path, bool zone) {
    bench::WriteFile(path.string(), bench::BmpBytes(zone));
    return path.string();
}

// A 4000 x 3000 photo-like JPEG (smooth colours with detail), quality 90.
std::string WriteJpeg(const std::filesystem::path& path) {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (int y = 0; y < kHeight; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < kWidth; ++x)
            line[x] = qRgb((x / 7) % 256, (y / 5) % 256, ((x * y) >> 9) % 256);
    }
    image.save(QString::fromStdString(path.string()), "jpeg", 90);
    return path.string();
}

// A file of the given size: an 8-bit RLE BMP of 1 x 1 pixel whose data is
// runs of 255 pixels without an end, as a hostile file would have it.
std::string WriteHostileRle(const std::filesystem::path& path, std::size_t size) {
    std::string file = "BM";
    Put32(file, static_cast<std::uint32_t>(size));
    Put32(file, 0);
    Put32(file, 54 + 8);
    Put32(file, 40);
    Put32(file, 1);
    Put32(file, 1);
    file += {1, 0, 8, 0};
    Put32(file, 1);  // RLE8
    for (int i = 0; i < 3; ++i) Put32(file, 0);
    Put32(file, 2);
    Put32(file, 0);
    Put32(file, 0);
    Put32(file, 0x00FFFFFF);
    file.resize(size, '\0');
    for (std::size_t i = 62; i + 1 < size; i += 2) file[i] = static_cast<char>(255);
    std::ofstream(path, std::ios::binary)
        .write(file.data(), static_cast<std::streamsize>(file.size()));
    return path.string();
}

// The whole file into a new buffer: what reading it costs any loader.
std::size_t ReadFile(const std::string& path) {
    std::vector<unsigned char> bytes;
    const std::size_t got = bench::ReadFileInto(path, bytes);
    benchmark::DoNotOptimize(bytes.data());
    return got;
}

// The whole file into `bytes`, a buffer kept from earlier reads: what copying
// it out of the page cache costs, without the new memory's page faults.
std::size_t ReadFileInto(const std::string& path, std::vector<unsigned char>& bytes) {
    const std::size_t got = bench::ReadFileInto(path, bytes);
    benchmark::DoNotOptimize(bytes.data());
    return got;
}

// Peak resident memory: reset, and read in kilobytes.
void ResetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }
long StatusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
    }
    return -1;
}

struct Fixture {
    std::filesystem::path folder;
    std::string picture;
    std::string zone;
    std::string jpeg;
    HWND hwnd = nullptr;
    HINSTANCE instance = nullptr;

    Fixture() {
        folder = std::filesystem::temp_directory_path() / "quillfin-picture-bench";
        std::filesystem::create_directories(folder);
        picture = WriteBmp(folder / "photo.bmp", false);
        zone = WriteBmp(folder / "zone.bmp", true);
        jpeg = WriteJpeg(folder / "photo.jpg");
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

// Runs `load` once per iteration and reports the peak resident memory above
// the resident size before each load, and the size of one full 32-bit copy.
template <typename Load>
void TimeLoads(benchmark::State& state, int width, int height, Load load) {
    long peakKb = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const long before = StatusKb("VmRSS:");
        ResetPeakMemory();
        state.ResumeTiming();
        bool loaded = load();
        state.PauseTiming();
        peakKb = std::max(peakKb, StatusKb("VmHWM:") - before);
        state.ResumeTiming();
        if (!loaded) state.SkipWithError("the picture did not load");
        benchmark::DoNotOptimize(loaded);
    }
    state.counters["peak_MB_above_before"] = static_cast<double>(peakKb) / 1024.0;
    state.counters["full_copy_MB"] = width * 4.0 * height / (1024.0 * 1024.0);
}

void BM_LoadNewPictureWithZone(benchmark::State& state) {
    Fixture& f = Shared();
    TimeLoads(state, kWidth, kHeight,
              [&] { return LoadNewPicture(f.picture.c_str(), f.hwnd, f.instance, 255, 0, 0); });
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

// The resampler alone: a 12-megapixel 32-bit picture to 800 x 600, on one core.
void BM_Resample12MpTo800x600(benchmark::State& state) {
    std::vector<std::uint32_t> picture(static_cast<std::size_t>(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x)
            picture[static_cast<std::size_t>(y) * kWidth + x] =
                0xFF000000u | (x % 256) | ((y % 256) << 8) | (((x + y) % 256) << 16);
    }
    std::vector<std::uint32_t> drawn(800 * 600);
    const PixelPlane source{reinterpret_cast<const unsigned char*>(picture.data()), kWidth * 4,
                            kWidth, kHeight, 4};
    for (auto _ : state) {
        bool made = Resample(source, drawn.data(), 800, 600, 800 * 4);
        if (!made) state.SkipWithError("the resampler refused");
        benchmark::DoNotOptimize(drawn.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Resample12MpTo800x600)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Floors: the same files read from the page cache into new buffers, as a
// loader that holds the file whole must.
void BM_FloorReadPicture(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) benchmark::DoNotOptimize(ReadFile(f.picture));
}
BENCHMARK(BM_FloorReadPicture)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_FloorReadPictureAndZone(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) benchmark::DoNotOptimize(ReadFile(f.picture) + ReadFile(f.zone));
}
BENCHMARK(BM_FloorReadPictureAndZone)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The same reads into buffers kept from one read to the next.
void BM_FloorReadPictureKeptBuffer(benchmark::State& state) {
    Fixture& f = Shared();
    std::vector<unsigned char> bytes;
    for (auto _ : state) benchmark::DoNotOptimize(ReadFileInto(f.picture, bytes));
}
BENCHMARK(BM_FloorReadPictureKeptBuffer)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_FloorReadPictureAndZoneKeptBuffers(benchmark::State& state) {
    Fixture& f = Shared();
    std::vector<unsigned char> picture;
    std::vector<unsigned char> zone;
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadFileInto(f.picture, picture) + ReadFileInto(f.zone, zone));
}
BENCHMARK(BM_FloorReadPictureAndZoneKeptBuffers)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_FloorReadJpeg(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) benchmark::DoNotOptimize(ReadFile(f.jpeg));
}
BENCHMARK(BM_FloorReadJpeg)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// A 12-megapixel JPEG as the question picture.
void BM_LoadNewPictureJpeg12MP(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        bool loaded = LoadNewPicture(f.jpeg.c_str(), f.hwnd, f.instance, -1, -1, -1);
        if (!loaded) state.SkipWithError("the JPEG did not load");
        benchmark::DoNotOptimize(loaded);
    }
}
BENCHMARK(BM_LoadNewPictureJpeg12MP)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The same photo as a phone stores it held upright: on its side, with EXIF
// orientation 6, so that it is turned after decoding.
void BM_LoadNewPictureJpeg12MPUpright(benchmark::State& state) {
    Fixture& f = Shared();
    static std::string turned;
    if (turned.empty()) {
        std::ifstream in(f.jpeg, std::ios::binary);
        std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        turned = (f.folder / "photo-orientation-6.jpg").string();
        std::ofstream(turned, std::ios::binary) << fixtures::WithExifOrientation(bytes, 6);
    }
    TimeLoads(state, kWidth, kHeight,
              [&] { return LoadNewPicture(turned.c_str(), f.hwnd, f.instance, -1, -1, -1); });
}
BENCHMARK(BM_LoadNewPictureJpeg12MPUpright)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The decoder's own time for the same JPEG: Qt's reader from the bytes in memory.
void BM_JpegDecoderAlone(benchmark::State& state) {
    Fixture& f = Shared();
    std::ifstream in(f.jpeg, std::ios::binary);
    QByteArray bytes = QByteArray::fromStdString(
        std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    for (auto _ : state) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, "jpeg");
        reader.setAllocationLimit(256);
        QImage image = reader.read();
        if (image.isNull()) state.SkipWithError("Qt could not read the JPEG");
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_JpegDecoderAlone)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Hostile files: a 128 MB RLE file of long runs on a 1 x 1 picture, and
// PNG and JPEG files that declare the largest accepted size with little data.
void BM_HostileFile(benchmark::State& state, const char* kind) {
    Fixture& f = Shared();
    static std::string rle;
    static std::string png;
    static std::string jpeg;
    std::string* path = nullptr;
    if (std::string(kind) == "rle128mb") {
        if (rle.empty()) rle = WriteHostileRle(f.folder / "hostile-rle.bmp", 128u << 20);
        path = &rle;
    } else if (std::string(kind) == "png64mp") {
        if (png.empty()) {
            // 8192 x 8192 of zeros: a few hundred kilobytes that inflate to 256 MB.
            QImage image(8192, 8192, QImage::Format_Grayscale8);
            image.fill(0);
            image.save(QString::fromStdString((f.folder / "hostile.png").string()), "png", 0);
            png = (f.folder / "hostile.png").string();
        }
        path = &png;
    } else {
        if (jpeg.empty()) {
            QImage image(8192, 8192, QImage::Format_Grayscale8);
            image.fill(0);
            image.save(QString::fromStdString((f.folder / "hostile.jpg").string()), "jpeg", 10);
            jpeg = (f.folder / "hostile.jpg").string();
        }
        path = &jpeg;
    }
    for (auto _ : state) {
        HBITMAP bitmap = LoadPictureFile(nullptr, path->c_str());
        benchmark::DoNotOptimize(bitmap);
        if (bitmap != nullptr) DeleteObject(bitmap);
    }
}
BENCHMARK_CAPTURE(BM_HostileFile, rle128mb, "rle128mb")
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);
BENCHMARK_CAPTURE(BM_HostileFile, png64mp, "png64mp")->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(BM_HostileFile, jpeg64mp, "jpeg64mp")
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);

// The program itself: a zone question on the 4000 x 3000 picture, a click on
// the picture, and the loop run until the feedback is painted on the canvas.
// Reports the peak resident memory above the resident size before the click.
void Pump() {
    for (;;) {
        quillfin::testing::ProcessEvents();
        MSG msg{};
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) break;
        RunMessage(msg);
    }
}

// Starts the program once, in an 800 x 600 client area, on a round of zone
// questions on the 4000 x 3000 picture. False when it could not.
bool StartOnZoneQuestions() {
    static int started = 0;
    if (started != 0) return started > 0;
    Fixture& f = Shared();
    started = -1;
    quillfin::testing::ResetPlatform();
    ResetUiState();
    quillfin::testing::ScriptDialogs(true);
    if (!StartQuillfin(nullptr, SW_SHOWNORMAL)) return false;
    quillfin::testing::ResizeClient(Ui().hwndMain, 800, 600);
    Pump();
    std::string quiz = (f.folder / "click.txt").string();
    std::ofstream file(quiz, std::ios::binary);
    for (int i = 0; i < 2000; ++i) {
        file << "\xa4Q \"Click the red quarter (" << i << ").\"\r\n\xa4P \"" << f.picture
             << "\"\r\n\xa4"
             << "A\r\n\xa4Z \"" << f.zone << "\"\r\n\xa4"
             << "F zc red\r\n\xa4"
             << "E\r\n";
    }
    file.close();
    quillfin::testing::PushFileDialogAnswer(quiz);
    quillfin::testing::ChooseMenuItem(Ui().hwndMain, kCmdNewRound);
    Pump();
    started = Ui().QuizState == kQuizAwaitZoneClick ? 1 : -1;
    return started > 0;
}

// `ready`: the loop found the queue empty before the click and made the
// feedback's picture ready, as the program's loop does while the learner thinks.
void BM_ZoneClickToPaintedFeedback(benchmark::State& state, bool ready) {
    auto pump = Pump;
    if (!StartOnZoneQuestions()) state.SkipWithError("no zone question on screen");
    long peakKb = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // Back to the question, waiting for the click.
        Ui().QuizState = kQuizAwaitZoneClick;
        LoadNewPicture(Ui().PictureName.get(), Ui().hwndMain, Ui().hAppInstance, -1, -1, -1);
        LayoutWindow();
        RedrawPicture();
        Ui().bRelayout = false;
        Ui().bRedrawPicture = false;
        pump();
        if (Ui().QuizState != kQuizAwaitZoneClick) {
            state.SkipWithError("no zone question on screen");
            break;
        }
        if (ready && !PrepareFeedbackPicture()) {
            state.SkipWithError("the feedback's picture was not made ready");
            break;
        }
        const long before = StatusKb("VmRSS:");
        ResetPeakMemory();
        state.ResumeTiming();

        quillfin::testing::Click(Ui().hwndMain, Ui().iPictureLeft + 20, 30);
        pump();

        state.PauseTiming();
        peakKb = std::max(peakKb, StatusKb("VmHWM:") - before);
        if (Ui().QuizState != kQuizFeedbackCorrect) {
            state.SkipWithError("the click was not taken as right");
            break;
        }
        state.ResumeTiming();
    }
    state.counters["peak_MB_above_before"] = static_cast<double>(peakKb) / 1024.0;
    state.counters["full_copy_MB"] = kWidth * kHeight * 4.0 / (1024.0 * 1024.0);
}
BENCHMARK_CAPTURE(BM_ZoneClickToPaintedFeedback, notReady, false)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);
BENCHMARK_CAPTURE(BM_ZoneClickToPaintedFeedback, ready, true)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

// The whole 800 x 600 client area uncovered while the 4000 x 3000 picture of
// a zone question (or its feedback) is on screen, and the loop run until it
// is painted again.
void BM_RepaintClientArea800x600(benchmark::State& state) {
    if (!StartOnZoneQuestions()) state.SkipWithError("no zone question on screen");
    const RECT whole{0, 0, 800, 600};
    for (auto _ : state) {
        quillfin::testing::ExposeClientPart(Ui().hwndMain, whole);
        Pump();
    }
}
BENCHMARK(BM_RepaintClientArea800x600)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Enter on the feedback of a zone question until the next question's picture
// is on screen: both files decoded, the drawn copy made and painted.
void BM_NextQuestionPictureOnScreen(benchmark::State& state) {
    if (!StartOnZoneQuestions()) state.SkipWithError("no zone question on screen");
    for (auto _ : state) {
        state.PauseTiming();
        quillfin::testing::Click(Ui().hwndMain, Ui().iPictureLeft + 20, 30);
        Pump();
        if (Ui().QuizState != kQuizFeedbackCorrect) {
            state.SkipWithError("the click was not taken as right");
            break;
        }
        state.ResumeTiming();

        quillfin::testing::TypeKeys(Ui().hwndMain, "\r");
        Pump();

        if (Ui().QuizState != kQuizAwaitZoneClick) {
            state.SkipWithError("no next question on screen");
            break;
        }
    }
}
BENCHMARK(BM_NextQuestionPictureOnScreen)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
