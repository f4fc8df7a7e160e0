// The keyboard, the focus and the activation as a learner meets them: every
// Enter press counts once and only when it was meant for the question on
// screen; the letters typed before Enter are all in the answer; clicks and
// Alt keys leave the answer box as it was.
#include <QCoreApplication>
#include <QKeyEvent>
#include <string>

#include "tests/ui/MainFixture.h"

namespace {

class Keyboard : public QuillfinTest {
protected:
    // Question 1: typed, one answer; 2: typed, several answers; 3: a zone
    // question whose zone is the right half of its picture.
    std::string QuizFile() {
        dir.Write("half.bmp", MakeBmp(100, 80, [](int, int) { return RGB(90, 90, 90); }));
        dir.Write("half-zone.bmp", MakeBmp(100, 80, [](int x, int) {
                      return x < 50 ? RGB(0, 0, 0) : RGB(255, 0, 0);
                  }));
        return dir.Write("quiz.txt",
                         "\244Q \"Capital of Sweden?\" \244A \"Stockholm\" \244E\r\n"
                         "\244Q \"A town by the sea?\" \244A \"G\344vle\", \"Oslo\" \244E\r\n"
                         "\244Q \"Click the right half.\" \244P \"" +
                             dir.File("half.bmp") + "\" \244A \244Z \"" +
                             dir.File("half-zone.bmp") + "\" \244F zc red \244E\r\n");
    }

    std::string Box() { return seams::ControlText(ui().hwndTextBox); }

    // Enter goes down while a dialog or box has the keyboard, and closes it.
    static void PressEnterInTheDialog() {
        seams::SendKey(Ui().hwndMain, true, Qt::Key_Return, "\r", 0, 7000);
    }
};

TEST_F(Keyboard, EnterThatClosesADialogOrABoxAnswersNothing) {
    const std::string file = QuizFile();
    // Dialogs and boxes close on the key going down, so Enter is still held
    // when they return; its release and repeats come to the main window.
    struct Case {
        const char* what;
        std::function<void()> command;
    };
    const Case cases[] = {
        {"Load round",
         [&] {
             seams::WhileNextDialogOpen(PressEnterInTheDialog);
             LoadRound(file, {1, 2});
         }},
        {"New round",
         [&] {
             seams::WhileNextDialogOpen(PressEnterInTheDialog);
             seams::PushFileDialogAnswer(dir.Write("one.txt",
                                                   "\244Q \"Capital of Sweden?\" \244A "
                                                   "\"Stockholm\" \244E\r\n"));
             Menu(kCmdNewRound);
         }},
        {"Help box",
         [&] {
             LoadRound(file, {1, 2});
             seams::WhileNextDialogOpen(PressEnterInTheDialog);
             Menu(kCmdHelp);
         }},
        {"Save round on the feedback",
         [&] {
             LoadRound(file, {2, 1});
             Answer("Rome");
             ASSERT_EQ(ui().QuizState, kQuizFeedbackWrong);
             seams::WhileNextDialogOpen(PressEnterInTheDialog);
             seams::PushFileDialogAnswer(dir.File("saved.qfr"));
             Menu(kCmdSaveRound);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        seams::ClearRecords();
        c.command();
        ASSERT_EQ(ui().QuizState, kQuizAwaitTypedAnswer);
        EXPECT_EQ(Shown(), "Capital of Sweden?");
        seams::TypeText(ui().hwndTextBox, "Stockholm");
        // The key still held repeats (on X11 as a release and a press with
        // one timestamp), then goes up.
        seams::SendKey(Main(), false, Qt::Key_Return, "\r", 0, 7600);
        seams::SendKey(Main(), true, Qt::Key_Return, "\r", 0, 7600);
        Pump();
        seams::SendKey(Main(), false, Qt::Key_Return, "\r", 0, 7700);
        Pump();
        EXPECT_EQ(ui().QuizState, kQuizAwaitTypedAnswer) << "answered by the Enter of the dialog";
        EXPECT_EQ(Background(), kNeutralBackground);
        PressEnter();
        EXPECT_EQ(ui().QuizState, kQuizFeedbackCorrect) << "the next press must answer";
        seams::ResetPlatform();
        ResetUiState();
        seams::ScriptDialogs(true);
        ASSERT_TRUE(StartQuillfin(nullptr, SW_SHOWNORMAL));
        Pump();
    }
}

TEST_F(Keyboard, QuickTapAnswersOnce) {
    LoadRound(QuizFile(), {1, 2});
    seams::TypeText(ui().hwndTextBox, "Stockholm");
    // Down and up before the loop runs: the key is up when the step looks.
    seams::KeyDown(VK_RETURN);
    seams::KeyUp(VK_RETURN);
    Pump();
    EXPECT_EQ(ui().QuizState, kQuizFeedbackCorrect);
    seams::KeyDown(VK_RETURN);
    seams::KeyUp(VK_RETURN);
    Pump();
    EXPECT_EQ(ui().QuizState, kQuizAwaitTypedAnswer);
    EXPECT_EQ(Shown(), "A town by the sea?") << "the tap continued once, not twice";
}

TEST_F(Keyboard, AnswerHoldsEveryLetterTypedBeforeEnter) {
    const std::string file = QuizFile();
    struct Case {
        int question;
        const char* typed;
        int state;
    };
    const Case cases[] = {
        {1, "Stockholm\r", kQuizFeedbackCorrect},
        {1, "sTOCKHOLM\r", kQuizFeedbackCorrect},
        {2, "G\xc3\xa4vle\r", kQuizFeedbackCorrect},
        {1, "Stockhol\r", kQuizFeedbackWrong},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        LoadRound(file, {c.question, 3});
        ASSERT_EQ(ui().QuizState, kQuizAwaitTypedAnswer);
        // Every key is queued before the loop runs: the letters are still
        // messages when the Enter after them is already known.
        seams::TypeKeys(Main(), c.typed);
        EXPECT_EQ(Box(), "") << "the box takes keys as their messages are dispatched";
        Pump();
        EXPECT_EQ(ui().QuizState, c.state);
    }
}

TEST_F(Keyboard, LettersTypedAfterEnterStayOutOfTheAnswer) {
    LoadRound(QuizFile(), {1, 2});
    seams::TypeKeys(Main(), "Stockholm\rxyz");
    Pump();
    EXPECT_EQ(ui().QuizState, kQuizFeedbackCorrect);
}

TEST_F(Keyboard, KeyReleaseLostWhileADialogHasTheKeyboardLeavesNoKeyDown) {
    // Enter goes down in the main window and a dialog opens; the release
    // comes while the dialog has the keyboard (or after it is gone) and never
    // reaches the main window.
    LoadRound(QuizFile(), {3, 1});
    ASSERT_EQ(ui().QuizState, kQuizAwaitZoneClick);
    seams::SendKey(Main(), true, Qt::Key_Return, "\r");
    ASSERT_NE(GetAsyncKeyState(VK_RETURN) & 0x8000, 0);
    seams::PushMessageBoxResult(IDOK);
    Menu(kCmdHelp);
    EXPECT_EQ(GetAsyncKeyState(VK_RETURN) & 0x8000, 0) << "Enter stuck down";

    // The press answered at the crosshair, in the left half: the red
    // feedback stays until the next press.
    ASSERT_EQ(ui().QuizState, kQuizFeedbackWrong);
    seams::ResizeClient(Main(), 500, 500);
    Pump();
    EXPECT_EQ(ui().QuizState, kQuizFeedbackWrong);
    // The next press is a fresh one, not the repeat of a key held down.
    seams::SendKey(Main(), true, Qt::Key_Return, "\r");
    seams::SendKey(Main(), false, Qt::Key_Return, "\r");
    Pump();
    EXPECT_EQ(ui().QuizState, kQuizAwaitTypedAnswer);
    EXPECT_EQ(Shown(), "Capital of Sweden?");
}

TEST_F(Keyboard, HeldEnterRepeatsAsTheWindowSystemSendsThemActOnce) {
    LoadRound(QuizFile(), {1, 2});
    seams::TypeText(ui().hwndTextBox, "Stockholm");
    // X11 repeats a held key as a release and a press with one timestamp.
    seams::SendKey(Main(), true, Qt::Key_Return, "\r", 0, 5000);
    for (unsigned long t = 5600; t <= 5800; t += 100) {
        seams::SendKey(Main(), false, Qt::Key_Return, "\r", 0, t);
        seams::SendKey(Main(), true, Qt::Key_Return, "\r", 0, t);
    }
    Pump();
    EXPECT_EQ(ui().QuizState, kQuizFeedbackCorrect) << "the repeats moved on";
    seams::SendKey(Main(), false, Qt::Key_Return, "\r", 0, 5900);
    Pump();
    EXPECT_EQ(ui().QuizState, kQuizFeedbackCorrect);
}

TEST_F(Keyboard, ClickOnTheWindowLeavesTheKeyboardInTheAnswerBox) {
    LoadRound(QuizFile(), {1, 2});
    ASSERT_EQ(seams::FocusedWindow(), ui().hwndTextBox);
    RECT client{};
    GetClientRect(Main(), &client);
    seams::MouseClick(Main(), 5, client.bottom - 5);
    Pump();
    EXPECT_EQ(seams::FocusedWindow(), ui().hwndTextBox);
    seams::TypeKeys(Main(), "Stockholm\r");
    Pump();
    EXPECT_EQ(Box(), "Stockholm");
    EXPECT_EQ(ui().QuizState, kQuizFeedbackCorrect);
}

TEST_F(Keyboard, AltWithALetterTypesNothingWhileAltGrTypes) {
    LoadRound(QuizFile(), {1, 2});
    struct Case {
        const char* what;
        int key;
        const char* text;
        int modifiers;
        const char* box;
    };
    const Case cases[] = {
        {"Alt+O", Qt::Key_O, "o", Qt::AltModifier, ""},
        {"Alt+Shift+X", Qt::Key_X, "X", Qt::AltModifier | Qt::ShiftModifier, ""},
        // AltGr: Ctrl+Alt on Windows, a level shift of its own on X11.
        {"AltGr+E", Qt::Key_E, "\xe2\x82\xac", Qt::AltModifier | Qt::ControlModifier,
         "\xe2\x82\xac"},
        {"AltGr+Q", Qt::Key_At, "@", Qt::GroupSwitchModifier, "@"},
        {"AltGr+7", Qt::Key_BraceLeft, "{", Qt::NoModifier, "{"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        seams::TypeText(ui().hwndTextBox, "");
        seams::SendKey(Main(), true, c.key, c.text, c.modifiers);
        seams::SendKey(Main(), false, c.key, c.text, c.modifiers);
        Pump();
        EXPECT_EQ(Box(), c.box);
    }
}

TEST_F(Keyboard, DialogDeactivatesTheWindowAtOnceAndClosingGivesTheKeyboardBack) {
    LoadRound(QuizFile(), {1, 2});
    bool activeWhileOpen = true;
    seams::WhileNextDialogOpen([&] { activeWhileOpen = ui().bWindowActive; });
    seams::ChooseMenuItem(Main(), kCmdHelp);
    // Dispatch only the command: the box opens and closes inside it.
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    DispatchMessageA(&msg);
    EXPECT_FALSE(activeWhileOpen);
    EXPECT_TRUE(ui().bWindowActive) << "active again before the next message";

    // Back from a box, the keyboard is in the answer box, wherever it was.
    SetFocus(nullptr);
    seams::PushMessageBoxResult(IDOK);
    Menu(kCmdAbout);
    EXPECT_EQ(seams::FocusedWindow(), ui().hwndTextBox);
    Answer("Rome");
    seams::PushMessageBoxResult(IDOK);
    Menu(kCmdAbout);
    EXPECT_EQ(seams::FocusedWindow(), Main()) << "no answer awaited: the main window";

    // The window system's own reports are sent at once, not queued.
    QEvent deactivate(QEvent::WindowDeactivate);
    QCoreApplication::sendEvent(seams::MainWidget(Main()), &deactivate);
    EXPECT_FALSE(ui().bWindowActive);
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(seams::MainWidget(Main()), &activate);
    EXPECT_TRUE(ui().bWindowActive);
}

}  // namespace
