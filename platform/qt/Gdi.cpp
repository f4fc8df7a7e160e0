#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/qt/GdiInternal.h"

namespace quillfin::platform {
namespace {

constexpr int kDefaultDpi = 96;

struct GdiSettings {
    int dpiOverride = 0;
    std::vector<std::string> failingFaces;
    HBITMAP stockBitmap = nullptr;
};

GdiSettings& Settings() {
    static GdiSettings settings;
    return settings;
}

// The 1 x 1 bitmap that a new memory context holds, as on Windows.
HBITMAP StockBitmap() {
    GdiSettings& settings = Settings();
    if (As<Bitmap>(settings.stockBitmap) == nullptr) {
        auto bitmap = std::make_unique<Bitmap>();
        bitmap->image = QImage(1, 1, QImage::Format_RGB32);
        bitmap->image.fill(Qt::black);
        bitmap->bitsPerPixel = 1;
        bitmap->stock = true;
        settings.stockBitmap = ToHandle<HBITMAP>(Register(std::move(bitmap)));
    }
    return settings.stockBitmap;
}

// The pixels a context draws on, and the window to repaint afterwards.
QImage* SurfaceOf(Dc* dc, HWND* window = nullptr) {
    if (window != nullptr) *window = nullptr;
    if (dc == nullptr) return nullptr;
    if (dc->type == DcType::Memory) {
        Bitmap* bitmap = As<Bitmap>(dc->bitmap);
        return bitmap != nullptr ? &bitmap->image : nullptr;
    }
    if (dc->type == DcType::Window && WindowCanvas().canvas != nullptr) {
        QImage* canvas = WindowCanvas().canvas(dc->hwnd);
        if (canvas != nullptr && window != nullptr) *window = dc->hwnd;
        return canvas;
    }
    return nullptr;
}

// The device pixels of the logical area of a surface; a memory bitmap's
// units are its pixels. At a fractional scale a window's canvas ends in a
// part of a unit (Qt shows the part too), which an area reaching the last
// whole unit covers.
QRect Device(const QImage& surface, const QRect& area) {
    const qreal scale = surface.devicePixelRatio();
    QRect device = DeviceRect(area, scale);
    if (scale == 1.0) return device;
    const auto units = [scale](int pixels) {
        return static_cast<int>(std::floor(pixels / scale + 1e-6));
    };
    if (area.x() + area.width() >= units(surface.width())) device.setRight(surface.width() - 1);
    if (area.y() + area.height() >= units(surface.height())) device.setBottom(surface.height() - 1);
    return device;
}

void Repaint(HWND window, const QRect& rect) {
    if (window != nullptr && WindowCanvas().repaint != nullptr)
        WindowCanvas().repaint(window, rect);
}

QRect ToQRect(const RECT& r) {
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

void Fill(QImage& image, const QRect& area, QRgb color) {
    QRect clipped = area & image.rect();
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::fill(line + clipped.left(), line + clipped.right() + 1, color);
    }
}

bool SameFace(const std::string& a, const char* b) {
    return a.size() == std::strlen(b) && std::equal(a.begin(), a.end(), b, [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

QRect DeviceRect(const QRect& units, qreal scale) {
    if (scale == 1.0) return units;
    const auto at = [scale](int edge) { return static_cast<int>(std::lround(edge * scale)); };
    const int left = at(units.x());
    const int top = at(units.y());
    return QRect(left, top, at(units.x() + units.width()) - left,
                 at(units.y() + units.height()) - top);
}

QColor ToQColor(COLORREF color) {
    return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
}

COLORREF ToColorRef(QRgb rgb) { return RGB(qRed(rgb), qGreen(rgb), qBlue(rgb)); }

HDC NewDc(DcType type, HWND hwnd) {
    auto dc = std::make_unique<Dc>();
    dc->type = type;
    dc->hwnd = hwnd;
    if (type == DcType::Memory) {
        dc->bitmap = StockBitmap();
    }
    return ToHandle<HDC>(Register(std::move(dc)));
}

void ResetGdi() {
    for (Kind kind : {Kind::Dc, Kind::Brush, Kind::Font, Kind::Bitmap, Kind::Menu, Kind::Icon}) {
        for (Object* object : AllOf(kind)) Unregister(reinterpret_cast<void*>(object->handle));
    }
    Settings() = GdiSettings{};
}

int LogPixelsY() {
    if (Settings().dpiOverride > 0) return Settings().dpiOverride;
    if (QGuiApplication::primaryScreen() != nullptr)
        return static_cast<int>(
            std::lround(QGuiApplication::primaryScreen()->logicalDotsPerInchY()));
    return kDefaultDpi;
}

void SetLogPixelsYOverride(int dpi) { Settings().dpiOverride = dpi; }

void SetFailingFonts(const std::vector<std::string>& faces) { Settings().failingFaces = faces; }

WindowCanvasHooks& WindowCanvas() {
    static WindowCanvasHooks hooks;
    return hooks;
}

}  // namespace quillfin::platform

using namespace quillfin::platform;

HDC GetDC(HWND hwnd) {
    if (hwnd == nullptr) return NewDc(DcType::Screen, nullptr);
    if (WindowCanvas().isWindow == nullptr || !WindowCanvas().isWindow(hwnd)) return nullptr;
    return NewDc(DcType::Window, hwnd);
}

int ReleaseDC(HWND, HDC dc) {
    Dc* context = As<Dc>(dc);
    if (context == nullptr || context->type == DcType::Memory) return 0;
    Unregister(dc);
    return 1;
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    HWND window = nullptr;
    QImage* surface = SurfaceOf(As<Dc>(dc), &window);
    Brush* fill = As<Brush>(brush);
    if (surface == nullptr || rect == nullptr || fill == nullptr) return 0;
    if (rect->right <= rect->left || rect->bottom <= rect->top) return 1;
    QRect area = ToQRect(*rect);
    Fill(*surface, Device(*surface, area), ToQColor(fill->color).rgb());
    Repaint(window, area);
    return 1;
}

int FrameRect(HDC dc, const RECT* rect, HBRUSH brush) {
    HWND window = nullptr;
    QImage* surface = SurfaceOf(As<Dc>(dc), &window);
    Brush* frame = As<Brush>(brush);
    if (surface == nullptr || rect == nullptr || frame == nullptr) return 0;
    if (rect->right <= rect->left || rect->bottom <= rect->top) return 1;
    QRect area = ToQRect(*rect);
    QRgb color = ToQColor(frame->color).rgb();
    for (const QRect& edge : {QRect(area.left(), area.top(), area.width(), 1),
                              QRect(area.left(), area.bottom(), area.width(), 1),
                              QRect(area.left(), area.top(), 1, area.height()),
                              QRect(area.right(), area.top(), 1, area.height())})
        Fill(*surface, Device(*surface, edge), color);
    Repaint(window, area);
    return 1;
}

BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY,
                int srcWidth, int srcHeight, DWORD rop) {
    HWND window = nullptr;
    QImage* target = SurfaceOf(As<Dc>(dest), &window);
    QImage* source = SurfaceOf(As<Dc>(src));
    if (target == nullptr || source == nullptr || rop != SRCCOPY) return FALSE;
    if (width <= 0 || height <= 0 || srcWidth <= 0 || srcHeight <= 0) return FALSE;
    // Both rectangles in device pixels: a source whose size is the target's
    // device size lands pixel for pixel, as sharp as it was made.
    QRect from = Device(*source, QRect(srcX, srcY, srcWidth, srcHeight));
    if (!source->rect().contains(from)) return FALSE;
    QRect to(x, y, width, height);
    QRect toDevice = Device(*target, to);
    if (toDevice.isEmpty() || (toDevice & target->rect()).isEmpty()) return TRUE;
    QImage part = from == source->rect() ? *source : source->copy(from);
    part.setDevicePixelRatio(1);
    if (part.size() != toDevice.size())
        part = part.scaled(toDevice.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // Painted on a view of the target's pixels at one unit a pixel.
    QImage pixels(target->bits(), target->width(), target->height(), target->bytesPerLine(),
                  target->format());
    QPainter painter(&pixels);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(toDevice.topLeft(), part);
    painter.end();
    Repaint(window, to);
    return TRUE;
}

HBRUSH CreateSolidBrush(COLORREF color) {
    auto brush = std::make_unique<Brush>();
    brush->color = color & 0x00FFFFFF;
    return ToHandle<HBRUSH>(Register(std::move(brush)));
}

HFONT CreateFontA(int height, int, int, int, int weight, DWORD italic, DWORD underline,
                  DWORD strikeOut, DWORD, DWORD, DWORD, DWORD, DWORD, LPCSTR faceName) {
    std::string face = faceName != nullptr ? faceName : "";
    for (const std::string& failing : Settings().failingFaces) {
        if (SameFace(failing, face.c_str())) return nullptr;
    }
    auto font = std::make_unique<Font>();
    // The face is a request: when it is not installed, the sans-serif hint
    // picks a scalable font of the system instead.
    if (!face.empty()) font->font.setFamily(FromCp1252(face));
    font->font.setStyleHint(QFont::SansSerif, QFont::PreferOutline);
    if (height != 0) font->font.setPixelSize(std::max(1, std::abs(height)));
    if (weight > 0) font->font.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 100, 900)));
    font->font.setItalic(italic != 0);
    font->font.setUnderline(underline != 0);
    font->font.setStrikeOut(strikeOut != 0);
    return ToHandle<HFONT>(Register(std::move(font)));
}

BOOL DeleteObject(HGDIOBJ object) {
    if (Bitmap* bitmap = As<Bitmap>(object)) {
        if (bitmap->stock) return TRUE;
        if (As<Dc>(bitmap->selectedInto) != nullptr) return FALSE;  // still selected
        Unregister(object);
        return TRUE;
    }
    if (As<Brush>(object) != nullptr || As<Font>(object) != nullptr) {
        Unregister(object);
        return TRUE;
    }
    return FALSE;
}

BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics) {
    Dc* context = As<Dc>(dc);
    if (context == nullptr || metrics == nullptr) return FALSE;
    Font* font = As<Font>(context->font);
    const QFontMetrics fm(font != nullptr ? font->font : QGuiApplication::font());
    *metrics = TEXTMETRICA{};
    metrics->tmHeight = fm.height();
    metrics->tmAscent = fm.ascent();
    metrics->tmDescent = fm.descent();
    // Qt spaces lines by lineSpacing(): the height and the leading.
    metrics->tmExternalLeading = std::max(0, fm.lineSpacing() - fm.height());
    metrics->tmAveCharWidth = fm.averageCharWidth();
    metrics->tmMaxCharWidth = fm.maxWidth();
    metrics->tmWeight = font != nullptr ? font->font.weight() : QFont::Normal;
    return TRUE;
}

int GetDeviceCaps(HDC dc, int index) {
    if (As<Dc>(dc) == nullptr) return 0;
    return index == LOGPIXELSY ? LogPixelsY() : 0;
}

int MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) return -1;
    long long product = static_cast<long long>(number) * numerator;
    long long magnitude =
        (std::llabs(product) + std::llabs(static_cast<long long>(denominator)) / 2) /
        std::llabs(static_cast<long long>(denominator));
    bool negative = (product < 0) != (denominator < 0);
    long long result = negative ? -magnitude : magnitude;
    if (result > INT32_MAX || result < INT32_MIN) return -1;
    return static_cast<int>(result);
}

COLORREF SetTextColor(HDC dc, COLORREF color) {
    Dc* context = As<Dc>(dc);
    if (context == nullptr) return CLR_INVALID;
    COLORREF previous = context->textColor;
    context->textColor = color & 0x00FFFFFF;
    return previous;
}

int SetBkMode(HDC dc, int mode) {
    Dc* context = As<Dc>(dc);
    if (context == nullptr || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    int previous = context->bkMode;
    context->bkMode = mode;
    return previous;
}

HDC CreateCompatibleDC(HDC dc) {
    if (dc != nullptr && As<Dc>(dc) == nullptr) return nullptr;
    return NewDc(DcType::Memory, nullptr);
}

BOOL DeleteDC(HDC dc) {
    Dc* context = As<Dc>(dc);
    if (context == nullptr) return FALSE;
    if (Bitmap* bitmap = As<Bitmap>(context->bitmap)) {
        if (bitmap->selectedInto == dc) bitmap->selectedInto = nullptr;
    }
    Unregister(dc);
    return TRUE;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    Dc* context = As<Dc>(dc);
    if (context == nullptr) return nullptr;
    if (Bitmap* bitmap = As<Bitmap>(object)) {
        if (context->type != DcType::Memory) return nullptr;
        // A bitmap lives in one memory context at a time.
        if (!bitmap->stock && bitmap->selectedInto != nullptr && bitmap->selectedInto != dc &&
            As<Dc>(bitmap->selectedInto) != nullptr)
            return nullptr;
        HGDIOBJ previous = context->bitmap;
        if (Bitmap* old = As<Bitmap>(previous)) {
            if (old->selectedInto == dc) old->selectedInto = nullptr;
        }
        context->bitmap = static_cast<HBITMAP>(object);
        if (!bitmap->stock) bitmap->selectedInto = dc;
        return previous;
    }
    if (As<Brush>(object) != nullptr) return std::exchange(context->brush, object);
    if (As<Font>(object) != nullptr) return std::exchange(context->font, object);
    return nullptr;
}

COLORREF GetPixel(HDC dc, int x, int y) {
    const QImage* surface = SurfaceOf(As<Dc>(dc));
    if (surface == nullptr || x < 0 || y < 0) return CLR_INVALID;
    // A unit's top left device pixel.
    const QRect pixel = Device(*surface, QRect(x, y, 1, 1));
    if (!surface->rect().contains(pixel.topLeft())) return CLR_INVALID;
    const uchar* line =
        surface->constBits() + static_cast<qsizetype>(pixel.y()) * surface->bytesPerLine();
    return ToColorRef(reinterpret_cast<const QRgb*>(line)[pixel.x()]);
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) {
    HWND window = nullptr;
    QImage* surface = SurfaceOf(As<Dc>(dc), &window);
    if (surface == nullptr || x < 0 || y < 0) return static_cast<COLORREF>(-1);
    const QRect pixel = Device(*surface, QRect(x, y, 1, 1));
    if (!surface->rect().contains(pixel.topLeft())) return static_cast<COLORREF>(-1);
    Fill(*surface, pixel.isEmpty() ? QRect(pixel.topLeft(), QSize(1, 1)) : pixel,
         qRgb(GetRValue(color), GetGValue(color), GetBValue(color)));
    Repaint(window, QRect(x, y, 1, 1));
    return color & 0x00FFFFFF;
}

int GetObjectA(HANDLE object, int size, LPVOID out) {
    Bitmap* bitmap = As<Bitmap>(object);
    if (bitmap == nullptr) return 0;
    // The default bitmap of memory contexts is a device-dependent 1-bit
    // bitmap, as on Windows; every other bitmap is a 32-bit top-down DIB section.
    const bool dibSection = !bitmap->stock;
    const int answer = dibSection && size >= static_cast<int>(sizeof(DIBSECTION))
                           ? static_cast<int>(sizeof(DIBSECTION))
                           : static_cast<int>(sizeof(BITMAP));
    if (out == nullptr) return answer;
    if (size < static_cast<int>(sizeof(BITMAP))) return 0;
    QImage& image = bitmap->image;
    BITMAP info{};
    info.bmType = 0;
    info.bmWidth = image.width();
    info.bmHeight = image.height();
    info.bmPlanes = 1;
    info.bmBitsPixel = static_cast<WORD>(bitmap->bitsPerPixel);
    info.bmWidthBytes = ((image.width() * bitmap->bitsPerPixel + 31) / 32) * 4;
    info.bmBits = dibSection ? image.bits() : nullptr;
    if (answer == static_cast<int>(sizeof(BITMAP))) {
        std::memcpy(out, &info, sizeof(info));
        return answer;
    }
    DIBSECTION dib{};
    dib.dsBm = info;
    dib.dsBmih.biSize = sizeof(BITMAPINFOHEADER);
    dib.dsBmih.biWidth = image.width();
    // Positive although the rows run from the top down: Windows reports the
    // height of every DIB section so, and the program must not rely on the sign.
    dib.dsBmih.biHeight = image.height();
    dib.dsBmih.biPlanes = 1;
    dib.dsBmih.biBitCount = 32;
    dib.dsBmih.biCompression = BI_RGB;
    dib.dsBmih.biSizeImage = static_cast<DWORD>(image.sizeInBytes());
    std::memcpy(out, &dib, sizeof(dib));
    return answer;
}

HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD) {
    if (bits != nullptr) *bits = nullptr;
    if ((dc != nullptr && As<Dc>(dc) == nullptr) || info == nullptr || usage != DIB_RGB_COLORS ||
        section != nullptr)
        return nullptr;
    const BITMAPINFOHEADER& header = info->bmiHeader;
    // Only what the layer holds: 32-bit rows, top-down.
    if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biPlanes != 1 ||
        header.biBitCount != 32 || header.biCompression != BI_RGB || header.biWidth <= 0 ||
        header.biHeight >= 0)
        return nullptr;
    const std::int64_t width = header.biWidth;
    const std::int64_t height = -static_cast<std::int64_t>(header.biHeight);
    if (width * height > quillfin::pictures::kMaxPixels) return nullptr;
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->image = NewRgb32Image(static_cast<int>(width), static_cast<int>(height));
    if (bitmap->image.isNull()) return nullptr;
    bitmap->image.fill(0);
    bitmap->bitsPerPixel = 32;
    if (bits != nullptr) *bits = bitmap->image.bits();
    return ToHandle<HBITMAP>(Register(std::move(bitmap)));
}

int GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, LPVOID bits, BITMAPINFO* info,
              UINT usage) {
    Bitmap* source = As<Bitmap>(bitmap);
    if (As<Dc>(dc) == nullptr || source == nullptr || info == nullptr || usage != DIB_RGB_COLORS)
        return 0;
    const QImage& image = source->image;
    BITMAPINFOHEADER& header = info->bmiHeader;
    if (header.biSize < sizeof(BITMAPINFOHEADER)) return 0;
    if (bits == nullptr) {
        // Describes the bitmap as 32-bit bottom-up rows.
        header.biWidth = image.width();
        header.biHeight = image.height();
        header.biPlanes = 1;
        header.biBitCount = 32;
        header.biCompression = BI_RGB;
        header.biSizeImage = static_cast<DWORD>(image.sizeInBytes());
        return image.height();
    }
    if (header.biPlanes != 1 || header.biBitCount != 32 || header.biCompression != BI_RGB ||
        header.biWidth != image.width())
        return 0;
    const bool topDown = header.biHeight < 0;
    const std::int64_t height = topDown ? -static_cast<std::int64_t>(header.biHeight)
                                        : static_cast<std::int64_t>(header.biHeight);
    // Scan lines are counted from the bottom row; a top-down copy starts at the top.
    if (height != image.height() || start >= static_cast<UINT>(height) || (topDown && start != 0))
        return 0;
    const int count = static_cast<int>(std::min<std::int64_t>(lines, height - start));
    const std::size_t rowBytes = static_cast<std::size_t>(image.width()) * 4;
    auto* out = static_cast<unsigned char*>(bits);
    for (int i = 0; i < count; ++i) {
        const int y = topDown ? i : image.height() - 1 - static_cast<int>(start) - i;
        std::memcpy(out + i * rowBytes, image.constScanLine(y), rowBytes);
    }
    return count;
}

BOOL GdiFlush() { return TRUE; }
