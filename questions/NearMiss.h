// Near misses: how a typed answer that matched nothing differs from the
// accepted answers it comes close to (only in letter case, only in accents,
// only in blanks and punctuation, or by one typo), and which answer that is.
// Texts are Windows-1252 bytes. Pure functions: no file is read, nothing is
// kept between calls, and no input makes them fail.
#pragma once

#include <string_view>
#include <vector>

class clQuestion;

// The kinds in the order in which they are tried.
enum class NearMissKind {
    None,
    Case,         // only in letter case (a case-sensitive question)
    Accent,       // only in accents, by the base letters of AccentBase
    Punctuation,  // only in blanks and the marks . , ; : ! ? ' " -
    Typo,         // one character missing, extra or different, or two letters swapped
};

struct NearMiss {
    NearMissKind kind = NearMissKind::None;
    int answer = 0;  // 1-based number of the answer it is near, as TestAnswer counts; 0 for none
};

// The accepted answer needs this many letters before a typo is named.
constexpr int kTypoNamingLetters = 4;

// The letter without its accent: À..Å → A, Ç → C, é → e, Ø → O, Š → S,
// Ÿ → Y, ÿ → y and so on. Every other byte, Æ, Œ, ß, Ð and Þ among them,
// is returned unchanged.
unsigned char AccentBase(unsigned char byte);

// True for a blank or one of the marks . , ; : ! ? ' " -.
bool IsBlankOrPunctuation(unsigned char byte);

// The number of bytes of `text` that are neither a blank nor one of those marks.
int CountAnswerLetters(std::string_view text);

// How `typed` differs from `answer`: the first kind in the order above that
// the pair meets. None when they are equal under the question's case rule
// (without `caseSensitive` letters compare by FoldWindows1252Case), or when
// they meet no kind. Punctuation needs an answer with a letter, and Typo one
// with kTypoNamingLetters letters; both compare under the case rule, Typo
// also after AccentBase. Two swapped characters count as a typo only when
// both are letters.
NearMissKind CompareNearly(std::string_view typed, std::string_view answer, bool caseSensitive);

// The near miss of `typed` among `answers`: kinds are tried in order over all
// answers, the first kind that some answer meets wins, and among the answers
// of that kind the first one in answer order.
NearMiss FindNearMiss(std::string_view typed, const std::vector<std::string_view>& answers,
                      bool caseSensitive);

// FindNearMiss for a question's stored answers, with TestAnswer's limits:
// the typed text counts up to its first zero byte and must end before
// `size` bytes, and an answer that TestAnswer could never match at that size
// (its text as long as `size` or more) is near nothing. The case rule is the
// question's flagCaseSensitive.
NearMiss FindNearMiss(const clQuestion& question, const char* given, int size);

// The text TestAnswer compares of a typed answer: up to its first zero byte,
// which must lie within `size` bytes. False (and an empty text) otherwise.
bool TypedAnswerText(const char* given, int size, std::string_view& text);

// The text of stored answer `index` (0-based) up to its first zero byte, when
// TestAnswer can match it for a typed text within `size` bytes: the zero byte
// lies within its stored length and before index `size`. False otherwise.
bool StoredAnswerText(const clQuestion& question, int index, int size, std::string_view& text);
