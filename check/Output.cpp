#include "check/Output.h"

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

#ifdef _WIN32
std::wstring Wide(std::string_view text, UINT codePage) {
    if (text.empty()) return std::wstring();
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
    return wide;
}

class StandardHandleSink : public ReportSink {
public:
    explicit StandardHandleSink(bool error)
        : file_(error ? stderr : stdout),
          handle_(GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE)) {
        DWORD mode = 0;
        console_ = handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr &&
                   GetConsoleMode(handle_, &mode) != 0;
    }
    bool IsConsole() const override { return console_; }
    void WriteConsoleLine(std::string_view utf8) override {
        std::fflush(file_);
        const std::wstring text = Wide(utf8, CP_UTF8);
        DWORD written = 0;
        WriteConsoleW(handle_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
    void WriteBytes(std::string_view bytes) override {
        std::fwrite(bytes.data(), 1, bytes.size(), file_);
    }

private:
    std::FILE* file_;
    HANDLE handle_;
    bool console_ = false;
};
#else
class StandardHandleSink : public ReportSink {
public:
    explicit StandardHandleSink(bool error) : file_(error ? stderr : stdout) {}
    bool IsConsole() const override { return false; }
    void WriteConsoleLine(std::string_view utf8) override { WriteBytes(utf8); }
    void WriteBytes(std::string_view bytes) override {
        std::fwrite(bytes.data(), 1, bytes.size(), file_);
    }

private:
    std::FILE* file_;
};
#endif

}  // namespace

std::string CommandLineName(const std::string& name) {
#ifdef _WIN32
    const std::wstring wide = Wide(name, CP_ACP);
    if (wide.empty()) return name;
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return name;
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
#else
    return name;
#endif
}

std::unique_ptr<ReportSink> StandardSink(bool error) {
    return std::make_unique<StandardHandleSink>(error);
}

void ReportBuffer::Take(std::string_view text) {
    if (!console_) {
        sink_.WriteBytes(text);
        return;
    }
    for (char c : text) {
        pending_.push_back(c);
        if (c == '\n') {
            sink_.WriteConsoleLine(pending_);
            pending_.clear();
        }
    }
}

ReportBuffer::int_type ReportBuffer::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    Take(std::string_view(&byte, 1));
    return c;
}

std::streamsize ReportBuffer::xsputn(const char* s, std::streamsize n) {
    Take(std::string_view(s, static_cast<std::size_t>(n)));
    return n;
}

int ReportBuffer::sync() {
    if (!pending_.empty()) {
        sink_.WriteConsoleLine(pending_);
        pending_.clear();
    }
    return 0;
}
