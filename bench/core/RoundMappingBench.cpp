// Save round and Load round on a 10,000-question file with the questions'
// fingerprints: saving parses every block once; loading parses every block of
// the file as it is now and, when it was edited (here a question inserted at
// the top), re-attaches the round. The alignment alone is measured beside them.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "questions/Question.h"
#include "round/QuestionOrder.h"
#include "round/RoundMapping.h"

namespace {

constexpr int kQuestions = 10000;

// About 200 bytes per question.
std::string Block(const std::string& n) {
    return "\244Q \"Question " + n + ": which of these words belongs to the group " + n +
           "?\"\r\n\244A \"answer " + n + "\" \"other " + n +
           "\"\r\n\244I \"A line of additional information for question " + n +
           ".\"\r\n\244F cs zc red\r\n\244E\r\n\r\n";
}

struct Files {
    std::filesystem::path folder;
    std::string questions, round, original, edited;

    Files() {
        folder = std::filesystem::temp_directory_path() / "quillfin-mapping-bench";
        std::filesystem::create_directories(folder);
        for (int i = 1; i <= kQuestions; ++i) original += Block(std::to_string(i));
        edited = Block("inserted") + original;
        questions = (folder / "questions.txt").string();
        round = (folder / "round.qfr").string();
        Write(original);
        // A round in its middle: a third answered, the rest shuffled.
        clQuestionOrder r;
        r.LoadQuestionFile(questions.c_str());
        r.ShuffelQuestions(7);
        for (int i = 0; i < kQuestions / 3; ++i) {
            r.SetQuestionStat(0, 1);
            r.MoveQ(0, -1);
        }
        r.SaveRoundFile(round.c_str());
    }
    ~Files() {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    void Write(const std::string& text) const {
        std::ofstream(questions, std::ios::binary) << text;
    }
};

Files& TheFiles() {
    static Files files;
    return files;
}

void BM_SaveRoundWithFingerprints10k(benchmark::State& state) {
    Files& files = TheFiles();
    files.Write(files.original);
    clQuestionOrder round;
    round.LoadRoundFile(files.round.c_str());
    const std::string target = (files.folder / "saved.qfr").string();
    for (auto _ : state) {
        if (round.SaveRoundFile(target.c_str()) != 1) state.SkipWithError("round not saved");
    }
}
BENCHMARK(BM_SaveRoundWithFingerprints10k)->Unit(benchmark::kMillisecond);

void BM_LoadRoundUnchanged10k(benchmark::State& state) {
    Files& files = TheFiles();
    files.Write(files.original);
    for (auto _ : state) {
        clQuestionOrder round;
        RoundFileTrace trace;
        if (round.LoadRoundFile(files.round.c_str(), &trace) != 1 || trace.mapped) {
            state.SkipWithError("round not loaded as saved");
        }
    }
}
BENCHMARK(BM_LoadRoundUnchanged10k)->Unit(benchmark::kMillisecond);

void BM_LoadRoundWithMapping10k(benchmark::State& state) {
    Files& files = TheFiles();
    files.Write(files.edited);
    for (auto _ : state) {
        clQuestionOrder round;
        RoundFileTrace trace;
        if (round.LoadRoundFile(files.round.c_str(), &trace) != 1 || !trace.mapped ||
            round.qantal != kQuestions + 1) {
            state.SkipWithError("round not re-attached");
        }
    }
    files.Write(files.original);
}
BENCHMARK(BM_LoadRoundWithMapping10k)->Unit(benchmark::kMillisecond);

// The alignment when every question moved: the file's order reversed.
void BM_AlignReversed10k(benchmark::State& state) {
    std::vector<std::uint64_t> saved;
    for (std::uint64_t i = 0; i < kQuestions; ++i) saved.push_back(i * 0x9e3779b97f4a7c15ULL);
    std::vector<std::uint64_t> current(saved.rbegin(), saved.rend());
    for (auto _ : state) benchmark::DoNotOptimize(AlignFingerprints(saved, current));
}
BENCHMARK(BM_AlignReversed10k)->Unit(benchmark::kMillisecond);

}  // namespace
