#include "ui/KeptRound.h"

#include <cstdio>
#include <cstring>

#include "platform/FileNameText.h"
#include "platform/UserFiles.h"
#include "round/QuestionOrder.h"
#include "rules/FileReader.h"
#include "ui/Program.h"
#include "ui/UiState.h"

namespace {

constexpr const char* kKeptRoundName = "last-round.qfr";
constexpr int kStatusCorrect = 1;

constexpr const char* kOfferTitle = "Continue round?";
constexpr const char* kOfferText = "Quillfin was closed in the middle of a round on\n";
constexpr const char* kOfferCount = "\n\nQuestions still to answer: ";
constexpr const char* kOfferQuestion = "\n\nDo you want to continue this round?\nNo discards it.";

// The questions of a round not yet answered correctly.
int QuestionsLeft(clQuestionOrder& round) {
    int left = 0;
    for (int i = 0; i < round.qantal; ++i) {
        if (round.ReturnQuestionStat(i) != kStatusCorrect) ++left;
    }
    return left;
}

void RemoveKept(const std::string& path) {
    if (!path.empty()) std::remove(path.c_str());
}

}  // namespace

std::string KeptRoundFile() { return UserStateFile(kKeptRoundName); }

void KeepRoundAtExit() {
    UiState& ui = Ui();
    if (ui.QuizState < kQuizNextQuestion || ui.QuizState > kQuizFeedbackWrong) return;
    if (ui.QuizState == kQuizFeedbackCorrect || ui.QuizState == kQuizFeedbackWrong) ContinueStep();
    // No quiz step may show the next question on a window that is going.
    ui.QuizState = kQuizWelcome;
    clQuestionOrder& round = ui.QuestionOrder;
    if (QuestionsLeft(round) == 0) {
        ForgetKeptRoundOn(round.ReturnQFile());
        return;
    }
    const std::string path = KeptRoundFile();
    // Nothing is asked at exit: a round that cannot be written is not kept.
    if (!path.empty()) round.SaveRoundFile(path.c_str());
}

bool OfferKeptRound(HWND owner) {
    const std::string path = KeptRoundFile();
    if (path.empty() || !OpenFileAt(path.c_str(), 0)) return false;
    clQuestionOrder kept;
    kept.LoadRoundFile(path.c_str());
    const int left = kept.order != nullptr ? QuestionsLeft(kept) : 0;
    if (left == 0) {
        RemoveKept(path);
        return false;
    }
    // A question file out of reach for now (a drive not mounted) keeps the
    // round for a later start.
    if (kept.ReturnQFile() == nullptr || !OpenFileAt(kept.ReturnQFile(), 0)) return false;

    const std::string text = kOfferText + FileNameAsText(kept.ReturnQFile()) + kOfferCount +
                             std::to_string(left) + kOfferQuestion;
    const int answer = MessageBoxA(owner, text.c_str(), kOfferTitle, MB_YESNO | MB_ICONQUESTION);
    // No answer at all (the program is being ended) keeps it for the next start.
    if (answer != IDYES && answer != IDNO) return false;
    if (answer == IDYES) ResumeRound(path.c_str());
    RemoveKept(path);
    return answer == IDYES;
}

void ForgetKeptRoundOn(const char* questionFile) {
    if (questionFile == nullptr) return;
    const std::string path = KeptRoundFile();
    if (path.empty() || !OpenFileAt(path.c_str(), 0)) return;
    clQuestionOrder kept;
    kept.LoadRoundFile(path.c_str());
    if (kept.ReturnQFile() != nullptr && std::strcmp(kept.ReturnQFile(), questionFile) == 0)
        RemoveKept(path);
}
