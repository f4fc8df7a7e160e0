// The window teaches while a round runs: the title counts the questions left,
// the feedback names near misses, tolerant accepts and repeats after its
// fixed text, and the congratulations end with a summary of the round.
#include <string>
#include <vector>

#include "tests/ui/MainFixture.h"
#include "ui/RoundSummary.h"
#include "ui/WindowTitle.h"

namespace {

class RoundTeaching : public QuillfinTest {
protected:
    std::string Title() { return seams::WindowTitle(Main()); }

    void NewRound(const std::string& file) {
        seams::PushFileDialogAnswer(file);
        Menu(kCmdNewRound);
    }

    // Answers whatever question is at the head from `answers` by its text.
    void AnswerHead(const std::vector<std::pair<std::string, std::string>>& answers) {
        for (const auto& [question, answer] : answers) {
            if (Shown() == question) {
                Answer(answer);
                return;
            }
        }
        ADD_FAILURE() << "no answer for " << Shown() << " in state " << ui().QuizState;
    }
};

constexpr const char* kSorryGavle = "Sorry, correct answers were:\n\"G\xc3\xa4vle\"\n";

}  // namespace

// The count falls as questions are answered right (an all-answers question
// only when completed), stays on a wrong answer, and the file's name is shown
// as the message boxes show it.
TEST_F(RoundTeaching, TitleCountsTheQuestionsLeft) {
    EXPECT_EQ(Title(), "Quillfin");
    const std::string file = dir.Write("G\xc3\xa4vle quiz.txt",
                                       "\244Q \"One\" \244A \"a\" \244E\r\n"
                                       "\244Q \"Two\" \244A \"b\" \"c\" \244F alla \244E\r\n"
                                       "\244Q \"Card\" \244A \244E\r\n");
    LoadRound(file, {1, 2, 3});
    const std::string name = "Quillfin - G\xc3\xa4vle quiz.txt - ";
    EXPECT_EQ(Title(), name + "3 left");
    Answer("x");
    EXPECT_EQ(Title(), name + "3 left");
    PressEnter();  // question 1 goes back, behind 2 and 3
    Answer("b");
    EXPECT_EQ(Title(), name + "3 left") << "one of two answers does not complete it";
    PressEnter();
    Answer("c");
    EXPECT_EQ(Title(), name + "2 left") << "the answer that completes it counts at once";
    PressEnter();
    ASSERT_EQ(Shown(), "Card");
    EXPECT_EQ(Title(), name + "2 left") << "a card counts once it is moved on";
    PressEnter();
    EXPECT_EQ(Title(), name + "1 left");
    Answer("a");
    EXPECT_EQ(Title(), name + "0 left");
    PressEnter();
    EXPECT_EQ(ui().QuizState, kQuizRoundFinished);
    EXPECT_EQ(Title(), name + "finished");
    PressEnter();
    EXPECT_EQ(Title(), "Quillfin");
}

// Exact answers come first; `acc` and `typo` accept only what they name and
// say how the answer is spelled; without them a near miss is named after
// the wrong-answer text, which stays as it was.
TEST_F(RoundTeaching, FeedbackLinesAfterTheFixedTexts) {
    struct Case {
        const char* flags;
        const char* typed;  // UTF-8, as typed into the box
        int state;
        std::string shown;
    };
    const Case cases[] = {
        {"acc", "Gavle", kQuizFeedbackCorrect, "Correct!\nSpelled \"G\xc3\xa4vle\"."},
        {"acc", "G\xc3\xa4vle", kQuizFeedbackCorrect, "Correct!"},
        {"acc", "Gavel", kQuizFeedbackWrong,
         std::string(kSorryGavle) + "So close: \"Gavel\" is one typo away from \"G\xc3\xa4vle\"."},
        {"typo", "Gavle", kQuizFeedbackWrong,
         std::string(kSorryGavle) +
             "So close: \"Gavle\" differs from \"G\xc3\xa4vle\" only in accents."},
        {"typo", "Gvle", kQuizFeedbackCorrect, "Correct!\nSpelled \"G\xc3\xa4vle\"."},
        {"typo", "Gavel", kQuizFeedbackCorrect, "Correct!\nSpelled \"G\xc3\xa4vle\"."},
        {"cs acc", "gavle", kQuizFeedbackWrong,
         std::string(kSorryGavle) + "So close: \"gavle\" is one typo away from \"G\xc3\xa4vle\"."},
        {"accent", "Gavle", kQuizFeedbackWrong,
         std::string(kSorryGavle) +
             "So close: \"Gavle\" differs from \"G\xc3\xa4vle\" only in accents."},
        {"", "G\xc3\xa4vle!", kQuizFeedbackWrong,
         std::string(kSorryGavle) +
             "So close: \"G\xc3\xa4vle!\" differs from \"G\xc3\xa4vle\" only in blanks and "
             "punctuation."},
        {"", "Lund", kQuizFeedbackWrong, kSorryGavle},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.flags) + ": " + c.typed);
        LoadRound(dir.Write("town.txt", std::string("\244Q \"Town?\" \244A \"G\344vle\" \244F ") +
                                            c.flags + " \244E\r\n"),
                  {1});
        ASSERT_EQ(ui().QuizState, kQuizAwaitTypedAnswer);
        Answer(c.typed);
        EXPECT_EQ(ui().QuizState, c.state);
        EXPECT_EQ(Shown(), c.shown);
    }
}

// The repeat of a tolerant accept is a repeat, and a near miss of an answer
// already given is not named.
TEST_F(RoundTeaching, AllAnswersRepeatsAndNearMisses) {
    LoadRound(dir.Write("rivers.txt",
                        "\244Q \"Rivers?\" \244A \"M\344lar\" \"Rh\364ne\" \"Po\" \244I \"Three.\" "
                        "\244F alla acc \244E\r\n"),
              {1});
    Answer("Rhone");
    EXPECT_EQ(Shown(), "Correct!\nGive another answer!\nSpelled \"Rh\xc3\xb4ne\".");
    PressEnter();
    Answer("Rhine");
    EXPECT_EQ(ui().QuizState, kQuizFeedbackWrong);
    EXPECT_EQ(Shown(),
              "Sorry, correct answers were:\n\"M\xc3\xa4lar\", \"Rh\xc3\xb4ne\", \"Po\"\n"
              "Additional info:\nThree.")
        << "Rhône was given already: no near miss named";
    PressEnter();
    Answer("Rh\xc3\xb4ne");
    PressEnter();
    Answer("rhone");
    EXPECT_EQ(ui().QuizState, kQuizFeedbackWrong);
    EXPECT_EQ(Shown(),
              "Sorry, correct answers were:\n\"M\xc3\xa4lar\", \"Rh\xc3\xb4ne\", \"Po\"\n"
              "Additional info:\nThree.\nYou had already given \"Rh\xc3\xb4ne\".");
}

// A file without the new flag words grades every answer as TestAnswer does,
// and its fixed texts come first, unchanged.
TEST_F(RoundTeaching, FileWithoutTheNewWordsGradesAsBefore) {
    const std::string file = dir.Write(
        "plain.txt", "\244Q \"Town?\" \244A \"G\344vle\" \"Ume\345\" \244F accept typos \244E\r\n");
    struct Case {
        const char* utf8;  // as typed into the box
        const char* cp1252;
    };
    const Case cases[] = {
        {"G\xc3\xa4vle", "G\344vle"}, {"g\xc3\x84VLE", "g\304VLE"},
        {"Gavle", "Gavle"},           {"Umea", "Umea"},
        {"Gavel", "Gavel"},           {"Ume\xc3\xa5 ", "Ume\345 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utf8);
        LoadRound(file, {1});
        Answer(c.utf8);
        const bool right = ui().CurrentQuestion.TestAnswer(c.cp1252, kAnswerCompareLimit) > 0;
        EXPECT_EQ(ui().QuizState, right ? kQuizFeedbackCorrect : kQuizFeedbackWrong);
        const std::string fixed =
            right ? "Correct!\nOther correct answers were:\n\""
                  : "Sorry, correct answers were:\n\"G\xc3\xa4vle\", \"Ume\xc3\xa5\"\n";
        EXPECT_EQ(Shown().substr(0, fixed.size()), fixed);
        EXPECT_EQ(Shown().find("Spelled"), std::string::npos);
    }
}

// A new round forgets the answers of the round before it; a round started
// from a question file does not say it was loaded.
TEST_F(RoundTeaching, NewRoundStartsTheSummaryAfresh) {
    const std::string file = dir.Write("two.txt",
                                       "\244Q \"First question here\" \244A \"a\" \244E\r\n"
                                       "\244Q \"Second\" \244A \"b\" \244E\r\n");
    LoadRound(file, {1, 2});
    Answer("nope");
    PressEnter();
    NewRound(file);
    const std::vector<std::pair<std::string, std::string>> answers = {{"First question here", "a"},
                                                                      {"Second", "b"}};
    AnswerHead(answers);
    PressEnter();
    AnswerHead({{"First question here", "z"}, {"Second", "y"}});
    PressEnter();
    AnswerHead(answers);  // the one answered wrongly comes back at once
    PressEnter();
    ASSERT_EQ(ui().QuizState, kQuizRoundFinished);
    const std::string shown = Shown();
    const std::string head =
        "Congratulations! You finished the round!\n\n"
        "Questions: 2, right at the first try: 1.\n"
        "More tries were needed for:\n";
    EXPECT_EQ(shown.substr(0, head.size()), head);
    EXPECT_EQ(shown.find("nope"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("loaded"), std::string::npos) << shown;
}

// The summary's list: the most tries first, ten questions at most, three
// wrong answers each, clicks counted, long texts cut.
TEST(RoundSummaryText, ListsTheQuestionsThatTookMoreTries) {
    TempDir dir;
    std::string blocks;
    for (int i = 1; i <= 12; ++i) {
        blocks += "\244Q \"Question " + std::to_string(i) + "\" \244A \"a\" \244E\r\n";
    }
    const std::string file = dir.Write("twelve.txt", blocks);
    clRoundMemory memory;
    memory.Start(false);
    auto typed = [&memory](int no, const std::string& text, AnswerVerdict verdict) {
        AnswerRecord r;
        r.questionNo = no;
        r.text = text;
        r.verdict = verdict;
        memory.Record(r);
    };
    // Question q has q - 1 wrong answers, then the right one; 1 is right at once.
    for (int q = 1; q <= 12; ++q) {
        for (int w = 1; w < q; ++w) typed(q, "w" + std::to_string(w), AnswerVerdict::Wrong);
        typed(q, "a", AnswerVerdict::Right);
    }
    AnswerRecord click;
    click.questionNo = 13;  // no such block: named by its number
    click.click = true;
    memory.Record(click);
    click.x = 5;
    memory.Record(click);
    click.verdict = AnswerVerdict::Right;
    memory.Record(click);
    typed(2, std::string(45, 'x'), AnswerVerdict::Wrong);
    typed(2, "a", AnswerVerdict::Right);

    std::string expected =
        "\n\nQuestions: 13, right at the first try: 1.\nMore tries were needed for:";
    for (int q = 12; q >= 4; --q) {
        expected += "\n\"Question " + std::to_string(q) + "\" - " + std::to_string(q) +
                    " tries, wrong: \"w1\", \"w2\", \"w3\"";
    }
    // Question 2 was answered before question 3: at equal tries it comes first,
    // and question 3 is the eleventh.
    expected += "\n\"Question 2\" - 3 tries, wrong: \"w1\", \"" + std::string(40, 'x') + "...\"";
    EXPECT_EQ(RoundSummary(memory, file.c_str()), expected);

    memory.Start(true);
    EXPECT_EQ(RoundSummary(memory, file.c_str()),
              "\n\nNo question was answered since the round was loaded.");
    memory.Record(click);
    EXPECT_EQ(RoundSummary(memory, file.c_str()),
              "\n\nQuestions: 1, right at the first try: 1.\nCounted since the round was loaded.");
    memory.Start(false);
    EXPECT_EQ(RoundSummary(memory, file.c_str()), "");
    click.verdict = AnswerVerdict::Wrong;
    memory.Record(click);
    click.verdict = AnswerVerdict::Right;
    memory.Record(click);
    typed(2, std::string(45, 'x'), AnswerVerdict::Wrong);
    typed(2, "a", AnswerVerdict::Right);
    EXPECT_EQ(RoundSummary(memory, file.c_str()),
              "\n\nQuestions: 2, right at the first try: 0.\nMore tries were needed for:"
              "\nQuestion 13 - 2 tries, wrong: 1 click beside the zone"
              "\n\"Question 2\" - 2 tries, wrong: \"" +
                  std::string(40, 'x') + "...\"");
}

TEST(RoundSummaryText, FirstWords) {
    struct Case {
        std::string text;
        std::string words;
    };
    const std::string forty(40, 'y');
    const Case cases[] = {
        {"one two three four five six", "one two three four five six"},
        {"one two three four five six seven", "one two three four five six..."},
        {"  one\r\ntwo\t three  ", "one two three"},
        {forty, forty},
        {forty + "z", forty + "..."},
        {"ab " + std::string(38, 'c'), "ab..."},  // 41 bytes with the blank
        {"ab " + std::string(37, 'c'), "ab " + std::string(37, 'c')},
        {"", ""},
        {" \r\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FirstWords(c.text), c.words);
    }
}
