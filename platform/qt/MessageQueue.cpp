#include <QApplication>
#include <QDateTime>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QWindow>
#include <array>
#include <deque>
#include <optional>

#include "platform/qt/Internal.h"

namespace quillfin::platform {
namespace {

constexpr LPARAM kKeyWasDown = LPARAM{1} << 30;
// The virtual-key code Windows gives characters that come without a key of their own.
constexpr int kVkPacket = 0xE7;
constexpr LPARAM kKeyReleased = LPARAM{1} << 31;

struct KeyState {
    bool down = false;
    bool pressedSincePoll = false;
    // When the key was last released. The X server repeats a held key as a
    // release and a press with one timestamp, which Qt does not always mark
    // as a repeat.
    std::optional<ulong> releasedAt;
};

// A key event for an edit control, kept until its message is dispatched.
struct HeldKeyEvent {
    DWORD serial;
    std::unique_ptr<QKeyEvent> event;
};
// More would mean that messages are taken and never dispatched.
constexpr std::size_t kMaxHeldKeyEvents = 512;

struct Queue {
    std::deque<MSG> messages;
    std::deque<HeldKeyEvent> heldKeys;
    DWORD nextKeySerial = 0;
    bool quitPosted = false;
    int quitCode = 0;
    std::array<KeyState, 256> keys{};
    int modalDepth = 0;
    // Shift and Ctrl as the key message last taken found them (lKeys), for
    // GetKeyState; unset until a key message has been taken.
    std::optional<DWORD> messageKeys;
};

constexpr DWORD kShiftHeld = 1;
constexpr DWORD kControlHeld = 2;

bool IsKeyMessage(UINT message) { return message >= WM_KEYDOWN && message <= WM_SYSCHAR; }

Queue& TheQueue() {
    static Queue queue;
    return queue;
}

// Keeps a copy of a key event for the message that carries it; the serial
// goes into the message.
DWORD HoldKeyEvent(const QKeyEvent& key) {
    Queue& queue = TheQueue();
    if (++queue.nextKeySerial == 0) queue.nextKeySerial = 1;
    queue.heldKeys.push_back(
        HeldKeyEvent{queue.nextKeySerial, std::unique_ptr<QKeyEvent>(key.clone())});
    if (queue.heldKeys.size() > kMaxHeldKeyEvents) queue.heldKeys.pop_front();
    return queue.nextKeySerial;
}

std::unique_ptr<QKeyEvent> TakeHeldKeyEvent(DWORD serial) {
    Queue& queue = TheQueue();
    for (auto it = queue.heldKeys.begin(); it != queue.heldKeys.end(); ++it) {
        if (it->serial != serial) continue;
        std::unique_ptr<QKeyEvent> event = std::move(it->event);
        queue.heldKeys.erase(it);
        return event;
    }
    return nullptr;
}

// Hands a dispatched key message's event to its edit control. An Alt key
// with a letter (a system key) types nothing: on Windows it only looks for
// a menu of that letter, which Qt's menu bar has matched already.
void DeliverHeldKey(const MSG& msg) {
    std::unique_ptr<QKeyEvent> event = TakeHeldKeyEvent(msg.lPrivate);
    Window* window = As<Window>(msg.hwnd);
    if (event == nullptr || window == nullptr || window->type != WindowType::Edit ||
        window->widget == nullptr)
        return;
    if (msg.message == WM_SYSKEYDOWN && !event->text().isEmpty()) return;
    QCoreApplication::sendEvent(window->widget.data(), event.get());
}

bool Matches(const MSG& msg, HWND hwnd, UINT filterMin, UINT filterMax) {
    if (hwnd != nullptr && msg.hwnd != hwnd) {
        Window* w = As<Window>(msg.hwnd);
        if (w == nullptr || w->parent != hwnd) return false;
    }
    if (filterMin == 0 && filterMax == 0) return true;
    return msg.message >= filterMin && msg.message <= filterMax;
}

MSG MakeMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG msg{};
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = static_cast<DWORD>(QDateTime::currentMSecsSinceEpoch());
    if (IsKeyMessage(message))
        msg.lKeys =
            (KeyIsDown(VK_SHIFT) ? kShiftHeld : 0) | (KeyIsDown(VK_CONTROL) ? kControlHeld : 0);
    return msg;
}

// Takes the next message the way Windows orders them: posted and input
// messages first, then the quit message, then painting of a window whose
// client area still has an invalid part.
bool TakeMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, bool remove) {
    Queue& queue = TheQueue();
    for (auto it = queue.messages.begin(); it != queue.messages.end(); ++it) {
        if (!Matches(*it, hwnd, filterMin, filterMax)) continue;
        *msg = *it;
        if (remove) {
            if (IsKeyMessage(msg->message)) queue.messageKeys = msg->lKeys;
            queue.messages.erase(it);
        }
        return true;
    }
    if (queue.quitPosted &&
        Matches(MakeMessage(nullptr, WM_QUIT, 0, 0), nullptr, filterMin, filterMax)) {
        *msg = MakeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0);
        if (remove) queue.quitPosted = false;
        return true;
    }
    for (Window* window : MainWindows()) {
        if (window->updateRegion.isEmpty()) continue;
        MSG paint = MakeMessage(ToHandle<HWND>(window->handle), WM_PAINT, 0, 0);
        if (!Matches(paint, hwnd, filterMin, filterMax)) continue;
        *msg = paint;
        return true;
    }
    return false;
}

void RunPendingDeletes() {
    // Outside an event loop Qt keeps deferred deletions pending forever,
    // which would keep the wait below from ever sleeping.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Turns window-system events into messages and keeps the key table.
class InputFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
                // Every key event reaches its window exactly once; widgets may
                // see it again while it propagates.
                if (watched->isWindowType())
                    return OnKey(static_cast<QWindow*>(watched), static_cast<QKeyEvent*>(event));
                break;
            case QEvent::Expose:
                if (watched->isWindowType()) OnExpose(static_cast<QWindow*>(watched));
                break;
            case QEvent::WindowActivate:
            case QEvent::WindowDeactivate:
                if (watched->isWidgetType()) {
                    auto* widget = static_cast<QWidget*>(watched);
                    Window* w = As<Window>(HandleOf(widget));
                    if (w != nullptr && w->type == WindowType::Main && w->widget == widget) {
                        const bool active = event->type() == QEvent::WindowActivate;
                        ReportActivation(w, active, active ? WA_ACTIVE : WA_INACTIVE);
                    }
                }
                break;
            case QEvent::FocusIn:
                if (watched->isWidgetType()) {
                    HWND hwnd = HandleOf(static_cast<QWidget*>(watched));
                    if (hwnd != nullptr) NoteFocus(hwnd);
                }
                break;
            default:
                break;
        }
        return false;
    }

private:
    static Window* OwnerOf(QWindow* qwindow) {
        for (Window* w : MainWindows()) {
            if (w->widget != nullptr && w->widget->windowHandle() == qwindow) return w;
        }
        return nullptr;
    }

    // Keeps the key table and queues the key's message for the focused
    // window. True when the event must not reach the widget.
    static bool OnKey(QWindow* qwindow, QKeyEvent* key) {
        const int vk = VirtualKeyFromQt(key->key());
        const bool press = key->type() == QEvent::KeyPress;
        if (!press && key->isAutoRepeat()) return false;  // the key is still held
        bool repeat = false;
        if (vk != 0) {
            KeyState& state = TheQueue().keys[static_cast<std::size_t>(vk)];
            repeat = press && (key->isAutoRepeat() || state.releasedAt == key->timestamp());
            if (!press) state.releasedAt = key->timestamp();
            SetKeyState(vk, press);
        }
        Window* owner = OwnerOf(qwindow);
        // A dialog's key, or one for an open menu, which takes it in its own
        // loop on Windows: the program never hears of it.
        if (owner == nullptr || ModalOpen() || QApplication::activePopupWidget() != nullptr)
            return false;
        HWND target = CurrentFocus();
        if (MainWindowOf(target) != owner) target = ToHandle<HWND>(owner->handle);
        const Qt::KeyboardModifiers modifiers = key->modifiers();
        // Alt without Ctrl makes a system key (Ctrl+Alt is AltGr on Windows).
        const bool system = (modifiers & Qt::AltModifier) && !(modifiers & Qt::ControlModifier);
        LPARAM flags = 1 | (repeat ? kKeyWasDown : 0);
        if (!press) flags = 1 | kKeyWasDown | kKeyReleased;
        UINT message = press ? WM_KEYDOWN : WM_KEYUP;
        if (system) message = press ? WM_SYSKEYDOWN : WM_SYSKEYUP;
        Window* targetWindow = As<Window>(target);
        if (targetWindow != nullptr && targetWindow->type == WindowType::Edit) {
            // As on Windows, the edit control takes the key only when its
            // message is dispatched, so the program sees the letters typed
            // before a key in the box and none typed after it. A key without
            // a virtual-key code of its own (ä, say) comes as VK_PACKET.
            MSG msg =
                MakeMessage(target, message, static_cast<WPARAM>(vk != 0 ? vk : kVkPacket), flags);
            msg.lPrivate = HoldKeyEvent(*key);
            msg.lKeys = KeysOf(modifiers);
            TheQueue().messages.push_back(msg);
            return true;
        }
        if (vk != 0) {
            MSG msg = MakeMessage(target, message, static_cast<WPARAM>(vk), flags);
            msg.lKeys = KeysOf(modifiers);
            TheQueue().messages.push_back(msg);
        }
        return false;
    }

    static DWORD KeysOf(Qt::KeyboardModifiers modifiers) {
        return ((modifiers & Qt::ShiftModifier) ? kShiftHeld : 0) |
               ((modifiers & Qt::ControlModifier) ? kControlHeld : 0);
    }

    static void OnExpose(QWindow* qwindow) {
        Window* owner = OwnerOf(qwindow);
        if (owner == nullptr || !qwindow->isExposed()) return;
        InvalidateClient(owner, QRect(QPoint(0, 0), owner->clientSize));
    }
};

}  // namespace

void ForgetKeys() {
    for (KeyState& key : TheQueue().keys) {
        key.down = false;
        key.pressedSincePoll = false;
    }
}

void ReportActivation(Window* window, bool active, WPARAM how) {
    ForgetKeys();
    if (window == nullptr || window->reportedActive == active) return;
    window->reportedActive = active;
    if (window->proc != nullptr)
        window->proc(ToHandle<HWND>(window->handle), WM_ACTIVATE, active ? how : WA_INACTIVE, 0);
}

bool ModalOpen() { return TheQueue().modalDepth > 0; }

void SetModalOpen(HWND owner, bool open) {
    Queue& queue = TheQueue();
    queue.modalDepth = std::max(0, queue.modalDepth + (open ? 1 : -1));
    ForgetKeys();
    // The window system reports the activation of real dialogs; scripted
    // ones open nothing, so their owner hears it from here.
    if (Dialogs().on || QGuiApplication::platformName() == QLatin1String("offscreen")) {
        if (Window* main = MainWindowOf(owner)) ReportActivation(main, !open, WA_ACTIVE);
    }
}

void Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    TheQueue().messages.push_back(MakeMessage(hwnd, message, wParam, lParam));
}

bool QueueHasMessages() {
    MSG msg;
    return TakeMessage(&msg, nullptr, 0, 0, false);
}

void ResetQueue() {
    Queue& queue = TheQueue();
    queue.messages.clear();
    queue.quitPosted = false;
    queue.quitCode = 0;
    queue.keys.fill(KeyState{});
    queue.modalDepth = 0;
    queue.heldKeys.clear();
    queue.messageKeys.reset();
}

void InstallInputFilter() {
    static InputFilter* filter = nullptr;
    if (filter != nullptr || QCoreApplication::instance() == nullptr) return;
    filter = new InputFilter(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(filter);
    QObject::connect(qApp, &QGuiApplication::focusWindowChanged, filter, [] { ForgetKeys(); });
    // Widgets and fonts must go while the application still exists, not
    // with the handle table at process exit.
    qAddPostRoutine([] {
        ResetWindows();
        ResetGdi();
        filter = nullptr;
    });
}

void SetKeyState(int virtualKey, bool down) {
    if (virtualKey <= 0 || virtualKey > 255) return;
    KeyState& key = TheQueue().keys[static_cast<std::size_t>(virtualKey)];
    key.down = down;
    if (down) key.pressedSincePoll = true;
}

bool KeyIsDown(int virtualKey) {
    return virtualKey > 0 && virtualKey <= 255 &&
           TheQueue().keys[static_cast<std::size_t>(virtualKey)].down;
}

int VirtualKeyFromQt(int qtKey) {
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return 'A' + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return '0' + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) return 0x70 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
        case Qt::Key_Return:
        case Qt::Key_Enter:  // the keypad's Enter
            return VK_RETURN;
        case Qt::Key_Backspace:
            return 0x08;
        case Qt::Key_Tab:
            return 0x09;
        case Qt::Key_Shift:
            return 0x10;
        case Qt::Key_Control:
            return 0x11;
        case Qt::Key_Alt:
            return 0x12;
        case Qt::Key_Escape:
            return 0x1B;
        case Qt::Key_Space:
            return 0x20;
        case Qt::Key_PageUp:
            return 0x21;
        case Qt::Key_PageDown:
            return 0x22;
        case Qt::Key_End:
            return 0x23;
        case Qt::Key_Home:
            return 0x24;
        case Qt::Key_Left:
            return 0x25;
        case Qt::Key_Up:
            return 0x26;
        case Qt::Key_Right:
            return 0x27;
        case Qt::Key_Down:
            return 0x28;
        case Qt::Key_Delete:
            return 0x2E;
        default:
            return 0;
    }
}

LRESULT SendToWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* window = As<Window>(hwnd);
    if (window == nullptr) return 0;
    if (window->proc != nullptr) return window->proc(hwnd, message, wParam, lParam);
    return ControlProc(window, message, wParam, lParam);
}

}  // namespace quillfin::platform

using namespace quillfin::platform;

BOOL GetMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) {
    if (msg == nullptr || QCoreApplication::instance() == nullptr) return -1;
    for (;;) {
        RunPendingDeletes();
        if (TakeMessage(msg, hwnd, filterMin, filterMax, true))
            return msg->message == WM_QUIT ? FALSE : TRUE;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg) {
    if (msg == nullptr) return FALSE;
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        RunPendingDeletes();
    }
    return TakeMessage(msg, hwnd, filterMin, filterMax, (removeMsg & PM_REMOVE) != 0) ? TRUE
                                                                                      : FALSE;
}

BOOL TranslateMessage(const MSG* msg) {
    return msg != nullptr && (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP) ? TRUE
                                                                                      : FALSE;
}

LRESULT DispatchMessageA(const MSG* msg) {
    if (msg == nullptr || msg->hwnd == nullptr) return 0;
    if (msg->lPrivate != 0) DeliverHeldKey(*msg);
    return SendToWindow(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (hwnd != nullptr && As<Window>(hwnd) == nullptr) return FALSE;
    Post(hwnd, message, wParam, lParam);
    return TRUE;
}

void PostQuitMessage(int exitCode) {
    TheQueue().quitPosted = true;
    TheQueue().quitCode = exitCode;
}

LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM, LPARAM) {
    Window* window = As<Window>(hwnd);
    if (window == nullptr) return 0;
    switch (message) {
        case WM_CLOSE:
            DestroyWindow(hwnd);
            return 0;
        case WM_PAINT:
            window->updateRegion = QRegion();  // painting nothing still validates
            return 0;
        default:
            return 0;
    }
}

LRESULT SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendToWindow(hwnd, message, wParam, lParam);
}

LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
    if (As<Window>(dialog) == nullptr) return 0;
    for (Object* object : AllOf(Kind::Window)) {
        auto* child = static_cast<Window*>(object);
        if (child->parent == dialog && child->controlId == id)
            return SendToWindow(ToHandle<HWND>(child->handle), message, wParam, lParam);
    }
    return 0;
}

SHORT GetAsyncKeyState(int key) {
    if (key <= 0 || key > 255) return 0;
    KeyState& state = TheQueue().keys[static_cast<std::size_t>(key)];
    unsigned result = (state.down ? 0x8000u : 0u) | (state.pressedSincePoll ? 1u : 0u);
    state.pressedSincePoll = false;
    return static_cast<SHORT>(result);
}

SHORT GetKeyState(int key) {
    if (key <= 0 || key > 255) return 0;
    const Queue& queue = TheQueue();
    bool down = queue.keys[static_cast<std::size_t>(key)].down;
    // Shift and Ctrl as they were when the key message being handled was made.
    if (queue.messageKeys && key == VK_SHIFT) down = (*queue.messageKeys & kShiftHeld) != 0;
    if (queue.messageKeys && key == VK_CONTROL) down = (*queue.messageKeys & kControlHeld) != 0;
    return static_cast<SHORT>(down ? 0x8000u : 0u);
}
