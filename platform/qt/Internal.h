// Shared inside the Qt implementation of the Windows-API subset: the objects
// behind the handles, the handle table that validates every handle passed in,
// the message queue, the code page, the BMP decoder and the resource table.
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
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WinApi.h"
#include "platform/qt/TestSeams.h"

class QMenuBar;

namespace quillfin::platform {

enum class Kind { Window, Dc, Brush, Font, Bitmap, Menu, Icon };

struct Object {
    explicit Object(Kind k) : kind(k) {}
    virtual ~Object() = default;
    Kind kind;
    std::uintptr_t handle = 0;
};

// Handles are numbers from a table, never raw pointers, so a stale or foreign
// handle is recognised and refused instead of being dereferenced.
std::uintptr_t Register(std::unique_ptr<Object> object);
Object* Find(const void* handle, Kind kind);
void Unregister(const void* handle);
// Every live object of one kind, in creation order.
std::vector<Object*> AllOf(Kind kind);

template <class T>
T* As(const void* handle) {
    return static_cast<T*>(Find(handle, T::kKind));
}
template <class H>
H ToHandle(std::uintptr_t id) {
    return reinterpret_cast<H>(id);
}

// ---- windows ----

enum class WindowType { Main, Static, Edit };

struct MenuItem {
    std::string text;  // Windows-1252
    int id = 0;
    bool separator = false;
    std::vector<MenuItem> items;  // non-empty or `popup` for a popup
    bool popup = false;
};

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
    QImage canvas;         // main window: the retained client area
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
// The window procedure of the built-in "STATIC" and "EDIT" classes.
LRESULT ControlProc(Window* window, UINT message, WPARAM wParam, LPARAM lParam);

// ---- graphics ----

struct Brush : Object {
    static constexpr Kind kKind = Kind::Brush;
    Brush() : Object(kKind) {}
    COLORREF color = 0;
};

struct Font : Object {
    static constexpr Kind kKind = Kind::Font;
    Font() : Object(kKind) {}
    QFont font;
};

struct Bitmap : Object {
    static constexpr Kind kKind = Kind::Bitmap;
    Bitmap() : Object(kKind) {}
    QImage image;  // Format_RGB32
    int bitsPerPixel = 32;
    HDC selectedInto = nullptr;
    bool stock = false;  // the default bitmap of memory contexts; never freed
};

enum class DcType { Window, Memory, Screen, Control };

struct Dc : Object {
    static constexpr Kind kKind = Kind::Dc;
    Dc() : Object(kKind) {}
    DcType type = DcType::Memory;
    HWND hwnd = nullptr;
    HBITMAP bitmap = nullptr;  // memory context: the selected bitmap
    HGDIOBJ brush = nullptr;
    HGDIOBJ font = nullptr;
    COLORREF textColor = 0;
    int bkMode = OPAQUE;
};

struct Menu : Object {
    static constexpr Kind kKind = Kind::Menu;
    Menu() : Object(kKind) {}
    std::vector<MenuItem> items;
};

struct Icon : Object {
    static constexpr Kind kKind = Kind::Icon;
    Icon() : Object(kKind) {}
};

QColor ToQColor(COLORREF color);
COLORREF ToColorRef(QRgb rgb);
HDC NewDc(DcType type, HWND hwnd);
void ResetGdi();
int LogPixelsY();
void SetLogPixelsYOverride(int dpi);
void SetFailingFonts(const std::vector<std::string>& faces);

// ---- code page ----

QString FromCp1252(std::string_view bytes);
std::string ToCp1252(const QString& text);  // characters it lacks become '?'
std::string Cp1252ToUtf8(std::string_view bytes);

// ---- picture files ----

// A new Format_RGB32 image of width x height, its pixels undefined; null when
// the memory cannot be had. A large one lives in memory of its own, mapped in
// huge pages where the system allows, so that filling it once does not fault
// every 4 KB page on its own: for a 12-megapixel picture that fault work costs
// several times what decoding into it does.
QImage NewRgb32Image(int width, int height);

// `size` bytes of fresh, uninitialised memory, held the same way as a large
// image's pixels; data() is null when the memory cannot be had.
class LargeBytes {
public:
    explicit LargeBytes(std::size_t size);
    ~LargeBytes();
    LargeBytes(const LargeBytes&) = delete;
    LargeBytes& operator=(const LargeBytes&) = delete;

    unsigned char* data() const { return data_; }
    std::size_t size() const { return size_; }

private:
    unsigned char* data_ = nullptr;
    std::size_t size_ = 0;
    std::unique_ptr<unsigned char[]> small_;
    void* mapping_ = nullptr;
};

// The largest picture accepted, in pixels: room for a 50-megapixel photo.
constexpr std::int64_t kMaxBmpPixels = 64LL * 1024 * 1024;
// The file a name from the program opens: the bytes as given, then as
// Windows-1252 converted to UTF-8; empty when neither is a regular file.
std::string FindNamedFile(const char* name);
// Decodes a whole PNG or JPEG file held in memory into 32-bit pixels, upright
// by its EXIF orientation, transparency drawn over white; nullopt for other
// content, anything malformed, or more than kMaxBmpPixels pixels.
std::optional<QImage> DecodePngOrJpeg(const unsigned char* data, std::size_t size);
// Decodes a whole BMP file held in memory; nullopt for anything malformed,
// truncated, of an unsupported kind or larger than kMaxBmpPixels.
std::optional<QImage> DecodeBmp(const unsigned char* data, std::size_t size,
                                int* bitsPerPixel = nullptr);
// Reads and decodes the named file (the name as given, then as Windows
// finds it: FindWindowsName); nullopt for folders, missing files and bad BMPs.
std::optional<QImage> LoadBmpFile(const char* name, int* bitsPerPixel = nullptr);

// ---- resources ----

struct ResourceTable {
    std::vector<std::pair<int, std::vector<MenuItem>>> menus;
    std::vector<std::pair<int, std::string>> bitmaps;  // id, file name
};
// Parses the menu and bitmap statements of a resource script; other
// statements are skipped. False on a syntax error.
bool ParseResourceScript(std::string_view text, ResourceTable& table);
const ResourceTable& BuiltInResources();
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
};
DialogScript& Dialogs();

}  // namespace quillfin::platform
