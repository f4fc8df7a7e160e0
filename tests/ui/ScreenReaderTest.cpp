// What a screen reader finds through Qt's accessibility interfaces: the
// text area's text, the answer box's name, the picture as a graphic named
// by its question, how a zone question is answered and the crosshair's
// place; and that it is told when the feedback replaces the question.
#include <QAccessible>
#include <QAccessibleInterface>
#include <string>

#include "tests/ui/MainFixture.h"

namespace {

class ScreenReader : public QuillfinTest {
protected:
    static QAccessibleInterface* Of(HWND hwnd) {
        return QAccessible::queryAccessibleInterface(seams::WidgetOf(hwnd));
    }
    static std::string Text(HWND hwnd, QAccessible::Text kind) {
        QAccessibleInterface* face = Of(hwnd);
        return face != nullptr ? face->text(kind).toStdString() : "(none)";
    }

    static int NameChanges(HWND hwnd) {
        return seams::AccessibleEvents(hwnd, QAccessible::NameChanged);
    }

    std::string QuizFile() {
        dir.Write("grey.bmp", MakeBmp(160, 160, [](int, int) { return RGB(100, 100, 100); }));
        dir.Write("right.bmp", MakeBmp(160, 160, [](int x, int) {
                      return x >= 80 ? RGB(255, 0, 0) : RGB(0, 0, 0);
                  }));
        return dir.Write(
            "quiz.txt",
            "\244Q \"Capital of Sweden?\" \244P \"grey.bmp\" \244A \"Stockholm\" \244E\r\n"
            "\244Q \"Point at the right half.\" \244P \"grey.bmp\" \244A \244Z \"right.bmp\" "
            "\244F zr 255 \244E\r\n");
    }
};

TEST_F(ScreenReader, ControlsHaveRolesAndNames) {
    LoadRound(QuizFile(), {1, 2});
    ASSERT_EQ(ui().QuizState, kQuizAwaitTypedAnswer);
    QAccessibleInterface* text = Of(ui().hwndTextArea);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->role(), QAccessible::EditableText);
    EXPECT_TRUE(text->state().readOnly);
    EXPECT_EQ(Text(ui().hwndTextArea, QAccessible::Name), "Capital of Sweden?");

    QAccessibleInterface* box = Of(ui().hwndTextBox);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->role(), QAccessible::EditableText);
    EXPECT_EQ(Text(ui().hwndTextBox, QAccessible::Name), "Answer");

    QAccessibleInterface* picture = Of(Main());
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->role(), QAccessible::Graphic);
    EXPECT_EQ(Text(Main(), QAccessible::Name), "Capital of Sweden?");
    EXPECT_EQ(Text(Main(), QAccessible::Description), "") << "no point to choose";
}

TEST_F(ScreenReader, FeedbackIsAnnouncedOnceAsTheNewText) {
    LoadRound(QuizFile(), {1, 2});
    const int before = NameChanges(ui().hwndTextArea);
    Answer("Oslo");
    ASSERT_EQ(ui().QuizState, kQuizFeedbackWrong);
    EXPECT_EQ(NameChanges(ui().hwndTextArea), before + 1);
    EXPECT_EQ(Text(ui().hwndTextArea, QAccessible::Name),
              "Sorry, correct answers were:\n\"Stockholm\"\n")
        << "right or wrong is said in words";
    // A resize lays the window out again but changes no text.
    seams::ResizeClient(Main(), 450, 500);
    Pump();
    EXPECT_EQ(NameChanges(ui().hwndTextArea), before + 1);
}

TEST_F(ScreenReader, ZonePictureSaysHowItIsAnsweredAndWhereTheCrosshairIs) {
    LoadRound(QuizFile(), {2, 1});
    ASSERT_EQ(ui().QuizState, kQuizAwaitZoneClick);
    EXPECT_EQ(Text(Main(), QAccessible::Name), "Point at the right half.");
    EXPECT_EQ(Text(Main(), QAccessible::Description),
              "Answered by a point on the picture: the arrow keys move the cross, Enter answers.");
    EXPECT_EQ(Text(Main(), QAccessible::Value), "column 9 of 16, row 9 of 16");
    const int before = seams::AccessibleEvents(Main(), QAccessible::ValueChanged);
    seams::KeyDown(VK_LEFT);
    seams::KeyUp(VK_LEFT);
    seams::KeyDown(VK_UP);
    seams::KeyUp(VK_UP);
    Pump();
    EXPECT_EQ(Text(Main(), QAccessible::Value), "column 8 of 16, row 8 of 16");
    EXPECT_EQ(seams::AccessibleEvents(Main(), QAccessible::ValueChanged), before + 2);

    PressEnter();  // column 8 is the left half: wrong
    ASSERT_EQ(ui().QuizState, kQuizFeedbackWrong);
    EXPECT_EQ(Text(Main(), QAccessible::Description), "");
    EXPECT_EQ(Text(Main(), QAccessible::Value), "");
    EXPECT_EQ(Text(ui().hwndTextArea, QAccessible::Name), "Sorry, correct area is now shown.");
}

}  // namespace
