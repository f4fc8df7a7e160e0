#include "platform/qt/TestSeams.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTextDocument>
#include <QTextEdit>
#include <QWindow>
#include <cmath>

#include "platform/qt/Internal.h"
#include "platform/qt/Termination.h"

using namespace quillfin::platform;

namespace quillfin::testing {

void ScriptDialogs(bool on) { Dialogs().on = on; }

void UseRealDialogs(bool on) { Dialogs().real = on; }

void PushMessageBoxResult(int result) { Dialogs().messageBoxResults.push_back(result); }

const std::vector<ShownMessageBox>& ShownMessageBoxes() { return Dialogs().messageBoxes; }

void PushFileDialogAnswer(std::optional<std::string> path) {
    Dialogs().fileAnswers.push_back(std::move(path));
}

const std::vector<ShownFileDialog>& ShownFileDialogs() { return Dialogs().fileDialogs; }

void ClearRecords() {
    bool on = Dialogs().on;
    Dialogs() = DialogScript{};
    Dialogs().on = on;
}

namespace {

HWND KeyTarget() {
    HWND focus = CurrentFocus();
    if (focus != nullptr) return focus;
    std::vector<Window*> mains = MainWindows();
    return mains.empty() ? nullptr : ToHandle<HWND>(mains.front()->handle);
}

// Keys reach the main window only while it is active and no dialog or
// message box of the layer is open.
bool MainHasKeyboard(HWND target) {
    Window* main = MainWindowOf(target);
    return main != nullptr && main->reportedActive && !ModalOpen();
}

}  // namespace

void KeyDown(int virtualKey) {
    bool wasDown = KeyIsDown(virtualKey);
    SetKeyState(virtualKey, true);
    HWND target = KeyTarget();
    if (!MainHasKeyboard(target)) return;
    Post(target, WM_KEYDOWN, static_cast<WPARAM>(virtualKey), 1 | (wasDown ? (1 << 30) : 0));
}

void KeyUp(int virtualKey) {
    SetKeyState(virtualKey, false);
    HWND target = KeyTarget();
    if (!MainHasKeyboard(target)) return;
    Post(target, WM_KEYUP, static_cast<WPARAM>(virtualKey),
         1 | (1 << 30) | (static_cast<LPARAM>(1) << 31));
}

namespace {

QWindow* MainQWindow(HWND main) {
    Window* window = MainWindowOf(main);
    if (window == nullptr || window->widget == nullptr) return nullptr;
    return window->widget->windowHandle();
}

int QtKeyOf(QChar c) {
    if (c == QLatin1Char('\r')) return Qt::Key_Return;
    if (c.isLetter() && c.unicode() < 0x80) return Qt::Key_A + (c.toUpper().unicode() - 'A');
    if (c.isDigit()) return Qt::Key_0 + (c.unicode() - '0');
    if (c == QLatin1Char(' ')) return Qt::Key_Space;
    return c.toUpper().unicode();  // Qt gives Latin-1 letters their own code
}

}  // namespace

void SendKey(HWND main, bool press, int qtKey, const std::string& utf8Text, int modifiers,
             unsigned long timestamp) {
    static unsigned long clock = 1000;
    QWindow* window = MainQWindow(main);
    if (window == nullptr) return;
    clock += 10;
    QKeyEvent event(press ? QEvent::KeyPress : QEvent::KeyRelease, qtKey,
                    Qt::KeyboardModifiers(modifiers), QString::fromStdString(utf8Text));
    event.setTimestamp(timestamp != 0 ? timestamp : clock);
    QCoreApplication::sendEvent(window, &event);
}

void TypeKeys(HWND main, const std::string& utf8) {
    for (QChar c : QString::fromStdString(utf8)) {
        const std::string text = QString(c).toStdString();
        const int modifiers = c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier;
        SendKey(main, true, QtKeyOf(c), text, modifiers);
        SendKey(main, false, QtKeyOf(c), text, modifiers);
    }
}

void MouseClick(HWND main, int x, int y) {
    Window* window = MainWindowOf(main);
    QWindow* qwindow = MainQWindow(main);
    if (window == nullptr || window->client == nullptr || qwindow == nullptr) return;
    const QPointF local = window->client->mapTo(window->widget.data(), QPointF(x, y));
    const QPointF global = window->widget->mapToGlobal(local);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, local, global, Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(qwindow, &event);
    }
}

QWidget* MainWidget(HWND main) {
    Window* window = MainWindowOf(main);
    return window != nullptr ? window->widget.data() : nullptr;
}

void WhileNextDialogOpen(std::function<void()> whileOpen) {
    Dialogs().whileNextOpen = std::move(whileOpen);
}

void TypeText(HWND edit, const std::string& utf8) {
    Window* window = As<Window>(edit);
    if (window == nullptr || window->type != WindowType::Edit || window->widget == nullptr) return;
    static_cast<QLineEdit*>(window->widget.data())->setText(QString::fromStdString(utf8));
}

void Click(HWND hwnd, int x, int y) {
    Window* window = MainWindowOf(hwnd);
    if (window == nullptr) return;
    HWND main = ToHandle<HWND>(window->handle);
    Post(main, WM_LBUTTONDOWN, 0, MAKELPARAM(x, y));
    Post(main, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void SetActive(HWND hwnd, bool active) {
    Window* window = As<Window>(hwnd);
    if (window == nullptr || window->type != WindowType::Main) return;
    ReportActivation(window, active, WA_ACTIVE);
}

void ResizeClient(HWND hwnd, int width, int height) {
    Window* window = As<Window>(hwnd);
    if (window == nullptr || window->type != WindowType::Main) return;
    SetClientSize(window, QSize(width, height));
    QCoreApplication::processEvents();
    // Whatever the window system made of the request, the client area is what the test asked.
    if (window->clientSize != QSize(width, height)) SetClientSize(window, QSize(width, height));
}

void ExposeClientPart(HWND hwnd, const RECT& area) {
    Window* window = As<Window>(hwnd);
    if (window == nullptr || window->type != WindowType::Main) return;
    InvalidateClient(window,
                     QRect(QPoint(area.left, area.top), QPoint(area.right - 1, area.bottom - 1)));
}

void ChooseMenuItem(HWND hwnd, int id) {
    if (As<Window>(hwnd) == nullptr) return;
    Post(hwnd, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void SetLogPixelsY(int dpi) { SetLogPixelsYOverride(dpi); }

void FailFonts(const std::vector<std::string>& faces) { SetFailingFonts(faces); }

bool ProcessEvents() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return QueueHasMessages();
}

QImage ClientCanvas(HWND hwnd) {
    Window* window = As<Window>(hwnd);
    if (window == nullptr || window->type != WindowType::Main) return QImage();
    return window->canvas;
}

std::string ControlText(HWND hwnd) {
    Window* window = As<Window>(hwnd);
    if (window == nullptr) return std::string();
    if (window->type == WindowType::Edit && window->widget != nullptr)
        return static_cast<QLineEdit*>(window->widget.data())->text().toStdString();
    // A carriage return and line feed show as one line break.
    QString shown = window->text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown.toStdString();
}

int HiddenTextRows(HWND hwnd) {
    Window* window = As<Window>(hwnd);
    if (window == nullptr || window->type != WindowType::TextView || window->widget == nullptr)
        return 0;
    const int needed = static_cast<int>(SendToWindow(hwnd, kTextHeightQuery, 0, 0));
    return std::max(0, needed - window->widget->height());
}

int AccessibleEvents(HWND hwnd, int type) {
    const auto& counts = AccessibleEventCounts();
    const auto found = counts.find({hwnd, type});
    return found == counts.end() ? 0 : found->second;
}

QWidget* WidgetOf(HWND hwnd) {
    Window* window = As<Window>(hwnd);
    if (window == nullptr) return nullptr;
    return window->type == WindowType::Main ? window->client.data() : window->widget.data();
}

bool IsVisible(HWND hwnd) {
    Window* window = As<Window>(hwnd);
    // Visible as Windows means it: shown itself, whatever its parent is.
    return window != nullptr && window->widget != nullptr && !window->widget->isHidden();
}

RECT ControlRect(HWND hwnd) {
    Window* window = As<Window>(hwnd);
    if (window == nullptr || window->widget == nullptr) return RECT{0, 0, 0, 0};
    QRect r = window->widget->geometry();
    return RECT{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}

HWND FocusedWindow() { return CurrentFocus(); }

std::string WindowTitle(HWND hwnd) {
    Window* window = As<Window>(hwnd);
    if (window == nullptr || window->type != WindowType::Main) return std::string();
    return window->text.toStdString();
}

namespace {

void Flatten(const std::vector<MenuItem>& items, int depth, std::vector<MenuEntry>& out) {
    for (const MenuItem& item : items) {
        out.push_back(MenuEntry{depth, item.separator ? std::string() : Cp1252ToUtf8(item.text),
                                item.popup || item.separator ? 0 : item.id});
        if (item.popup) Flatten(item.items, depth + 1, out);
    }
}

}  // namespace

std::vector<MenuEntry> WindowMenu(HWND hwnd) {
    std::vector<MenuEntry> entries;
    Window* window = As<Window>(hwnd);
    if (window == nullptr) return entries;
    if (Menu* menu = As<Menu>(window->menu)) Flatten(menu->items, 0, entries);
    return entries;
}

void ResetPlatform() {
    ResetWindows();
    ResetGdi();
    ResetQueue();
    Dialogs() = DialogScript{};
    ForgetEndRequest();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ResetQueue();  // events of the windows just destroyed
    AccessibleEventCounts().clear();
}

}  // namespace quillfin::testing
