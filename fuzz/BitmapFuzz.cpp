// A fuzzed picture file (BMP, PNG or JPEG: the seeds hold all three), loaded
// as a question picture and as its zone bitmap, with zone marking, on the
// offscreen platform.
#include <QApplication>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "platform/PictureFile.h"
#include "platform/WinApi.h"
#include "ui/Picture.h"
#include "ui/UiState.h"

namespace {

// A 4 x 3 24-bit picture, every pixel (200, 100, 40).
std::string SmallPicture() {
    const int width = 4, height = 3, row = 12;
    const int size = 54 + row * height;
    std::string bmp(static_cast<std::size_t>(size), '\0');
    auto put32 = [&](int at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bmp[static_cast<std::size_t>(at + i)] = static_cast<char>(v >> (8 * i));
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, size);
    put32(10, 54);
    put32(14, 40);
    put32(18, width);
    put32(22, height);
    bmp[26] = 1;
    bmp[28] = 24;
    for (int i = 54; i < size; i += 3) {
        bmp[static_cast<std::size_t>(i)] = 40;
        bmp[static_cast<std::size_t>(i) + 1] = 100;
        bmp[static_cast<std::size_t>(i) + 2] = static_cast<char>(200);
    }
    return bmp;
}

OwnedText Copy(const std::string& s) {
    OwnedText text(new char[s.size() + 1]);
    std::memcpy(text.get(), s.c_str(), s.size() + 1);
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string fuzzed = ScratchPath("bmp");
    static const std::string good = [] {
        std::string path = ScratchPath("bmp-good");
        std::string bmp = SmallPicture();
        WriteScratch(path, reinterpret_cast<const std::uint8_t*>(bmp.data()), bmp.size());
        return path;
    }();
    WriteScratch(fuzzed, data, size);

    HWND window = nullptr;
    HINSTANCE instance = nullptr;
    UiState& ui = Ui();
    // The fuzzed file as the picture, marked by itself as the zone.
    ui.ZoneName = Copy(fuzzed);
    LoadNewPicture(fuzzed.c_str(), window, instance, 255, -1, -1);
    // A good picture marked by the fuzzed zone bitmap.
    LoadNewPicture(good.c_str(), window, instance, -1, 0, -1);
    HBITMAP image = LoadPictureFile(nullptr, fuzzed.c_str());
    if (image) {
        DIBSECTION dib{};
        GetObjectA(image, sizeof dib, &dib);
        DeleteObject(image);
    }
    return 0;
}
