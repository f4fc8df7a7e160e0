// Where the File menu's dialogs start, and the Help box that leads to the
// help page. The dialogs start beside the question file of the round (Save
// round proposes its name with .qfr), else in the folder last chosen; the
// help page is looked for in the places the program is installed to.
#pragma once

#include <string>

#include "platform/WinApi.h"

// The folder a file dialog starts in (with its separator; empty: the
// system's default) and the name it proposes (empty: none).
struct DialogStart {
    std::string folder;
    std::string fileName;
};

// The folder of the round's question file when a round names one, else the
// folder last chosen in a dialog. A save dialog proposes the question file's
// name with its extension replaced by .qfr (added when it has none).
DialogStart FileDialogStart(bool save);

// Remembers the folder of `chosenPath`, a file just chosen in a dialog.
void NoteDialogFolder(const char* chosenPath);

// The file name of the help page.
extern const char* const kHelpPageName;

// The full path of the help page, or empty when it is in none of these
// places, tried in this order: a folder "help" beside the program, beside
// the program itself, ../share/doc/quillfin/help/ (an installed package) and
// ../help/ (the source tree, for a program built in a folder of it).
std::string FindHelpPage();

// Help > Help: the box's fixed text, then the page's full path and the offer
// to open it in the browser (Yes opens it through the shell); when the page
// is nowhere to be found, a line that says so.
void ShowHelpBox(HWND owner);
