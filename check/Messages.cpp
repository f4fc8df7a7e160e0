#include "check/Messages.h"

#include <cstdio>

namespace {

// Code points of the bytes 0x80 to 0x9F in Windows-1252; the five it leaves
// undefined keep their own value.
constexpr char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t code) {
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

}  // namespace

std::string Utf8Of(std::string_view windows1252) {
    std::string out;
    out.reserve(windows1252.size());
    for (unsigned char c : windows1252) {
        AppendUtf8(out, c >= 0x80 && c <= 0x9F ? kHigh[c - 0x80] : c);
    }
    return out;
}

std::string Shown(std::string_view text, std::size_t limit) {
    std::string out = "\"";
    std::size_t shown = 0;
    for (unsigned char c : text) {
        if (shown == limit) {
            out += "...";
            break;
        }
        ++shown;
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        } else {
            out += Utf8Of(std::string_view(reinterpret_cast<const char*>(&c), 1));
        }
    }
    return out + "\"";
}

std::string Counted(long long count, const char* singular, const char* plural) {
    return std::to_string(count) + " " + (count == 1 ? singular : plural);
}
