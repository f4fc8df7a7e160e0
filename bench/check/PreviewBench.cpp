// quillfin-check --preview: one distinct preview of a 12-megapixel photo
// (4000 x 3000) with its zone, decoded, marked, scaled to 1600 wide and
// written, for a BMP, a PNG and a JPEG picture; the PNG writer alone at
// several zlib levels on a 1600 x 1200 photo; and the examples' whole
// preview. Run it on one core (taskset -c 0) for the figure per preview.
#include <benchmark/benchmark.h>

#include <QImage>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "check/Preview.h"
#include "check/Report.h"
#include "platform/PictureFile.h"
#include "platform/PngFile.h"

namespace {

namespace fs = std::filesystem;

struct Folder {
    fs::path path = fs::temp_directory_path() / "quillfin-preview-bench";
    Folder() { fs::create_directories(path); }
    ~Folder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    std::string File(const std::string& name) const { return (path / name).string(); }
};

const Folder& TheFolder() {
    static Folder folder;
    return folder;
}

// A photo as a camera takes one, for the encoders' sake: smooth light over
// the whole picture and sensor noise of a few levels on every pixel.
QImage Photo(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    std::uint32_t noise = 12345;
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const int n = static_cast<int>(noise >> 29);  // 0 to 7
            const int r = (x * 200 / width + y * 40 / height + n) & 0xFF;
            const int g = (120 + (x + y) * 100 / (width + height) + n) & 0xFF;
            const int b = (230 - y * 180 / height + n) & 0xFF;
            row[x] = qRgb(r, g, b);
        }
    }
    return image;
}

// A zone bitmap of the same size with a red rectangle in the middle.
QImage Zone(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = height / 3; y < 2 * height / 3; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = width / 3; x < 2 * width / 3; ++x) row[x] = qRgb(255, 0, 0);
    }
    return image;
}

const std::string& PhotoFile(const char* format) {
    static std::map<std::string, std::string> files;
    auto& file = files[format];
    if (file.empty()) {
        static const QImage photo = Photo(4000, 3000);
        file = TheFolder().File(std::string("photo.") + format);
        // JPEG as a camera saves it; PNG at zlib's default level, as editors do.
        photo.save(QString::fromStdString(file), format, std::string(format) == "jpg" ? 92 : -1);
    }
    return file;
}

const std::string& ZoneFile() {
    static const std::string file = [] {
        const std::string name = TheFolder().File("zone.bmp");
        Zone(4000, 3000).save(QString::fromStdString(name), "bmp");
        return name;
    }();
    return file;
}

void BM_Preview12Megapixels(benchmark::State& state, const char* format) {
    PreviewKey key;
    key.picture = PhotoFile(format);
    key.zone = ZoneFile();
    key.colour[0] = 255;
    key.colour[1] = 0;
    key.colour[2] = 0;
    key.lighten[0] = key.lighten[2] = true;
    const std::string out = TheFolder().File("preview.png");
    for (auto _ : state) {
        PreviewImage image;
        std::string error;
        if (!RenderPreview(key, out, image, error) || !image.marked || image.width != 1600) {
            state.SkipWithError(error.empty() ? "no marked preview" : error.c_str());
            break;
        }
    }
    state.counters["png_kB"] = static_cast<double>(fs::file_size(out)) / 1024.0;
}
BENCHMARK_CAPTURE(BM_Preview12Megapixels, bmp, "bmp")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Preview12Megapixels, png, "png")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Preview12Megapixels, jpeg, "jpg")->Unit(benchmark::kMillisecond);

// The decoding alone, the part of a preview that depends on the format.
void BM_Decode12Megapixels(benchmark::State& state, const char* format) {
    const std::string& file = PhotoFile(format);
    for (auto _ : state) {
        HBITMAP bitmap = LoadPictureFile(nullptr, file.c_str());
        if (bitmap == nullptr) {
            state.SkipWithError("cannot decode");
            break;
        }
        DeleteObject(bitmap);
    }
}
BENCHMARK_CAPTURE(BM_Decode12Megapixels, bmp, "bmp")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Decode12Megapixels, png, "png")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Decode12Megapixels, jpeg, "jpg")->Unit(benchmark::kMillisecond);

// The writer alone on a preview-sized photo, at zlib levels 0 to 9.
void BM_WritePng1600(benchmark::State& state) {
    static const QImage photo = Photo(1600, 1200);
    const PixelPlane plane{photo.constBits(), photo.bytesPerLine(), photo.width(), photo.height(),
                           4};
    const std::string out = TheFolder().File("level.png");
    for (auto _ : state) {
        std::string error;
        if (!WritePngFile(out.c_str(), plane, static_cast<int>(state.range(0)), error)) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
    state.counters["png_kB"] = static_cast<double>(fs::file_size(out)) / 1024.0;
}
BENCHMARK(BM_WritePng1600)->Arg(0)->Arg(1)->Arg(3)->Arg(6)->Arg(9)->Unit(benchmark::kMillisecond);

// quillfin-check --preview on the examples, from the check to the last page.
void BM_ExamplesPreview(benchmark::State& state) {
    const std::string examples = std::string(QUILLFIN_SOURCE_DIR) + "/examples/first-quiz.txt";
    const std::string folder = TheFolder().File("examples");
    const char* argv[] = {"quillfin-check", "--preview", folder.c_str(), examples.c_str()};
    for (auto _ : state) {
        std::ostringstream out, err;
        if (RunChecker(4, argv, out, err) != 0) {
            state.SkipWithError("the examples' check failed");
            break;
        }
    }
}
BENCHMARK(BM_ExamplesPreview)->Unit(benchmark::kMillisecond);

}  // namespace
