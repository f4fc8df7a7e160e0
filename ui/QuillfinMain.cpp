// The entry point: start-up, the message loop, the layout of the main window
// and the welcome state.
#include <cstring>

#include "platform/WinApi.h"
#include "ui/CommandLine.h"
#include "ui/Controls.h"
#include "ui/KeptRound.h"
#include "ui/Picture.h"
#include "ui/Program.h"
#include "ui/UiState.h"

namespace {

constexpr const char* kWindowTitle = "Quillfin";
constexpr int kWindowWidth = 520;
constexpr int kWindowHeight = 584;
constexpr int kStartFailedExitCode = 1;

// Where the controls stand until the first layout.
constexpr int kInitialControlX = 11;
constexpr int kInitialTextAreaY = 11;
constexpr int kInitialTextBoxY = 321;
constexpr int kInitialControlWidth = 478;
constexpr int kInitialTextAreaHeight = 298;

constexpr COLORREF kNeutralBackground = 0x620000;
constexpr COLORREF kNeutralPanel = 0xFFF5F5;
constexpr COLORREF kNeutralFrame = 0xFF0000;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kBlack = 0x000000;

// Layout: controls are at most kMaxControlWidth wide; a client area of
// kNarrowClientWidth or less gives them kNarrowMargin less than its width.
constexpr int kMaxControlWidth = 478;
constexpr int kNarrowClientWidth = 501;
constexpr int kNarrowMargin = 24;
constexpr int kSpaceBelowPicture = 56;
constexpr int kTextAreaTop = 21;  // below the picture (of height 0 when there is none)
constexpr int kTextBoxTop = 31;   // ten pixels below the text area
constexpr int kTextBoxHeight = 18;
constexpr int kCharWidthEstimate = 13;
constexpr int kLineHeightEstimate = 18;

constexpr const char* kWelcomeText = "Welcome to Quillfin v.0.02 (beta)";
constexpr const char* kSplashPicture = "\\S_WC";

// The height in pixels that `text` probably needs at the given width.
int EstimateTextHeight(const char* text, int length, int width) {
    int charsPerLine = width / kCharWidthEstimate;
    if (charsPerLine < 1) charsPerLine = 1;  // a sliver of a text area: one character a line
    int lineFeeds = 0;
    for (int i = 0; i < length; ++i) {
        if (text[i] == '\n') ++lineFeeds;
    }
    return kLineHeightEstimate * (length / charsPerLine) + kLineHeightEstimate +
           kLineHeightEstimate * lineFeeds;
}

// Bit 30 of a key message's lParam: the key was already down, so the
// message is a repeat of a held key.
constexpr LPARAM kKeyWasDown = LPARAM{1} << 30;

// A fresh press of Enter (the main keyboard's or the keypad's) while the
// main window, the answer box or the text area has the keyboard. A held key repeats its
// key-down with kKeyWasDown set, so it counts once; the press that closes a
// dialog or a menu goes to them and never counts here.
bool IsEnterPress(const MSG& msg) {
    const UiState& ui = Ui();
    return msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN &&
           (msg.lParam & kKeyWasDown) == 0 && msg.hwnd != nullptr &&
           (msg.hwnd == ui.hwndMain || msg.hwnd == ui.hwndTextBox || msg.hwnd == ui.hwndTextArea);
}

// PgUp or PgDn typed into the answer box: it has one line to page through,
// so the keys page through the question instead.
bool IsPageKeyForAnswerBox(const MSG& msg) {
    return msg.message == WM_KEYDOWN && (msg.wParam == VK_PRIOR || msg.wParam == VK_NEXT) &&
           msg.hwnd != nullptr && msg.hwnd == Ui().hwndTextBox;
}

// The character message of Enter (or of Ctrl+M, Ctrl+J) for the answer box.
// The box is multi-line and wants Return, so it would take the line break
// into the answer.
bool IsLineBreakForAnswerBox(const MSG& msg) {
    return msg.message == WM_CHAR && (msg.wParam == '\r' || msg.wParam == '\n') &&
           msg.hwnd != nullptr && msg.hwnd == Ui().hwndTextBox;
}

}  // namespace

OwnedText CopyText(std::string_view text) {
    OwnedText copy(new char[text.size() + 1]);
    std::memcpy(copy.get(), text.data(), text.size());
    copy[text.size()] = '\0';
    return copy;
}

void ForgetQuestionInProgress() {
    UiState& ui = Ui();
    ui.GivenAnswers.reset();
    ui.iGivenAnswersSize = 0;
    // A new round names the zone keys again at its first zone question.
    ui.bZoneKeysHinted = false;
}

bool EnterPressed() {
    const UiState& ui = Ui();
    return ui.bWindowActive && ui.bEnterPressed;
}

bool StartQuillfin(HINSTANCE instance, int showCommand) {
    UiState& ui = Ui();

    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = WindowProcedure;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(1);
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = ui.MainClassName;
    wc.hIconSm = LoadIconA(nullptr, IDI_APPLICATION);
    if (!RegisterClassExA(&wc)) return false;

    HWND hwnd = CreateWindowExA(0, ui.MainClassName, kWindowTitle, WS_OVERLAPPEDWINDOW,
                                CW_USEDEFAULT, CW_USEDEFAULT, kWindowWidth, kWindowHeight, nullptr,
                                nullptr, instance, nullptr);
    if (hwnd == nullptr) return false;
    ui.hwndMain = hwnd;

    SetMenu(hwnd, LoadMenuA(instance, MAKEINTRESOURCEA(kMenuResource)));
    ShowWindow(hwnd, showCommand);
    ui.hAppInstance = instance;

    ui.hwndTextArea =
        CreateTextarea(ui.TextAreaText.get(), kTextAreaId, kInitialControlX, kInitialTextAreaY,
                       kInitialControlWidth, kInitialTextAreaHeight, hwnd, ui.hAppInstance);
    ui.hwndTextBox = CreateTextbox(kTextBoxId, kInitialControlX, kInitialTextBoxY,
                                   kInitialControlWidth, kTextBoxHeight, hwnd, ui.hAppInstance);
    SetTextAreaFont(kTextAreaId, hwnd);

    ui.brBackground = CreateSolidBrush(kNeutralBackground);
    ui.brPanel = CreateSolidBrush(kNeutralPanel);
    ui.brFrame = CreateSolidBrush(kNeutralFrame);
    ui.brWhite = CreateSolidBrush(kWhite);
    ui.brBlack = CreateSolidBrush(kBlack);

    QLRestart(ui.hwndMain, ui.hAppInstance);
    return true;
}

void RunMessage(const MSG& msg) {
    UiState& ui = Ui();
    TranslateMessage(&msg);
    if (IsPageKeyForAnswerBox(msg)) {
        ScrollTextArea(msg.wParam == VK_PRIOR ? -1 : 1);
    } else if (!IsLineBreakForAnswerBox(msg)) {
        DispatchMessageA(&msg);
    }
    ui.bEnterPressed = IsEnterPress(msg);
    QuizStep();
    ui.bEnterPressed = false;
    if (ui.bRelayout) LayoutWindow();
    if (ui.bRedrawPicture) RedrawPicture();
}

void RedrawPicture() {
    UiState& ui = Ui();
    RECT client{};
    GetClientRect(ui.hwndMain, &client);
    if (ui.PictureName) {
        DisplayPicture(ui.hwndMain, ui.hAppInstance, client.right - client.left,
                       client.bottom - client.top);
    }
    ui.bRedrawPicture = false;
}

void LayoutWindow() {
    UiState& ui = Ui();
    ShowWindow(ui.hwndTextArea, SW_HIDE);
    ShowWindow(ui.hwndTextBox, SW_HIDE);

    RECT client{};
    GetClientRect(ui.hwndMain, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;

    HDC dc = GetDC(ui.hwndMain);
    FillRect(dc, &client, ui.brBackground);
    ReleaseDC(ui.hwndMain, dc);

    if (ui.PictureName) {
        DisplayPicture(ui.hwndMain, ui.hAppInstance, width, height);
    } else {
        ui.iPictureHeight = 0;
    }
    // The picture now stands as loaded at this size, and nothing below draws
    // over it: a redraw asked for before this layout would only repeat it, and
    // scaling a large picture down is the slowest drawing the window does.
    ui.bRedrawPicture = false;

    const int controlWidth = width > kNarrowClientWidth ? kMaxControlWidth : width - kNarrowMargin;
    const int controlX = static_cast<int>(width / 2.0 - controlWidth / 2.0) + 1;

    ui.iTextAreaWidth = controlWidth;
    ui.iTextAreaHeight = height - ui.iPictureHeight - kSpaceBelowPicture;
    const int length = GetWindowTextLengthA(ui.hwndTextArea);
    std::unique_ptr<char[]> shown(new char[length + 1]);
    shown[0] = '\0';
    GetWindowTextA(ui.hwndTextArea, shown.get(), length + 1);
    const int estimate = EstimateTextHeight(shown.get(), length, ui.iTextAreaWidth);
    if (ui.iTextAreaHeight > estimate) ui.iTextAreaHeight = estimate + 1;
    ui.iTextAreaX = controlX;
    ui.iTextAreaY = ui.iPictureHeight + kTextAreaTop;

    if (!ui.TextAreaText) {
        SetWindowPos(ui.hwndTextArea, HWND_TOP, ui.iTextAreaX, ui.iTextAreaY, ui.iTextAreaWidth,
                     ui.iTextAreaHeight, SWP_HIDEWINDOW);
    } else {
        dc = GetDC(ui.hwndMain);
        FrameControl(dc, ui.iTextAreaX, ui.iTextAreaY, ui.iTextAreaWidth, ui.iTextAreaHeight,
                     ui.brPanel);
        ReleaseDC(ui.hwndMain, dc);
        SetWindowPos(ui.hwndTextArea, HWND_TOP, ui.iTextAreaX, ui.iTextAreaY, ui.iTextAreaWidth,
                     ui.iTextAreaHeight, SWP_SHOWWINDOW);
        ShowWindow(ui.hwndTextArea, SW_SHOW);
    }

    if (!ui.bShowTextBox) {
        ShowWindow(ui.hwndTextBox, SW_HIDE);
    } else {
        ui.iTextBoxWidth = controlWidth;
        ui.iTextBoxHeight = kTextBoxHeight;
        ui.iTextBoxX = controlX;
        ui.iTextBoxY = ui.iTextAreaHeight + ui.iPictureHeight + kTextBoxTop;
        dc = GetDC(ui.hwndMain);
        FrameControl(dc, ui.iTextBoxX, ui.iTextBoxY, ui.iTextBoxWidth, ui.iTextBoxHeight,
                     ui.brPanel);
        ReleaseDC(ui.hwndMain, dc);
        SetWindowPos(ui.hwndTextBox, HWND_TOP, ui.iTextBoxX, ui.iTextBoxY, ui.iTextBoxWidth,
                     kTextBoxHeight, SWP_SHOWWINDOW);
        ShowWindow(ui.hwndTextBox, SW_SHOW);
    }

    // The keyboard goes where the answer is given: the answer box, or the
    // main window, whose arrow keys move the crosshair on the picture.
    if (ui.QuizState == kQuizAwaitTypedAnswer) SetFocus(ui.hwndTextBox);
    if (ui.QuizState == kQuizAwaitZoneClick) SetFocus(ui.hwndMain);
    ui.bRelayout = false;
}

void QLRestart(HWND& hwnd, HINSTANCE& instance) {
    UiState& ui = Ui();
    ui.TextAreaText.reset();
    ui.PictureName.reset();
    ui.ZoneName.reset();
    ForgetQuestionInProgress();
    SetColoursCorrect(0);
    ui.QuizState = kQuizWelcome;
    ui.TextAreaText = CopyText(kWelcomeText);
    PutTextAreaText();
    ui.PictureName = CopyText(kSplashPicture);
    LoadNewPicture(ui.PictureName.get(), hwnd, instance, -1, -1, -1);
    ui.bRedrawPicture = true;
    ui.bShowTextBox = false;
    ui.bRelayout = true;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    if (!StartQuillfin(instance, showCommand)) return kStartFailedExitCode;
    // A file named on the command line opens as from the File menu; without
    // one, a round kept when the program last ended is offered.
    MSG msg{};
    int result = 1;
    if (SplitCommandLine(commandLine).empty()) {
        // The welcome screen is drawn before the question comes over it.
        while (result > 0 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                result = 0;
            } else {
                RunMessage(msg);
            }
        }
        if (result > 0) OfferKeptRound(Ui().hwndMain);
    } else {
        OpenCommandLineFile(Ui().hwndMain, commandLine);
    }
    // 0 is the quit message; -1 an error of the queue, which ends the loop as well.
    // Before it waits, the loop makes the next feedback's picture ready while
    // no message is waiting.
    while (result > 0) {
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) PrepareFeedbackPicture();
        if ((result = GetMessageA(&msg, nullptr, 0, 0)) <= 0) break;
        RunMessage(msg);
    }
    if (Ui().hTextAreaFont != nullptr) DeleteObject(Ui().hTextAreaFont);
    return result == 0 ? static_cast<int>(msg.wParam) : kStartFailedExitCode;
}
