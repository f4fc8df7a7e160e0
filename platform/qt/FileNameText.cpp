// Linux file names, mostly UTF-8, as Windows-1252 texts.
#include "platform/FileNameText.h"

#include "rules/Windows1252.h"

std::string FileNameAsText(const char* name) {
    if (name == nullptr) return {};
    std::string text;
    if (Utf8ToWindows1252(name, text, '?')) return text;
    return name;
}
