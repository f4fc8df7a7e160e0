// Files the program keeps for the user between its runs, in a folder of the
// user's own: $XDG_STATE_HOME/quillfin on Linux (~/.local/state/quillfin
// when XDG_STATE_HOME is unset or not an absolute path), and
// %LOCALAPPDATA%\Quillfin on Windows.
#pragma once

#include <string>

// The path of the per-user file `name` (a plain file name), its folder made
// when missing. Empty when the user has no such folder and none can be made.
std::string UserStateFile(const char* name);
