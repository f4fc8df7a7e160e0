// File names as question and round files give them. Such a name may have been
// written on Windows, where `\` separates folders and case is ignored; here it
// finds the same file on a case-sensitive file system too (FindWindowsName,
// declared with the rest of the file system in rules/FileSystem.h).
#pragma once

#include <string>

#include "rules/FileSystem.h"

// True when `name`, exactly as given, is a regular file.
bool IsRegularFileName(const std::string& name);

// A text that names one version of the regular file `name`: it changes when
// the file is written or replaced (size, modification and change times, the
// file's identity). Empty when `name` is no regular file.
std::string FileVersion(const std::string& name);

// True when the name does not depend on the current folder: it starts with
// `/` or `\`, or with a drive letter and a colon.
bool IsRootedName(const std::string& name);

// True when both names, exactly as given, lead to one and the same file.
bool IsSameFile(const std::string& a, const std::string& b);
