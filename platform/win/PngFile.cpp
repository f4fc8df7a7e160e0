// PNG files through the Windows Imaging Component's encoder, which picks its
// own compression: rows of 24-bit blue, green, red handed over one at a time.
#include "platform/PngFile.h"

#include <objbase.h>
#include <wincodec.h>

#include <cstdio>
#include <vector>

namespace {

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

std::wstring WideName(const char* path) {
    const int length = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path, -1, wide.data(), length);
    wide.resize(static_cast<std::size_t>(length - 1));
    return wide;
}

std::string Failed(const char* step, HRESULT result) {
    char text[96];
    std::snprintf(text, sizeof text, "%s failed (0x%08lX)", step,
                  static_cast<unsigned long>(result));
    return text;
}

// Writes the whole picture through `stream`; the reason in `error` on failure.
bool Encode(IWICImagingFactory* factory, IWICStream* stream, const PixelPlane& pixels,
            std::string& error) {
    ComRef<IWICBitmapEncoder> encoder;
    HRESULT result = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Out());
    if (SUCCEEDED(result)) result = encoder->Initialize(stream, WICBitmapEncoderNoCache);
    if (FAILED(result)) {
        error = Failed("starting the PNG encoder", result);
        return false;
    }
    ComRef<IWICBitmapFrameEncode> frame;
    ComRef<IPropertyBag2> options;
    result = encoder->CreateNewFrame(frame.Out(), options.Out());
    if (SUCCEEDED(result)) result = frame->Initialize(options.Get());
    if (SUCCEEDED(result))
        result = frame->SetSize(static_cast<UINT>(pixels.width), static_cast<UINT>(pixels.height));
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (SUCCEEDED(result)) result = frame->SetPixelFormat(&format);
    if (SUCCEEDED(result) && !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) result = E_FAIL;
    if (FAILED(result)) {
        error = Failed("setting up the PNG frame", result);
        return false;
    }
    const UINT stride = static_cast<UINT>(pixels.width) * 3;
    std::vector<BYTE> row(stride);
    for (int y = 0; y < pixels.height && SUCCEEDED(result); ++y) {
        const unsigned char* in = pixels.top + y * pixels.stride;
        for (int x = 0; x < pixels.width; ++x, in += pixels.bytesPerPixel) {
            row[x * 3] = in[0];
            row[x * 3 + 1] = in[1];
            row[x * 3 + 2] = in[2];
        }
        result = frame->WritePixels(1, stride, stride, row.data());
    }
    if (SUCCEEDED(result)) result = frame->Commit();
    if (SUCCEEDED(result)) result = encoder->Commit();
    if (FAILED(result)) {
        error = Failed("writing the PNG file", result);
        return false;
    }
    return true;
}

}  // namespace

bool WritePngFile(const char* path, const PixelPlane& pixels, int, std::string& error) {
    if (path == nullptr || pixels.top == nullptr || pixels.width < 1 || pixels.height < 1 ||
        (pixels.bytesPerPixel != 3 && pixels.bytesPerPixel != 4)) {
        error = "no picture to write";
        return false;
    }
    const std::wstring name = WideName(path);
    ComScope com;
    ComRef<IWICImagingFactory> factory;
    HRESULT result =
        CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                         IID_IWICImagingFactory, reinterpret_cast<void**>(factory.Out()));
    if (FAILED(result)) {
        error = Failed("starting the Windows Imaging Component", result);
        return false;
    }
    bool written = false;
    {
        ComRef<IWICStream> stream;
        result = factory->CreateStream(stream.Out());
        if (SUCCEEDED(result)) result = stream->InitializeFromFilename(name.c_str(), GENERIC_WRITE);
        if (FAILED(result)) {
            error = Failed("opening the file", result);
            return false;
        }
        written = Encode(factory.Get(), stream.Get(), pixels, error);
    }
    if (!written) DeleteFileW(name.c_str());
    return written;
}
