#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "platform/DevicePixels.h"
#include "platform/qt/Internal.h"

namespace quillfin::platform {
namespace {

// What a 520 x 584 window on Windows 10 spends outside its client area: the
// frame and caption, and the one-line menu bar. The program asks for that
// outer size and gets a 504 x 526 client area with its menu.
constexpr int kFrameWidth = 16;
constexpr int kFrameHeight = 39;
constexpr int kMenuHeight = 19;
constexpr int kDefaultOuterWidth = 520;
constexpr int kDefaultOuterHeight = 584;
constexpr const char* kHandleProperty = "quillfinHwnd";
// The system colour behind a static control whose parent chooses none.
constexpr QRgb kDefaultStaticBackground = qRgb(0xF0, 0xF0, 0xF0);

struct WindowClass {
    std::string name;  // as registered
    WNDCLASSEXA info;
    ATOM atom;
};

std::vector<WindowClass>& Classes() {
    static std::vector<WindowClass> classes;
    return classes;
}

HWND& FocusRecord() {
    static HWND focus = nullptr;
    return focus;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

void Tag(QWidget* widget, HWND hwnd) {
    widget->setProperty(
        kHandleProperty,
        QVariant::fromValue(static_cast<qulonglong>(reinterpret_cast<std::uintptr_t>(hwnd))));
}

int MenuHeight(const Window* window) { return window->menuBar != nullptr ? kMenuHeight : 0; }

QSize ClientFromOuter(const Window* window, QSize outer) {
    return QSize(std::max(0, outer.width() - kFrameWidth),
                 std::max(0, outer.height() - kFrameHeight - MenuHeight(window)));
}

// How many device pixels one unit of a main window's client area spans:
// Qt's device pixel ratio of the screen the window is on.
qreal ScaleOf(const Window* window) {
    const QWidget* shown =
        window->client != nullptr ? window->client.data() : window->widget.data();
    return shown != nullptr ? shown->devicePixelRatioF() : 1.0;
}

// Follows a new client size or scale: the canvas keeps its old content at
// the top left, the new parts await painting, and the program hears
// WM_SIZE. At a new scale the whole area awaits painting, and WM_SIZE comes
// even at the same size, so that the program draws it all anew.
void ApplyClientSize(Window* window, QSize size) {
    QImage& canvas = window->canvas;
    const qreal scale = ScaleOf(window);
    // Every device pixel the client area touches, as many as Qt shows.
    const QSize device(static_cast<int>(std::ceil(size.width() * scale - 1e-6)),
                       static_cast<int>(std::ceil(size.height() * scale - 1e-6)));
    const bool rescaled = !canvas.isNull() && canvas.devicePixelRatio() != scale;
    if (canvas.size() != device || rescaled) {
        QImage grown(device, QImage::Format_RGB32);
        grown.fill(Qt::white);
        if (!rescaled) {
            // The old pixels, viewed at one unit a pixel as `grown` still is.
            const QImage old(canvas.constBits(), canvas.width(), canvas.height(),
                             canvas.bytesPerLine(), canvas.format());
            QPainter painter(&grown);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(0, 0, old);
        }
        grown.setDevicePixelRatio(scale);
        const QRect whole(QPoint(0, 0), size);
        QRegion fresh = rescaled
                            ? QRegion(whole)
                            : QRegion(whole) - QRegion(QRect(QPoint(0, 0), window->clientSize));
        canvas = std::move(grown);
        window->clientSize = size;
        window->updateRegion &= QRegion(whole);
        if (window->shownOnce) InvalidateClient(window, fresh.boundingRect());
        if (rescaled) window->reportedSize = QSize();
    }
    window->clientSize = size;
    if (window->shownOnce && window->reportedSize != size) {
        window->reportedSize = size;
        Post(ToHandle<HWND>(window->handle), WM_SIZE, 0, MAKELPARAM(size.width(), size.height()));
    }
}

// Places a main window whose outer rectangle, with the layer's frame,
// starts at (x, y). The window system draws a frame of its own, most often
// thinner than the layer's, so the window goes in by the layer's side
// border on the left and at the top: centred across the rectangle, and a
// little below its top edge, with room for its caption.
void MoveOuterTo(QWidget* widget, int x, int y) {
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
    widget->move(x - frame.left, y - frame.left);
}

class ClientArea : public QWidget {
public:
    ClientArea(HWND hwnd, QWidget* parent) : QWidget(parent), hwnd_(hwnd) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        // A click on the client area leaves the keyboard where it was (in
        // the answer box, say); only SetFocus moves it here.
        setFocusPolicy(Qt::NoFocus);
        Tag(this, hwnd);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        Window* window = As<Window>(hwnd_);
        // Moved to a screen of another scale: the canvas follows.
        if (window != nullptr && window->canvas.devicePixelRatio() != devicePixelRatioF())
            ApplyClientSize(window, window->clientSize);
        QPainter painter(this);
        painter.fillRect(event->rect(), Qt::white);
        // The canvas holds device pixels at this widget's scale, so it is
        // copied pixel for pixel (clipped to what awaits painting).
        if (window != nullptr) painter.drawImage(QPointF(0, 0), window->canvas);
    }
    void resizeEvent(QResizeEvent* event) override {
        if (Window* window = As<Window>(hwnd_)) ApplyClientSize(window, event->size());
    }
    void mousePressEvent(QMouseEvent* event) override { PostMouse(event, WM_LBUTTONDOWN); }
    void mouseReleaseEvent(QMouseEvent* event) override { PostMouse(event, WM_LBUTTONUP); }

private:
    void PostMouse(QMouseEvent* event, UINT message) {
        if (event->button() != Qt::LeftButton) return;
        // A click that activates the window is heard after the activation,
        // even when the window system reports the activation later.
        if (message == WM_LBUTTONDOWN) ReportActivation(MainWindowOf(hwnd_), true, WA_CLICKACTIVE);
        QPoint p = event->position().toPoint();
        Post(hwnd_, message, 0, MAKELPARAM(p.x(), p.y()));
    }
    HWND hwnd_;
};

class MainWidget : public QWidget {
public:
    explicit MainWidget(HWND hwnd) : hwnd_(hwnd) { Tag(this, hwnd); }

    void LayOut() {
        Window* window = As<Window>(hwnd_);
        if (window == nullptr) return;
        int menu = MenuHeight(window);
        if (window->menuBar != nullptr) window->menuBar->setGeometry(0, 0, width(), menu);
        if (window->client != nullptr)
            window->client->setGeometry(0, menu, width(), std::max(0, height() - menu));
    }

protected:
    void resizeEvent(QResizeEvent*) override { LayOut(); }
    void closeEvent(QCloseEvent* event) override {
        // Closing goes through the program, which may refuse it; the window
        // is destroyed only by DestroyWindow.
        Window* window = As<Window>(hwnd_);
        if (window != nullptr && !window->destroying) {
            event->ignore();
            Post(hwnd_, WM_CLOSE, 0, 0);
        }
    }

private:
    HWND hwnd_;
};

class StaticControl : public QWidget {
public:
    StaticControl(HWND hwnd, QWidget* parent) : QWidget(parent), hwnd_(hwnd) { Tag(this, hwnd); }

protected:
    void paintEvent(QPaintEvent*) override {
        Window* self = As<Window>(hwnd_);
        if (self == nullptr) return;
        // Ask the parent for the colours, as the system control does.
        HDC dc = NewDc(DcType::Control, hwnd_);
        LRESULT answer = SendToWindow(self->parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                      reinterpret_cast<LPARAM>(hwnd_));
        Dc* state = As<Dc>(dc);
        QColor text = state != nullptr ? ToQColor(state->textColor) : QColor(Qt::black);
        bool opaque = state != nullptr && state->bkMode == OPAQUE;
        DeleteDC(dc);
        self = As<Window>(hwnd_);  // the window procedure may have destroyed it
        if (self == nullptr) return;
        Brush* brush = As<Brush>(reinterpret_cast<void*>(answer));
        QPainter painter(this);
        painter.fillRect(
            rect(), brush != nullptr ? ToQColor(brush->color) : QColor(kDefaultStaticBackground));
        painter.setPen(text);
        painter.setFont(font());
        if (opaque) {
            painter.setBackgroundMode(Qt::OpaqueMode);
            painter.setBackground(Qt::white);
        }
        QString shown = self->text;
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, shown);
    }

private:
    HWND hwnd_;
};

// An EDIT without WS_BORDER, the only kind the program makes: white to its
// edges, with no frame of its own (the program frames it on the canvas).
class EditControl : public QLineEdit {
public:
    EditControl(HWND hwnd, QWidget* parent) : QLineEdit(parent) {
        Tag(this, hwnd);
        setFrame(false);
    }
};

// A read-only multi-line EDIT: its text word-wrapped (a word longer than a
// line is broken anywhere), one line every lineSpacing() of its font, inside
// a margin of kTextViewMargin, with a scroll bar when it does not fit. Like
// the system control it asks its parent for its colours with
// WM_CTLCOLORSTATIC, and it has no frame of its own.
constexpr int kTextViewMargin = 2;

class TextViewControl : public QTextEdit {
public:
    TextViewControl(HWND hwnd, QWidget* parent) : QTextEdit(parent), hwnd_(hwnd) {
        Tag(this, hwnd);
        setFrameStyle(QFrame::NoFrame);
        setReadOnly(true);
        setAcceptRichText(false);
        setUndoRedoEnabled(false);
        setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        document()->setDocumentMargin(kTextViewMargin);
        // The background is the colour the parent gives, painted below.
        viewport()->setAutoFillBackground(false);
    }

    void SetText(const QString& text) {
        QString shown = text;
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        setPlainText(shown);
        FixLineHeight();
        UpdateScrollBar();
    }

    // The lines the text takes at the control's width without a scroll bar,
    // and the height in pixels they take with the margins. Measured on a
    // copy, as the widget's own document is laid out when Qt gets to it.
    int LineCount() const {
        std::unique_ptr<QTextDocument> copy(LaidOutCopy());
        int lines = 0;
        for (QTextBlock block = copy->begin(); block.isValid(); block = block.next()) {
            if (block.layout() != nullptr) lines += block.layout()->lineCount();
        }
        return std::max(lines, 1);
    }
    int TextHeight() const {
        std::unique_ptr<QTextDocument> copy(LaidOutCopy());
        return static_cast<int>(std::ceil(copy->size().height()));
    }

    void ScrollPage(int direction) {
        QScrollBar* bar = verticalScrollBar();
        bar->setValue(bar->value() + direction * bar->pageStep());
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        const QColor back = ApplyColours();
        {
            QPainter painter(viewport());
            painter.fillRect(event->rect(), back);
        }
        QTextEdit::paintEvent(event);
    }
    void changeEvent(QEvent* event) override {
        QTextEdit::changeEvent(event);
        if (event->type() == QEvent::FontChange) {
            FixLineHeight();
            UpdateScrollBar();
        }
    }
    void resizeEvent(QResizeEvent* event) override {
        UpdateScrollBar();
        QTextEdit::resizeEvent(event);
    }

private:
    // The scroll bar shows exactly when the text does not fit at the full
    // width. (Left to Qt, a bar that once appeared narrows the lines, which
    // then may need it, and it stays where the text would fit without it.)
    void UpdateScrollBar() {
        const bool needed = TextHeight() > height();
        setVerticalScrollBarPolicy(needed ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    }

    QTextDocument* LaidOutCopy() const {
        QTextDocument* copy = document()->clone();
        copy->setDefaultFont(font());
        copy->setDocumentMargin(kTextViewMargin);
        copy->setDefaultTextOption(document()->defaultTextOption());
        copy->setTextWidth(std::max(1, width()));
        copy->size();  // lays the whole copy out
        return copy;
    }

    void FixLineHeight() {
        QTextCursor all(document());
        all.select(QTextCursor::Document);
        QTextBlockFormat format;
        format.setLineHeight(QFontMetrics(font()).lineSpacing(), QTextBlockFormat::FixedHeight);
        all.mergeBlockFormat(format);
    }

    // Asks the parent for the colours; sets the text colour and returns the
    // background's.
    QColor ApplyColours() {
        Window* self = As<Window>(hwnd_);
        if (self == nullptr) return QColor(kDefaultStaticBackground);
        HDC dc = NewDc(DcType::Control, hwnd_);
        LRESULT answer = SendToWindow(self->parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                      reinterpret_cast<LPARAM>(hwnd_));
        Dc* state = As<Dc>(dc);
        const QColor text = state != nullptr ? ToQColor(state->textColor) : QColor(Qt::black);
        DeleteDC(dc);
        Brush* brush = As<Brush>(reinterpret_cast<void*>(answer));
        const QColor back =
            brush != nullptr ? ToQColor(brush->color) : QColor(kDefaultStaticBackground);
        QPalette colours = palette();
        if (colours.color(QPalette::Text) != text) {
            colours.setColor(QPalette::Text, text);
            setPalette(colours);
        }
        return back;
    }

    HWND hwnd_;
};

Window* NewWindow(HWND* hwnd) {
    auto window = std::make_unique<Window>();
    Window* raw = window.get();
    *hwnd = ToHandle<HWND>(Register(std::move(window)));
    return raw;
}

HWND CreateChild(std::string_view className, LPCSTR text, DWORD style, int x, int y, int width,
                 int height, Window* parent, HWND parentHandle, HMENU menu) {
    bool isStatic = SameName(className, "STATIC");
    if (!isStatic && !SameName(className, "EDIT")) return nullptr;
    HWND hwnd = nullptr;
    Window* window = NewWindow(&hwnd);
    const bool textView = !isStatic && (style & ES_READONLY) != 0 && (style & ES_MULTILINE) != 0;
    window->type = isStatic   ? WindowType::Static
                   : textView ? WindowType::TextView
                              : WindowType::Edit;
    window->parent = parentHandle;
    window->controlId = static_cast<int>(reinterpret_cast<std::uintptr_t>(menu));
    window->text = FromCp1252(text != nullptr ? text : "");
    QWidget* host = parent->client != nullptr ? parent->client.data() : parent->widget.data();
    QWidget* widget = nullptr;
    if (isStatic) {
        widget = new StaticControl(hwnd, host);
    } else if (textView) {
        auto* view = new TextViewControl(hwnd, host);
        view->SetText(window->text);
        widget = view;
    } else {
        auto* edit = new EditControl(hwnd, host);
        edit->setText(window->text);
        widget = edit;
    }
    window->widget = widget;
    widget->setGeometry(x == CW_USEDEFAULT ? 0 : x, y == CW_USEDEFAULT ? 0 : y, std::max(0, width),
                        std::max(0, height));
    widget->setVisible((style & WS_VISIBLE) != 0);
    return hwnd;
}

// As Windows does for a window being created, asks the procedure for the
// smallest outer size (WM_GETMINMAXINFO), which the window system then keeps
// the window from going below.
void ApplySizeLimits(HWND hwnd, QWidget* top) {
    MINMAXINFO limits{};
    SendToWindow(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    if (limits.ptMinTrackSize.x > 0 && limits.ptMinTrackSize.y > 0) {
        top->setMinimumSize(std::max(0, static_cast<int>(limits.ptMinTrackSize.x) - kFrameWidth),
                            std::max(0, static_cast<int>(limits.ptMinTrackSize.y) - kFrameHeight));
    }
}

HWND CreateMain(const WindowClass& windowClass, LPCSTR title, DWORD style, int x, int y, int width,
                int height, HMENU menu) {
    InstallInputFilter();
    InstallAccessibility();
    HWND hwnd = nullptr;
    Window* window = NewWindow(&hwnd);
    window->type = WindowType::Main;
    window->proc = windowClass.info.lpfnWndProc;
    window->text = FromCp1252(title != nullptr ? title : "");
    auto* top = new MainWidget(hwnd);
    window->widget = top;
    window->client = new ClientArea(hwnd, top);
    top->setWindowTitle(window->text);
    window->outerSize = QSize(width == CW_USEDEFAULT ? kDefaultOuterWidth : std::max(0, width),
                              height == CW_USEDEFAULT ? kDefaultOuterHeight : std::max(0, height));
    if (menu != nullptr) SetMenu(hwnd, menu);
    SetClientSize(window, ClientFromOuter(window, window->outerSize));
    if (x != CW_USEDEFAULT && y != CW_USEDEFAULT) MoveOuterTo(top, x, y);
    ApplySizeLimits(hwnd, top);
    if ((style & WS_VISIBLE) != 0) ShowWindow(hwnd, SW_SHOWDEFAULT);
    return hwnd;
}

// Lets the bitmap part draw a window's device context on the window's canvas.
[[maybe_unused]] const bool kCanvasHooked = [] {
    WindowCanvasHooks& hooks = WindowCanvas();
    hooks.isWindow = [](HWND hwnd) { return As<Window>(hwnd) != nullptr; };
    hooks.canvas = [](HWND hwnd) -> QImage* {
        Window* window = As<Window>(hwnd);
        return window != nullptr && window->type == WindowType::Main ? &window->canvas : nullptr;
    };
    hooks.repaint = [](HWND hwnd, const QRect& rect) {
        Window* window = As<Window>(hwnd);
        if (window != nullptr && window->client != nullptr) window->client->update(rect);
    };
    return true;
}();

}  // namespace

Window::~Window() {
    destroying = true;
    delete widget.data();
}

Window* MainWindowOf(HWND hwnd) {
    Window* window = As<Window>(hwnd);
    if (window == nullptr) return nullptr;
    if (window->type == WindowType::Main) return window;
    return As<Window>(window->parent);
}

std::vector<Window*> MainWindows() {
    std::vector<Window*> result;
    for (Object* object : AllOf(Kind::Window)) {
        auto* window = static_cast<Window*>(object);
        if (window->type == WindowType::Main) result.push_back(window);
    }
    return result;
}

HWND HandleOf(const QWidget* widget) {
    if (widget == nullptr) return nullptr;
    QVariant tag = widget->property(kHandleProperty);
    if (!tag.isValid()) return nullptr;
    HWND hwnd = ToHandle<HWND>(static_cast<std::uintptr_t>(tag.toULongLong()));
    return As<Window>(hwnd) != nullptr ? hwnd : nullptr;
}

void SetClientSize(Window* window, QSize size) {
    size = size.expandedTo(QSize(0, 0));
    window->outerSize = size + QSize(kFrameWidth, kFrameHeight + MenuHeight(window));
    if (window->widget != nullptr) {
        window->widget->resize(size.width(), size.height() + MenuHeight(window));
        static_cast<MainWidget*>(window->widget.data())->LayOut();
    }
    ApplyClientSize(window, size);
}

void MenuBarChanged(Window* window) {
    // Windows keeps the outer size; the menu bar takes its height from the client area.
    SetClientSize(window, ClientFromOuter(window, window->outerSize));
}

void InvalidateClient(Window* window, const QRect& rect) {
    QRect area = rect & QRect(QPoint(0, 0), window->clientSize);
    if (area.isEmpty() || window->widget == nullptr || !window->widget->isVisible()) return;
    window->updateRegion += area;
}

void DestroyWindowTree(HWND hwnd, bool notify) {
    Window* window = As<Window>(hwnd);
    if (window == nullptr || window->destroying) return;
    window->destroying = true;
    if (notify && window->proc != nullptr) window->proc(hwnd, WM_DESTROY, 0, 0);
    for (Object* object : AllOf(Kind::Window)) {
        auto* child = static_cast<Window*>(object);
        if (child->parent == hwnd) DestroyWindowTree(ToHandle<HWND>(child->handle), notify);
    }
    if (FocusRecord() == hwnd) FocusRecord() = nullptr;
    if (window->menu != nullptr) Unregister(window->menu);
    Unregister(hwnd);
}

void ResetWindows() {
    for (Window* window : MainWindows()) DestroyWindowTree(ToHandle<HWND>(window->handle), false);
    for (Object* object : AllOf(Kind::Window)) Unregister(reinterpret_cast<void*>(object->handle));
    Classes().clear();
    FocusRecord() = nullptr;
}

HWND CurrentFocus() { return As<Window>(FocusRecord()) != nullptr ? FocusRecord() : nullptr; }

void NoteFocus(HWND hwnd) { FocusRecord() = hwnd; }

QString TextOf(const Window* window) {
    if (window->type == WindowType::Edit && window->widget != nullptr)
        return static_cast<QLineEdit*>(window->widget.data())->text();
    return window->text;
}

LRESULT ControlProc(Window* window, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = ToHandle<HWND>(window->handle);
    if (message == WM_SETFONT) {
        HFONT handle = reinterpret_cast<HFONT>(wParam);
        Font* font = As<Font>(handle);
        window->font = font != nullptr ? handle : nullptr;
        if (window->widget != nullptr) {
            window->widget->setFont(font != nullptr ? font->font : QApplication::font());
            if (lParam != 0) window->widget->update();
        }
        return 0;
    }
    if (message == WM_GETFONT) return reinterpret_cast<LRESULT>(window->font);
    if (window->type == WindowType::TextView && window->widget != nullptr) {
        auto* view = static_cast<TextViewControl*>(window->widget.data());
        if (message == EM_GETLINECOUNT) return view->LineCount();
        if (message == kTextHeightQuery) return view->TextHeight();
        if (message == WM_VSCROLL &&
            (LOWORD(wParam) == SB_PAGEUP || LOWORD(wParam) == SB_PAGEDOWN)) {
            view->ScrollPage(LOWORD(wParam) == SB_PAGEUP ? -1 : 1);
            return 0;
        }
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace quillfin::platform

using namespace quillfin::platform;

ATOM RegisterClassExA(const WNDCLASSEXA* wc) {
    if (wc == nullptr || wc->cbSize != sizeof(WNDCLASSEXA) || wc->lpfnWndProc == nullptr ||
        wc->lpszClassName == nullptr || IS_INTRESOURCE(wc->lpszClassName) ||
        wc->lpszClassName[0] == '\0')
        return 0;
    std::string name = wc->lpszClassName;
    for (const WindowClass& existing : Classes()) {
        if (SameName(existing.name, name)) return 0;
    }
    if (SameName(name, "STATIC") || SameName(name, "EDIT")) return 0;
    static ATOM nextAtom = 0xC000;
    WindowClass windowClass{name, *wc, nextAtom++};
    windowClass.info.lpszClassName = nullptr;  // the caller's text need not outlive the call
    windowClass.info.lpszMenuName = nullptr;
    Classes().push_back(windowClass);
    return windowClass.atom;
}

HWND CreateWindowExA(DWORD, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE, LPVOID) {
    if (className == nullptr || QCoreApplication::instance() == nullptr) return nullptr;
    const WindowClass* found = nullptr;
    for (const WindowClass& windowClass : Classes()) {
        bool match = IS_INTRESOURCE(className)
                         ? windowClass.atom == reinterpret_cast<std::uintptr_t>(className)
                         : SameName(windowClass.name, className);
        if (match) found = &windowClass;
    }
    if (found != nullptr) return CreateMain(*found, windowName, style, x, y, width, height, menu);
    if (IS_INTRESOURCE(className) || (style & WS_CHILD) == 0) return nullptr;
    Window* parentWindow = As<Window>(parent);
    if (parentWindow == nullptr || parentWindow->type != WindowType::Main) return nullptr;
    return CreateChild(className, windowName, style, x, y, width, height, parentWindow, parent,
                       menu);
}

BOOL ShowWindow(HWND hwnd, int cmdShow) {
    Window* window = As<Window>(hwnd);
    if (window == nullptr || window->widget == nullptr) return FALSE;
    BOOL wasVisible = window->widget->isVisible() ? TRUE : FALSE;
    if (cmdShow == SW_HIDE) {
        window->widget->hide();
        return wasVisible;
    }
    window->widget->show();
    if (window->type == WindowType::Main) {
        window->widget->activateWindow();
        // Windows activates a top-level window that it shows, and says so at once.
        ReportActivation(window, true, WA_ACTIVE);
        bool first = !window->shownOnce;
        window->shownOnce = true;
        if (first) ApplyClientSize(window, window->clientSize);
        if (!wasVisible) InvalidateClient(window, QRect(QPoint(0, 0), window->clientSize));
    }
    return wasVisible;
}

BOOL SetWindowPos(HWND hwnd, HWND, int x, int y, int cx, int cy, UINT flags) {
    Window* window = As<Window>(hwnd);
    if (window == nullptr || window->widget == nullptr) return FALSE;
    QWidget* widget = window->widget;
    if (window->type == WindowType::Main) {
        if ((flags & SWP_NOSIZE) == 0)
            SetClientSize(window, ClientFromOuter(window, QSize(std::max(0, cx), std::max(0, cy))));
        if ((flags & SWP_NOMOVE) == 0) MoveOuterTo(widget, x, y);
    } else {
        QRect geometry = widget->geometry();
        if ((flags & SWP_NOMOVE) == 0) geometry.moveTopLeft(QPoint(x, y));
        if ((flags & SWP_NOSIZE) == 0) geometry.setSize(QSize(std::max(0, cx), std::max(0, cy)));
        widget->setGeometry(geometry);
        if ((flags & SWP_NOZORDER) == 0) widget->raise();
    }
    if ((flags & SWP_SHOWWINDOW) != 0) ShowWindow(hwnd, SW_SHOW);
    if ((flags & SWP_HIDEWINDOW) != 0) ShowWindow(hwnd, SW_HIDE);
    return TRUE;
}

HWND SetFocus(HWND hwnd) {
    HWND previous = CurrentFocus();
    if (hwnd == nullptr) {
        NoteFocus(nullptr);
        return previous;
    }
    Window* window = As<Window>(hwnd);
    if (window == nullptr) return nullptr;
    QWidget* target =
        window->type == WindowType::Main ? window->client.data() : window->widget.data();
    if (target != nullptr) target->setFocus(Qt::OtherFocusReason);
    NoteFocus(hwnd);
    return previous;
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
    Window* window = As<Window>(hwnd);
    if (window == nullptr || rect == nullptr) return FALSE;
    QSize size = window->type == WindowType::Main
                     ? window->clientSize
                     : (window->widget != nullptr ? window->widget->size() : QSize());
    *rect = RECT{0, 0, size.width(), size.height()};
    return TRUE;
}

int GetWindowTextLengthA(HWND hwnd) {
    Window* window = As<Window>(hwnd);
    if (window == nullptr) return 0;
    return static_cast<int>(ToCp1252(TextOf(window)).size());
}

int GetWindowTextA(HWND hwnd, LPSTR text, int maxCount) {
    Window* window = As<Window>(hwnd);
    if (window == nullptr || text == nullptr || maxCount <= 0) return 0;
    std::string bytes = ToCp1252(TextOf(window));
    std::size_t count = std::min(bytes.size(), static_cast<std::size_t>(maxCount - 1));
    std::memcpy(text, bytes.data(), count);
    text[count] = '\0';
    return static_cast<int>(count);
}

BOOL SetWindowTextA(HWND hwnd, LPCSTR text) {
    Window* window = As<Window>(hwnd);
    if (window == nullptr) return FALSE;
    window->text = FromCp1252(text != nullptr ? text : "");
    if (window->widget == nullptr) return TRUE;
    switch (window->type) {
        case WindowType::Main:
            window->widget->setWindowTitle(window->text);
            break;
        case WindowType::Static:
            window->widget->update();
            break;
        case WindowType::TextView:
            static_cast<TextViewControl*>(window->widget.data())->SetText(window->text);
            break;
        case WindowType::Edit:
            static_cast<QLineEdit*>(window->widget.data())->setText(window->text);
            break;
    }
    return TRUE;
}

BOOL DestroyWindow(HWND hwnd) {
    if (As<Window>(hwnd) == nullptr) return FALSE;
    DestroyWindowTree(hwnd, true);
    return TRUE;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
    Window* window = As<Window>(hwnd);
    if (window == nullptr || ps == nullptr) return nullptr;
    std::memset(ps, 0, sizeof(*ps));
    QRect area = window->updateRegion.boundingRect() & QRect(QPoint(0, 0), window->clientSize);
    window->updateRegion = QRegion();
    ps->hdc = NewDc(DcType::Window, hwnd);
    if (!area.isEmpty())
        ps->rcPaint = RECT{area.left(), area.top(), area.right() + 1, area.bottom() + 1};
    return ps->hdc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps) {
    if (ps == nullptr) return FALSE;
    return ReleaseDC(hwnd, ps->hdc) != 0 ? TRUE : FALSE;
}

// The layer's frame: kFrameWidth across, split evenly between the sides,
// and kFrameHeight down, of which the bottom edge is as thick as a side.
BOOL AdjustWindowRectEx(RECT* rect, DWORD, BOOL menu, DWORD) {
    if (rect == nullptr) return FALSE;
    constexpr int kSide = kFrameWidth / 2;
    rect->left -= kSide;
    rect->right += kFrameWidth - kSide;
    rect->top -= kFrameHeight - kSide + (menu ? kMenuHeight : 0);
    rect->bottom += kSide;
    return TRUE;
}

RECT DevicePixelsOf(HWND hwnd, const RECT& area) {
    Window* window = MainWindowOf(hwnd);
    if (window == nullptr) return area;
    const QRect device =
        DeviceRect(QRect(area.left, area.top, area.right - area.left, area.bottom - area.top),
                   window->canvas.isNull() ? ScaleOf(window) : window->canvas.devicePixelRatio());
    return RECT{device.left(), device.top(), device.left() + device.width(),
                device.top() + device.height()};
}
