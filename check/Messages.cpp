#include "check/Messages.h"

#include <cstdio>

#include "rules/Windows1252.h"

std::string Utf8Of(std::string_view windows1252) { return Windows1252ToUtf8(windows1252); }

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
