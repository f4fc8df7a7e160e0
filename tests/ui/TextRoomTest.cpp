// The room the question and the feedback get below the picture: as much as
// they need at the window's width, the picture giving way down to a quarter
// of the client height, and the text area scrolling beyond that.
#include <string>

#include "tests/ui/MainFixture.h"
#include "ui/Controls.h"

namespace {

class TextRoom : public QuillfinTest {
protected:
    // A 480 x 360 picture with a question of 400 characters, five answers
    // and 300 characters of information; a short question with the same
    // picture; and a question of 2000 characters with it.
    std::string QuizFile() {
        dir.Write("wide.bmp", MakeBmp(480, 360, [](int, int) { return RGB(90, 120, 90); }));
        std::string question = "Which of these rivers";
        while (question.size() < 395) question += " flows north";
        question.resize(395);
        question += " now?";
        std::string info = "The river";
        while (info.size() < 300) info += " and its delta";
        info.resize(300);
        std::string endless = "Long";
        while (endless.size() < 2000) endless += " words without end";
        return dir.Write("rivers.txt",
                         "\244Q \"" + question +
                             "\" \244P \"wide.bmp\" \244A \"Nile\", \"Ob\", \"Lena\", "
                             "\"Mackenzie\", \"Yenisei\" \244I \"" +
                             info +
                             "\" \244E\r\n"
                             "\244Q \"Short?\" \244P \"wide.bmp\" \244A \"Yes\" \244E\r\n"
                             "\244Q \"" +
                             endless + "\" \244P \"wide.bmp\" \244A \"Yes\" \244E\r\n");
    }

    void Resize(int width, int height) {
        seams::ResizeClient(Main(), width, height);
        Pump();
    }

    // The lowest client row a control or its frames reach.
    int LowestRow() {
        const UiState& u = ui();
        const int text = u.TextAreaText ? u.iTextAreaY + u.iTextAreaHeight + 2 : 0;
        const int box = u.bShowTextBox ? u.iTextBoxY + u.iTextBoxHeight + 2 : 0;
        return std::max(text, box);
    }
};

TEST_F(TextRoom, LongQuestionAndLongFeedbackAreShownWholeBesideThePicture) {
    const std::string file = QuizFile();
    for (auto [width, height] : {std::pair{504, 526}, std::pair{400, 400}}) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        Resize(width, height);
        LoadRound(file, {1, 2});
        ASSERT_EQ(ui().QuizState, kQuizAwaitTypedAnswer);
        EXPECT_EQ(Shown().size(), 400u);
        EXPECT_EQ(seams::HiddenTextRows(ui().hwndTextArea), 0) << "the question is cut off";
        EXPECT_GT(ui().iPictureHeight, 0);
        EXPECT_LE(LowestRow(), height) << "a control reaches out of the window";

        Answer("Amazon");
        ASSERT_EQ(ui().QuizState, kQuizFeedbackWrong);
        EXPECT_NE(Shown().find("\"Nile\", \"Ob\", \"Lena\", \"Mackenzie\", \"Yenisei\""),
                  std::string::npos);
        EXPECT_EQ(seams::HiddenTextRows(ui().hwndTextArea), 0) << "the feedback is cut off";
        EXPECT_LE(LowestRow(), height);
    }
}

TEST_F(TextRoom, SmallWindowGivesThePictureTheRowsTheTextsLeave) {
    Resize(300, 260);
    LoadRound(QuizFile(), {2});
    ASSERT_EQ(ui().QuizState, kQuizAwaitTypedAnswer);
    // 480 x 360 in 278 x (260 - texts): the height decides, and the answer
    // box ends next to the window's bottom edge, not 100 rows above it.
    const int line = TextLineHeight();
    const int texts = 21 + (line + 4) + 10 + (line + 4) + 7;
    EXPECT_EQ(ui().iPictureHeight, 260 - texts);
    EXPECT_GE(LowestRow(), 260 - 7);
    EXPECT_LE(LowestRow(), 260);
    EXPECT_EQ(seams::HiddenTextRows(ui().hwndTextArea), 0);
}

TEST_F(TextRoom, TextBeyondTheRoomScrollsAndThePictureKeepsAQuarter) {
    LoadRound(QuizFile(), {3});
    for (auto [width, height] : {std::pair{504, 526}, std::pair{400, 400}, std::pair{300, 260}}) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        Resize(width, height);
        ASSERT_EQ(ui().QuizState, kQuizAwaitTypedAnswer);
        // Fitted into a quarter of the client height, truncated.
        EXPECT_GE(ui().iPictureHeight, height / 4 - 1);
        EXPECT_LE(ui().iPictureHeight, height - height * 3 / 4);
        EXPECT_GT(seams::HiddenTextRows(ui().hwndTextArea), 0);
        EXPECT_LE(LowestRow(), height);
        EXPECT_GE(LowestRow(), height - 7) << "room left unused below the answer box";
    }
}

TEST_F(TextRoom, AnswerBoxTypesInTheTextAreasFont) {
    LoadRound(QuizFile(), {2});
    EXPECT_EQ(ui().iTextBoxHeight, TextLineHeight() + 4);
    EXPECT_EQ(SendMessageA(ui().hwndTextBox, WM_GETFONT, 0, 0),
              reinterpret_cast<LRESULT>(ui().hTextAreaFont));
}

}  // namespace
