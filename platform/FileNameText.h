// File names shown in texts. The A functions speak Windows-1252, while a
// file name is the platform's own bytes: the ANSI code page on Windows, where
// the two agree, and on Linux most often UTF-8, which Windows-1252 would show
// garbled ("JosÃ©" for "José").
#pragma once

#include <string>

// `name` as a Windows-1252 text for a message: on Windows unchanged; on Linux
// a name in UTF-8 becomes Windows-1252, with '?' for a character the code
// page lacks, and a name that is not UTF-8 stays as it is. Empty for null.
std::string FileNameAsText(const char* name);
