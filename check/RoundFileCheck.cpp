#include <algorithm>
#include <map>
#include <string>
#include <string_view>

#include "check/Checker.h"
#include "check/Messages.h"
#include "check/Pictures.h"
#include "check/SourceText.h"
#include "questions/Question.h"
#include "round/QuestionOrder.h"
#include "round/RoundMapping.h"
#include "rules/FileNames.h"
#include "rules/QuestionFileText.h"

namespace {

constexpr std::string_view kCountMark = kRoundCountMark;
const std::string kErrorInFile = "the learner sees \"Error in file\"";

// Why a round file whose count mark was found gave no entries, as its load
// tells it.
std::string WhyNoEntries(const RoundFileTrace& trace) {
    if (trace.countAt < 0) return "no number follows \"qantal:\"";
    if (trace.count < 0) return "the count " + std::to_string(trace.count) + " is negative";
    if (trace.count == 0) return "the count is 0, so the round is empty";
    if (trace.brokenLine < 0) {
        const auto lines = static_cast<long long>(trace.lines.size());
        return "the count says " + std::to_string(trace.count) + " but only " +
               Counted(lines, "question line follows", "question lines follow");
    }
    return "a question line lacks its question number or its \"Stat:\" number";
}

class RoundFileChecker {
public:
    RoundFileChecker(const std::string& path, FileCheck& result) : path_(path), result_(result) {}

    void Run() {
        std::string error;
        if (!text_.Load(path_, false, error)) {
            result_.readable = false;
            result_.readError = error;
            return;
        }
        result_.readable = true;
        result_.roundFile = true;
        const std::string& bytes = text_.Bytes();

        clQuestionOrder round;
        RoundFileTrace trace;
        round.LoadRoundFile(path_.c_str(), &trace);
        if (!round.qfile) {
            Add(Severity::Error, 0, "round-format",
                "the question file's name after qfile: has no closing double quote: " +
                    kErrorInFile);
            return;
        }
        result_.questionFile = round.qfile;
        const std::int64_t nameAt = static_cast<std::int64_t>(sizeof(kRoundFileMagic) - 1);

        clQuestionOrder questions;
        questions.LoadQuestionFile(round.qfile);
        const int available = questions.qantal;
        const bool questionFileReadable = IsRegularFileName(FindWindowsName(round.qfile));
        if (!questionFileReadable) {
            Add(Severity::Error, nameAt, "round-question-file",
                "the question file " + Shown(round.qfile, 200) +
                    " is missing or cannot be read: " + kErrorInFile);
        }

        const std::size_t count = bytes.find(kCountMark);
        if (count == std::string::npos) {
            Add(Severity::Error, nameAt, "round-format",
                "the round file has no \"qantal:\" line with the number of questions: " +
                    kErrorInFile);
            return;
        }
        const std::int64_t countAt = static_cast<std::int64_t>(count);
        if (!round.order) {
            Add(Severity::Error, countAt, "round-format",
                "the round cannot be read: " + WhyNoEntries(trace) + ": " + kErrorInFile);
            return;
        }

        // The question lines as read, where the load found them.
        std::map<int, int> seen;
        const int lineCount = static_cast<int>(trace.entries.size());
        result_.questions = lineCount;
        for (int j = 0; j < lineCount; ++j) {
            const std::int64_t at = static_cast<std::size_t>(j) < trace.lines.size()
                                        ? trace.lines[static_cast<std::size_t>(j)]
                                        : countAt;
            const int number = trace.entries[static_cast<std::size_t>(j)].questionNo;
            const int status = trace.entries[static_cast<std::size_t>(j)].stat;
            if (questionFileReadable && (number < 1 || number > available)) {
                Add(Severity::Error, at, "round-question-number",
                    "question number " + std::to_string(number) +
                        " is not in the question file, "
                        "which holds " +
                        Counted(available, "question", "questions") + ": " + kErrorInFile);
            }
            auto [first, fresh] = seen.emplace(number, j + 1);
            if (!fresh) {
                Add(Severity::Error, at, "round-question-number",
                    "question " + std::to_string(number) +
                        " stands in the round twice (question "
                        "lines " +
                        std::to_string(first->second) + " and " + std::to_string(j + 1) + ")");
            }
            if (status < 0 || status > 2) {
                Add(Severity::Error, at, "round-status",
                    "status " + std::to_string(status) +
                        " is none of 0 (not yet answered), 1 (answered correctly) and 2 "
                        "(answered wrongly)");
            }
        }
        if (trace.mapped) ReportMapping(trace, round.qfile);
        if (questionFileReadable && round.qantal != available) {
            Add(Severity::Warning, countAt, "round-count",
                "the round holds " + Counted(round.qantal, "question", "questions") +
                    " but its question file holds " + std::to_string(available) +
                    ": the round runs as saved");
        }
    }

private:
    // What the load does with a round whose question file was edited: one
    // warning per saved question that is found elsewhere, edited or gone, at
    // its question line, and one per question that comes in, at the count.
    void ReportMapping(const RoundFileTrace& trace, const char* questionFile) {
        const std::vector<std::int64_t> lines = QuestionLines(questionFile);
        auto where = [&lines](int questionNo) {
            const auto i = static_cast<std::size_t>(questionNo - 1);
            return i < lines.size()
                       ? " (line " + std::to_string(lines[i]) + " of the question file)"
                       : std::string();
        };
        const RoundMapping& mapping = trace.mapping;
        for (std::size_t j = 0; j < trace.entries.size() && j < trace.lines.size(); ++j) {
            const int saved = trace.entries[j].questionNo;
            const auto k = static_cast<std::size_t>(saved - 1);
            if (saved < 1 || k >= mapping.fate.size()) continue;
            const int now = mapping.currentNo[k];
            const std::string was = "question " + std::to_string(saved);
            switch (mapping.fate[k]) {
                case EntryFate::Same:
                    break;
                case EntryFate::Moved:
                    Add(Severity::Warning, trace.lines[j], "round-rematched",
                        was + " of the saved round is question " + std::to_string(now) +
                            where(now) + " now: a load keeps its status");
                    break;
                case EntryFate::Changed:
                    Add(Severity::Warning, trace.lines[j], "round-changed",
                        now == saved ? was + where(now) +
                                           " was changed since the round was saved: a load keeps "
                                           "its status"
                                     : was + " of the saved round was changed and is question " +
                                           std::to_string(now) + where(now) +
                                           " now: a load keeps its status");
                    break;
                case EntryFate::Dropped:
                    Add(Severity::Warning, trace.lines[j], "round-dropped",
                        was +
                            " of the saved round is no longer in the question file: a load "
                            "drops it");
                    break;
            }
        }
        for (int added : mapping.added) {
            Add(Severity::Warning, trace.countAt, "round-added",
                "question " + std::to_string(added) + where(added) +
                    " is new since the round was saved: a load adds it unanswered");
        }
    }

    // The line on which each question's tag stands, in one pass over the file.
    static std::vector<std::int64_t> QuestionLines(const char* questionFile) {
        std::vector<std::int64_t> lines;
        const auto text = LoadQuestionText(questionFile);
        if (!text) return lines;
        const std::string& bytes = text->Bytes();
        std::int64_t line = 1;
        std::size_t counted = 0;
        for (int after : clQuestion::FindQuestionBlocks(questionFile)) {
            // The tag begins two bytes before the offset after its letter.
            const std::size_t tag = std::min(bytes.size(), static_cast<std::size_t>(after - 2));
            line += std::count(bytes.begin() + static_cast<std::ptrdiff_t>(counted),
                               bytes.begin() + static_cast<std::ptrdiff_t>(tag), '\n');
            counted = tag;
            lines.push_back(line);
        }
        return lines;
    }

    void Add(Severity severity, std::int64_t offset, const char* check, std::string message) {
        Problem p;
        p.severity = severity;
        p.offset = offset;
        const SourceText::Place place = text_.Locate(offset);
        p.line = place.line;
        p.column = place.column;
        p.check = check;
        p.message = std::move(message);
        result_.Add(std::move(p));
    }

    const std::string& path_;
    FileCheck& result_;
    SourceText text_;
};

bool SameFile(const std::string& a, const std::string& b) {
    return IsSameFile(FindWindowsName(a.c_str()), FindWindowsName(b.c_str()));
}

}  // namespace

FileCheck CheckRoundFile(const std::string& path) {
    FileCheck result;
    result.path = path;
    RoundFileChecker(path, result).Run();
    result.Finish();
    return result;
}

std::vector<FileCheck> CheckFiles(const std::vector<std::string>& paths, PictureLibrary& pictures,
                                  bool keepContents) {
    std::vector<FileCheck> checks;
    // Question files named on the command line are checked where they stand;
    // one that a round file names is checked after it, unless it is one of them.
    std::vector<std::string> questionFiles;
    for (const std::string& path : paths) {
        if (!IsRoundFile(path.c_str())) questionFiles.push_back(path);
    }
    auto checked = [&questionFiles](const std::string& file) {
        for (const std::string& done : questionFiles) {
            if (done == file || SameFile(done, file)) return true;
        }
        return false;
    };
    for (const std::string& path : paths) {
        if (IsRoundFile(path.c_str())) {
            checks.push_back(CheckRoundFile(path));
            const std::string questionFile = checks.back().questionFile;
            if (IsRegularFileName(FindWindowsName(questionFile.c_str())) &&
                !checked(questionFile)) {
                questionFiles.push_back(questionFile);
                checks.push_back(CheckQuestionFile(questionFile, pictures, keepContents));
            }
        } else {
            checks.push_back(CheckQuestionFile(path, pictures, keepContents));
        }
    }
    return checks;
}
