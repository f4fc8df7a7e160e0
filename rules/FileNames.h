// File names as question and round files give them. Such a name may have been
// written on Windows, where `\` separates folders and case is ignored; here it
// finds the same file on a case-sensitive file system too. Names are bytes and
// stay so: on Windows every name is passed to the system in the ANSI code page
// as it stands, never reinterpreted through another encoding.
#pragma once

#include <string>

// The name under which `name` exists, found as Windows finds it.
// The name itself when it exists. Otherwise `\` is read as `/`, and folder by
// folder an entry is taken whose name equals the wanted part up to case (ASCII
// and the Windows-1252 letters). A wanted name from a question file is
// Windows-1252 while names on disk are mostly UTF-8, so an entry also matches
// when both hold the same letters, each read in either encoding. Among several
// matches the entry with the same bytes wins, then one with the same letters,
// then the first in byte order; a folder that leads nowhere gives way to the
// next match. Empty when nothing matches or `name` is null or empty.
// On Windows, where the system resolves names itself: the name when it exists.
std::string FindWindowsName(const char* name);

// True when `name`, exactly as given, is a regular file.
bool IsRegularFileName(const std::string& name);

// A text that names one version of the regular file `name`: it changes when
// the file is written or replaced (size, modification and change times, and
// on Linux the file's identity). Empty when `name` is no regular file.
std::string FileVersion(const std::string& name);

// The folder part of `name`, up to and including its last separator; empty
// when there is none. On Windows `/`, `\` and a drive's colon end it, on
// Linux only `/`.
std::string FolderOf(const std::string& name);

// What follows the last `/` or `\` of a name written on either system.
std::string BaseNameOf(const std::string& name);

// True when the name does not depend on the current folder: it starts with
// `/` or `\`, or with a drive letter and a colon.
bool IsRootedName(const std::string& name);

// True when both names, exactly as given, lead to one and the same file.
bool IsSameFile(const std::string& a, const std::string& b);

// Moves the file `from` over `to`, replacing `to` when it exists, both in the
// same folder. False when the move failed; `to` is then unchanged.
bool MoveFileOver(const std::string& from, const std::string& to);

// Removes the file; false when it could not be removed.
bool RemoveFileName(const std::string& name);
