// The answer report: what one answer adds while a round runs (the line of its
// question's block, found by scanning the question file up to it, here for
// the file's last question) and writing the report's text for many answers.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "questions/Question.h"
#include "round/AnswerReport.h"

namespace {

// About 120 bytes per question.
std::string QuestionPath(int count) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                       ("quillfin-report-bench-" + std::to_string(count) + ".txt");
    std::ofstream file(path, std::ios::binary);
    for (int i = 1; i <= count; ++i) {
        const std::string n = std::to_string(i);
        file << "\244Q \"Question " << n << ": which word belongs to group " << n
             << "?\"\r\n\244A \"answer " << n << "\" \"other " << n << "\"\r\n\244E\r\n\r\n";
    }
    return path.string();
}

void BM_LineOfTheLastQuestion(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::string path = QuestionPath(count);
    for (auto _ : state) {
        benchmark::DoNotOptimize(clQuestion::FindQuestionLine(path.c_str(), count));
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_LineOfTheLastQuestion)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_AnswerReportText(benchmark::State& state) {
    std::vector<AnswerReportRow> rows(static_cast<std::size_t>(state.range(0)));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].fileName = "capitals.txt";
        rows[i].line = static_cast<int>(i) * 4 + 1;
        rows[i].questionText = "Which town is this, and in which county does it lie?";
        rows[i].answer.questionNo = static_cast<int>(i) + 1;
        rows[i].answer.text = i % 3 == 0 ? "G\xe4vle, \"old town\"" : "Stockholm";
        rows[i].answer.seconds = 3.25;
        rows[i].answer.at = 1796900000 + static_cast<std::int64_t>(i);
    }
    for (auto _ : state) benchmark::DoNotOptimize(AnswerReportText(rows));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AnswerReportText)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
