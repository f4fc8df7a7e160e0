// Whole rounds played with typed answers and Enter: feedback texts, colour
// schemes, re-asking, all-answers questions, the Enter latch and the error path.
#include <string>
#include <utility>
#include <vector>

#include "tests/ui/MainFixture.h"

namespace {

// Question 1: three answers with info; 2: one answer, no info; 3: all three
// answers needed, with info, picture and zone; 4: all-answers with a single
// answer; 5: an information card.
std::string CapitalsFile(const TempDir& dir) {
    dir.Write("grey.bmp", MakeBmp(100, 80, [](int, int) { return RGB(100, 100, 100); }));
    dir.Write("left-half.bmp",
              MakeBmp(100, 80, [](int x, int) { return x < 50 ? RGB(255, 0, 0) : RGB(0, 0, 0); }));
    return dir.Write(
        "capitals.txt",
        "\244Q \"A capital?\" \244A \"Oslo\", \"Rome\", \"Bern\" \244I \"Three capitals.\" "
        "\244E\r\n"
        "\244Q \"Capital of Sweden?\" \244A \"Stockholm\" \244E\r\n"
        "\244Q \"Capitals?\" \244P \"" +
            dir.File("grey.bmp") + "\" \244A \"Oslo\" \"Rome\" \"Bern\" \244Z \"" +
            dir.File("left-half.bmp") +
            "\" \244I \"All three.\" \244F alla zc red \244E\r\n"
            "\244Q \"Capital of Norway?\" \244A \"Oslo\" \244I \"Only one.\" \244F alla \244E\r\n"
            "\244Q \"Just read this.\" \244A \244E\r\n");
}

constexpr const char* kAllThreeWrong =
    "Sorry, correct answers were:\n\"Oslo\", \"Rome\", \"Bern\"\nAdditional info:\nAll three.";

using round_pairs = std::vector<std::pair<int, int>>;

class QuizFlow : public QuillfinTest {
protected:
    // The round as (question number, status) pairs from the head on.
    round_pairs Round() {
        round_pairs pairs;
        clQuestionOrder& round = ui().QuestionOrder;
        for (int p = 0; p < round.qantal; ++p)
            pairs.emplace_back(round.ReturnQuestionNo(p), round.ReturnQuestionStat(p));
        return pairs;
    }

    // The client pixel of picture pixel (x, y), the picture shown at its own size.
    std::string PicturePixel(int x, int y) { return Pixel(ui().iPictureLeft + x, 10 + y); }
};

TEST_F(QuizFlow, TypedAnswersGiveTheirFeedbackAndColours) {
    const std::string file = CapitalsFile(dir);
    struct Case {
        int question;
        const char* typed;
        int state;
        const char* background;
        const char* feedback;
    };
    const Case cases[] = {
        {2, "Stockholm", kQuizFeedbackCorrect, kCorrectBackground, "Correct!"},
        {2, "stockholm", kQuizFeedbackCorrect, kCorrectBackground, "Correct!"},
        {1, "Rome", kQuizFeedbackCorrect, kCorrectBackground,
         "Correct!\nAdditional info:\nThree capitals.\nOther correct answers were:\n\"Oslo\", "
         "\"Bern\""},
        {1, "Paris", kQuizFeedbackWrong, kWrongBackground,
         "Sorry, correct answers were:\n\"Oslo\", \"Rome\", \"Bern\"\nAdditional info:\nThree "
         "capitals."},
        {2, "Stockholm ", kQuizFeedbackWrong, kWrongBackground,
         "Sorry, correct answers were:\n\"Stockholm\"\n"
         "So close: \"Stockholm \" differs from \"Stockholm\" only in blanks and punctuation."},
        {4, "Oslo", kQuizFeedbackCorrect, kCorrectBackground,
         "Correct!\nAdditional info:\nOnly one."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        LoadRound(file, {c.question, 5});
        ASSERT_EQ(ui().QuizState, kQuizAwaitTypedAnswer);
        EXPECT_EQ(Background(), kNeutralBackground);
        EXPECT_TRUE(seams::IsVisible(ui().hwndTextBox));
        EXPECT_EQ(seams::FocusedWindow(), ui().hwndTextBox);

        Answer(c.typed);
        EXPECT_EQ(ui().QuizState, c.state);
        EXPECT_EQ(Shown(), c.feedback);
        EXPECT_EQ(Background(), c.background);
        EXPECT_FALSE(seams::IsVisible(ui().hwndTextBox));
    }
}

TEST_F(QuizFlow, WrongAnswerComesBackAfterThirteenOtherQuestions) {
    std::string blocks;
    std::vector<int> order;
    for (int i = 1; i <= 20; ++i) {
        blocks += "\244Q \"Question " + std::to_string(i) + "\" \244A \"a" + std::to_string(i) +
                  "\" \244E\r\n";
        order.push_back(i);
    }
    LoadRound(dir.Write("twenty.txt", blocks), order);
    ASSERT_EQ(Shown(), "Question 1");
    Answer("wrong");
    PressEnter();
    for (int i = 2; i <= 14; ++i) {
        ASSERT_EQ(Shown(), "Question " + std::to_string(i));
        Answer("a" + std::to_string(i));
        EXPECT_EQ(ui().QuizState, kQuizFeedbackCorrect);
        PressEnter();
    }
    EXPECT_EQ(Shown(), "Question 1");
    EXPECT_EQ(ui().QuestionOrder.ReturnQuestionStat(0), 2);
}

TEST_F(QuizFlow, AllAnswersQuestionIsAnsweredOverSeveralTurns) {
    LoadRound(CapitalsFile(dir), {3, 2});
    const std::string unmarked = PicturePixel(10, 10);
    ASSERT_EQ(unmarked, "#646464");

    Answer("Rome");
    EXPECT_EQ(Shown(), "Correct!\nGive another answer!");
    EXPECT_EQ(PicturePixel(10, 10), unmarked) << "the zone shows only with the last answer";
    PressEnter();
    EXPECT_EQ(Shown(), "Capitals?\nYou have said: \"Rome\"");

    // Saying the same answer again counts as wrong and starts the question
    // over; a line after the wrong-answer text names it.
    Answer("ROME");
    EXPECT_EQ(ui().QuizState, kQuizFeedbackWrong);
    EXPECT_EQ(Shown(), std::string(kAllThreeWrong) + "\nYou had already given \"Rome\".");
    PressEnter();
    ASSERT_EQ(Shown(), "Capital of Sweden?");
    Answer("Stockholm");
    PressEnter();
    EXPECT_EQ(Shown(), "Capitals?");

    Answer("Bern");
    PressEnter();
    Answer("Oslo");
    EXPECT_EQ(Shown(), "Correct!\nGive another answer!");
    PressEnter();
    EXPECT_EQ(Shown(), "Capitals?\nYou have said: \"Bern\", \"Oslo\"");
    Answer("Rome");
    EXPECT_EQ(Shown(), "Correct!\nAdditional info:\nAll three.");
    // Grey 100 in a zone marked on red and blue: (177, 75, 177); outside it unchanged.
    EXPECT_EQ(PicturePixel(10, 10), "#b14bb1");
    EXPECT_EQ(PicturePixel(80, 10), unmarked);
    EXPECT_EQ(Background(), kCorrectBackground);

    PressEnter();
    EXPECT_EQ(ui().QuizState, kQuizRoundFinished);
    EXPECT_EQ(Shown(),
              "Congratulations! You finished the round!\n\n"
              "Questions: 2, right at the first try: 1.\n"
              "Counted since the round was loaded.\n"
              "More tries were needed for:\n"
              "\"Capitals?\" - 2 tries, wrong: \"ROME\"");
    EXPECT_EQ(ui().GivenAnswers, nullptr);
}

TEST_F(QuizFlow, IsFoundInAGivenLooksOnlyAtTheAnswersGiven) {
    LoadRound(CapitalsFile(dir), {3});
    EXPECT_FALSE(IsFoundInAGiven(2)) << "no answers given yet";
    ui().GivenAnswers.reset(new int[4]{1, 2, -1, -1});
    ui().iGivenAnswersSize = 4;
    EXPECT_TRUE(IsFoundInAGiven(2));
    EXPECT_FALSE(IsFoundInAGiven(1));
    ui().GivenAnswers[0] = 0;
    EXPECT_FALSE(IsFoundInAGiven(2)) << "a count of 0 means nothing was given";
}

TEST_F(QuizFlow, AnswersGivenSoFarAreForgottenWhenAnotherRoundStarts) {
    const std::string file = CapitalsFile(dir);
    LoadRound(file, {3});
    Answer("Rome");
    PressEnter();
    ASSERT_NE(ui().GivenAnswers, nullptr);
    LoadRound(file, {3});
    EXPECT_EQ(ui().GivenAnswers, nullptr);
    EXPECT_EQ(Shown(), "Capitals?");
}

TEST_F(QuizFlow, HoldingEnterActsOnce) {
    LoadRound(CapitalsFile(dir), {2, 1});
    seams::TypeText(ui().hwndTextBox, "Stockholm");
    seams::KeyDown(VK_RETURN);
    Pump();
    ASSERT_EQ(ui().QuizState, kQuizFeedbackCorrect);
    // Other messages and the key's repeats while it is held change nothing.
    seams::ResizeClient(Main(), 500, 560);
    Pump();
    seams::KeyDown(VK_RETURN);
    Pump();
    EXPECT_EQ(ui().QuizState, kQuizFeedbackCorrect);
    seams::KeyUp(VK_RETURN);
    Pump();
    EXPECT_EQ(ui().QuizState, kQuizFeedbackCorrect);

    // Held on the feedback, Enter moves on once and does not answer the next question.
    seams::KeyDown(VK_RETURN);
    Pump();
    seams::ResizeClient(Main(), 520, 560);
    Pump();
    EXPECT_EQ(ui().QuizState, kQuizAwaitTypedAnswer);
    EXPECT_EQ(Shown(), "A capital?");
    seams::KeyUp(VK_RETURN);
    Pump();
    EXPECT_EQ(ui().QuizState, kQuizAwaitTypedAnswer);
}

TEST_F(QuizFlow, EnterWhileTheWindowIsInactiveDoesNothing) {
    LoadRound(CapitalsFile(dir), {2});
    seams::TypeText(ui().hwndTextBox, "Stockholm");
    seams::SetActive(Main(), false);
    Pump();
    PressEnter();
    EXPECT_EQ(ui().QuizState, kQuizAwaitTypedAnswer);
    // The press made while inactive is not seen once the window is active again.
    seams::KeyDown(VK_RETURN);
    seams::KeyUp(VK_RETURN);
    seams::SetActive(Main(), true);
    Pump();
    EXPECT_EQ(ui().QuizState, kQuizAwaitTypedAnswer);
    PressEnter();
    EXPECT_EQ(ui().QuizState, kQuizFeedbackCorrect);
}

TEST_F(QuizFlow, FinishedRoundShowsCongratulationsUntilEnter) {
    LoadRound(CapitalsFile(dir), {2});
    Answer("Stockholm");
    PressEnter();
    EXPECT_EQ(ui().QuizState, kQuizRoundFinished);
    EXPECT_EQ(Shown(),
              "Congratulations! You finished the round!\n\n"
              "Questions: 1, right at the first try: 1.\n"
              "Counted since the round was loaded.");
    EXPECT_EQ(std::string(ui().PictureName.get()), "\\F_CG");
    EXPECT_EQ(Background(), kNeutralBackground);
    PressEnter();
    EXPECT_EQ(ui().QuizState, kQuizWelcome);
    EXPECT_EQ(Shown(), "Welcome to Quillfin v.0.02 (beta)");
}

constexpr const char* kCheckLine = "quillfin-check shows the fault in the question file.";

// Mid-round, New round or Load round with a file that cannot start a round:
// a box names the file and says what is wrong, and the round goes on exactly
// as it was: the question, the answers given so far, the typed text.
TEST_F(QuizFlow, AWrongFileLeavesTheRoundInProgressAsItWas) {
    const std::string capitals = CapitalsFile(dir);
    const std::string five = dir.Write("five.txt",
                                       "\r\n\r\n\244Q \"Q\" \244A \"a\" \244E\r\n"
                                       "\244Q \"R\" \244A \"b\" \244E\r\n");
    const std::string missing = dir.File("missing.txt");
    struct Case {
        const char* what;
        int command;
        std::string file;
        const char* fault;
        std::string more;  // the lines after the file's name
    };
    const char* noQuestions = "This file holds no questions, so no round can start from it.";
    const char* unreadable =
        "A question of this file cannot be read, so no round can start from it.";
    const Case cases[] = {
        {"empty file", kCmdNewRound, dir.Write("empty.txt", ""), noQuestions, ""},
        {"picture", kCmdNewRound,
         dir.Write("photo.bmp", MakeBmp(40, 30, [](int, int) { return RGB(1, 2, 3); })),
         noQuestions, ""},
        {"round file", kCmdNewRound,
         dir.Write("saved.qfr", "qfile: \"" + capitals + "\"\r\nqantal: 1\r\nQ: 2 Stat: 0\r\n"),
         "This file is a saved round: Load round continues it.", ""},
        {"odd quote in the first block", kCmdNewRound,
         dir.Write("odd.txt", "\244Q \"Q\" \244A \"a\" \"b \244E"), unreadable,
         std::string("Question 1 (its block starts on line 1)\n") + kCheckLine},
        {"first block empty, on line 3", kCmdNewRound,
         dir.Write("blank.txt", "\r\n\r\n\244Q \244A \244E\r\n"), unreadable,
         std::string("Question 1 (its block starts on line 3)\n") + kCheckLine},
        {"garbage", kCmdLoadRound, dir.Write("garbage.qfr", "\x01\x02 no round"),
         "This file is not a saved round, so no round can be loaded from it.", ""},
        {"question file", kCmdLoadRound, capitals,
         "This file is a question file, not a saved round: New round starts a round on it.", ""},
        {"question lines missing", kCmdLoadRound,
         dir.Write("short.qfr", "qfile: \"" + capitals + "\"\r\nqantal: 3\r\nQ: 1 Stat: 0\r\n"),
         "The list of questions in this round file cannot be read.", ""},
        {"question file missing", kCmdLoadRound,
         dir.Write("lost.qfr", "qfile: \"" + missing + "\"\r\nqantal: 1\r\nQ: 1 Stat: 0\r\n"),
         "The question file that this round names cannot be opened.", "Question file: " + missing},
        {"next question not in the file", kCmdLoadRound,
         dir.Write("beyond.qfr", "qfile: \"" + five +
                                     "\"\r\nqantal: 2\r\nQ: 9 Stat: 2\r\n"
                                     "Q: 1 Stat: 0\r\n"),
         "The question this round would ask next cannot be read.",
         "Question 9 (the file has no such question)\nQuestion file: " + five + "\n" + kCheckLine},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LoadRound(capitals, {3, 2});
        Answer("Rome");
        PressEnter();
        seams::TypeText(ui().hwndTextBox, "Ber");
        const round_pairs before = Round();
        const std::string sfile = ui().QuestionOrder.sfile;
        ASSERT_EQ(Shown(), "Capitals?\nYou have said: \"Rome\"");

        seams::ClearRecords();
        seams::PushFileDialogAnswer(c.file);
        Menu(c.command);
        ASSERT_EQ(seams::ShownMessageBoxes().size(), 1u);
        const seams::ShownMessageBox& box = seams::ShownMessageBoxes()[0];
        EXPECT_EQ(box.caption,
                  c.command == kCmdNewRound ? "Round not started" : "Round not loaded");
        EXPECT_EQ(box.text, std::string(c.fault) + "\nFile: " + c.file +
                                (c.more.empty() ? "" : "\n" + c.more) +
                                "\n\nThe round in progress goes on.");
        EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONWARNING));
        EXPECT_EQ(box.owner, Main());

        EXPECT_EQ(ui().QuizState, kQuizAwaitTypedAnswer);
        EXPECT_EQ(Shown(), "Capitals?\nYou have said: \"Rome\"");
        EXPECT_EQ(Round(), before);
        EXPECT_STREQ(ui().QuestionOrder.ReturnQFile(), capitals.c_str());
        EXPECT_EQ(ui().QuestionOrder.sfile, sfile);
        EXPECT_EQ(seams::ControlText(ui().hwndTextBox), "Ber");
        seams::TypeText(ui().hwndTextBox, "Bern");
        PressEnter();
        EXPECT_EQ(Shown(), "Correct!\nGive another answer!") << "the answer given before counts";
    }
}

// A round file whose count differs from its question file's still loads.
TEST_F(QuizFlow, RoundWithAnotherCountStillLoads) {
    LoadRound(CapitalsFile(dir), {2, 1});
    EXPECT_TRUE(seams::ShownMessageBoxes().empty());
    EXPECT_EQ(ui().QuizState, kQuizAwaitTypedAnswer);
    EXPECT_EQ(Shown(), "Capital of Sweden?");
}

// A question that cannot be read when its turn comes: the fixed sentence,
// then which question, where, in which file, and what shows the fault.
TEST_F(QuizFlow, ErrorInFileNamesTheQuestionItsLineAndItsFile) {
    const std::string file = dir.Write("later.txt",
                                       "\244Q \"Fine?\" \244A \"yes\" \244E\r\n"
                                       "\r\n"
                                       "\244Q \"Odd\" \244A \"a\" \"b \244E\r\n"
                                       "\244Q \244P \"x.bmp\" \244A \244E\r\n");
    const struct {
        int question;
        std::string where;
    } cases[] = {
        {2, "Question 2 (its block starts on line 3)"},
        {3, "Question 3 (its block starts on line 4)"},
        {7, "Question 7 (the file has no such question)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        LoadRound(file, {1, c.question});
        Answer("yes");
        seams::ClearRecords();
        PressEnter();
        ASSERT_EQ(seams::ShownMessageBoxes().size(), 1u);
        const seams::ShownMessageBox& box = seams::ShownMessageBoxes()[0];
        EXPECT_EQ(box.text,
                  "There seems to be an error in either the round\nyou loaded or in the question "
                  "file!\n\n" +
                      c.where + "\nQuestion file: " + file + "\n" + kCheckLine);
        EXPECT_EQ(box.caption, "Error in file");
        EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONWARNING));
        EXPECT_EQ(box.owner, Main());
        EXPECT_EQ(ui().QuizState, kQuizWelcome);
        EXPECT_EQ(Shown(), "Welcome to Quillfin v.0.02 (beta)");
        EXPECT_FALSE(seams::ProcessEvents());
    }
}

// A block with neither answers nor a zone is read, not answered: its text
// in the neutral colours without an answer box, and Enter or a click moves
// it to the end as answered correctly.
TEST_F(QuizFlow, InformationCardMovesOnAsAnsweredCorrectly) {
    CapitalsFile(dir);  // writes grey.bmp
    const std::string file =
        dir.Write("cards.txt",
                  "\244Q \"Capital of Sweden?\" \244A \"Stockholm\" \244E\r\n"
                  "\244Q \"Just read this.\" \244A \244E\r\n"
                  "\244Q \244A \244I \"Only information.\" \244E\r\n"
                  "\244Q \"A fact.\" \244P \"" +
                      dir.File("grey.bmp") + "\" \244A \244I \"And more.\" \244F alla \244E\r\n");
    const struct {
        int question;
        bool click;
        const char* shown;
    } cases[] = {
        {2, false, "Just read this."},
        {3, true, "Only information."},
        {4, false, "A fact.\nAdditional info:\nAnd more."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        LoadRound(file, {c.question, 1});
        EXPECT_EQ(Shown(), c.shown);
        EXPECT_EQ(Background(), kNeutralBackground);
        EXPECT_FALSE(seams::IsVisible(ui().hwndTextBox));
        EXPECT_FALSE(seams::ProcessEvents()) << "nothing may wake the loop again";
        if (c.click) {
            seams::Click(Main(), 5, 5);
            Pump();
        } else {
            PressEnter();
        }
        EXPECT_EQ(Shown(), "Capital of Sweden?");
        EXPECT_EQ(Round(), (round_pairs{{1, 0}, {c.question, 1}}));
    }
    // The picture of a card is shown; a round of cards alone comes to its end.
    LoadRound(file, {4});
    EXPECT_EQ(PicturePixel(10, 10), "#646464");
    PressEnter();
    EXPECT_EQ(ui().QuizState, kQuizRoundFinished);
}

}  // namespace
