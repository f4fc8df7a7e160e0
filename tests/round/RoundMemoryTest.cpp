#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "questions/Tolerance.h"
#include "round/QuestionOrder.h"
#include "round/RoundMemory.h"
#include "tests/round/RoundTestSupport.h"
#include "tests/support/TempDir.h"

namespace {

using V = AnswerVerdict;

void Typed(clRoundMemory& m, int questionNo, const std::string& text, V verdict) {
    AnswerRecord r;
    r.questionNo = questionNo;
    r.text = text;
    r.verdict = verdict;
    m.Record(std::move(r));
}

void Click(clRoundMemory& m, int questionNo, int x, int y, V verdict) {
    AnswerRecord r;
    r.questionNo = questionNo;
    r.click = true;
    r.x = x;
    r.y = y;
    r.verdict = verdict;
    m.Record(std::move(r));
}

std::vector<std::string> Texts(const std::vector<AnswerRecord>& records) {
    std::vector<std::string> texts;
    for (const AnswerRecord& r : records) {
        texts.push_back(r.click ? std::to_string(r.x) + "," + std::to_string(r.y) : r.text);
    }
    return texts;
}

}  // namespace

TEST(RoundMemory, TriesWrongAnswersAndSummaryOrder) {
    clRoundMemory m;
    m.Start(false);
    Typed(m, 1, "Oslo", V::Right);
    Typed(m, 2, "a", V::Wrong);
    Typed(m, 2, "b", V::Wrong);
    Typed(m, 2, "a", V::Wrong);  // listed once
    Typed(m, 2, "Bern", V::Right);
    // An all-answers question: two right parts, a repeat, then all three.
    Typed(m, 3, "x", V::Right);
    Typed(m, 3, "x", V::Repeat);
    Typed(m, 3, "x", V::Right);
    Typed(m, 3, "y", V::Right);
    Typed(m, 3, "z", V::Right);
    Click(m, 4, 10, 20, V::Wrong);
    Click(m, 4, 10, 21, V::Wrong);
    Click(m, 4, 10, 20, V::Wrong);
    Click(m, 4, 50, 50, V::Right);
    for (const char* t : {"p", "q", "r", "s"}) Typed(m, 5, t, V::Wrong);
    Typed(m, 5, "Parsi", V::RightByTypo);
    Typed(m, 6, "w", V::Wrong);
    Typed(m, 6, "G\344vle", V::RightByAccent);  // two tries, as question 3: 3 came first
    Typed(m, 7, "u", V::Wrong);                 // still under way

    EXPECT_EQ(m.Answers().size(), 22u);
    EXPECT_EQ(m.QuestionsAnswered(), 7);
    EXPECT_EQ(m.RightAtFirstTry(), 1);
    EXPECT_EQ(m.Tries(1), 1);
    EXPECT_EQ(m.Tries(3), 2);
    EXPECT_EQ(m.Tries(7), 1);
    EXPECT_EQ(m.Tries(8), 0);
    EXPECT_EQ(Texts(m.WrongAnswers(2)), (std::vector<std::string>{"a", "b", "a"}));

    const std::vector<QuestionTrouble> summary = m.Summary();
    std::vector<std::pair<int, int>> order;
    for (const QuestionTrouble& t : summary) order.emplace_back(t.questionNo, t.tries);
    EXPECT_EQ(order,
              (std::vector<std::pair<int, int>>{{5, 5}, {2, 4}, {4, 4}, {3, 2}, {6, 2}, {7, 1}}));
    EXPECT_EQ(Texts(summary[0].wrongAnswers), (std::vector<std::string>{"p", "q", "r"}));
    EXPECT_EQ(Texts(summary[1].wrongAnswers), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(Texts(summary[2].wrongAnswers), (std::vector<std::string>{"10,20", "10,21"}));
    EXPECT_EQ(Texts(summary[3].wrongAnswers), (std::vector<std::string>{"x"}));

    // A repeat is one whatever the judgement; a near miss is wrong.
    EXPECT_EQ(VerdictOf({true, NearMissKind::Typo, 2}, true), V::Repeat);
    EXPECT_EQ(VerdictOf({true, NearMissKind::Typo, 2}, false), V::RightByTypo);
    EXPECT_EQ(VerdictOf({false, NearMissKind::Accent, 1}, false), V::Wrong);
}

TEST(RoundMemory, SummaryKeepsTheTenWithTheMostTries) {
    clRoundMemory m;
    for (int q = 1; q <= 11; ++q) {
        for (int k = 0; k < q; ++k) Typed(m, q, std::to_string(k), V::Wrong);
        Typed(m, q, "right", V::Right);
    }
    const std::vector<QuestionTrouble> summary = m.Summary();
    ASSERT_EQ(summary.size(), 10u);
    EXPECT_EQ(summary.front().questionNo, 11);
    EXPECT_EQ(summary.front().tries, 12);
    EXPECT_EQ(summary.back().questionNo, 2);  // question 1, with the fewest tries, is left out
    EXPECT_EQ(m.RightAtFirstTry(), 0);
}

// The memory belongs to the round: a new or restarted round starts it afresh,
// a loaded one counts from the load, and the round file never holds it.
TEST(RoundMemory, StartedByTheRoundAndNeverSaved) {
    TempDir dir;
    const std::string questions = dir.Write("q.txt", round_test::QuestionFile(3));
    const std::string roundFile = dir.File("r.txt");
    clQuestionOrder round;
    ASSERT_EQ(round.LoadQuestionFile(questions.c_str()), 1);
    EXPECT_FALSE(round.memory.Loaded());
    Typed(round.memory, 1, "unsaved answer", V::Wrong);
    ASSERT_EQ(round.SaveRoundFile(roundFile.c_str()), 1);
    EXPECT_EQ(ReadWholeFile(roundFile).find("unsaved"), std::string::npos);
    EXPECT_EQ(round.memory.Tries(1), 1);  // saving keeps it

    ASSERT_EQ(round.LoadRoundFile(roundFile.c_str()), 1);
    EXPECT_TRUE(round.memory.Loaded());
    EXPECT_TRUE(round.memory.Answers().empty());

    Typed(round.memory, 2, "again", V::Wrong);
    ASSERT_EQ(round.LoadQuestionFile(nullptr), 1);  // restart
    EXPECT_FALSE(round.memory.Loaded());
    EXPECT_TRUE(round.memory.Answers().empty());
}
