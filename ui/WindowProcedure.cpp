// The main window's procedure: menu commands with their dialogs and boxes,
// clicks (zone answers and continuing), painting and activation. It never lays
// out or draws the picture itself; it raises bRelayout and bRedrawPicture and
// the message loop does that work after the message.
#include <ctime>
#include <string>

#include "platform/FileNameText.h"
#include "platform/WinApi.h"
#include "ui/AnswerReport.h"
#include "ui/Controls.h"
#include "ui/Crosshair.h"
#include "ui/Dialogs.h"
#include "ui/FileDrop.h"
#include "ui/KeptRound.h"
#include "ui/Picture.h"
#include "ui/Program.h"
#include "ui/RoundSummary.h"
#include "ui/ScreenReader.h"
#include "ui/UiState.h"
#include "ui/WindowPlace.h"

namespace {

// The file name buffer of every file dialog; empty at the start of each command.
constexpr int kFileNameBufferSize = 260;

constexpr const char kQuestionFileFilter[] = "Text Files (.txt)\0*.txt\0All Files\0*.*\0";
constexpr const char kRoundFileFilter[] = "Text Files (.qfr)\0*.qfr\0All Files\0*.*\0";
constexpr const char kSaveRoundFilter[] = "Text Files (.qfr)\0*.qfr\0";

constexpr const char* kNoRoundText = "There is no active round to restart!";
constexpr const char* kNoRoundTitle = "Can not comly";
constexpr const char* kTermsText =
    "Quillfin is free to use for learning and teaching.\n"
    "You may copy it and give it to others, unchanged and free of charge.\n"
    "Question files, pictures and round files belong to those who made them.\n"
    "Quillfin comes without any warranty: use it at your own risk.";
constexpr const char* kTermsTitle = "Quillfin Terms";
constexpr const char* kAboutText =
    "Quillfin v.0.02 (beta)\n"
    "A quiz trainer written by the Quillfin developers.";
constexpr const char* kAboutTitle = "About Quillfin";

constexpr const char* kNothingToSaveText =
    "There is no round to save yet.\n"
    "New round starts a round; Load round continues a saved one.";
constexpr const char* kNothingToSaveTitle = "No round to save";

constexpr const char* kSaveFailedText = "The round could not be saved to the file\n";
constexpr const char* kSaveFailedAdvice =
    "\n\nAn earlier file of that name has not been changed. The quiz goes on;\n"
    "choose Save round again to save it under another name or in another folder.";
constexpr const char* kSaveFailedTitle = "Round not saved";

constexpr const char* kZoneCorrect = "Correct!";
constexpr const char* kZoneWrong = "Sorry, correct area is now shown.";
constexpr const char* kInfoHeading = "\nAdditional info:\n";

// A one-pixel frame covers the picture's outer pixels; clicks are measured
// from the first pixel inside the frame.
constexpr int kPictureFrame = 1;

// Shows an open or save dialog, started where FileDialogStart says; the
// chosen path, or empty when cancelled.
std::string AskFileName(HWND owner, bool save, const char* filter, const char* defaultExtension,
                        DWORD flags) {
    char fileName[kFileNameBufferSize] = {};
    const DialogStart start = FileDialogStart(save);
    if (start.fileName.size() < kFileNameBufferSize)
        start.fileName.copy(fileName, start.fileName.size());
    OPENFILENAMEA ofn{};
    if (!start.folder.empty()) ofn.lpstrInitialDir = start.folder.c_str();
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = fileName;
    ofn.nMaxFile = kFileNameBufferSize;
    ofn.lpstrDefExt = defaultExtension;
    ofn.Flags = flags;
    const BOOL chosen = save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
    if (!chosen) return {};
    fileName[kFileNameBufferSize - 1] = '\0';
    NoteDialogFolder(fileName);
    return fileName;
}

// A new round (or the same one again) starts with the next quiz step.
void TakeUpRound() {
    ForgetQuestionInProgress();
    Ui().QuizState = kQuizNextQuestion;
}

void NewRound(HWND hwnd) {
    const std::string path = AskFileName(hwnd, false, kQuestionFileFilter, "txt",
                                         OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY);
    if (!path.empty()) StartNewRound(path.c_str());
}

void RestartRound(HWND hwnd) {
    if (Ui().QuizState == kQuizWelcome) {
        MessageBoxA(hwnd, kNoRoundText, kNoRoundTitle, MB_OK | MB_ICONWARNING);
        return;
    }
    Ui().QuestionOrder.LoadQuestionFile(nullptr);
    Ui().QuestionOrder.ShuffelQuestions(static_cast<int>(std::time(nullptr)));
    TakeUpRound();
}

void SaveRound(HWND hwnd) {
    const int state = Ui().QuizState;
    if (state == kQuizWelcome) {
        MessageBoxA(hwnd, kNothingToSaveText, kNothingToSaveTitle, MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (state < kQuizAwaitTypedAnswer || state > kQuizFeedbackWrong) return;
    const std::string path =
        AskFileName(hwnd, true, kSaveRoundFilter, "qfr",
                    OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY);
    if (path.empty()) return;
    // The question just answered moves on first, as Enter would move it.
    if (state == kQuizFeedbackCorrect || state == kQuizFeedbackWrong) ContinueStep();
    // The round has questions in these states, so 0 means the write failed.
    if (Ui().QuestionOrder.SaveRoundFile(path.c_str()) == 0) {
        const std::string text = kSaveFailedText + FileNameAsText(path.c_str()) + kSaveFailedAdvice;
        MessageBoxA(hwnd, text.c_str(), kSaveFailedTitle, MB_OK | MB_ICONWARNING);
    }
}

void LoadRound(HWND hwnd) {
    const std::string path = AskFileName(hwnd, false, kRoundFileFilter, "qfr",
                                         OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY);
    if (!path.empty()) ResumeRound(path.c_str());
}

void Command(HWND hwnd, int id) {
    switch (id) {
        case kCmdNewRound:
            NewRound(hwnd);
            break;
        case kCmdRestartRound:
            RestartRound(hwnd);
            break;
        case kCmdSaveRound:
            SaveRound(hwnd);
            break;
        case kCmdLoadRound:
            LoadRound(hwnd);
            break;
        case kCmdSaveAnswerReport:
            SaveAnswerReportCommand(hwnd);
            break;
        case kCmdExit:
            PostMessageA(hwnd, WM_CLOSE, 0, 0);
            break;
        case kCmdHelp:
            ShowHelpBox(hwnd);
            break;
        case kCmdTerms:
            MessageBoxA(hwnd, kTermsText, kTermsTitle, MB_OK);
            break;
        case kCmdAbout:
            MessageBoxA(hwnd, kAboutText, kAboutTitle, MB_OK);
            break;
        default:
            break;
    }
}

// The point of the zone bitmap under the picture point (x, y). One factor
// for both axes: the zone bitmap has the picture's own pixel size, while the
// picture may be shown smaller. False when the bitmap cannot be read.
bool ZonePoint(HBITMAP zone, int x, int y, int& zoneX, int& zoneY, BITMAP& size) {
    const UiState& ui = Ui();
    if (ui.iPictureWidth <= 0 || GetObjectA(zone, sizeof(size), &size) == 0) return false;
    const float scale = static_cast<float>(size.bmWidth) / static_cast<float>(ui.iPictureWidth);
    zoneX = static_cast<int>(x * scale);
    zoneY = static_cast<int>(y * scale);
    return true;
}

// Whether the pixel of the zone bitmap under the picture point (x, y) has the
// zone colour. A point that falls outside the zone bitmap is no hit.
bool IsZoneHit(HBITMAP zone, int x, int y) {
    UiState& ui = Ui();
    BITMAP size{};
    int zoneX = 0;
    int zoneY = 0;
    if (!ZonePoint(zone, x, y, zoneX, zoneY, size)) return false;
    HDC zoneDC = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(zoneDC, zone);
    const int zoneHeight = size.bmHeight < 0 ? -size.bmHeight : size.bmHeight;

    bool hit = false;
    if (zoneX >= 0 && zoneY >= 0 && zoneX < size.bmWidth && zoneY < zoneHeight) {
        const COLORREF pixel = GetPixel(zoneDC, zoneX, zoneY);
        const clQuestion& question = ui.CurrentQuestion;
        const auto matches = [](short wanted, int actual) {
            return wanted == -1 || wanted == actual;
        };
        hit = pixel != CLR_INVALID && matches(question.ReturnZR(), GetRValue(pixel)) &&
              matches(question.ReturnZG(), GetGValue(pixel)) &&
              matches(question.ReturnZB(), GetBValue(pixel));
    }

    SelectObject(zoneDC, previous);
    DeleteDC(zoneDC);
    return hit;
}

// Answers the zone question on screen at the picture point (x, y), clicked
// or (`byKey`) chosen with the keyboard's crosshair.
void ZoneAnswer(int x, int y, bool byKey) {
    UiState& ui = Ui();
    // The zone bitmap is read once per click: the same bitmap answers the
    // click and then marks the zone on the picture. One that cannot be
    // loaded makes the click wrong.
    HBITMAP zone = ui.ZoneName ? LoadZoneBitmap(ui.hAppInstance) : nullptr;
    const bool correct = zone != nullptr && IsZoneHit(zone, x, y);
    // The answer report gives the point in the zone bitmap's pixels.
    int zoneX = x;
    int zoneY = y;
    BITMAP size{};
    if (zone != nullptr) ZonePoint(zone, x, y, zoneX, zoneY, size);
    RecordClick(zoneX, zoneY, correct, byKey);
    std::string text;
    if (correct) {
        SetColoursCorrect(kSchemeCorrect);
        ui.QuizState = kQuizFeedbackCorrect;
        text = kZoneCorrect;
    } else {
        SetColoursCorrect(kSchemeWrong);
        ui.QuizState = kQuizFeedbackWrong;
        text = kZoneWrong;
    }
    OwnedText info(ui.CurrentQuestion.GiveAInfo());
    if (info) text += std::string(kInfoHeading) + info.get();

    ui.TextAreaText = CopyText(text);
    PutTextAreaText();
    ui.bRelayout = true;
    ui.bShowTextBox = false;
    // The picture again, now with the answer zone marked, right or wrong.
    if (ui.PictureName) {
        ui.hZoneBitmap = zone;
        LoadNewPicture(ui.PictureName.get(), ui.hwndMain, ui.hAppInstance,
                       ui.CurrentQuestion.ReturnZR(), ui.CurrentQuestion.ReturnZG(),
                       ui.CurrentQuestion.ReturnZB());
        zone = ui.hZoneBitmap;  // marking may have put a 32-bit copy in its place
        ui.hZoneBitmap = nullptr;
    }
    ui.bRedrawPicture = true;
    if (zone != nullptr) DeleteObject(zone);
}

void LeftButtonUp(LPARAM lParam) {
    UiState& ui = Ui();
    const int x = static_cast<int>(LOWORD(lParam)) - ui.iPictureLeft - kPictureFrame;
    const int y = static_cast<int>(HIWORD(lParam)) - PictureTop() - kPictureFrame;
    const int innerRight = ui.iPictureWidth - 2 * kPictureFrame - 1;
    const int innerBottom = ui.iPictureHeight - 2 * kPictureFrame - 1;
    if (ui.QuizState == kQuizAwaitZoneClick && x >= 0 && x <= innerRight && y >= 0 &&
        y <= innerBottom) {
        ZoneAnswer(x, y, false);
    } else if (ui.QuizState == kQuizFeedbackCorrect || ui.QuizState == kQuizFeedbackWrong ||
               ui.QuizState == kQuizRoundFinished) {
        ContinueStep();
    }
}

// Bit 30 of a key message's lParam: a repeat of a held key.
constexpr LPARAM kKeyWasDown = LPARAM{1} << 30;

// The keys of a zone question: the crosshair's keys, and Space, which
// answers at the crosshair when freshly pressed (Enter does the same in the
// quiz step). PgUp and PgDn scroll the text area in every state. True when
// the key was used.
bool KeyDown(WPARAM key, LPARAM flags) {
    UiState& ui = Ui();
    if (key == VK_PRIOR || key == VK_NEXT) {
        ScrollTextArea(key == VK_PRIOR ? -1 : 1);
        return true;
    }
    if (!ui.bWindowActive || ui.QuizState != kQuizAwaitZoneClick) return false;
    if (key == VK_SPACE) {
        if ((flags & kKeyWasDown) == 0) AnswerAtCrosshair();
        return true;
    }
    if (!CrosshairKey(static_cast<int>(key), GetKeyState(VK_SHIFT) < 0,
                      GetKeyState(VK_CONTROL) < 0))
        return false;
    ui.bRedrawPicture = true;
    TellScreenReaders();
    return true;
}

// The window now stands on a screen of another DPI (or the DPI of its screen
// changed): the texts' font and every size of the layout follow it, and the
// window takes the outer rectangle the system suggests, which keeps its size
// on the screen. A DPI of 0 changes nothing.
void ChangeDpi(HWND hwnd, int dpi, const RECT* suggested) {
    UiState& ui = Ui();
    if (dpi <= 0) return;
    ui.iDpi = dpi;
    MakeFonts();
    if (suggested != nullptr)
        SetWindowPos(hwnd, HWND_TOP, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    ui.bRelayout = true;
    ui.bRedrawPicture = true;
}

void Paint(HWND hwnd) {
    UiState& ui = Ui();
    const int top = PictureTop();
    RECT picture{ui.iPictureLeft - 1, top - 1, ui.iPictureLeft + ui.iPictureWidth + 1,
                 ui.iPictureHeight + top + 1};
    PAINTSTRUCT ps{};
    HDC paintDC = BeginPaint(hwnd, &ps);
    FillRect(paintDC, &ps.rcPaint, ui.brBackground);
    // Any pixel of the picture that the fill above covered must be drawn again,
    // also where a band crosses the picture without holding one of its corners.
    if (SharesAPixel(ps.rcPaint, picture)) ui.bRedrawPicture = true;

    if (ui.TextAreaText) {
        HDC dc = GetDC(hwnd);
        FrameControl(dc, ui.iTextAreaX, ui.iTextAreaY, ui.iTextAreaWidth, ui.iTextAreaHeight,
                     ui.brPanel);
        ReleaseDC(hwnd, dc);
    }
    if (ui.bShowTextBox) {
        HDC dc = GetDC(hwnd);
        FrameControl(dc, ui.iTextBoxX, ui.iTextBoxY, ui.iTextBoxWidth, ui.iTextBoxHeight,
                     ui.brWhite);
        ReleaseDC(hwnd, dc);
    }
    EndPaint(hwnd, &ps);
}

}  // namespace

void AnswerAtCrosshair() {
    int x = 0;
    int y = 0;
    CrosshairPoint(x, y);
    ZoneAnswer(x, y, true);
}

LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    UiState& ui = Ui();
    switch (message) {
        case WM_PAINT:
            Paint(hwnd);
            return 0;
        case WM_SIZE:
            ui.bRelayout = true;
            return 0;
        case WM_ACTIVATE:
            // An Enter pressed while another window was active went to that
            // window; only presses that come as messages to this one count.
            ui.bWindowActive = LOWORD(wParam) != WA_INACTIVE;
            // Back from a dialog, a message box or another program, the
            // keyboard goes where the learner left it: into the answer box
            // while a typed answer is awaited. (The default handling, which
            // this replaces, would give it to the main window.)
            if (ui.bWindowActive)
                SetFocus(ui.QuizState == kQuizAwaitTypedAnswer ? ui.hwndTextBox : hwnd);
            return 0;
        case WM_CLOSE:
            // The close box, File > Exit and the end signals of the Qt layer:
            // a round in progress is kept, without a question, and the
            // window goes as before.
            KeepRoundAtExit();
            RememberWindowPlace(hwnd);
            return DefWindowProcA(hwnd, message, wParam, lParam);
        case WM_ENDSESSION:
            // The desktop session ends: no WM_CLOSE comes, and the process
            // may be ended as soon as this returns.
            if (wParam) {
                KeepRoundAtExit();
                RememberWindowPlace(hwnd);
                DestroyWindow(hwnd);
            }
            return 0;
        case WM_DROPFILES:
            OpenDroppedFiles(hwnd, reinterpret_cast<HDROP>(wParam));
            return 0;
        case WM_DPICHANGED:
            ChangeDpi(hwnd, HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_GETMINMAXINFO:
            LimitWindowSize(reinterpret_cast<MINMAXINFO*>(lParam));
            return 0;
        case WM_DESTROY:
            ReleaseDrawnCopy();
            if (ui.hPictureDC != nullptr) {
                DeleteDC(ui.hPictureDC);
                ui.hPictureDC = nullptr;
            }
            ui.TextAreaText.reset();
            ui.PictureName.reset();
            ui.ZoneName.reset();
            PostQuitMessage(0);
            return 0;
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, 0);
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<LRESULT>(ui.brPanel);
        }
        case WM_COMMAND:
            Command(hwnd, LOWORD(wParam));
            return 0;
        case WM_KEYDOWN:
            if (KeyDown(wParam, lParam)) return 0;
            return DefWindowProcA(hwnd, message, wParam, lParam);
        case WM_LBUTTONUP:
            if (ui.bWindowActive) LeftButtonUp(lParam);
            return DefWindowProcA(hwnd, message, wParam, lParam);
        default:
            return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}
