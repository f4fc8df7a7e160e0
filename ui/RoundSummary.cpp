#include "ui/RoundSummary.h"

#include <chrono>
#include <ctime>
#include <string>

#include "questions/Question.h"
#include "ui/AnswerReport.h"
#include "ui/UiState.h"

namespace {

constexpr int kSummaryQuestions = 10;
constexpr int kSummaryWrongAnswers = 3;
constexpr const char* kCut = "...";

std::chrono::steady_clock::time_point& QuestionShownAt() {
    static std::chrono::steady_clock::time_point shownAt = std::chrono::steady_clock::now();
    return shownAt;
}

void Record(AnswerRecord record) {
    clQuestionOrder& round = Ui().QuestionOrder;
    record.questionNo = round.ReturnQuestionNo(0);
    record.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - QuestionShownAt()).count();
    record.at = static_cast<std::int64_t>(std::time(nullptr));
    KeepAnswerForReport(record);
    round.memory.Record(std::move(record));
}

std::string Quoted(std::string_view text) {
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted.append(1, '"').append(text).append(1, '"');
    return quoted;
}

// `text` cut to kSummaryTextBytes bytes, "..." where it was cut.
std::string Shortened(std::string_view text) {
    if (text.size() <= kSummaryTextBytes) return std::string(text);
    return std::string(text.substr(0, kSummaryTextBytes)) + kCut;
}

std::string QuestionWords(const char* questionFile, int questionNo) {
    clQuestion question;
    if (questionFile != nullptr && question.GetQuestion(questionFile, questionNo)) {
        OwnedText text(question.GiveQuestion());
        const std::string words = text ? FirstWords(text.get()) : std::string();
        if (!words.empty()) return Quoted(words);
    }
    return "Question " + std::to_string(questionNo);
}

std::string Count(int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string TroubleLine(const QuestionTrouble& trouble, int wrongClicks, const char* questionFile) {
    std::string line(1, '\n');
    line.append(QuestionWords(questionFile, trouble.questionNo))
        .append(" - ")
        .append(Count(trouble.tries, "try", "tries"))
        .append(", wrong: ");
    if (!trouble.wrongAnswers.empty() && trouble.wrongAnswers.front().click) {
        return line + Count(wrongClicks, "click", "clicks") + " beside the zone";
    }
    for (std::size_t i = 0; i < trouble.wrongAnswers.size(); ++i) {
        if (i > 0) line += ", ";
        line += Quoted(Shortened(trouble.wrongAnswers[i].text));
    }
    return line;
}

}  // namespace

void NoteQuestionShown() { QuestionShownAt() = std::chrono::steady_clock::now(); }

void RecordAnswer(std::string_view typed, AnswerVerdict verdict, NearMissKind nearMiss) {
    AnswerRecord record;
    record.text = std::string(typed);
    record.verdict = verdict;
    record.nearMiss = nearMiss;
    Record(std::move(record));
}

void RecordClick(int x, int y, bool right, bool key) {
    AnswerRecord record;
    record.click = true;
    record.key = key;
    record.x = x;
    record.y = y;
    record.verdict = right ? AnswerVerdict::Right : AnswerVerdict::Wrong;
    Record(std::move(record));
}

std::string NearMissLine(NearMissKind kind, std::string_view typed, std::string_view answer) {
    const std::string start = "So close: " + Quoted(typed) + " ";
    switch (kind) {
        case NearMissKind::Case:
            return start + "differs from " + Quoted(answer) + " only in letter case.";
        case NearMissKind::Accent:
            return start + "differs from " + Quoted(answer) + " only in accents.";
        case NearMissKind::Punctuation:
            return start + "differs from " + Quoted(answer) + " only in blanks and punctuation.";
        case NearMissKind::Typo:
            return start + "is one typo away from " + Quoted(answer) + ".";
        case NearMissKind::None:
            break;
    }
    return {};
}

std::string SpelledLine(std::string_view answer) { return "Spelled " + Quoted(answer) + "."; }

std::string RepeatLine(std::string_view answer) {
    return "You had already given " + Quoted(answer) + ".";
}

std::string FirstWords(std::string_view text) {
    std::string words;
    int count = 0;
    bool cut = false;
    std::size_t i = 0;
    auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (i < text.size() && !cut) {
        while (i < text.size() && isBlank(text[i])) ++i;
        if (i == text.size()) break;
        if (count == kSummaryWords) {
            cut = true;
            break;
        }
        std::size_t end = i;
        while (end < text.size() && !isBlank(text[end])) ++end;
        std::string next(count > 0 ? " " : "");
        next.append(text.substr(i, end - i));
        if (words.size() + next.size() > kSummaryTextBytes) {
            // A first word longer than the room is cut; a later one is left out.
            if (count == 0) words = next.substr(0, kSummaryTextBytes);
            cut = true;
            break;
        }
        words += next;
        ++count;
        i = end;
    }
    return cut ? words + kCut : words;
}

std::string RoundSummary(const clRoundMemory& memory, const char* questionFile) {
    const int answered = memory.QuestionsAnswered();
    if (answered == 0) {
        return memory.Loaded() ? "\n\nNo question was answered since the round was loaded." : "";
    }
    std::string text = "\n\nQuestions: " + std::to_string(answered) +
                       ", right at the first try: " + std::to_string(memory.RightAtFirstTry()) +
                       ".";
    if (memory.Loaded()) text += "\nCounted since the round was loaded.";
    const std::vector<QuestionTrouble> troubles =
        memory.Summary(kSummaryQuestions, kSummaryWrongAnswers);
    if (troubles.empty()) return text;
    text += "\nMore tries were needed for:";
    for (const QuestionTrouble& trouble : troubles) {
        const int wrongClicks = static_cast<int>(memory.WrongAnswers(trouble.questionNo).size());
        text += TroubleLine(trouble, wrongClicks, questionFile);
    }
    return text;
}
