// Start-up, the welcome screen and the layout of the main window.
#include <string>

#include "tests/ui/MainFixture.h"
#include "ui/Controls.h"

namespace {

using QuillfinMain = QuillfinTest;

RECT Rect(int x, int y, int width, int height) { return RECT{x, y, x + width, y + height}; }

void ExpectRect(const RECT& actual, const RECT& expected) {
    EXPECT_EQ(actual.left, expected.left);
    EXPECT_EQ(actual.top, expected.top);
    EXPECT_EQ(actual.right, expected.right);
    EXPECT_EQ(actual.bottom, expected.bottom);
}

TEST_F(QuillfinMain, StartsWithTheWelcomeScreen) {
    EXPECT_EQ(seams::WindowTitle(Main()), "Quillfin");
    EXPECT_EQ(ui().QuizState, kQuizWelcome);
    EXPECT_EQ(Shown(), "Welcome to Quillfin v.0.02 (beta)");
    EXPECT_TRUE(seams::IsVisible(ui().hwndTextArea));
    EXPECT_FALSE(seams::IsVisible(ui().hwndTextBox));
    EXPECT_EQ(Background(), kNeutralBackground);
    EXPECT_EQ(std::string(ui().PictureName.get()), "\\S_WC");
    EXPECT_GT(ui().iPictureWidth, 0);
    EXPECT_GT(ui().iPictureHeight, 0);
    EXPECT_EQ(seams::ShownMessageBoxes().size(), 0u);
}

TEST_F(QuillfinMain, LayoutFollowsTheClientSize) {
    // The 480 x 360 welcome picture and its 33-character text, one line of
    // the font and the text area's margins of 2 above and below.
    const int line = TextLineHeight() + 4;
    struct Case {
        int width, height;
        int pictureHeight;
        RECT textArea;
    };
    const Case cases[] = {
        // Wide: 478 pixels, centred; the picture at its own size.
        {800, 600, 360, Rect(162, 381, 478, line)},
        // Narrow: 24 pixels less than the client, at 13; the width decides
        // the picture's size, as before the text had its own height.
        {400, 600, 283, Rect(13, 304, 376, line)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        seams::ResizeClient(Main(), c.width, c.height);
        Pump();
        EXPECT_EQ(ui().iPictureHeight, c.pictureHeight);
        ExpectRect(seams::ControlRect(ui().hwndTextArea), c.textArea);
        EXPECT_EQ(ui().iTextAreaX, c.textArea.left);
        EXPECT_EQ(ui().iTextAreaHeight, c.textArea.bottom - c.textArea.top);
    }
}

TEST_F(QuillfinMain, AnswerBoxStandsBelowTheTextAreaWithFrames) {
    const std::string file = dir.Write("q.txt",
                                       "\244Q \"First line\nsecond line\" \244A \"x\" \244E\r\n"
                                       "\244Q \244A \"y\" \244E\r\n"
                                       "\244Q \"" +
                                           std::string(1000, 'w') + "\" \244A \"z\" \244E\r\n");
    std::string round =
        "qfile: \"" + file + "\"\r\nqantal: 3\r\nQ: 1 Stat: 0\r\nQ: 2 Stat: 0\r\nQ: 3 Stat: 0\r\n";
    seams::PushFileDialogAnswer(dir.Write("r.qfr", round));
    Menu(kCmdLoadRound);
    seams::ResizeClient(Main(), 600, 500);
    Pump();

    // No picture: the text area at y 21; two lines of text in it. The answer
    // box is one line of the same font high, ten pixels lower.
    const int line = TextLineHeight();
    ExpectRect(seams::ControlRect(ui().hwndTextArea), Rect(62, 21, 478, 2 * line + 4));
    ExpectRect(seams::ControlRect(ui().hwndTextBox),
               Rect(62, 21 + 2 * line + 4 + 10, 478, line + 4));
    EXPECT_TRUE(seams::IsVisible(ui().hwndTextBox));
    EXPECT_EQ(seams::FocusedWindow(), ui().hwndTextBox);
    // Light blue inside, blue outside, round both controls.
    EXPECT_EQ(Pixel(61, 30), "#f5f5ff");
    EXPECT_EQ(Pixel(60, 30), "#0000ff");
    EXPECT_EQ(Pixel(59, 30), kNeutralBackground);
    EXPECT_EQ(Pixel(62 + 478, 30), "#f5f5ff");
    EXPECT_EQ(Pixel(62 + 478 + 1, 30), "#0000ff");

    // A question without text: the text area is placed but stays hidden.
    Answer("x");
    PressEnter();
    ASSERT_EQ(ui().QuizState, kQuizAwaitTypedAnswer);
    EXPECT_EQ(ui().TextAreaText, nullptr);
    EXPECT_FALSE(seams::IsVisible(ui().hwndTextArea));
    EXPECT_EQ(Pixel(60, 25), kNeutralBackground) << "no frame round the hidden text area";
    EXPECT_EQ(ui().iTextBoxY, 31);

    // A text longer than the room below: the text area takes all of that
    // room above the box, and scrolls.
    Answer("y");
    PressEnter();
    ASSERT_EQ(ui().QuizState, kQuizAwaitTypedAnswer);
    EXPECT_EQ(ui().iTextAreaHeight, 500 - 21 - 10 - (line + 4) - 7);
    EXPECT_GT(seams::HiddenTextRows(ui().hwndTextArea), 0);
}

}  // namespace
