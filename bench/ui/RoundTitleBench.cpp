// Times RoundTitle, which the message loop computes after every message: the
// count of questions left walks the whole round, here one of 100 000
// questions, half of them answered right.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "ui/UiState.h"
#include "ui/WindowTitle.h"

namespace {

constexpr int kQuestions = 100000;

void BM_RoundTitle100kQuestions(benchmark::State& state) {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / "quillfin-title-bench.txt";
    {
        std::ofstream out(file, std::ios::binary);
        for (int i = 0; i < kQuestions; ++i) out << "\244Q \"q\" \244A \"a\" \244E\r\n";
    }
    UiState& ui = Ui();
    if (ui.QuestionOrder.LoadQuestionFile(file.string().c_str()) != 1) {
        state.SkipWithError("the round was not loaded");
        return;
    }
    for (int i = 0; i < kQuestions; i += 2) ui.QuestionOrder.SetQuestionStat(i, 1);
    ui.QuizState = kQuizAwaitTypedAnswer;
    for (auto _ : state) benchmark::DoNotOptimize(RoundTitle());
    state.SetLabel(RoundTitle());
    std::filesystem::remove(file);
}
BENCHMARK(BM_RoundTitle100kQuestions)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
