// The program itself: start-up, the work the message loop does after each
// dispatched message, the quiz step, the window procedure and the welcome
// state. Everything works on the one UI state (ui/UiState.h); tests drive the
// same functions the program's own loop calls.
#pragma once

#include <string>
#include <string_view>

#include "platform/WinApi.h"
#include "ui/UiState.h"

// Resource and control identifiers.
constexpr int kMenuResource = 1001;
constexpr int kTextAreaId = 501;
constexpr int kTextBoxId = 502;

// Menu commands.
constexpr int kCmdNewRound = 1002;
constexpr int kCmdRestartRound = 1003;
constexpr int kCmdSaveRound = 1004;
constexpr int kCmdLoadRound = 1005;
constexpr int kCmdHelp = 1006;
constexpr int kCmdTerms = 1007;
constexpr int kCmdAbout = 1008;
constexpr int kCmdSaveAnswerReport = 1009;
constexpr int kCmdExit = 1011;

// Registers the window class, creates the main window with its menu, text
// area, answer box, font and brushes, and enters the welcome state. False
// when the class cannot be registered or the main window cannot be created.
bool StartQuillfin(HINSTANCE instance, int showCommand);

// Makes the text area's font at the window's DPI (Ui().iDpi) and gives it to
// the text area and the answer box; the font it replaces is released.
void MakeFonts();

// One pass of the message loop for a message just taken from the queue:
// translates and dispatches it, then runs one quiz step, and lays out and
// redraws the picture when the flags ask for it. An Enter key-down counts
// as a press in this pass only, and only when it is no repeat of a held
// key; Enter's character message (and any other line break) never reaches
// the answer box.
void RunMessage(const MSG& msg);

// The Enter test: the window is active and the message of this pass was a
// fresh Enter press that nobody has acted on yet.
bool EnterPressed();

// One step of the quiz for the current QuizState.
void QuizStep();

// The action of Enter or a click in the feedback states and on the
// congratulation screen: moves the round on (or keeps an all-answers question
// at the head with its answers so far) and goes to NextQuestion; from
// RoundFinished back to the welcome state.
void ContinueStep();

// Places the picture, the text area and the answer box for the current client
// size and draws the frames round the controls.
void LayoutWindow();

// Draws the loaded picture again at the current client size.
void RedrawPicture();

// The welcome state: welcome text, splash picture, neutral colours, no answer box.
void QLRestart(HWND& hwnd, HINSTANCE& instance);

// True when GivenAnswers holds `answerNumber` among the answers given so far
// to the current all-answers question.
bool IsFoundInAGiven(int answerNumber);

// Forgets the answers given to an all-answers question and that the zone
// keys were named; called whenever a round is taken up, restarted or ends.
void ForgetQuestionInProgress();

// What New round does with the chosen question file. A file that can start
// a round (it holds a question, and its first question and the one drawn to
// be asked first can be taken up) replaces the round by a new shuffled one,
// whose head the next quiz step takes up. Any other file is named in a
// warning box owned by the main window that says what is wrong, and the
// round in progress and everything on screen stay as they were. True when
// the new round was taken up.
bool StartNewRound(const char* questionFile);

// What Load round does with the chosen round file, on the same terms: a
// round file whose question lines can all be read, whose question file can
// be opened and whose next question can be taken up (a finished round needs
// none) replaces the round, unshuffled; a count that differs from the
// question file's does not matter. Anything else is refused with a warning
// box. True when the round was taken up.
bool ResumeRound(const char* roundFile);

// The lines that follow the "Error in file" sentence and the warnings about
// an unreadable question: the question's number and the line where its block
// starts (when `questionNo` is 1 or more), the question file's name, and that
// quillfin-check shows the fault.
std::string UnreadableQuestionLines(const char* questionFile, int questionNo);

// Answers the zone question on screen at the crosshair, exactly as a click
// on that point of the picture would.
void AnswerAtCrosshair();

LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// A new owned, zero-terminated copy of `text`.
OwnedText CopyText(std::string_view text);
