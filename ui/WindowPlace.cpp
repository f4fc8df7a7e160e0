// The main window's first place, its remembered place and its smallest size.
#include "ui/WindowPlace.h"

#include <algorithm>
#include <cstring>

#include "platform/WinApi.h"
#include "platform/WindowDpi.h"
#include "ui/UiState.h"

namespace {

constexpr const char* kSettingsKey = "Software\\Quillfin";
constexpr const char* kLeft = "WindowLeft";
constexpr const char* kTop = "WindowTop";
constexpr const char* kRight = "WindowRight";
constexpr const char* kBottom = "WindowBottom";
constexpr const char* kMaximized = "WindowMaximized";

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

// At the window's DPI, as the layout that has to fit.
POINT MinimumOuterSize() {
    RECT rect{0, 0, ScaleToDpi(kMinimumClientWidth), ScaleToDpi(kMinimumClientHeight)};
    AdjustWindowRectForDpi(&rect, WS_OVERLAPPEDWINDOW, TRUE, 0, static_cast<UINT>(Ui().iDpi));
    return POINT{Width(rect), Height(rect)};
}

bool WorkAreaFor(const RECT& window, DWORD flags, RECT& work) {
    HMONITOR monitor = MonitorFromRect(&window, flags);
    if (monitor == nullptr) return false;
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoA(monitor, &info)) return false;
    work = info.rcWork;
    return Width(work) > 0 && Height(work) > 0;
}

// A window placement's rectangle is in workspace coordinates: screen
// coordinates less the offset of its screen's work area from the screen's
// corner (a taskbar at the top or the left makes one). `toScreen` converts
// from those, else to them.
RECT Workspace(const RECT& rect, bool toScreen) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    HMONITOR monitor = MonitorFromRect(&rect, MONITOR_DEFAULTTOPRIMARY);
    if (monitor == nullptr || !GetMonitorInfoA(monitor, &info)) return rect;
    const int sign = toScreen ? 1 : -1;
    const int dx = sign * (info.rcWork.left - info.rcMonitor.left);
    const int dy = sign * (info.rcWork.top - info.rcMonitor.top);
    return RECT{rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy};
}

// One value of the settings key; false when it is missing or no number.
bool ReadValue(HKEY key, const char* name, LONG& value) {
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof(data);
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(&data), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(data))
        return false;
    std::memcpy(&value, &data, sizeof(value));
    return true;
}

bool WriteValue(HKEY key, const char* name, LONG value) {
    DWORD data = 0;
    std::memcpy(&data, &value, sizeof(data));
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof(data)) == ERROR_SUCCESS;
}

HKEY OpenSettings(REGSAM access) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        access, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

// The place kept at the last exit; false when there is none, or one that
// is no rectangle.
bool ReadPlace(RECT& window, bool& maximized) {
    HKEY key = OpenSettings(KEY_QUERY_VALUE);
    if (key == nullptr) return false;
    LONG max = 0;
    const bool read = ReadValue(key, kLeft, window.left) && ReadValue(key, kTop, window.top) &&
                      ReadValue(key, kRight, window.right) &&
                      ReadValue(key, kBottom, window.bottom) && ReadValue(key, kMaximized, max);
    RegCloseKey(key);
    maximized = max != 0;
    return read && Width(window) > 0 && Height(window) > 0;
}

}  // namespace

RECT FirstPlace(const RECT& window, const RECT& work) {
    int width = Width(window);
    int height = Height(window);
    const int roomAcross = std::max(Width(work), 1);
    const int roomDown = std::max(Height(work), 1);
    if (width > roomAcross || height > roomDown) {
        // The tighter of the two directions decides, without rounding up.
        if (static_cast<long long>(roomAcross) * height <=
            static_cast<long long>(roomDown) * width) {
            height = static_cast<int>(static_cast<long long>(height) * roomAcross / width);
            width = roomAcross;
        } else {
            width = static_cast<int>(static_cast<long long>(width) * roomDown / height);
            height = roomDown;
        }
    }
    const int left = work.left + (roomAcross - width) / 2;
    const int top = work.top + (roomDown - height) / 2;
    return RECT{left, top, left + width, top + height};
}

RECT PlaceInside(const RECT& window, const RECT& work, POINT minimum) {
    const int width = std::clamp(Width(window), std::min<int>(minimum.x, Width(work)), Width(work));
    const int height =
        std::clamp(Height(window), std::min<int>(minimum.y, Height(work)), Height(work));
    const int left = std::clamp<int>(window.left, work.left, work.right - width);
    const int top = std::clamp<int>(window.top, work.top, work.bottom - height);
    return RECT{left, top, left + width, top + height};
}

void ShowMainWindowInPlace(HWND hwnd, int showCommand) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (!GetWindowPlacement(hwnd, &placement)) {
        ShowWindow(hwnd, showCommand);
        return;
    }
    // Worked out in screen coordinates, which the places kept are in.
    placement.rcNormalPosition = Workspace(placement.rcNormalPosition, true);
    RECT remembered{};
    bool maximized = false;
    RECT work{};
    if (ReadPlace(remembered, maximized)) {
        // On the screen it lies most on, or the nearest when it is off every screen.
        if (WorkAreaFor(remembered, MONITOR_DEFAULTTONEAREST, work))
            placement.rcNormalPosition = PlaceInside(remembered, work, MinimumOuterSize());
        // A start asked to be minimized (or hidden) is not overruled.
        if (maximized && (showCommand == SW_SHOWNORMAL || showCommand == SW_SHOWDEFAULT ||
                          showCommand == SW_SHOW))
            showCommand = SW_SHOWMAXIMIZED;
    } else {
        // The size the window was created with is meant at 96 DPI. The
        // window system would cut a size larger than the screen, so the
        // window is scaled here and only then fitted to the screen.
        RECT& first = placement.rcNormalPosition;
        first.right = first.left + ScaleToDpi(Width(first));
        first.bottom = first.top + ScaleToDpi(Height(first));
        if (WorkAreaFor(first, MONITOR_DEFAULTTOPRIMARY, work)) first = FirstPlace(first, work);
    }
    placement.rcNormalPosition = Workspace(placement.rcNormalPosition, false);
    placement.flags = 0;
    placement.showCmd = static_cast<UINT>(showCommand);
    if (!SetWindowPlacement(hwnd, &placement)) ShowWindow(hwnd, showCommand);
}

void RememberWindowPlace(HWND hwnd) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (!GetWindowPlacement(hwnd, &placement) || placement.showCmd == SW_SHOWMINIMIZED) return;
    HKEY key = OpenSettings(KEY_SET_VALUE);
    if (key == nullptr) return;
    const RECT r = Workspace(placement.rcNormalPosition, true);
    const struct {
        const char* name;
        LONG value;
    } values[] = {{kLeft, r.left},
                  {kTop, r.top},
                  {kRight, r.right},
                  {kBottom, r.bottom},
                  {kMaximized, placement.showCmd == SW_SHOWMAXIMIZED ? 1 : 0}};
    for (const auto& v : values) {
        if (!WriteValue(key, v.name, v.value)) break;
    }
    RegCloseKey(key);
}

void LimitWindowSize(MINMAXINFO* limits) {
    if (limits == nullptr) return;
    limits->ptMinTrackSize = MinimumOuterSize();
}
