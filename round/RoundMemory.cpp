#include "round/RoundMemory.h"

#include <algorithm>
#include <utility>

#include "questions/Tolerance.h"

namespace {

bool SameAnswer(const AnswerRecord& a, const AnswerRecord& b) {
    if (a.click != b.click) return false;
    return a.click ? a.x == b.x && a.y == b.y : a.text == b.text;
}

}  // namespace

bool IsRight(AnswerVerdict verdict) {
    return verdict == AnswerVerdict::Right || verdict == AnswerVerdict::RightByAccent ||
           verdict == AnswerVerdict::RightByTypo;
}

AnswerVerdict VerdictOf(const Judgement& judgement, bool repeat) {
    if (repeat) return AnswerVerdict::Repeat;
    if (!judgement.correct) return AnswerVerdict::Wrong;
    switch (judgement.kind) {
        case NearMissKind::Accent:
            return AnswerVerdict::RightByAccent;
        case NearMissKind::Typo:
            return AnswerVerdict::RightByTypo;
        default:
            return AnswerVerdict::Right;
    }
}

void clRoundMemory::Start(bool loaded) {
    answers_.clear();
    questions_.clear();
    loaded_ = loaded;
}

void clRoundMemory::Renumber(const std::vector<int>& currentNo) {
    std::vector<AnswerRecord> answers = std::move(answers_);
    answers_.clear();
    questions_.clear();
    for (AnswerRecord& a : answers) {
        if (a.questionNo < 1 || a.questionNo > static_cast<int>(currentNo.size())) continue;
        const int now = currentNo[static_cast<std::size_t>(a.questionNo - 1)];
        if (now < 1) continue;
        a.questionNo = now;
        Record(std::move(a));
    }
}

void clRoundMemory::Record(AnswerRecord record) {
    const auto [it, added] = questions_.try_emplace(record.questionNo);
    Tally& tally = it->second;
    if (added) tally.order = static_cast<int>(questions_.size());
    const bool right = IsRight(record.verdict);
    if (!right) ++tally.wrong;
    tally.lastRight = right;
    answers_.push_back(std::move(record));
}

int clRoundMemory::Tries(int questionNo) const {
    const auto it = questions_.find(questionNo);
    if (it == questions_.end()) return 0;
    return it->second.wrong + (it->second.lastRight ? 1 : 0);
}

std::vector<AnswerRecord> clRoundMemory::WrongAnswers(int questionNo) const {
    std::vector<AnswerRecord> wrong;
    for (const AnswerRecord& a : answers_) {
        if (a.questionNo == questionNo && !IsRight(a.verdict)) wrong.push_back(a);
    }
    return wrong;
}

int clRoundMemory::RightAtFirstTry() const {
    int count = 0;
    for (const auto& [questionNo, tally] : questions_) {
        if (tally.wrong == 0) ++count;  // recorded, so it has a right answer
    }
    return count;
}

std::vector<QuestionTrouble> clRoundMemory::Summary(int maxQuestions, int maxWrong) const {
    struct Entry {
        int questionNo;
        int tries;
        int order;
    };
    std::vector<Entry> entries;
    for (const auto& [questionNo, tally] : questions_) {
        if (tally.wrong > 0) entries.push_back({questionNo, Tries(questionNo), tally.order});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.tries != b.tries ? a.tries > b.tries : a.order < b.order;
    });
    if (maxQuestions < 0) maxQuestions = 0;
    if (entries.size() > static_cast<std::size_t>(maxQuestions)) entries.resize(maxQuestions);

    std::vector<QuestionTrouble> summary;
    for (const Entry& e : entries) {
        QuestionTrouble trouble{e.questionNo, e.tries, {}};
        for (AnswerRecord& a : WrongAnswers(e.questionNo)) {
            if (static_cast<int>(trouble.wrongAnswers.size()) >= maxWrong) break;
            const bool seen =
                std::any_of(trouble.wrongAnswers.begin(), trouble.wrongAnswers.end(),
                            [&a](const AnswerRecord& listed) { return SameAnswer(listed, a); });
            if (!seen) trouble.wrongAnswers.push_back(std::move(a));
        }
        summary.push_back(std::move(trouble));
    }
    return summary;
}
