// Files the program keeps for the user between its runs, in folders of the
// user's own. State (the round kept at exit): $XDG_STATE_HOME/quillfin on
// Linux (~/.local/state/quillfin when XDG_STATE_HOME is unset or not an
// absolute path), %LOCALAPPDATA%\Quillfin on Windows. Settings (the file
// behind the Linux registry calls): $XDG_CONFIG_HOME/quillfin (~/.config/
// quillfin), %APPDATA%\Quillfin on Windows, where the registry is used.
#pragma once

#include <string>

// The path of the per-user file `name` (a plain file name), its folder made
// when missing. Empty when the user has no such folder and none can be made.
std::string UserStateFile(const char* name);

// The same for a settings file.
std::string UserSettingsFile(const char* name);
