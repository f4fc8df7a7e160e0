// Files dropped on the main window. The first file opens as a file named on
// the command line does (ui/CommandLine.h), in any state of the quiz: a
// round file continues its round, any other file starts a new round, and a
// file that can start neither is refused with a warning that leaves the
// round in progress as it was. Further files of the same drop are ignored.
#pragma once

#include "platform/WinApi.h"

// WM_DROPFILES: opens the first file of `drop` and frees the drop. True when
// a round was taken up.
bool OpenDroppedFiles(HWND hwnd, HDROP drop);
