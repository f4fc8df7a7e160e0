#include "platform/qt/GdiInternal.h"
#include "rules/Windows1252.h"

namespace quillfin::platform {

QString FromCp1252(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (char c : bytes) {
        text.append(
            QChar(static_cast<char16_t>(Windows1252ToUnicode(static_cast<unsigned char>(c)))));
    }
    return text;
}

std::string ToCp1252(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (char32_t code : text.toStdU32String()) {
        const int byte = UnicodeToWindows1252(code);
        bytes.push_back(byte < 0 ? '?' : static_cast<char>(byte));
    }
    return bytes;
}

std::string Cp1252ToUtf8(std::string_view bytes) { return Windows1252ToUtf8(bytes); }

}  // namespace quillfin::platform
