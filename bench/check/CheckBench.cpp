// quillfin-check on big files: 10,000 and 20,000 questions without pictures
// (the time per question stays the same), many questions sharing a few
// pictures (each decoded once), and 10 MB of minimal blocks.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "check/Checker.h"
#include "check/Pictures.h"

namespace {

struct Folder {
    std::filesystem::path path = std::filesystem::temp_directory_path() / "quillfin-check-bench";
    Folder() { std::filesystem::create_directories(path); }
    ~Folder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string Write(const std::string& name, const std::string& bytes) const {
        const std::string file = (path / name).string();
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }
};

const Folder& TheFolder() {
    static Folder folder;
    return folder;
}

// About 200 bytes per question, every item but the pictures.
std::string QuestionFileText(int count) {
    std::string s = "Questions generated for the checker benchmark.\r\n";
    for (int i = 1; i <= count; ++i) {
        const std::string n = std::to_string(i);
        s += "\244Q \"Question " + n + ": which of these words belongs to the group " + n +
             "?\"\r\n\244A \"answer " + n + "\" \"other " + n +
             "\"\r\n\244I \"A line of additional information for question " + n +
             ".\"\r\n\244F cs\r\n\244E\r\n\r\n";
    }
    return s;
}

// A 24-bit BMP of width x height, with a red square in its top-left quarter.
std::string Bitmap(int width, int height) {
    const int row = (width * 3 + 3) / 4 * 4;
    const std::uint32_t pixels = static_cast<std::uint32_t>(row * height);
    std::string b = "BM";
    auto u32 = [&b](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<char>(v >> (8 * i)));
    };
    auto u16 = [&b](std::uint16_t v) {
        b.push_back(static_cast<char>(v));
        b.push_back(static_cast<char>(v >> 8));
    };
    u32(54 + pixels);
    u32(0);
    u32(54);
    u32(40);
    u32(static_cast<std::uint32_t>(width));
    u32(static_cast<std::uint32_t>(height));
    u16(1);
    u16(24);
    u32(0);
    u32(pixels);
    u32(2835);
    u32(2835);
    u32(0);
    u32(0);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const bool zone = x < width / 2 && y < height / 2;
            b += zone ? std::string("\0\0\377", 3) : std::string("\377\377\377", 3);
        }
        b.append(static_cast<std::size_t>(row - width * 3), '\0');
    }
    return b;
}

void CheckFile(benchmark::State& state, const std::string& file, int questions) {
    for (auto _ : state) {
        std::unique_ptr<PictureLibrary> pictures = ProgramPictures();
        const FileCheck check = CheckQuestionFile(file, *pictures);
        if (check.questions != questions || !check.problems.empty()) {
            state.SkipWithError("unexpected report");
        }
    }
    state.SetItemsProcessed(state.iterations() * questions);
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(std::filesystem::file_size(file)));
}

void BM_CheckQuestions(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    static std::map<int, std::string> files;
    if (!files.count(count)) {
        files[count] = TheFolder().Write("questions-" + std::to_string(count) + ".txt",
                                         QuestionFileText(count));
    }
    CheckFile(state, files[count], count);
}
BENCHMARK(BM_CheckQuestions)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

// 2,000 zone questions over four pictures and four zone bitmaps of 800 x 600.
void BM_CheckSharedPictures(benchmark::State& state) {
    constexpr int kPictures = 4;
    constexpr int kQuestions = 2000;
    static const std::string file = [] {
        for (int p = 0; p < kPictures; ++p) {
            TheFolder().Write("picture" + std::to_string(p) + ".bmp", Bitmap(800, 600));
            TheFolder().Write("zone" + std::to_string(p) + ".bmp", Bitmap(800, 600));
        }
        std::string text;
        for (int i = 0; i < kQuestions; ++i) {
            const std::string p = std::to_string(i % kPictures);
            text += "\244Q \"Click on square " + std::to_string(i) + ".\" \244P \"picture" + p +
                    ".bmp\" \244A \244Z \"zone" + p + ".bmp\" \244F zc red \244E\r\n";
        }
        return TheFolder().Write("pictures.txt", text);
    }();
    int decodes = 0;
    for (auto _ : state) {
        std::unique_ptr<PictureLibrary> pictures = ProgramPictures();
        const FileCheck check = CheckQuestionFile(file, *pictures);
        if (check.questions != kQuestions || !check.problems.empty()) {
            state.SkipWithError("unexpected report");
        }
        decodes = pictures->Decodes();
    }
    state.counters["decodes"] = decodes;
    if (decodes != 2 * kPictures) state.SkipWithError("a picture was decoded more than once");
}
BENCHMARK(BM_CheckSharedPictures)->Unit(benchmark::kMillisecond);

// 10 MB of the smallest blocks that parse: a question tag, an empty text,
// an answers tag and an end tag. Every block is an error (no answers, no zone).
void BM_CheckMinimalBlocks10MB(benchmark::State& state) {
    static const std::string block = "\244Q\"\"\244A\244E";
    static const int blocks = (10 << 20) / static_cast<int>(block.size());
    static const std::string file = [] {
        std::string text;
        text.reserve(static_cast<std::size_t>(blocks) * block.size());
        for (int i = 0; i < blocks; ++i) text += block;
        return TheFolder().Write("minimal.txt", text);
    }();
    for (auto _ : state) {
        std::unique_ptr<PictureLibrary> pictures = ProgramPictures();
        const FileCheck check = CheckQuestionFile(file, *pictures);
        if (check.questions != blocks) state.SkipWithError("wrong count");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(blocks) *
                            static_cast<std::int64_t>(block.size()));
}
BENCHMARK(BM_CheckMinimalBlocks10MB)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
