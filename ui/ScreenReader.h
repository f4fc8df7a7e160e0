// Tells screen readers what the window shows: the text area's text as its
// name, the answer box's name, and the picture's name (the question), how a
// zone question is answered and where the crosshair stands. Run after each
// layout and after each move of the crosshair.
#pragma once

void TellScreenReaders();
