// What assistive technology (a screen reader) is told about the program's
// windows beyond what the controls say themselves: names, descriptions and
// values, and that a text changed. On Linux the Qt layer gives its controls
// and the main window's painted client area accessibility interfaces; on
// Windows the system's controls are annotated through Microsoft Active
// Accessibility. Texts are Windows-1252, as everywhere in the program.
#pragma once

#include "platform/WinApi.h"

// Gives a control, or the client area of a main window (a picture painted by
// the program, presented as a graphic), an accessible name, description and
// value. A null text leaves that one empty.
void SetAccessibleTexts(HWND hwnd, const char* name, const char* description, const char* value);

// Tells assistive technology that what `hwnd` shows changed (its name, for a
// text area whose name is its text).
void NotifyTextChanged(HWND hwnd);
