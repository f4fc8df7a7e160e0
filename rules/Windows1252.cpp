#include "rules/Windows1252.h"

namespace {

// Bytes 0x80 to 0x9F; the rest of the code page is Latin-1.
constexpr char16_t kHighBytes[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr unsigned char kMultiplication = 0xD7;    // ×, between the upper-case letters
constexpr unsigned char kUpperS = 0x8A;            // Š
constexpr unsigned char kUpperOE = 0x8C;           // Œ
constexpr unsigned char kUpperZ = 0x8E;            // Ž
constexpr unsigned char kUpperY = 0x9F;            // Ÿ
constexpr unsigned char kLowerY = 0xFF;            // ÿ
constexpr unsigned char kCaseDistance = 0x20;      // ASCII and Latin-1 letters
constexpr unsigned char kHighCaseDistance = 0x10;  // Š/š, Œ/œ, Ž/ž

}  // namespace

char32_t Windows1252ToUnicode(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) return kHighBytes[byte - 0x80];
    return byte;
}

int UnicodeToWindows1252(char32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<int>(code);
    // The characters of bytes 0x80 to 0x9F lie between U+0081 and U+2122.
    if (code > 0x2122) return -1;
    for (int i = 0; i < 32; ++i) {
        if (kHighBytes[i] == code) return 0x80 + i;
    }
    return -1;
}

unsigned char FoldWindows1252Case(unsigned char byte) {
    if (byte >= 'A' && byte <= 'Z') return static_cast<unsigned char>(byte + kCaseDistance);
    if (byte >= 0xC0 && byte <= 0xDE && byte != kMultiplication)
        return static_cast<unsigned char>(byte + kCaseDistance);
    if (byte == kUpperS || byte == kUpperOE || byte == kUpperZ)
        return static_cast<unsigned char>(byte + kHighCaseDistance);
    if (byte == kUpperY) return kLowerY;
    return byte;
}

std::string Windows1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const char32_t code = Windows1252ToUnicode(static_cast<unsigned char>(c));
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (code >> 6)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (code >> 12)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return out;
}

bool Utf8ToWindows1252(std::string_view utf8, std::string& out, char missing) {
    const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
    const std::size_t n = utf8.size();
    for (std::size_t i = 0; i < n;) {
        if (s[i] < 0x80) {
            out.push_back(static_cast<char>(s[i++]));
            continue;
        }
        char32_t code = 0;
        const int length = DecodeUtf8(s, n, i, code);
        if (length < 0) return false;
        const int byte = UnicodeToWindows1252(code);
        if (byte < 0 && missing == '\0') return false;
        out.push_back(byte < 0 ? missing : static_cast<char>(byte));
        i += static_cast<std::size_t>(length);
    }
    return true;
}
