// Throughput of FindPosition over a 20 MB question file, each beside its
// floor: the same file read in the same blocks and scanned with memchr.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "rules/RuleChecker.h"
#include "rules/TextUtils.h"

namespace {

constexpr std::size_t kFileBytes = 20u << 20;

struct QuestionFile {
    std::string path;
    int tags = 0;
    int quotes = 0;
};

const QuestionFile& BigFile() {
    static QuestionFile file = [] {
        QuestionFile f;
        f.path = (std::filesystem::temp_directory_path() / "quillfin-bench-20mb.txt").string();
        std::mt19937 rng(1);
        std::string text;
        text.reserve(kFileBytes + 512);
        while (text.size() < kFileBytes) {
            int n = static_cast<int>(rng() % 100000);
            text += "\244Q \"What is the capital of country number " + std::to_string(n) +
                    "?\"\r\n\244P \"map" + std::to_string(n) + ".bmp\"\r\n\244A \"Town " +
                    std::to_string(n) + "\" \"town " + std::to_string(n) +
                    "\"\r\n\244I \"It lies by a river and has an old bridge.\"\r\n\244F cs zc "
                    "darkgreen\r\n\244E\r\n\r\n";
            f.tags += 6;
            f.quotes += 10;
        }
        std::ofstream out(f.path, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        return f;
    }();
    return file;
}

std::string RuleWithCount(const char* stored, int count) {
    std::vector<char> buffer(stored, stored + std::strlen(stored) + 1);
    InsertInt(count, buffer.data(), 0, '#');
    return buffer.data();
}

void ScanWith(benchmark::State& state, const char* stored, int count) {
    const auto& file = BigFile();
    std::string rule = RuleWithCount(stored, count);
    for (auto _ : state) {
        benchmark::DoNotOptimize(FindPosition(rule.c_str(), file.path.c_str(), 5, 0, false));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(std::filesystem::file_size(file.path)));
}

void MemchrFloor(benchmark::State& state, char byte) {
    const auto& file = BigFile();
    std::vector<char> block((1 << 16) + 64);
    for (auto _ : state) {
        std::FILE* f = std::fopen(file.path.c_str(), "rb");
        std::size_t hits = 0;
        std::size_t got;
        while ((got = std::fread(block.data(), 1, 1 << 16, f)) > 0) {
            const char* p = block.data();
            const char* end = p + got;
            while ((p = static_cast<const char*>(std::memchr(p, byte, end - p))) != nullptr) {
                ++hits;
                ++p;
            }
        }
        std::fclose(f);
        benchmark::DoNotOptimize(hits);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(std::filesystem::file_size(file.path)));
}

void BM_FindPosition_QuestionTagPastTheEnd(benchmark::State& state) {
    ScanWith(state, "TIME#(AFTER'\244Q'())        ", BigFile().tags + 1);
}
void BM_Floor_MemchrTag(benchmark::State& state) { MemchrFloor(state, '\244'); }
void BM_FindPosition_QuotePastTheEnd(benchmark::State& state) {
    ScanWith(state, "TIME#(AFTER'\"'())        ", BigFile().quotes + 1);
}
void BM_Floor_MemchrQuote(benchmark::State& state) { MemchrFloor(state, '"'); }

}  // namespace

BENCHMARK(BM_FindPosition_QuestionTagPastTheEnd)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Floor_MemchrTag)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindPosition_QuotePastTheEnd)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Floor_MemchrQuote)->Unit(benchmark::kMillisecond);
