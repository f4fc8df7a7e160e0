// Hooks into the Qt layer for tests only: scripted answers for message boxes
// and file dialogs with a record of what was shown, injected keys, clicks and
// activation, the screen resolution, and views of controls and of the client
// canvas. The program itself never calls these.
#pragma once

#include <QImage>
#include <QWidget>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/WinApi.h"

namespace quillfin::testing {

// Message boxes: once scripting is on, no box is shown; each call is recorded
// and answered with the next scripted result (the default button's when none
// is left).
struct ShownMessageBox {
    HWND owner;
    std::string text;     // the bytes passed (Windows-1252)
    std::string caption;  // the bytes passed
    UINT type;
};
void ScriptDialogs(bool on);
// Real message boxes and file dialogs, even under the offscreen platform,
// for tests that answer them with key events while they are open.
void UseRealDialogs(bool on);
void PushMessageBoxResult(int result);
const std::vector<ShownMessageBox>& ShownMessageBoxes();

// File dialogs: each call is recorded and answered with the next scripted
// path (nullopt cancels; cancel when none is left). A save dialog's answer
// that would replace a file asks first, as a scripted message box; after a
// No the dialog takes the next scripted answer, as the open dialog would.
struct ShownFileDialog {
    bool save;
    DWORD structSize;
    HWND owner;
    std::vector<std::string> filter;  // label, pattern, label, pattern, ...
    DWORD filterIndex;
    std::string defaultExtension;  // empty when none was passed
    DWORD flags;
    DWORD maxFile;
    std::string initialFile;  // what lpstrFile held when the dialog opened
    std::string initialDir;   // lpstrInitialDir; empty when null
};
void PushFileDialogAnswer(std::optional<std::string> path);
const std::vector<ShownFileDialog>& ShownFileDialogs();

// The shell: once scripting is on (or under the offscreen platform)
// ShellExecuteA only records what it was asked to open.
struct ShellRequest {
    std::string operation;  // empty when null
    std::string file;
};
const std::vector<ShellRequest>& ShellRequests();
// The name GetModuleFileNameA reports for the program (nullopt: its own).
void SetModuleFileName(std::optional<std::string> path);

// Forgets everything recorded and scripted so far.
void ClearRecords();

// Keyboard: the key goes down (GetAsyncKeyState reports it down and pressed
// since the last poll) and a WM_KEYDOWN is queued for the focused control,
// marked as a repeat when the key was down already; KeyUp releases it and
// queues WM_KEYUP. While the main window is inactive or a dialog or message
// box is open, only the key table changes: the keys go to that other window.
void KeyDown(int virtualKey);
void KeyUp(int virtualKey);
// Key events as the window system delivers them to a main window: a press
// or release of a Qt key code (Qt::Key) with its text (UTF-8) and modifiers
// (Qt::KeyboardModifiers). They pass the layer's input filter as keys from
// the keyboard do. `timestamp` 0 takes the next tick of a clock of the
// seams; an X server repeats a held key as a release and a press with one
// timestamp.
void SendKey(HWND main, bool press, int qtKey, const std::string& utf8Text, int modifiers = 0,
             unsigned long timestamp = 0);
// A press and a release for every character of `utf8` (letters, digits,
// blanks, letters beyond ASCII), as fast typing gives them; "\r" is Enter.
void TypeKeys(HWND main, const std::string& utf8);
// A left click (press and release) as the window system delivers it to a
// main window, at client coordinates: the click may move the focus.
void MouseClick(HWND main, int x, int y);
// The top-level widget of a main window, for events of the window system.
QWidget* MainWidget(HWND main);
// Runs `whileOpen` inside the next file dialog or message box, while it is
// open (scripted dialogs only).
void WhileNextDialogOpen(std::function<void()> whileOpen);

// Drops files (the platform's own bytes) on the middle of a main window as
// the window system delivers a drop: true when the window took them.
bool DropFiles(HWND main, const std::vector<std::string>& paths);
// How many drops have not been freed with DragFinish.
std::size_t OpenDrops();

// Sets the text of an edit control as if the user had typed it (UTF-8 in).
void TypeText(HWND edit, const std::string& utf8);

// A left-button click (press and release) at client coordinates of `hwnd`.
void Click(HWND hwnd, int x, int y);
// Activation as the window system reports it: WM_ACTIVATE is sent at once
// when it changes, and the key table forgets the keys held down.
void SetActive(HWND hwnd, bool active);
// Resizes the client area (queues WM_SIZE and a repaint as a real resize does).
void ResizeClient(HWND hwnd, int width, int height);
// Marks a part of the client area as needing paint, as the window system does
// when something that covered it goes away (the next WM_PAINT covers it).
void ExposeClientPart(HWND hwnd, const RECT& area);
// Selects a menu command as the user would (queues WM_COMMAND).
void ChooseMenuItem(HWND hwnd, int id);

// The screens that MonitorFromRect and GetMonitorInfoA report, each as its
// whole rectangle and its work area, the primary one first (empty: Qt's).
void SetScreens(const std::vector<std::pair<RECT, RECT>>& screens);

// The dots per inch that GetDeviceCaps(LOGPIXELSY) reports (0: the screen's).
void SetLogPixelsY(int dpi);
// Makes CreateFontA fail for the given face names (empty: none fails).
void FailFonts(const std::vector<std::string>& faces);

// Processes pending Qt events; true when a message is waiting in the queue.
bool ProcessEvents();

// Views
QImage ClientCanvas(HWND hwnd);      // the retained client canvas
std::string ControlText(HWND hwnd);  // UTF-8 of what the control shows
bool IsVisible(HWND hwnd);
// How many accessibility events of a type (a QAccessible::Event) the layer
// sent for a window since the platform was reset.
int AccessibleEvents(HWND hwnd, int type);
// The widget that stands for a control, or for a main window's client area.
QWidget* WidgetOf(HWND hwnd);
// The pixel rows of a read-only multi-line edit control's text that lie
// beyond its height, so that only scrolling shows them (0: it shows all).
int HiddenTextRows(HWND hwnd);
RECT ControlRect(HWND hwnd);  // in parent client coordinates
HWND FocusedWindow();
std::string WindowTitle(HWND hwnd);  // UTF-8
// The menu attached to a window, flattened: "&File", "&New round" 1002, ...
struct MenuEntry {
    int depth;  // 0 for a top-level menu, 1 for its items
    std::string text;
    int id;  // 0 for menus and separators
};
std::vector<MenuEntry> WindowMenu(HWND hwnd);

// Destroys every window, bitmap and device context of the layer and empties
// the message queue, so that a test can start the program afresh.
void ResetPlatform();

}  // namespace quillfin::testing
