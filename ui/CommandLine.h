// The program's command line: the file that a file manager, "Open with" or a
// drop on the program hands it at start-up. The text is split with the rules
// of the Windows C runtime on both builds, so that one source reads it; the
// first argument is opened as the File menu would open it.
#pragma once

#include <string>
#include <vector>

#include "platform/WinApi.h"

// Splits the command line that WinMain receives (the program's own name
// already removed) into its arguments. Spaces and tabs separate arguments
// outside double quotes. Backslashes are literal unless they come before a
// double quote: 2n of them then give n backslashes and the quote opens or
// closes a quoted part; 2n + 1 give n backslashes and a literal quote. Inside
// a quoted part, two double quotes give one literal quote. A quote left open
// runs to the end. "" alone is an empty argument. Null reads as empty.
std::vector<std::string> SplitCommandLine(const char* commandLine);

// Opens the first argument of `commandLine` as the menu does, after start-up:
// a round file (IsRoundFile) is resumed as Load round resumes it, any other
// file starts a new round as New round does; a file that cannot start a
// round is refused with the same warning box. The name is made absolute and
// its folder becomes the current folder, as after a file dialog. A name that
// cannot be opened as a file shows a message box naming it and leaves the
// welcome screen as it is. Further arguments are ignored; without any,
// nothing happens. Returns true when a round was taken up.
bool OpenCommandLineFile(HWND hwnd, const char* commandLine);

// What OpenCommandLineFile does with its first argument, for a file named
// otherwise (dropped on the window): opened as a round file or a question
// file by its content, refused with a warning when it cannot start a round.
bool OpenGivenFile(HWND hwnd, const std::string& name);
