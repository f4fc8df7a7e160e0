// Where a main window stands on the screens: its placement (the restored
// outer rectangle, with the layer's frame, and the maximized state) and the
// screens with their work areas, from Qt or, in tests, from the seams.
#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "platform/WinApi.h"
#include "platform/qt/Internal.h"
#include "platform/qt/TestSeams.h"

using namespace quillfin::platform;

namespace {

struct Screen {
    QRect whole;
    QRect work;
};

std::optional<std::vector<Screen>>& ScreenOverride() {
    static std::optional<std::vector<Screen>> screens;
    return screens;
}

// The screens, the primary one first.
std::vector<Screen> Screens() {
    if (ScreenOverride()) return *ScreenOverride();
    std::vector<Screen> screens;
    QScreen* primary = QGuiApplication::primaryScreen();
    if (primary != nullptr) screens.push_back({primary->geometry(), primary->availableGeometry()});
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen != primary) screens.push_back({screen->geometry(), screen->availableGeometry()});
    }
    return screens;
}

QRect ToQRect(const RECT& r) {
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

RECT ToRect(const QRect& r) {
    return RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

HMONITOR MonitorHandle(std::size_t index) {
    return reinterpret_cast<HMONITOR>(static_cast<std::uintptr_t>(index + 1));
}

// The squared distance between two rectangles (0 when they meet).
long long Distance(const QRect& a, const QRect& b) {
    const long long dx = std::max({0, b.left() - a.right(), a.left() - b.right()});
    const long long dy = std::max({0, b.top() - a.bottom(), a.top() - b.bottom()});
    return dx * dx + dy * dy;
}

// Workspace coordinates, which window placements are given in as on
// Windows: screen coordinates less the offset of the work area of the screen
// the rectangle lies most on (the primary one when none) from that screen's
// corner, which a panel at the top or the left makes.
QPoint WorkspaceOffset(const RECT& rect);

}  // namespace

namespace quillfin::testing {

void SetScreens(const std::vector<std::pair<RECT, RECT>>& screens) {
    if (screens.empty()) {
        ScreenOverride().reset();
        return;
    }
    std::vector<Screen> list;
    for (const auto& [whole, work] : screens) list.push_back({ToQRect(whole), ToQRect(work)});
    ScreenOverride() = std::move(list);
}

}  // namespace quillfin::testing

HMONITOR MonitorFromRect(const RECT* rect, DWORD flags) {
    const std::vector<Screen> screens = Screens();
    if (rect == nullptr || screens.empty()) return nullptr;
    const QRect area = rect->right > rect->left && rect->bottom > rect->top
                           ? ToQRect(*rect)
                           : QRect(rect->left, rect->top, 1, 1);
    long long most = 0;
    std::optional<std::size_t> best;
    for (std::size_t i = 0; i < screens.size(); ++i) {
        const QRect shared = screens[i].whole & area;
        const long long size = static_cast<long long>(shared.width()) * shared.height();
        if (!shared.isEmpty() && size > most) {
            most = size;
            best = i;
        }
    }
    if (best) return MonitorHandle(*best);
    if (flags == MONITOR_DEFAULTTOPRIMARY) return MonitorHandle(0);
    if (flags != MONITOR_DEFAULTTONEAREST) return nullptr;
    long long nearest = std::numeric_limits<long long>::max();
    for (std::size_t i = 0; i < screens.size(); ++i) {
        const long long d = Distance(screens[i].whole, area);
        if (d < nearest) {
            nearest = d;
            best = i;
        }
    }
    return MonitorHandle(*best);
}

BOOL GetMonitorInfoA(HMONITOR monitor, MONITORINFO* info) {
    const std::vector<Screen> screens = Screens();
    const auto index = reinterpret_cast<std::uintptr_t>(monitor);
    if (info == nullptr || info->cbSize < sizeof(MONITORINFO) || index == 0 ||
        index > screens.size())
        return FALSE;
    info->rcMonitor = ToRect(screens[index - 1].whole);
    info->rcWork = ToRect(screens[index - 1].work);
    info->dwFlags = index == 1 ? 1 : 0;  // MONITORINFOF_PRIMARY
    return TRUE;
}

namespace {

QPoint WorkspaceOffset(const RECT& rect) {
    const std::vector<Screen> screens = Screens();
    const auto index =
        reinterpret_cast<std::uintptr_t>(MonitorFromRect(&rect, MONITOR_DEFAULTTOPRIMARY));
    if (index == 0 || index > screens.size()) return QPoint(0, 0);
    const Screen& screen = screens[index - 1];
    return screen.work.topLeft() - screen.whole.topLeft();
}

RECT Moved(const RECT& r, QPoint by) {
    return RECT{r.left + by.x(), r.top + by.y(), r.right + by.x(), r.bottom + by.y()};
}

}  // namespace

BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT* placement) {
    Window* window = As<Window>(hwnd);
    if (placement == nullptr || window == nullptr || window->type != WindowType::Main ||
        window->widget == nullptr)
        return FALSE;
    QWidget* widget = window->widget;
    // The frame that the layer adds round the widget (which holds the menu
    // bar and the client area) to make the outer size; the widget's own size
    // follows resizing by the window system, the outer size kept does not.
    RECT frameRect{0, 0, 0, 0};
    AdjustWindowRectEx(&frameRect, WS_OVERLAPPEDWINDOW, FALSE, 0);
    const QSize frame(frameRect.right - frameRect.left, frameRect.bottom - frameRect.top);
    const bool maximized = widget->isMaximized();
    QPoint topLeft = widget->pos();
    QSize size = widget->size();
    if (maximized) {
        const QRect normal = widget->normalGeometry();
        topLeft = normal.topLeft() - (widget->geometry().topLeft() - widget->pos());
        size = normal.size();
    }
    // The window stands in by the layer's side border (see SetWindowPos).
    topLeft += QPoint(frameRect.left, frameRect.left);
    placement->flags = 0;
    placement->showCmd = maximized               ? SW_SHOWMAXIMIZED
                         : widget->isMinimized() ? SW_SHOWMINIMIZED
                                                 : SW_SHOWNORMAL;
    placement->ptMinPosition = POINT{-1, -1};
    placement->ptMaxPosition = POINT{-1, -1};
    const QSize outer = size + frame;
    const RECT screen{topLeft.x(), topLeft.y(), topLeft.x() + outer.width(),
                      topLeft.y() + outer.height()};
    placement->rcNormalPosition = Moved(screen, -WorkspaceOffset(screen));
    return TRUE;
}

BOOL SetWindowPlacement(HWND hwnd, const WINDOWPLACEMENT* placement) {
    Window* window = As<Window>(hwnd);
    if (placement == nullptr || placement->length != sizeof(WINDOWPLACEMENT) || window == nullptr ||
        window->type != WindowType::Main || window->widget == nullptr)
        return FALSE;
    const RECT r = Moved(placement->rcNormalPosition, WorkspaceOffset(placement->rcNormalPosition));
    if (window->widget->isMaximized()) window->widget->setWindowState(Qt::WindowNoState);
    SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER);
    switch (placement->showCmd) {
        case SW_HIDE:
            ShowWindow(hwnd, SW_HIDE);
            break;
        case SW_SHOWMAXIMIZED:
            window->widget->setWindowState(Qt::WindowMaximized);
            ShowWindow(hwnd, SW_SHOW);
            break;
        default:
            ShowWindow(hwnd, placement->showCmd);
            break;
    }
    return TRUE;
}
