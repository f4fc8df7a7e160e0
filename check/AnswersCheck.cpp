#include "check/AnswersCheck.h"

#include <algorithm>
#include <map>
#include <memory>

#include "check/Messages.h"
#include "check/Output.h"
#include "check/SourceText.h"
#include "questions/Question.h"
#include "round/AnswerReport.h"
#include "rules/QuestionFileText.h"
#include "rules/Windows1252.h"

namespace {

constexpr int kUnreadable = 2;
constexpr std::size_t kShownLetters = 40;

// The columns of a report row that the notes use.
constexpr std::size_t kQuestionColumn = 2;
constexpr std::size_t kTextColumn = 4;
constexpr std::size_t kAnswerColumn = 5;
constexpr std::size_t kVerdictColumn = 6;

// A report's text (UTF-8) as the question file's code page, for Shown.
std::string ShownAnswer(const std::string& utf8) {
    std::string bytes;
    Utf8ToWindows1252(utf8, bytes, '?');
    return Shown(bytes, kShownLetters);
}

std::string Times(int count) { return Counted(count, "time", "times"); }

struct QuestionEntry {
    std::string text;  // the first kReportTextBytes bytes, in UTF-8, as a report writes it
    std::int64_t at = 0;
};

// What the rows said of one question: each answer text with its verdict and count,
// in the order first given.
struct Given {
    std::string answer;
    std::string verdict;
    int count = 0;
};

bool IsNumber(const std::string& field, int& value) {
    if (field.empty() || field.size() > 9 ||
        !std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    value = std::stoi(field);
    return true;
}

}  // namespace

int CheckAnswerReports(const std::vector<std::string>& reports, const std::string& questionFile,
                       std::ostream& out) {
    bool unreadable = false;
    std::vector<std::vector<std::string>> rows;
    for (const std::string& report : reports) {
        SourceText bytes;
        std::string error;
        if (bytes.Load(report, false, error)) {
            ReadReport read = ParseAnswerReport(bytes.Bytes());
            error = read.error;
            for (auto& row : read.rows) rows.push_back(std::move(row));
        }
        if (!error.empty()) {
            out << CommandLineName(report) << ": error: cannot read it: " << CommandLineName(error)
                << "\n";
            unreadable = true;
        }
    }
    const std::string name = CommandLineName(questionFile);
    SourceText source;
    std::string error;
    if (!source.Load(questionFile, true, error)) {
        out << name << ": error: cannot read it: " << CommandLineName(error) << "\n";
        return kUnreadable;
    }
    if (unreadable) return kUnreadable;

    // The questions: their texts as a report writes them, and the place of the answer list.
    HeldQuestionText hold(questionFile.c_str(), source.Text());
    const std::vector<int> blocks = clQuestion::FindQuestionBlocks(questionFile.c_str());
    std::vector<QuestionEntry> questions(blocks.size());
    std::multimap<std::string, int> byText;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        clQuestion q;
        QuestionTrace trace;
        q.GetQuestionAt(questionFile.c_str(), blocks[i], &trace);
        const std::unique_ptr<char[]> text(q.GiveQuestion());
        const std::string bytes = text ? std::string(text.get()) : std::string();
        questions[i].text = Windows1252ToUtf8(std::string_view(bytes).substr(0, kReportTextBytes));
        questions[i].at = !trace.answerQuotes.empty() ? trace.answerQuotes.front()
                          : trace.answersTag >= 2     ? trace.answersTag - 2
                                                      : blocks[i];
        byText.emplace(questions[i].text, static_cast<int>(i) + 1);
    }

    std::map<int, std::vector<Given>> given;
    int unmatched = 0;
    int byTheirText = 0;
    for (const std::vector<std::string>& row : rows) {
        int n = 0;
        const std::string& text = row[kTextColumn];
        const bool numbered = IsNumber(row[kQuestionColumn], n) && n >= 1 &&
                              n <= static_cast<int>(questions.size()) &&
                              questions[static_cast<std::size_t>(n - 1)].text == text;
        if (!numbered) {
            const auto found = byText.find(text);
            if (found == byText.end()) {
                ++unmatched;
                continue;
            }
            n = found->second;
            ++byTheirText;
        }
        std::vector<Given>& list = given[n];
        auto same = std::find_if(list.begin(), list.end(), [&row](const Given& g) {
            return g.answer == row[kAnswerColumn] && g.verdict == row[kVerdictColumn];
        });
        if (same == list.end()) {
            list.push_back({row[kAnswerColumn], row[kVerdictColumn], 0});
            same = list.end() - 1;
        }
        ++same->count;
    }

    int notes = 0;
    for (const auto& [n, list] : given) {
        const SourceText::Place place =
            source.Locate(questions[static_cast<std::size_t>(n - 1)].at);
        const std::string where = name + ":" + std::to_string(place.line) + ":" +
                                  std::to_string(place.column) + ": note: ";
        auto note = [&](const std::string& message, const char* check) {
            out << where << message << " [" << check << "]\n";
            ++notes;
        };
        // An accepted answer given again to an all-answers question is
        // reported wrong too; it needs no new answer.
        clQuestion question;
        question.GetQuestionAt(questionFile.c_str(), blocks[static_cast<std::size_t>(n - 1)]);
        auto accepted = [&question](const std::string& utf8) {
            std::string typed;
            return Utf8ToWindows1252(utf8, typed, '?') &&
                   question.TestAnswer(typed.c_str(), kAnswerCompareLimit) > 0;
        };
        std::vector<const Given*> repeated;
        for (const Given& g : list) {
            if (g.verdict == "wrong" && g.count > 1 && !accepted(g.answer)) repeated.push_back(&g);
        }
        std::stable_sort(repeated.begin(), repeated.end(),
                         [](const Given* a, const Given* b) { return a->count > b->count; });
        for (const Given* g : repeated) {
            note("question " + std::to_string(n) + ": " + ShownAnswer(g->answer) +
                     " was answered wrong " + Times(g->count),
                 "answers-wrong-again");
        }
        for (const Given& g : list) {
            if (g.verdict.rfind("near-", 0) == 0) {
                note("question " + std::to_string(n) + ": " + ShownAnswer(g.answer) +
                         " was a near miss (" + g.verdict + "), " + Times(g.count),
                     "answers-near-miss");
            }
        }
        for (const Given& g : list) {
            if (g.verdict == "right-acc" || g.verdict == "right-typo") {
                note("question " + std::to_string(n) + ": " + ShownAnswer(g.answer) +
                         " was accepted only by the flag word " + g.verdict.substr(6) + ", " +
                         Times(g.count) + ": add it to the answers if it is fair",
                     "answers-flag-word");
            }
        }
    }
    if (byTheirText > 0) {
        out << name << ": note: " << Counted(byTheirText, "report row was", "report rows were")
            << " matched by the question's text, not its number: the file has changed since"
            << " [answers-renumbered]\n";
    }
    if (unmatched > 0) {
        out << name << ": note: " << Counted(unmatched, "report row matches", "report rows match")
            << " no question of the file [answers-unmatched]\n";
    }
    out << name << ": " << Counted(static_cast<long long>(reports.size()), "report", "reports")
        << ", " << Counted(static_cast<long long>(rows.size()), "answer", "answers") << ", "
        << Counted(notes, "note", "notes") << "\n";
    return 0;
}
