// Taking up a round from a file the learner chose: New round, Load round and
// a file named on the command line. The file is first read into a round of
// its own; only one that can start a round takes the place of the round in
// progress. Any other file is named in a warning box that says what is
// wrong with it, and the round in progress, the question on screen and the
// answers given so far stay exactly as they were. A round re-attached to its
// edited question file is taken up and the learner told what changed.
#include <ctime>
#include <string>
#include <utility>

#include "platform/FileNameText.h"
#include "platform/WinApi.h"
#include "questions/Question.h"
#include "round/QuestionOrder.h"
#include "rules/FileReader.h"
#include "ui/Program.h"
#include "ui/UiState.h"

namespace {

constexpr const char* kNewRoundTitle = "Round not started";
constexpr const char* kLoadRoundTitle = "Round not loaded";

constexpr const char* kCannotOpen = "This file cannot be opened.";
constexpr const char* kNoQuestions = "This file holds no questions, so no round can start from it.";
constexpr const char* kIsRoundFile = "This file is a saved round: Load round continues it.";
constexpr const char* kNotRoundFile =
    "This file is not a saved round, so no round can be loaded from it.";
constexpr const char* kIsQuestionFile =
    "This file is a question file, not a saved round: New round starts a round on it.";
constexpr const char* kLinesUnreadable = "The list of questions in this round file cannot be read.";
constexpr const char* kQuestionFileMissing =
    "The question file that this round names cannot be opened.";
constexpr const char* kQuestionUnreadable =
    "A question of this file cannot be read, so no round can start from it.";
constexpr const char* kRoundQuestionUnreadable =
    "The question this round would ask next cannot be read.";
constexpr const char* kRoundGoesOn = "The round in progress goes on.";
constexpr const char* kChangedFileTitle = "Question file changed";

constexpr int kStatusCorrect = 1;

bool CanBeOpened(const char* fileName) { return OpenFileAt(fileName, 0) != nullptr; }

// Whether the quiz step could take up question `questionNo` of the file.
bool CanTakeUp(const char* questionFile, int questionNo) {
    clQuestion question;
    return questionNo >= 1 && question.GetQuestion(questionFile, questionNo) &&
           !question.IsEmptyBlock();
}

// The warning for a chosen file that cannot start a round: the fault, the
// file, further lines, and that the round in progress is kept.
void Refuse(const char* title, const char* fault, const char* fileName,
            const std::string& more = {}) {
    const UiState& ui = Ui();
    std::string text = std::string(fault) + "\nFile: " + FileNameAsText(fileName);
    if (!more.empty()) text += "\n" + more;
    if (ui.QuizState >= kQuizNextQuestion && ui.QuizState <= kQuizFeedbackWrong) {
        text += std::string("\n\n") + kRoundGoesOn;
    }
    MessageBoxA(ui.hwndMain, text.c_str(), title, MB_OK | MB_ICONWARNING);
}

// Puts `trial` in the place of the round in progress (which `trial` then
// holds and frees) and takes up its head at the next quiz step.
void TakeUp(clQuestionOrder& trial) {
    clQuestionOrder& round = Ui().QuestionOrder;
    std::swap(round.order, trial.order);
    std::swap(round.qfile, trial.qfile);
    std::swap(round.sfile, trial.sfile);
    std::swap(round.qantal, trial.qantal);
    std::swap(round.memory, trial.memory);
    ForgetQuestionInProgress();
    Ui().QuizState = kQuizNextQuestion;
    // The quiz step runs after a dispatched message. A round taken up
    // before the loop waits (the kept round offered at start) would otherwise
    // wait on the welcome screen for the next mouse move or key.
    PostMessageA(Ui().hwndMain, WM_NULL, 0, 0);
}

constexpr const char* kCheckLine = "quillfin-check shows the fault in the question file.";

// Which question, and the line where its block starts.
std::string QuestionPlace(const char* questionFile, int questionNo) {
    const int line = clQuestion::FindQuestionLine(questionFile, questionNo);
    return "Question " + std::to_string(questionNo) +
           (line > 0 ? " (its block starts on line " + std::to_string(line) + ")"
                     : " (the file has no such question)");
}

}  // namespace

std::string UnreadableQuestionLines(const char* questionFile, int questionNo) {
    if (questionFile == nullptr) return "No question file is loaded.";
    std::string lines = questionNo >= 1 ? QuestionPlace(questionFile, questionNo) + "\n" : "";
    return lines + "Question file: " + FileNameAsText(questionFile) + "\n" + kCheckLine;
}

bool StartNewRound(const char* questionFile) {
    clQuestionOrder trial;
    if (trial.LoadQuestionFile(questionFile) == 0) {
        const char* fault = !CanBeOpened(questionFile)  ? kCannotOpen
                            : IsRoundFile(questionFile) ? kIsRoundFile
                                                        : kNoQuestions;
        Refuse(kNewRoundTitle, fault, questionFile);
        return false;
    }
    trial.ShuffelQuestions(static_cast<int>(std::time(nullptr)));
    // The file's first question, and the one drawn to be asked first.
    for (int questionNo : {1, trial.ReturnQuestionNo(0)}) {
        if (!CanTakeUp(questionFile, questionNo)) {
            // The file named is the question file itself.
            Refuse(kNewRoundTitle, kQuestionUnreadable, questionFile,
                   QuestionPlace(questionFile, questionNo) + "\n" + kCheckLine);
            return false;
        }
    }
    TakeUp(trial);
    return true;
}

bool ResumeRound(const char* roundFile) {
    clQuestionOrder trial;
    RoundFileTrace trace;
    trial.LoadRoundFile(roundFile, &trace);
    if (trial.qfile == nullptr || trial.qfile[0] == '\0') {
        clQuestionOrder asQuestions;
        const char* fault = !CanBeOpened(roundFile)                        ? kCannotOpen
                            : asQuestions.LoadQuestionFile(roundFile) == 1 ? kIsQuestionFile
                                                                           : kNotRoundFile;
        Refuse(kLoadRoundTitle, fault, roundFile);
        return false;
    }
    if (trial.order == nullptr || trial.qantal <= 0) {
        Refuse(kLoadRoundTitle, kLinesUnreadable, roundFile);
        return false;
    }
    if (!CanBeOpened(trial.qfile)) {
        Refuse(kLoadRoundTitle, kQuestionFileMissing, roundFile,
               "Question file: " + FileNameAsText(trial.qfile));
        return false;
    }
    // A finished round starts at its end; any other needs its head.
    const int head = trial.ReturnQuestionNo(0);
    if (trial.ReturnQuestionStat(0) != kStatusCorrect && !CanTakeUp(trial.qfile, head)) {
        Refuse(kLoadRoundTitle, kRoundQuestionUnreadable, roundFile,
               UnreadableQuestionLines(trial.qfile, head));
        return false;
    }
    TakeUp(trial);
    if (trace.mapped) {
        MessageBoxA(Ui().hwndMain, DescribeMapping(trace.mapping).c_str(), kChangedFileTitle,
                    MB_OK | MB_ICONINFORMATION);
    }
    return true;
}
