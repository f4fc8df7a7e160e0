// Whole rounds played with typed answers and Enter: feedback texts, colour
// schemes, re-asking, all-answers questions, the Enter latch and the error path.
#include <string>

#include "tests/ui/MainFixture.h"

namespace {

// Question 1: three answers with info; 2: one answer, no info; 3: all three
// answers needed, with info, picture and zone; 4: all-answers with a single
// answer; 5: nothing to answer.
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

class QuizFlow : public QuillfinTest {
protected:
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
         "Sorry, correct answers were:\n\"Stockholm\"\n"},
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

    // Saying the same answer again counts as wrong and starts the question over.
    Answer("ROME");
    EXPECT_EQ(ui().QuizState, kQuizFeedbackWrong);
    EXPECT_EQ(Shown(), kAllThreeWrong);
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
    EXPECT_EQ(Shown(), "Congratulations! You finished the round!");
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
    EXPECT_EQ(Shown(), "Congratulations! You finished the round!");
    EXPECT_EQ(std::string(ui().PictureName.get()), "\\F_CG");
    EXPECT_EQ(Background(), kNeutralBackground);
    PressEnter();
    EXPECT_EQ(ui().QuizState, kQuizWelcome);
    EXPECT_EQ(Shown(), "Welcome to Quillfin v.0.02 (beta)");
}

TEST_F(QuizFlow, FilesThatCannotBeReadAreReportedAndLeadToWelcome) {
    struct Case {
        const char* what;
        int command;
        std::string file;
    };
    const Case cases[] = {
        {"round file of garbage", kCmdLoadRound, dir.Write("garbage.qfr", "\x01\x02 no round")},
        {"round naming a missing question file", kCmdLoadRound,
         dir.Write("lost.qfr",
                   "qfile: \"" + dir.File("missing.txt") + "\"\r\nqantal: 1\r\nQ: 1 Stat: 0\r\n")},
        {"question file without questions", kCmdNewRound, dir.Write("empty.txt", "no tags here")},
        {"question block with an odd quote", kCmdNewRound,
         dir.Write("odd.txt", "\244Q \"Q\" \244A \"a\" \"b \244E")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        seams::ClearRecords();
        seams::PushFileDialogAnswer(c.file);
        Menu(c.command);
        ASSERT_EQ(seams::ShownMessageBoxes().size(), 1u);
        const seams::ShownMessageBox& box = seams::ShownMessageBoxes()[0];
        EXPECT_EQ(box.text,
                  "There seems to be an error in either the round\nyou loaded or in the question "
                  "file!");
        EXPECT_EQ(box.caption, "Error in file");
        EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONWARNING));
        EXPECT_EQ(box.owner, Main());
        EXPECT_EQ(ui().QuizState, kQuizWelcome);
        EXPECT_EQ(Shown(), "Welcome to Quillfin v.0.02 (beta)");
        EXPECT_FALSE(seams::ProcessEvents());
    }
}

TEST_F(QuizFlow, QuestionWithNothingToAnswerWaitsWithoutSpinning) {
    const std::string file = CapitalsFile(dir);
    LoadRound(file, {5, 2});
    EXPECT_EQ(ui().QuizState, kQuizNextQuestion);
    EXPECT_EQ(Shown(), "Just read this.");
    EXPECT_FALSE(seams::ProcessEvents()) << "nothing may wake the loop again";
    // The window still follows its size, and a menu command moves on.
    seams::ResizeClient(Main(), 400, 500);
    EXPECT_LT(Pump(), 20);
    EXPECT_EQ(seams::ControlRect(ui().hwndTextArea).left, 13);
    EXPECT_EQ(Shown(), "Just read this.");
    LoadRound(file, {2});
    EXPECT_EQ(ui().QuizState, kQuizAwaitTypedAnswer);
    EXPECT_EQ(Shown(), "Capital of Sweden?");
}

}  // namespace
