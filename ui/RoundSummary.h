// What the window says about the answers of a round: records each answer in
// the round's memory (clRoundMemory) with the question at the head, and
// composes the summary shown below the congratulations and the extra lines
// of the feedback (a near miss named, the spelling of an answer accepted by
// tolerance, an answer given twice). The texts are Windows-1252.
#pragma once

#include <string>
#include <string_view>

#include "questions/NearMiss.h"
#include "round/RoundMemory.h"

// The question at the head is now on screen: the time of the next answer counts from here.
void NoteQuestionShown();

// Records an answer to the question at the head of the round: a typed text
// (with the near miss named to the learner, if any), or a point chosen in the
// picture by a click or (with `key`) with the keyboard.
void RecordAnswer(std::string_view typed, AnswerVerdict verdict,
                  NearMissKind nearMiss = NearMissKind::None);
void RecordClick(int x, int y, bool right, bool key = false);

// The line naming a near miss of `typed` to the accepted answer `answer`.
// Empty for NearMissKind::None.
std::string NearMissLine(NearMissKind kind, std::string_view typed, std::string_view answer);

// The line after "Correct!" for an answer accepted by `acc` or `typo`.
std::string SpelledLine(std::string_view answer);

// The line after the wrong-answer text for an answer given twice to an
// all-answers question.
std::string RepeatLine(std::string_view answer);

// The summary of the round's memory for the end of the round: the questions
// answered, how many were right at the first try and, for the others (at
// most ten, the most tries first), the question's first words, its tries and
// up to three wrong answers. A round loaded from a round file says that it
// counts from the load. Questions are read from `questionFile` for their
// words; one that cannot be read is named by its number. Empty when nothing
// was answered in a round that was not loaded.
std::string RoundSummary(const clRoundMemory& memory, const char* questionFile);

// The first words of a question text, at most kSummaryWords words and
// kSummaryTextBytes bytes, line breaks and runs of blanks as one blank;
// "..." where the text was cut.
constexpr int kSummaryWords = 6;
constexpr std::size_t kSummaryTextBytes = 40;
std::string FirstWords(std::string_view text);
