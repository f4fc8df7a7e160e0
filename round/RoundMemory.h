// What the learner answered since the round was started or loaded: every
// answer in the order given (question, typed text or clicked point, verdict,
// time taken, clock time), and from it per question the tries and the wrong
// answers, and the list an end-of-round summary shows. It lives in memory
// only: the round file never holds it, so a loaded round counts from the load.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "questions/NearMiss.h"

struct Judgement;

enum class AnswerVerdict {
    Right,          // matched exactly
    RightByAccent,  // accepted by the question's `acc`
    RightByTypo,    // accepted by the question's `typo`
    Wrong,
    Repeat,  // an answer already given to an all-answers question: wrong
};

// True for the three kinds of a right answer.
bool IsRight(AnswerVerdict verdict);

// The verdict of a judged typed answer; `repeat` when the answer it matched
// had already been given to the all-answers question on screen.
AnswerVerdict VerdictOf(const Judgement& judgement, bool repeat);

struct AnswerRecord {
    int questionNo = 0;
    std::string text;    // the typed text as given (Windows-1252); empty for a click
    bool click = false;  // a point clicked in the picture instead of a typed text
    bool key = false;    // with `click`: the point was chosen with the keyboard, not the mouse
    int x = 0;           // the point, for a click
    int y = 0;
    AnswerVerdict verdict = AnswerVerdict::Wrong;
    // For a wrong typed answer: the near miss named to the learner, if any.
    NearMissKind nearMiss = NearMissKind::None;
    double seconds = 0;   // from the question on screen to the answer
    std::int64_t at = 0;  // clock time of the answer, seconds since 1970 (0: not given)
};

// One line of the summary: a question that was not right at the first try.
struct QuestionTrouble {
    int questionNo = 0;
    int tries = 0;
    std::vector<AnswerRecord> wrongAnswers;  // the first distinct ones, in the order given
};

class clRoundMemory {
public:
    // Forgets every answer. `loaded`: the round was read from a round file,
    // so what came before the load is unknown.
    void Start(bool loaded);

    bool Loaded() const { return loaded_; }

    // Gives every answer the number its question has now: question k becomes
    // currentNo[k - 1]; answers to a question that has none (0, or k outside
    // the list) are forgotten. The tallies follow, in the order answered.
    void Renumber(const std::vector<int>& currentNo);

    void Record(AnswerRecord record);

    // Every answer since the start, in the order given.
    const std::vector<AnswerRecord>& Answers() const { return answers_; }

    // The tries at a question: each wrong answer ends one, and a right answer
    // recorded last is the one under way or completed (the right answers that
    // together complete an all-answers question are one try). 0 for a
    // question with no answer recorded.
    int Tries(int questionNo) const;

    // Its wrong answers (repeats included), in the order given.
    std::vector<AnswerRecord> WrongAnswers(int questionNo) const;

    // Questions with at least one answer recorded.
    int QuestionsAnswered() const { return static_cast<int>(questions_.size()); }

    // Questions answered with no wrong answer and at least one right one.
    int RightAtFirstTry() const;

    // The questions with a wrong answer, those with the most tries first (in
    // the order first answered when tries are equal), at most `maxQuestions`,
    // each with at most `maxWrong` wrong answers: the first ones given, an
    // answer given again (the same text, or the same point) listed once.
    std::vector<QuestionTrouble> Summary(int maxQuestions = 10, int maxWrong = 3) const;

private:
    struct Tally {
        int order = 0;  // the how-manyth question answered
        int wrong = 0;
        bool lastRight = false;
    };
    std::vector<AnswerRecord> answers_;
    std::map<int, Tally> questions_;
    bool loaded_ = false;
};
