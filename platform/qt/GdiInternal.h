// Shared inside the bitmap part of the Qt implementation of the Windows-API
// subset: the objects behind the handles and the handle table that validates
// every handle passed in, device contexts, bitmaps, brushes and fonts, the
// code page, the picture decoders and the resource table. It needs Qt Gui
// alone, so a console program links it without the window part (Internal.h).
#pragma once

#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/PictureFormat.h"
#include "platform/WinApi.h"

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

struct MenuItem {
    std::string text;  // Windows-1252
    int id = 0;
    bool separator = false;
    std::vector<MenuItem> items;  // non-empty or `popup` for a popup
    bool popup = false;
};

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

// A window's device context draws on the window's canvas. The window part of
// the layer sets these when it is linked in; without it, GetDC takes no
// window handle and nothing draws on a window.
struct WindowCanvasHooks {
    // Whether `hwnd` is a live window of any kind.
    bool (*isWindow)(HWND hwnd) = nullptr;
    // The retained client area of a main window; null for other windows.
    // It holds device pixels: its device pixel ratio says how many of them
    // one unit of the window's coordinates spans.
    QImage* (*canvas)(HWND hwnd) = nullptr;
    // Schedules a repaint of `rect` of that client area.
    void (*repaint)(HWND hwnd, const QRect& rect) = nullptr;
};
WindowCanvasHooks& WindowCanvas();

// The device pixels that the rectangle `units` of a surface covers when one
// unit spans `scale` of them: each edge goes to its scaled place, rounded,
// so that rectangles that meet keep meeting. With a scale of 1 it is `units`.
QRect DeviceRect(const QRect& units, qreal scale);

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

// The file a name from the program opens: the bytes as given, then as
// Windows-1252 converted to UTF-8; empty when neither is a regular file.
std::string FindNamedFile(const char* name);
// Decodes a whole PNG or JPEG file held in memory into 32-bit pixels, upright
// by its EXIF orientation, transparency drawn over white; nullopt for other
// content, anything malformed, or more than pictures::kMaxPixels pixels.
std::optional<QImage> DecodePngOrJpeg(const unsigned char* data, std::size_t size);
// Decodes a whole BMP file held in memory; nullopt for anything malformed,
// truncated, of an unsupported kind or larger than pictures::kMaxPixels.
std::optional<QImage> DecodeBmp(const unsigned char* data, std::size_t size,
                                int* bitsPerPixel = nullptr);
// Reads and decodes the named file (the name as given, then as Windows
// finds it: FindWindowsName); nullopt for folders, missing files and bad BMPs.
std::optional<QImage> LoadBmpFile(const char* name, int* bitsPerPixel = nullptr);
// What the BMP reading has done since the program started, for tests that
// bound the work a file can cause: bytes read from files, pixels decoded.
struct BmpWork {
    std::uint64_t bytesRead = 0;
    std::uint64_t pixelsDecoded = 0;
};
BmpWork& BmpWorkDone();

// ---- resources ----

struct ResourceTable {
    std::vector<std::pair<int, std::vector<MenuItem>>> menus;
    std::vector<std::pair<int, std::string>> bitmaps;  // id, file name
};
// Parses the menu and bitmap statements of a resource script; other
// statements are skipped. False on a syntax error.
bool ParseResourceScript(std::string_view text, ResourceTable& table);
const ResourceTable& BuiltInResources();
}  // namespace quillfin::platform
