// On Windows a narrow file name is already in the ANSI code page.
#include "platform/FileNameText.h"

std::string FileNameAsText(const char* name) { return name ? std::string(name) : std::string(); }
