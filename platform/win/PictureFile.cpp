// PNG and JPEG through the Windows Imaging Component: the file, read into
// memory by the shared code, is checked, decoded into 32-bit BGRA rows of a
// top-down DIB section, drawn over white and turned upright by the shared
// code. BMP files keep LoadImageA.
#include "platform/PictureFile.h"

#include <objbase.h>
#include <wincodec.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/PictureFormat.h"

namespace {

namespace pictures = quillfin::pictures;

// Releases a COM interface when it goes out of scope.
template <class T>
class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() {
        if (p_ != nullptr) p_->Release();
    }
    T** Out() { return &p_; }
    T* operator->() const { return p_; }
    T* Get() const { return p_; }

private:
    T* p_ = nullptr;
};

// COM for this thread while decoding; left as it was found afterwards.
class ComScope {
public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    ~ComScope() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }

private:
    HRESULT result_;
};

HBITMAP NewDibSection(int width, int height, std::uint32_t*& bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* out = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &out, nullptr, 0);
    bits = static_cast<std::uint32_t*>(out);
    return bits != nullptr ? bitmap : nullptr;
}

HBITMAP Decode(const unsigned char* data, std::size_t size, PictureFormat format) {
    ComScope com;
    ComRef<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(factory.Out()))))
        return nullptr;
    ComRef<IWICStream> stream;
    if (FAILED(factory->CreateStream(stream.Out())) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size))))
        return nullptr;
    ComRef<IWICBitmapDecoder> decoder;
    const GUID& container =
        format == PictureFormat::Png ? GUID_ContainerFormatPng : GUID_ContainerFormatJpeg;
    if (FAILED(factory->CreateDecoder(container, nullptr, decoder.Out())) ||
        FAILED(decoder->Initialize(stream.Get(), WICDecodeMetadataCacheOnDemand)))
        return nullptr;
    ComRef<IWICBitmapFrameDecode> frame;
    UINT width = 0;
    UINT height = 0;
    if (FAILED(decoder->GetFrame(0, frame.Out())) || FAILED(frame->GetSize(&width, &height)))
        return nullptr;
    if (width == 0 || height == 0 ||
        static_cast<std::int64_t>(width) * height > pictures::kMaxPixels)
        return nullptr;
    ComRef<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(converter.Out())) ||
        FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA,
                                     WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)))
        return nullptr;

    std::uint32_t* bits = nullptr;
    HBITMAP bitmap = NewDibSection(static_cast<int>(width), static_cast<int>(height), bits);
    if (bitmap == nullptr) return nullptr;
    const UINT stride = width * 4;
    if (FAILED(converter->CopyPixels(nullptr, stride, stride * height,
                                     reinterpret_cast<BYTE*>(bits)))) {
        DeleteObject(bitmap);
        return nullptr;
    }
    pictures::CompositeOverWhite(bits, static_cast<std::size_t>(width) * height);

    const int orientation =
        format == PictureFormat::Jpeg ? pictures::JpegExifOrientation(data, size) : 1;
    if (orientation == 1) return bitmap;
    int uprightWidth = 0;
    int uprightHeight = 0;
    pictures::OrientedSize(orientation, static_cast<int>(width), static_cast<int>(height),
                           uprightWidth, uprightHeight);
    std::uint32_t* uprightBits = nullptr;
    HBITMAP upright = NewDibSection(uprightWidth, uprightHeight, uprightBits);
    if (upright != nullptr) {
        pictures::Orient(orientation, bits, static_cast<int>(width), static_cast<int>(height),
                         static_cast<std::ptrdiff_t>(width), uprightBits, uprightWidth);
    }
    DeleteObject(bitmap);
    return upright;
}

}  // namespace

std::string quillfin::pictures::OpenedPictureFile(const char* name) {
    return name != nullptr ? name : "";
}

HBITMAP quillfin::pictures::DecodePngOrJpegFile(const unsigned char* data, std::size_t size,
                                                PictureFormat format) {
    if (format == PictureFormat::Jpeg && !pictures::JpegWithinLimits(data, size)) return nullptr;
    return Decode(data, size, format);
}
