// Linux file names, mostly UTF-8, as Windows-1252 texts. The question files'
// own reading tells UTF-8 from other bytes, so a name reads as a question file
// of the same bytes would.
#include "platform/FileNameText.h"

#include "rules/QuestionFileText.h"

std::string FileNameAsText(const char* name) {
    if (name == nullptr) return {};
    return QuestionFileText(name).Bytes();
}
