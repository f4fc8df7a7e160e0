// A question file of 10,000 questions (about 2 MB) saved as UTF-8 and as
// UTF-16 beside its Windows-1252 original: the first conversion, the count
// and the last question once the converted text is kept.
// Budgets for the UTF-8 copy: first conversion < 10 ms, count < 5 ms,
// GetQuestion of the last question < 1.5 ms.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "questions/Question.h"
#include "round/QuestionOrder.h"
#include "rules/QuestionFileText.h"
#include "rules/Windows1252.h"

namespace {

constexpr int kQuestions = 10000;

// About 200 bytes per question, with accented letters in every block.
std::string Windows1252Text() {
    std::string s;
    for (int i = 1; i <= kQuestions; ++i) {
        const std::string n = std::to_string(i);
        s += "\244Q \"Fr\xE5ga " + n + ": vilken stad ligger n\xE4rmast \xD6rebro, grupp " + n +
             "?\"\r\n\244A \"G\xE4vle " + n + "\" \"Malm\xF6 " + n +
             "\"\r\n\244I \"En rad med till\xE4ggsinformation, l\xE5ng nog f\xF6r tv\xE5 "
             "megabyte, fr\xE5ga " +
             n + ".\"\r\n\244F cs\r\n\244E\r\n\r\n";
    }
    return s;
}

std::string Utf16Le(const std::string& windows1252) {
    std::string out = "\xFF\xFE";
    for (char c : windows1252) {
        const char32_t code = Windows1252ToUnicode(static_cast<unsigned char>(c));
        out.push_back(static_cast<char>(code & 0xFF));
        out.push_back(static_cast<char>(code >> 8));
    }
    return out;
}

struct Files {
    std::filesystem::path folder;
    std::string original, utf8, utf16;

    Files() {
        folder = std::filesystem::temp_directory_path() / "quillfin-encoding-bench";
        std::filesystem::create_directories(folder);
        const std::string text = Windows1252Text();
        original = Write("original.txt", text);
        utf8 = Write("utf8.txt", Windows1252ToUtf8(text));
        utf16 = Write("utf16.txt", Utf16Le(text));
        // A file changed moments ago is compared with its content on every
        // read until its times lie safely in the past; measure after that.
        std::this_thread::sleep_for(std::chrono::milliseconds(3100));
    }
    ~Files() {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    std::string Write(const char* name, const std::string& text) const {
        std::string path = (folder / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
};

const Files& TheFiles() {
    static Files files;
    return files;
}

void Count(benchmark::State& state, const std::string& file) {
    clQuestionOrder warm;
    warm.LoadQuestionFile(file.c_str());  // the first conversion
    for (auto _ : state) {
        clQuestionOrder round;
        benchmark::DoNotOptimize(round.LoadQuestionFile(file.c_str()));
        if (round.qantal != kQuestions) state.SkipWithError("wrong count");
    }
}

void LastQuestion(benchmark::State& state, const std::string& file) {
    clQuestion warm;
    warm.GetQuestion(file.c_str(), 1);
    for (auto _ : state) {
        clQuestion q;
        if (!q.GetQuestion(file.c_str(), kQuestions) || q.ReturnAnswerAntal() != 2) {
            state.SkipWithError("parse failed");
        }
    }
}

// Everything the first read of a changed file costs: reading it whole,
// telling its encoding, converting it, then counting.
void FirstConversion(benchmark::State& state, const std::string& file) {
    for (auto _ : state) {
        ClearQuestionTextCache();
        clQuestionOrder round;
        benchmark::DoNotOptimize(round.LoadQuestionFile(file.c_str()));
        if (round.qantal != kQuestions) state.SkipWithError("wrong count");
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<long long>(std::filesystem::file_size(file)));
}

void BM_CountUtf8(benchmark::State& state) { Count(state, TheFiles().utf8); }
void BM_CountWindows1252(benchmark::State& state) { Count(state, TheFiles().original); }
void BM_LastQuestionUtf8(benchmark::State& state) { LastQuestion(state, TheFiles().utf8); }
void BM_LastQuestionWindows1252(benchmark::State& state) {
    LastQuestion(state, TheFiles().original);
}
void BM_FirstConversionUtf8(benchmark::State& state) { FirstConversion(state, TheFiles().utf8); }
void BM_FirstConversionUtf16(benchmark::State& state) { FirstConversion(state, TheFiles().utf16); }
void BM_FirstReadWindows1252(benchmark::State& state) {
    FirstConversion(state, TheFiles().original);
}

}  // namespace

BENCHMARK(BM_CountUtf8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CountWindows1252)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LastQuestionUtf8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LastQuestionWindows1252)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstConversionUtf8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstConversionUtf16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstReadWindows1252)->Unit(benchmark::kMillisecond);
