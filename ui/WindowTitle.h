// The main window's title follows the round: "Quillfin" on the welcome
// screen, "Quillfin - <question file> - <k> left" while a round runs and
// "Quillfin - <question file> - finished" on the congratulations screen.
#pragma once

#include <string>

// The title for the current UI state. The question file is named without its
// folder, as the message boxes show file names (FileNameAsText). k counts the
// questions of the round not yet answered right: an all-answers question
// until it is completed; the question on screen once its right answer (the
// last one needed) is shown.
std::string RoundTitle();

// Puts RoundTitle on the main window when it differs from the title shown.
void ShowRoundTitle();

// Defined by the quiz step: true while the correct feedback for the
// question at the head is shown and that answer completes the question (an
// information card is read, not answered, and does not count).
bool HeadAnsweredOnScreen();
