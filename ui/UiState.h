// The state the whole user interface shares: one record for the life of the
// process, reachable from the message loop, the quiz step, the window
// procedure and the picture and control operations. It owns the round, the
// current question, the shown texts and the list of answers given so far.
#pragma once

#include <memory>
#include <string>

#include "platform/WinApi.h"
#include "questions/Question.h"
#include "round/QuestionOrder.h"

// Quiz states.
enum : int {
    kQuizWelcome = 0,
    kQuizNextQuestion = 1,
    kQuizAwaitTypedAnswer = 2,
    kQuizAwaitZoneClick = 3,
    kQuizFeedbackCorrect = 4,
    kQuizFeedbackWrong = 5,
    kQuizRoundFinished = 6,
};

// The DPI at which the layout's sizes in pixels are given.
constexpr int kBaseDpi = 96;

// An owned, zero-terminated text that may be absent.
using OwnedText = std::unique_ptr<char[]>;

struct UiState {
    const char* MainClassName = "QuillfinMain";
    HINSTANCE hAppInstance = nullptr;
    HWND hwndMain = nullptr;
    HWND hwndTextArea = nullptr;
    HWND hwndTextBox = nullptr;
    HFONT hTextAreaFont = nullptr;
    HBRUSH brBackground = nullptr;
    HBRUSH brPanel = nullptr;
    HBRUSH brFrame = nullptr;
    HBRUSH brWhite = nullptr;
    HBRUSH brBlack = nullptr;  // the crosshair's dark half
    OwnedText TextAreaText;
    OwnedText PictureName;
    OwnedText ZoneName;
    bool bRelayout = true;
    bool bRedrawPicture = false;
    bool bShowTextBox = false;
    bool bWindowActive = true;
    // Set by the message loop for the one pass after a fresh Enter key-down
    // (not a repeat of a held key) for the main window or the answer box;
    // whoever acts on the press clears it.
    bool bEnterPressed = false;
    int iLastCorrectAnswer = -1;
    int QuizState = kQuizWelcome;
    // The round is constructed before the question and destroyed after it.
    clQuestionOrder QuestionOrder;
    clQuestion CurrentQuestion;
    // Element 0 counts the answers given; elements 1..n hold their numbers, -1 when free.
    std::unique_ptr<int[]> GivenAnswers;
    int iGivenAnswersSize = 0;  // number of elements of GivenAnswers (n + 1)
    int iPictureLeft = 0;
    int iPictureWidth = 0;
    int iPictureHeight = 0;
    // The device pixels the picture covers where it is drawn: its drawn size
    // on Windows, larger where the desktop scales the window up.
    int iPictureDeviceWidth = 0;
    int iPictureDeviceHeight = 0;
    int iTextAreaX = 0;
    int iTextAreaY = 0;
    int iTextAreaWidth = 0;
    int iTextAreaHeight = 0;
    int iTextBoxX = 0;
    int iTextBoxY = 0;
    int iTextBoxWidth = 0;
    int iTextBoxHeight = 0;
    // The client rows below the picture's room: what the texts under the
    // picture need, set by each layout; the picture is fitted into the
    // client height less this.
    int iPictureSpaceBelow = 167;
    HBITMAP hPictureBitmap = nullptr;
    HDC hPictureDC = nullptr;
    // The picture scaled to the device size it was last drawn at, in its own
    // device context, so that a repaint copies pixels and scales nothing; null
    // until the picture is drawn at another size than its own, and again
    // whenever the picture changes.
    HBITMAP hDrawnBitmap = nullptr;
    HDC hDrawnDC = nullptr;
    // The feedback's picture made ready while the learner thinks, for the
    // picture held unmarked: the zone bitmap (file ReadyZoneFile at version
    // ReadyZoneVersion), the picture marked with it in the colour
    // iReadyColour, and that marked picture at the drawn size. Null when none
    // is ready; bReadyTried once it was tried for the picture on screen.
    HBITMAP hReadyZone = nullptr;
    HBITMAP hReadyMarked = nullptr;
    HBITMAP hReadyDrawn = nullptr;
    std::string ReadyZoneFile;
    std::string ReadyZoneVersion;
    int iReadyColour[3] = {0, 0, 0};
    bool bReadyTried = false;
    // The file hPictureBitmap was decoded from and that file's version
    // (FileVersion), while the picture is held unmarked; empty otherwise.
    // Marking the same picture then needs no second decode.
    std::string UnmarkedPictureFile;
    std::string UnmarkedPictureVersion;
    // The keyboard's crosshair on a zone question's picture, as fractions of
    // the picture's inner width and height (0 left or top, 1 right or
    // bottom), so that it keeps its place on the picture when the window is
    // resized; centred for every zone question.
    double dCrosshairX = 0.5;
    double dCrosshairY = 0.5;
    // The first zone question of the round has said which keys answer it.
    bool bZoneKeysHinted = false;
    // The text area's text as screen readers were last told it.
    std::string ToldText;
    // The zone bitmap loaded for a zone click's test, held until the picture
    // has been marked with it, so that one click reads the file once.
    HBITMAP hZoneBitmap = nullptr;
    // The folder of the file last chosen in a file dialog (with its
    // separator), where the next dialog starts when no round names one.
    std::string LastDialogFolder;
    // The dots per inch the main window is drawn at (96 is 100 %): read when
    // the window is made and whenever its DPI changes. Every size the layout
    // gives in pixels is meant at 96 and scaled by this.
    int iDpi = kBaseDpi;
};

// The one UI state of the process.
UiState& Ui();

// Replaces the UI state by a fresh one (tests start each case from here).
void ResetUiState();

// A size in pixels at 96 DPI scaled to the window's DPI (Ui().iDpi), rounded
// to the nearest pixel; unchanged at 96.
int ScaleToDpi(int pixels);
