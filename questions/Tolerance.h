// Tolerance a teacher can choose per question: the flag words `acc` (an
// answer differing only in accents counts as correct) and `typo` (one typo
// from an answer of five letters or more counts as correct), found in the
// flags section only as whole words, and the judgement of a typed answer
// that tries TestAnswer first, unchanged, and the tolerant rules only after it.
#pragma once

#include <cstdint>
#include <string_view>

#include "questions/NearMiss.h"

class clQuestion;

// An answer needs this many letters (CountAnswerLetters) before `typo` accepts
// a typo in it: one more than naming a typo needs.
constexpr int kTypoAcceptingLetters = 5;

struct WholeFlagWord {
    const char* word;
    std::uint32_t bit;
};

// The flag words that count only as whole words, in the order they are read.
extern const WholeFlagWord kWholeFlagWords[2];

// True for the letters of Windows-1252: A-Z, a-z, the accented and other
// letters from 0xC0 up (but not × and ÷), and ƒ Š Œ Ž š œ ž Ÿ ª µ º.
bool IsWindows1252Letter(unsigned char byte);

// True when `word` occurs in `section` with no letter (IsWindows1252Letter)
// directly before or after it; the section's ends bound a word.
bool HasWholeWord(std::string_view section, std::string_view word);

// The bits of kWholeFlagWords whose words stand whole in the flags section
// that begins at `flagsPosition` of the question file and runs to the next
// tag byte or the end of the file. 0 when the file cannot be read or the
// position is negative.
std::uint32_t ReadWholeFlagWords(const char* questionFile, int flagsPosition);

// The verdict on a typed answer.
// correct with kind None: TestAnswer matched answer `answer` exactly;
// correct with kind Accent or Typo: a tolerant rule accepted it as `answer`;
// not correct with a kind: a near miss of `answer` (FindNearMiss);
// not correct with kind None (answer 0): nothing close.
struct Judgement {
    bool correct = false;
    NearMissKind kind = NearMissKind::None;
    int answer = 0;  // 1-based, as TestAnswer counts
};

// Judges `given` (compared within `size` bytes, as TestAnswer does). Only
// when TestAnswer finds nothing: with flagAcceptAccents the first answer
// whose kind (CompareNearly) is Accent is accepted; failing that, with
// flagAcceptTypos the first answer of at least kTypoAcceptingLetters letters
// whose kind is Typo. With flagCaseSensitive no letter in the wrong case is
// accepted, neither alone nor as the one typo.
Judgement JudgeAnswer(const clQuestion& question, const char* given, int size);
