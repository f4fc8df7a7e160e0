// Where the picture or zone bitmap that a question names is found. One search
// for the program and for tools that check question files: it reads no UI
// state, only the two names it is given and the file system.
#pragma once

#include <string>

// The file to load for the bitmap `name` of a question in `questionFile`.
// A relative name is looked for next to the question file first, then from
// the current folder; a name with a root or a drive only as it stands. Names
// are found as Windows finds them (FindWindowsName: `\` between folders, case
// ignored). The name unchanged when no regular file is found; "" for null.
// `questionFile` may be null: then only the current folder counts.
std::string FindBitmapFile(const char* name, const char* questionFile);
