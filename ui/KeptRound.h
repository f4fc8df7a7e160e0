// The round kept when the program ends in the middle of it, and offered again
// at the next start. It lives in the user's own folder (platform/UserFiles.h)
// as a round file like any other, written whole or not at all; when two
// programs end at once, the last to write it wins.
#pragma once

#include <string>

#include "platform/WinApi.h"

// The file the round is kept in; empty when the user has no folder for it.
std::string KeptRoundFile();

// As the program ends: a round in progress (NextQuestion to FeedbackWrong) is
// kept, a question in a feedback state moved on as the continue step moves it.
// Nothing is asked. A round with nothing left to answer is not kept, and
// removes a kept round on its question file. The round is then handed over:
// the quiz stays at the welcome state until the window is gone.
void KeepRoundAtExit();

// At a start without a file: when a kept round is there and its question
// file can be read, asks whether to continue it (Yes loads it as Load round
// does) and removes it either way; a kept file that holds no readable round
// is removed without a word. True when the round was taken up.
bool OfferKeptRound(HWND owner);

// A round that has just been finished on `questionFile`: a kept round on the
// same question file is out of date and is removed.
void ForgetKeptRoundOn(const char* questionFile);
