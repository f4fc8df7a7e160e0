// The quiz step: takes up the question at the head of the round, tests the
// typed answer, composes the feedback and moves the round on.
#include <memory>
#include <string>
#include <vector>

#include "platform/WinApi.h"
#include "questions/Tolerance.h"
#include "ui/Controls.h"
#include "ui/Crosshair.h"
#include "ui/KeptRound.h"
#include "ui/Picture.h"
#include "ui/Program.h"
#include "ui/RoundSummary.h"
#include "ui/UiState.h"
#include "ui/WindowTitle.h"

namespace {

constexpr int kReaskDistance = 13;
constexpr int kNeutralColours = 0;

constexpr int kStatusCorrect = 1;
constexpr int kStatusWrong = 2;
constexpr int kFreeSlot = -1;

constexpr const char* kCongratulationText = "Congratulations! You finished the round!";
constexpr const char* kCongratulationPicture = "\\F_CG";
constexpr const char* kFileErrorText =
    "There seems to be an error in either the round\nyou loaded or in the question file!";
constexpr const char* kFileErrorTitle = "Error in file";

constexpr const char* kCorrect = "Correct!";
constexpr const char* kInfoHeading = "\nAdditional info:\n";
constexpr const char* kOtherAnswers = "\nOther correct answers were:\n\"";
constexpr const char* kGiveAnother = "\nGive another answer!";
constexpr const char* kWrong = "Sorry, correct answers were:\n\"";
constexpr const char* kWrongInfoHeading = "Additional info:\n";
constexpr const char* kYouHaveSaid = "\nYou have said: \"";
constexpr const char* kAnswerSeparator = "\", \"";

clQuestion& Question() { return Ui().CurrentQuestion; }

bool IsAllAnswersQuestion() { return Question().HaveFlag(flagAllAnswers); }

// Answer `number` (1-based) up to its first zero byte; empty when there is none.
std::string AnswerText(int number) {
    if (number < 1 || number > Question().ReturnAnswerAntal()) return {};
    OwnedText text(Question().GiveAnswer(number - 1));
    return text ? std::string(text.get()) : std::string();
}

std::string JoinAnswers(const std::vector<int>& numbers) {
    std::string joined;
    for (size_t i = 0; i < numbers.size(); ++i) {
        if (i > 0) joined += kAnswerSeparator;
        joined += AnswerText(numbers[i]);
    }
    return joined;
}

// The answers confirmed so far for an all-answers question, in the order given.
std::vector<int> GivenAnswerNumbers() {
    const UiState& ui = Ui();
    std::vector<int> numbers;
    if (!ui.GivenAnswers) return numbers;
    const int needed = Question().ReturnAnswersNeeded();
    for (int i = 1; i <= needed && i < ui.iGivenAnswersSize; ++i) {
        if (ui.GivenAnswers[i] == kFreeSlot) break;
        numbers.push_back(ui.GivenAnswers[i]);
    }
    return numbers;
}

int GivenAnswerCount() {
    const UiState& ui = Ui();
    return ui.GivenAnswers ? ui.GivenAnswers[0] : 0;
}

void ReleaseGivenAnswers() {
    Ui().GivenAnswers.reset();
    Ui().iGivenAnswersSize = 0;
}

void ShowTextAreaText() { PutTextAreaText(); }

std::string CorrectFeedback(int answer) {
    const int n = Question().ReturnAnswerAntal();
    const bool allAnswers = IsAllAnswersQuestion();
    // Counting the answers confirmed so far, this one included.
    const bool completes = GivenAnswerCount() + 1 >= Question().ReturnAnswersNeeded();
    OwnedText info(Question().GiveAInfo());

    std::string text = kCorrect;
    if (info && (!allAnswers || completes)) text += std::string(kInfoHeading) + info.get();
    if (n > 1 && !allAnswers) {
        std::vector<int> others;
        for (int i = 1; i <= n; ++i) {
            if (i != answer) others.push_back(i);
        }
        text += kOtherAnswers + JoinAnswers(others) + "\"";
    }
    if (n > 1 && allAnswers && !completes) text += kGiveAnother;
    return text;
}

std::string WrongFeedback() {
    const int n = Question().ReturnAnswerAntal();
    std::vector<int> all;
    for (int i = 1; i <= n; ++i) all.push_back(i);
    std::string text = kWrong + JoinAnswers(all) + "\"\n";
    OwnedText info(Question().GiveAInfo());
    if (info) text += std::string(kWrongInfoHeading) + info.get();
    return text;
}

// `line` as a line of its own at the end of `text`.
void AddLine(std::string& text, const std::string& line) {
    if (line.empty()) return;
    if (!text.empty() && text.back() != '\n') text += '\n';
    text += line;
}

void EndOfRound() {
    UiState& ui = Ui();
    ForgetKeptRoundOn(ui.QuestionOrder.ReturnQFile());
    ui.QuizState = kQuizRoundFinished;
    ForgetQuestionInProgress();
    clQuestionOrder& round = ui.QuestionOrder;
    ui.TextAreaText =
        CopyText(kCongratulationText + RoundSummary(round.memory, round.ReturnQFile()));
    ShowTextAreaText();
    ui.PictureName = CopyText(kCongratulationPicture);
    ui.bRedrawPicture = true;
    LoadNewPicture(ui.PictureName.get(), ui.hwndMain, ui.hAppInstance, -1, -1, -1);
    ui.bShowTextBox = false;
    ui.bRelayout = true;
}

// The question at the head cannot be taken up: the box says which question
// of which file, and where to look, after its fixed sentence.
void ErrorPath(const char* questionFile, int questionNo) {
    UiState& ui = Ui();
    const std::string text =
        std::string(kFileErrorText) + "\n\n" + UnreadableQuestionLines(questionFile, questionNo);
    MessageBoxA(ui.hwndMain, text.c_str(), kFileErrorTitle, MB_OK | MB_ICONWARNING);
    QLRestart(ui.hwndMain, ui.hAppInstance);
}

// An information card's text: its question text, then its information.
std::string CardText() {
    OwnedText question(Question().GiveQuestion());
    OwnedText info(Question().GiveAInfo());
    const std::string text = question ? question.get() : "";
    const std::string more = info ? info.get() : "";
    if (text.empty()) return more;
    if (more.empty()) return text;
    return text + kInfoHeading + more;
}

void NextQuestionPass() {
    UiState& ui = Ui();
    SetColoursCorrect(kNeutralColours);
    ui.TextAreaText.reset();
    ui.PictureName.reset();
    ui.ZoneName.reset();

    clQuestionOrder& round = ui.QuestionOrder;
    if (round.ReturnQuestionStat(0) == kStatusCorrect) {
        EndOfRound();
        return;
    }
    const char* questionFile = round.ReturnQFile();
    const int questionNo = round.ReturnQuestionNo(0);
    // A block with nothing to show or answer would leave the round stuck.
    if (questionFile == nullptr || questionNo < 1 ||
        !Question().GetQuestion(questionFile, questionNo) || Question().IsEmptyBlock()) {
        ErrorPath(questionFile, questionNo);
        return;
    }

    const int n = Question().ReturnAnswerAntal();
    // The answers given so far belong to this question only.
    if (ui.GivenAnswers && (!IsAllAnswersQuestion() || ui.iGivenAnswersSize != n + 1)) {
        ReleaseGivenAnswers();
    }

    if (IsAllAnswersQuestion() && ui.GivenAnswers) {
        OwnedText question(Question().GiveQuestion());
        std::string text = question ? question.get() : "";
        text += kYouHaveSaid + JoinAnswers(GivenAnswerNumbers()) + "\"";
        ui.TextAreaText = CopyText(text);
    } else {
        ui.TextAreaText.reset(Question().GiveQuestion());
    }
    ShowTextAreaText();
    NoteQuestionShown();

    ui.PictureName.reset(Question().GiveQPicture());
    ui.ZoneName.reset(Question().GiveAZone());

    if (n > 0) {
        ui.QuizState = kQuizAwaitTypedAnswer;
        ui.bShowTextBox = true;
        SetWindowTextA(ui.hwndTextBox, "");
    } else if (ui.ZoneName) {
        ui.QuizState = kQuizAwaitZoneClick;
        ui.bShowTextBox = false;
        BeginZoneQuestion();
    } else {
        // An information card: read, not answered. It waits in the correct
        // feedback state, in the neutral colours, so that Enter, a click or
        // Save round moves it on as a correctly answered question.
        ui.TextAreaText = CopyText(CardText());
        ShowTextAreaText();
        ui.QuizState = kQuizFeedbackCorrect;
        ui.bShowTextBox = false;
    }

    if (ui.PictureName) {
        if (Question().HaveFlag(flagDisplayZoneInQuestion)) {
            LoadNewPicture(ui.PictureName.get(), ui.hwndMain, ui.hAppInstance,
                           Question().ReturnZR(), Question().ReturnZG(), Question().ReturnZB());
        } else {
            LoadNewPicture(ui.PictureName.get(), ui.hwndMain, ui.hAppInstance, -1, -1, -1);
        }
        ui.bRedrawPicture = true;
    } else {
        ui.bRedrawPicture = false;
    }
    ui.bRelayout = true;
}

void TypedAnswer() {
    UiState& ui = Ui();
    ui.bEnterPressed = false;

    const int length = GetWindowTextLengthA(ui.hwndTextBox);
    std::unique_ptr<char[]> typed(new char[length + 1]);
    typed[0] = '\0';
    GetWindowTextA(ui.hwndTextBox, typed.get(), length + 1);
    typed[length] = '\0';

    // TestAnswer first; the tolerant rules of the question only when it finds nothing.
    const Judgement judgement = JudgeAnswer(Question(), typed.get(), kAnswerCompareLimit);
    const int answer = judgement.correct ? judgement.answer : 0;
    // A near miss of an answer already given would send the learner back to it.
    const bool nearMiss = !judgement.correct && judgement.kind != NearMissKind::None &&
                          !IsFoundInAGiven(judgement.answer);
    const bool repeat = IsFoundInAGiven(answer);
    if (repeat) {
        // The same answer twice counts as wrong, and the question starts over.
        ReleaseGivenAnswers();
    }
    RecordAnswer(typed.get(), VerdictOf(judgement, repeat),
                 nearMiss ? judgement.kind : NearMissKind::None);

    if (answer > 0 && !repeat) {
        ui.iLastCorrectAnswer = answer;
        SetColoursCorrect(kSchemeCorrect);
        ui.QuizState = kQuizFeedbackCorrect;
        std::string text = CorrectFeedback(answer);
        if (judgement.kind != NearMissKind::None) AddLine(text, SpelledLine(AnswerText(answer)));
        ui.TextAreaText = CopyText(text);
    } else {
        SetColoursCorrect(kSchemeWrong);
        ui.QuizState = kQuizFeedbackWrong;
        std::string text = WrongFeedback();
        if (repeat) {
            AddLine(text, RepeatLine(AnswerText(answer)));
        } else if (nearMiss) {
            AddLine(text, NearMissLine(judgement.kind, typed.get(), AnswerText(judgement.answer)));
        }
        ui.TextAreaText = CopyText(text);
    }

    const int needed = Question().ReturnAnswersNeeded();
    const bool lastNeededAnswer = ui.GivenAnswers && ui.GivenAnswers[0] == needed - 1;
    if (ui.ZoneName && ui.PictureName &&
        (!IsAllAnswersQuestion() || needed == 1 || lastNeededAnswer)) {
        LoadNewPicture(ui.PictureName.get(), ui.hwndMain, ui.hAppInstance, Question().ReturnZR(),
                       Question().ReturnZG(), Question().ReturnZB());
    }

    ui.bRedrawPicture = true;
    ShowTextAreaText();
    ui.bRelayout = true;
    ui.bShowTextBox = false;
}

}  // namespace

bool IsFoundInAGiven(int answerNumber) {
    const UiState& ui = Ui();
    if (!ui.GivenAnswers || ui.iGivenAnswersSize < 1 || ui.GivenAnswers[0] <= 0) return false;
    const int needed = Question().ReturnAnswersNeeded();
    for (int i = 1; i <= needed && i < ui.iGivenAnswersSize; ++i) {
        if (ui.GivenAnswers[i] == answerNumber) return true;
    }
    return false;
}

bool HeadAnsweredOnScreen() {
    UiState& ui = Ui();
    if (ui.QuizState != kQuizFeedbackCorrect) return false;
    if (ui.QuestionOrder.ReturnQuestionStat(0) == kStatusCorrect) return false;
    if (Question().ReturnAnswerAntal() == 0 && !ui.ZoneName) return false;  // a card
    return !IsAllAnswersQuestion() || GivenAnswerCount() + 1 >= Question().ReturnAnswersNeeded();
}

void ContinueStep() {
    UiState& ui = Ui();
    clQuestionOrder& round = ui.QuestionOrder;
    switch (ui.QuizState) {
        case kQuizFeedbackCorrect:
            ui.QuizState = kQuizNextQuestion;
            if (IsAllAnswersQuestion()) {
                const int n = Question().ReturnAnswerAntal();
                if (!ui.GivenAnswers) {
                    ui.GivenAnswers.reset(new int[n + 1]);
                    ui.iGivenAnswersSize = n + 1;
                    ui.GivenAnswers[0] = 0;
                    for (int i = 1; i <= n; ++i) ui.GivenAnswers[i] = kFreeSlot;
                }
                ui.GivenAnswers[0] += 1;
                if (ui.GivenAnswers[0] >= Question().ReturnAnswersNeeded()) {
                    round.SetQuestionStat(0, kStatusCorrect);
                    round.MoveQ(0, -1);
                    ReleaseGivenAnswers();
                } else {
                    for (int i = 1; i < ui.iGivenAnswersSize; ++i) {
                        if (ui.GivenAnswers[i] == kFreeSlot) {
                            ui.GivenAnswers[i] = ui.iLastCorrectAnswer;
                            break;
                        }
                    }
                }
            } else {
                round.SetQuestionStat(0, kStatusCorrect);
                round.MoveQ(0, -1);
            }
            break;
        case kQuizFeedbackWrong:
            if (IsAllAnswersQuestion() && ui.GivenAnswers) ReleaseGivenAnswers();
            ui.QuizState = kQuizNextQuestion;
            round.SetQuestionStat(0, kStatusWrong);
            round.MoveQForReask(kReaskDistance);
            break;
        case kQuizRoundFinished:
            QLRestart(ui.hwndMain, ui.hAppInstance);
            break;
        default:
            break;
    }
}

void QuizStep() {
    UiState& ui = Ui();
    switch (ui.QuizState) {
        case kQuizNextQuestion:
            NextQuestionPass();
            break;
        case kQuizAwaitTypedAnswer:
            if (EnterPressed()) TypedAnswer();
            break;
        case kQuizAwaitZoneClick:
            if (EnterPressed()) {
                ui.bEnterPressed = false;
                AnswerAtCrosshair();
            }
            break;
        case kQuizFeedbackCorrect:
        case kQuizFeedbackWrong:
        case kQuizRoundFinished:
            if (EnterPressed()) {
                ui.bEnterPressed = false;
                ContinueStep();
            }
            break;
        default:
            break;
    }
}
