#include "check/Checker.h"

#include <algorithm>
#include <numeric>

void FileCheck::Add(Problem problem) {
    if (problem.severity == Severity::Error) {
        ++errors_;
        if (problem.question > 0) errorQuestions.push_back(problem.question);
    } else {
        ++warnings_;
    }
    const std::int64_t sequence = added_++;
    const Key key{problem.offset, sequence};
    if (problems.size() < static_cast<std::size_t>(kMaxReportedProblems)) {
        kept_.push_back({key, problems.size()});
        std::push_heap(kept_.begin(), kept_.end());
        sequence_.push_back(sequence);
        problems.push_back(std::move(problem));
        return;
    }
    // The heap's top is the kept problem that stands last in the file.
    if (!(key < kept_.front().first)) return;
    std::pop_heap(kept_.begin(), kept_.end());
    const std::size_t slot = kept_.back().second;
    kept_.back() = {key, slot};
    std::push_heap(kept_.begin(), kept_.end());
    problems[slot] = std::move(problem);
    sequence_[slot] = sequence;
}

void FileCheck::Finish() {
    std::vector<std::size_t> order(problems.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) {
        return std::make_pair(problems[a].offset, sequence_[a]) <
               std::make_pair(problems[b].offset, sequence_[b]);
    });
    std::vector<Problem> sorted;
    std::vector<std::int64_t> sequences;
    for (std::size_t i : order) {
        sorted.push_back(std::move(problems[i]));
        sequences.push_back(sequence_[i]);
    }
    problems = std::move(sorted);
    sequence_ = std::move(sequences);
    kept_.clear();
    for (std::size_t i = 0; i < problems.size(); ++i)
        kept_.push_back({{problems[i].offset, sequence_[i]}, i});
    std::make_heap(kept_.begin(), kept_.end());
    std::sort(errorQuestions.begin(), errorQuestions.end());
    errorQuestions.erase(std::unique(errorQuestions.begin(), errorQuestions.end()),
                         errorQuestions.end());
}

long long FileCheck::Count(Severity severity) const {
    return severity == Severity::Error ? errors_ : warnings_;
}
