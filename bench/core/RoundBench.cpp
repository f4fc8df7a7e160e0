// Counting the questions of a large question file in one read beside the
// literal n + 1 rule searches, taking up its last question, and loading a
// long round file.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "questions/Question.h"
#include "round/QuestionOrder.h"
#include "rules/RuleChecker.h"
#include "rules/TextUtils.h"

namespace {

constexpr int kBigFile = 10000;
constexpr int kSmallFile = 1000;

// About 200 bytes per question.
std::string QuestionFileText(int count) {
    std::string s;
    for (int i = 1; i <= count; ++i) {
        const std::string n = std::to_string(i);
        s += "\244Q \"Question " + n + ": which of these words belongs to the group " + n +
             "?\"\r\n\244A \"answer " + n + "\" \"other " + n +
             "\"\r\n\244I \"A line of additional information, long enough to make the file about "
             "two megabytes, for question " +
             n + ".\"\r\n\244F cs\r\n\244E\r\n\r\n";
    }
    return s;
}

std::string RoundFileText(const std::string& questionFile, int count) {
    std::string s = "qfile: \"" + questionFile +
                    "\"\r\nsfile: \"round.qfr\"\r\nqantal: " + std::to_string(count) + "\r\n";
    for (int i = 0; i < count; ++i) {
        s += "Q: " + std::to_string((i * 7919) % count + 1) + " Stat: " + std::to_string(i % 3) +
             "\r\n";
    }
    return s;
}

// The files, written once into a folder of their own and removed at exit.
struct Files {
    std::filesystem::path folder;
    std::string big, small, round;

    Files() {
        folder = std::filesystem::temp_directory_path() / "quillfin-round-bench";
        std::filesystem::create_directories(folder);
        big = Write("big.txt", QuestionFileText(kBigFile));
        small = Write("small.txt", QuestionFileText(kSmallFile));
        round = Write("round.qfr", RoundFileText(big, kBigFile));
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

void CountOnePass(benchmark::State& state, const std::string& file, int expected) {
    for (auto _ : state) {
        clQuestionOrder round;
        benchmark::DoNotOptimize(round.LoadQuestionFile(file.c_str()));
        if (round.qantal != expected) state.SkipWithError("wrong count");
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<long long>(std::filesystem::file_size(file)));
}

void BM_CountOnePass10k(benchmark::State& state) { CountOnePass(state, TheFiles().big, kBigFile); }
BENCHMARK(BM_CountOnePass10k)->Unit(benchmark::kMillisecond);

void BM_CountOnePass1k(benchmark::State& state) {
    CountOnePass(state, TheFiles().small, kSmallFile);
}
BENCHMARK(BM_CountOnePass1k)->Unit(benchmark::kMillisecond);

// The n + 1 searches for the n-th question tag, each from the start of the file.
void CountLiteral(benchmark::State& state, const std::string& file, int expected) {
    for (auto _ : state) {
        int n = 1;
        for (;; ++n) {
            char rule[] = "TIME#(AFTER'\244Q'())        ";
            InsertInt(n, rule, 0, '#');
            if (FindPosition(rule, file.c_str(), 32, 0, false) < 0) break;
        }
        if (n - 1 != expected) state.SkipWithError("wrong count");
    }
}

void BM_CountLiteral1k(benchmark::State& state) {
    CountLiteral(state, TheFiles().small, kSmallFile);
}
BENCHMARK(BM_CountLiteral1k)->Unit(benchmark::kMillisecond);

void BM_CountLiteral10k(benchmark::State& state) { CountLiteral(state, TheFiles().big, kBigFile); }
BENCHMARK(BM_CountLiteral10k)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_GetLastQuestion10k(benchmark::State& state) {
    for (auto _ : state) {
        clQuestion question;
        if (!question.GetQuestion(TheFiles().big.c_str(), kBigFile)) {
            state.SkipWithError("question not read");
        }
    }
}
BENCHMARK(BM_GetLastQuestion10k)->Unit(benchmark::kMillisecond);

void BM_LoadRoundFile10k(benchmark::State& state) {
    for (auto _ : state) {
        clQuestionOrder round;
        if (round.LoadRoundFile(TheFiles().round.c_str()) != 1 || round.qantal != kBigFile) {
            state.SkipWithError("round not loaded");
        }
    }
}
BENCHMARK(BM_LoadRoundFile10k)->Unit(benchmark::kMillisecond);

}  // namespace
