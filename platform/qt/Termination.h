// The end of the program asked for from outside: SIGTERM, and SIGHUP as a
// desktop session ends, close the program as its windows' close boxes do.
#pragma once

namespace quillfin::platform {

// From now on SIGTERM and SIGHUP end the program in order: open dialogs and
// message boxes go away unanswered and every main window gets WM_CLOSE, which
// the program handles as it handles its close box. Called once by main().
void CloseOnTerminationSignals();

// Closes the open dialogs and message boxes and sends WM_CLOSE to every main
// window, as the signals do; message boxes and file dialogs opened after this
// give no answer (0 and FALSE).
void EndInOrder();

// Whether EndInOrder has run.
bool EndRequested();
// Forgets that it ran (tests start the program afresh).
void ForgetEndRequest();

}  // namespace quillfin::platform
