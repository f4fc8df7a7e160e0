// Parsing every question of a file: one walk that finds every block, then a
// parse of each from its offset, from the file and from its text held in memory. The time per
// question stays the same from 10,000 to 20,000 questions; GetQuestion(n) for every n, which scans
// from the start each time, is shown beside it on smaller files. The walk alone, and the count of a
// new round that shares it, are measured on their own.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "questions/Question.h"
#include "round/QuestionOrder.h"
#include "rules/QuestionFileText.h"

namespace {

// About 200 bytes per question.
std::string QuestionFileText(int count) {
    std::string s = "Questions generated for the walk benchmark.\r\n";
    for (int i = 1; i <= count; ++i) {
        const std::string n = std::to_string(i);
        s += "\244Q \"Question " + n + ": which of these words belongs to the group " + n +
             "?\"\r\n\244A \"answer " + n + "\" \"other " + n +
             "\"\r\n\244I \"A line of additional information for question " + n +
             ".\"\r\n\244F cs zc red\r\n\244E\r\n\r\n";
    }
    return s;
}

const std::string& FileWith(int count) {
    static std::map<int, std::string> files;
    static const struct Folder {
        std::filesystem::path path = std::filesystem::temp_directory_path() / "quillfin-walk-bench";
        Folder() { std::filesystem::create_directories(path); }
        ~Folder() {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    } folder;
    auto found = files.find(count);
    if (found != files.end()) return found->second;
    std::string path = (folder.path / ("walk-" + std::to_string(count) + ".txt")).string();
    std::ofstream(path, std::ios::binary) << QuestionFileText(count);
    return files[count] = path;
}

void BM_WalkEveryQuestion(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::string& file = FileWith(count);
    for (auto _ : state) {
        const std::vector<int> blocks = clQuestion::FindQuestionBlocks(file.c_str());
        clQuestion question;
        int parsed = 0;
        for (int at : blocks) parsed += question.GetQuestionAt(file.c_str(), at) ? 1 : 0;
        if (parsed != count) state.SkipWithError("not every question parsed");
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_WalkEveryQuestion)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

// The same walk on the file's text held in memory, as the checker walks it.
void BM_WalkEveryQuestionHeld(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::string& file = FileWith(count);
    for (auto _ : state) {
        HeldQuestionText hold(file.c_str(), LoadQuestionText(file.c_str()));
        const std::vector<int> blocks = clQuestion::FindQuestionBlocks(file.c_str());
        clQuestion question;
        int parsed = 0;
        for (int at : blocks) parsed += question.GetQuestionAt(file.c_str(), at) ? 1 : 0;
        if (parsed != count) state.SkipWithError("not every question parsed");
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_WalkEveryQuestionHeld)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

// The count of a new round: the same walk over the tags, counting them.
void BM_CountQuestions(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::string& file = FileWith(count);
    for (auto _ : state) {
        clQuestionOrder round;
        round.LoadQuestionFile(file.c_str());
        if (round.qantal != count) state.SkipWithError("the count is wrong");
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_CountQuestions)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

// Only the walk that finds every block, without parsing them.
void BM_FindQuestionBlocks(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::string& file = FileWith(count);
    for (auto _ : state) {
        const std::vector<int> blocks = clQuestion::FindQuestionBlocks(file.c_str());
        if (static_cast<int>(blocks.size()) != count) state.SkipWithError("blocks missing");
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_FindQuestionBlocks)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_GetQuestionEachN(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::string& file = FileWith(count);
    for (auto _ : state) {
        clQuestion question;
        int parsed = 0;
        for (int n = 1; n <= count; ++n) parsed += question.GetQuestion(file.c_str(), n) ? 1 : 0;
        if (parsed != count) state.SkipWithError("not every question parsed");
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_GetQuestionEachN)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace
