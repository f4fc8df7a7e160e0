// Shared inside the window part of the Qt implementation of the Windows-API
// subset: windows and controls, the message queue and keys, menus and
// dialogs, over Qt Widgets; the bitmap part below it is GdiInternal.h.
// Nothing here is visible to the program; it sees only platform/WinApi.h.
#pragma once

#include <QFont>
#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QString>
#include <QWidget>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WinApi.h"
#include "platform/qt/GdiInternal.h"
#include "platform/qt/TestSeams.h"

class QMenuBar;

namespace quillfin::platform {

// ---- windows ----

// Edit is the one-line answer box (any EDIT without ES_READONLY); TextView a
// read-only multi-line EDIT, which scrolls its word-wrapped text.
enum class WindowType { Main, Static, Edit, TextView };

struct Window : Object {
    static constexpr Kind kKind = Kind::Window;
    Window() : Object(kKind) {}
    ~Window() override;

    WindowType type = WindowType::Main;
    WNDPROC proc = nullptr;
    HWND parent = nullptr;
    int controlId = 0;
    QPointer<QWidget> widget;  // the top-level widget, or the control
    QPointer<QWidget> client;  // main window: the widget showing the canvas
    QPointer<QMenuBar> menuBar;
    QImage canvas;         // main window: the retained client area, in device pixels
    QSize clientSize;      // main window: the client area in the window's units
    QRegion updateRegion;  // main window: what still awaits WM_PAINT
    QSize reportedSize;    // the client size last reported by WM_SIZE
    bool shownOnce = false;
    bool destroying = false;
    HMENU menu = nullptr;
    HFONT font = nullptr;
    QString text;  // static control text or window title
    // The outer size Windows would give the window; the client area is this
    // minus the frame, the caption and, with a menu, the menu bar.
    QSize outerSize;
    // Main window: the activation last reported to the window procedure.
    bool reportedActive = false;
    // What assistive technology hears (SetAccessibleTexts); for a main
    // window, of its client area.
    QString accessibleName;
    QString accessibleDescription;
    QString accessibleValue;
};

Window* MainWindowOf(HWND hwnd);  // the window itself or its parent
std::vector<Window*> MainWindows();
HWND HandleOf(const QWidget* widget);
// Sets the client size of a main window (canvas and widgets).
void SetClientSize(Window* window, QSize size);
// Recomputes the client area after a menu bar came or went.
void MenuBarChanged(Window* window);
void InvalidateClient(Window* window, const QRect& rect);
// Frees the window and its children; sends WM_DESTROY when `notify`.
void DestroyWindowTree(HWND hwnd, bool notify);
void ResetWindows();
HWND CurrentFocus();
void NoteFocus(HWND hwnd);

// Lets assistive technology see the main windows' client areas.
void InstallAccessibility();
// How many accessibility events of each type (QAccessible::Event) were sent
// for each window.
std::map<std::pair<HWND, int>, int>& AccessibleEventCounts();

// ---- message queue and keys ----

void Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
bool QueueHasMessages();
void ResetQueue();
void InstallInputFilter();
void SetKeyState(int virtualKey, bool down);
bool KeyIsDown(int virtualKey);  // without consuming the pressed-since-last-poll report
// Qt cannot tell whether a key is physically down, and a release that comes
// while the keyboard passes between windows can be lost. So the key table
// forgets every key it holds down when the main window is activated or
// deactivated, when the focus window changes and when a dialog or message
// box closes.
void ForgetKeys();
// Sends WM_ACTIVATE to a main window's procedure at once, as Windows does,
// when its activation differs from what the procedure last heard; forgets
// the keys held down either way.
void ReportActivation(Window* window, bool active, WPARAM how);
// True while a file dialog or message box of the layer is open: it has the
// keyboard, and the main window is inactive.
bool ModalOpen();
// Marks a dialog or message box opening (true) or closing (false) over `owner`.
void SetModalOpen(HWND owner, bool open);
int VirtualKeyFromQt(int qtKey);
LRESULT SendToWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// A message of the layer's own for a read-only multi-line edit: the height
// in pixels its text needs at its width, margins included.
constexpr UINT kTextHeightQuery = WM_USER + 0x7A01;
// The text a window shows, its title or what was typed into an edit control.
QString TextOf(const Window* window);
// The window procedure of the built-in "STATIC" and "EDIT" classes.
LRESULT ControlProc(Window* window, UINT message, WPARAM wParam, LPARAM lParam);

// ---- graphics ----

// ---- menus ----

void BuildMenuBar(Window* window, const std::vector<MenuItem>& items);

// ---- dialogs ----

struct DialogScript {
    bool on = false;
    bool real = false;  // real boxes and dialogs even under the offscreen platform
    std::deque<int> messageBoxResults;
    std::deque<std::optional<std::string>> fileAnswers;
    std::vector<testing::ShownMessageBox> messageBoxes;
    std::vector<testing::ShownFileDialog> fileDialogs;
    std::function<void()> whileNextOpen;
    std::vector<testing::ShellRequest> shellRequests;
};
DialogScript& Dialogs();

}  // namespace quillfin::platform
