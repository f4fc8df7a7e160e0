// The entry point: start-up, the message loop, the layout of the main window
// and the welcome state.
#include <algorithm>
#include <cstring>

#include "platform/WinApi.h"
#include "platform/WindowDpi.h"
#include "ui/CommandLine.h"
#include "ui/Controls.h"
#include "ui/KeptRound.h"
#include "ui/Picture.h"
#include "ui/Program.h"
#include "ui/ScreenReader.h"
#include "ui/UiState.h"
#include "ui/WindowPlace.h"
#include "ui/WindowTitle.h"

namespace {

// Sizes in pixels are those at 96 DPI; the window's DPI scales them.
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
// Centred, they stand kCentreOffset right of the centre.
constexpr int kMaxControlWidth = 478;
constexpr int kNarrowClientWidth = 501;
constexpr int kNarrowMargin = 24;
constexpr int kCentreOffset = 1;
// Below the picture (of height 0 when there is none): the text area
// kTextAreaTop from the picture's top edge's origin, the answer box
// kTextBoxGap below the text area, and kBottomMargin below the last control
// (its frames take two of them).
constexpr int kTextAreaTop = 21;
constexpr int kTextBoxGap = 10;
constexpr int kBottomMargin = 7;
// The text area's margins above and below its lines, and the answer box's
// room round its one line.
constexpr int kTextAreaPadding = 4;
constexpr int kTextBoxPadding = 4;
// The picture gives way to the texts down to this share of the client height.
constexpr int kLeastPictureShare = 4;
// Until the first layout, the answer box is as tall as the system font's line.
constexpr int kInitialTextBoxHeight = 18;

constexpr const char* kWelcomeText = "Welcome to Quillfin v.0.02 (beta)";
constexpr const char* kSplashPicture = "\\S_WC";

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
    // The window's DPI is known once it exists; its first size follows it
    // (ShowMainWindowInPlace).
    ui.iDpi = static_cast<int>(WindowDpi(hwnd));

    SetMenu(hwnd, LoadMenuA(instance, MAKEINTRESOURCEA(kMenuResource)));
    ShowMainWindowInPlace(hwnd, showCommand);
    // Question and round files dropped on the window open as from the menu.
    DragAcceptFiles(hwnd, TRUE);
    ui.hAppInstance = instance;

    ui.hwndTextArea =
        CreateTextarea(ui.TextAreaText.get(), kTextAreaId, ScaleToDpi(kInitialControlX),
                       ScaleToDpi(kInitialTextAreaY), ScaleToDpi(kInitialControlWidth),
                       ScaleToDpi(kInitialTextAreaHeight), hwnd, ui.hAppInstance);
    ui.hwndTextBox = CreateTextbox(kTextBoxId, ScaleToDpi(kInitialControlX),
                                   ScaleToDpi(kInitialTextBoxY), ScaleToDpi(kInitialControlWidth),
                                   ScaleToDpi(kInitialTextBoxHeight), hwnd, ui.hAppInstance);
    MakeFonts();

    ui.brBackground = CreateSolidBrush(kNeutralBackground);
    ui.brPanel = CreateSolidBrush(kNeutralPanel);
    ui.brFrame = CreateSolidBrush(kNeutralFrame);
    ui.brWhite = CreateSolidBrush(kWhite);
    ui.brBlack = CreateSolidBrush(kBlack);

    QLRestart(ui.hwndMain, ui.hAppInstance);
    return true;
}

void MakeFonts() {
    UiState& ui = Ui();
    SetTextAreaFont(kTextAreaId, ui.hwndMain);
    // The answer is typed in the font the question is read in.
    if (ui.hTextAreaFont != nullptr)
        SendMessageA(ui.hwndTextBox, WM_SETFONT, reinterpret_cast<WPARAM>(ui.hTextAreaFont), TRUE);
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
    ShowRoundTitle();
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

    const int controlWidth = width > ScaleToDpi(kNarrowClientWidth)
                                 ? ScaleToDpi(kMaxControlWidth)
                                 : width - ScaleToDpi(kNarrowMargin);
    const int controlX =
        static_cast<int>(width / 2.0 - controlWidth / 2.0) + ScaleToDpi(kCentreOffset);
    const int textAreaTop = ScaleToDpi(kTextAreaTop);
    const int bottomMargin = ScaleToDpi(kBottomMargin);

    // What the texts need at this width: the text area's lines as the
    // control wraps them, and the answer box's one line.
    const int lineHeight = TextLineHeight();
    const int boxHeight = lineHeight + ScaleToDpi(kTextBoxPadding);
    const int boxRoom = ui.bShowTextBox ? ScaleToDpi(kTextBoxGap) + boxHeight : 0;
    int needed = 0;
    if (ui.TextAreaText) {
        SetWindowPos(ui.hwndTextArea, HWND_TOP, controlX, ui.iTextAreaY, std::max(controlWidth, 1),
                     std::max(ui.iTextAreaHeight, 1), SWP_NOZORDER);
        const int lines = static_cast<int>(SendMessageA(ui.hwndTextArea, EM_GETLINECOUNT, 0, 0));
        needed = std::max(lines, 1) * lineHeight + ScaleToDpi(kTextAreaPadding);
    }
    // The picture takes the room the texts leave, but keeps at least a
    // quarter of the client height; a text that needs more then scrolls.
    ui.iPictureSpaceBelow = std::min(textAreaTop + needed + boxRoom + bottomMargin,
                                     height - height / kLeastPictureShare);
    if (ui.PictureName) {
        DisplayPicture(ui.hwndMain, ui.hAppInstance, width, height);
    } else {
        ui.iPictureHeight = 0;
    }
    // The picture now stands as loaded at this size, and nothing below draws
    // over it: a redraw asked for before this layout would only repeat it, and
    // scaling a large picture down is the slowest drawing the window does.
    ui.bRedrawPicture = false;

    ui.iTextAreaWidth = controlWidth;
    ui.iTextAreaHeight = std::max(
        std::min(needed, height - ui.iPictureHeight - textAreaTop - boxRoom - bottomMargin), 0);
    ui.iTextAreaX = controlX;
    ui.iTextAreaY = ui.iPictureHeight + textAreaTop;

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
        ui.iTextBoxHeight = boxHeight;
        ui.iTextBoxX = controlX;
        ui.iTextBoxY = ui.iTextAreaY + ui.iTextAreaHeight + ScaleToDpi(kTextBoxGap);
        dc = GetDC(ui.hwndMain);
        FrameControl(dc, ui.iTextBoxX, ui.iTextBoxY, ui.iTextBoxWidth, ui.iTextBoxHeight,
                     ui.brPanel);
        ReleaseDC(ui.hwndMain, dc);
        SetWindowPos(ui.hwndTextBox, HWND_TOP, ui.iTextBoxX, ui.iTextBoxY, ui.iTextBoxWidth,
                     ui.iTextBoxHeight, SWP_SHOWWINDOW);
        ShowWindow(ui.hwndTextBox, SW_SHOW);
    }

    // The keyboard goes where the answer is given: the answer box, or the
    // main window, whose arrow keys move the crosshair on the picture.
    if (ui.QuizState == kQuizAwaitTypedAnswer) SetFocus(ui.hwndTextBox);
    if (ui.QuizState == kQuizAwaitZoneClick) SetFocus(ui.hwndMain);
    TellScreenReaders();
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
