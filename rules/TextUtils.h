// Free functions on single-byte texts and on text files at byte offsets.
// The file readers open the named file in binary mode on every call. A reader
// of a question file asks for FileReading::QuestionFile and then works on the
// file's text in Windows-1252 (see rules/QuestionFileText.h); offsets count bytes
// of that text. A missing file, a name that is not a regular file, or a
// negative offset reads as an empty file. None of them throws.
#pragma once

#include "rules/FileReader.h"

// True when `text` begins with the first `length` bytes of `pattern`, or with
// the whole pattern when the pattern is shorter. A length of 0 or less, or an
// empty pattern, gives true. The text's terminator is compared like any byte.
bool CompareTexts(const char* text, const char* pattern, int length);

// Writes the decimal digits of a non-negative value and a terminator into
// `buffer`. Returns the number of digits, or -1 (nothing written) when digits
// and terminator do not fit in `size` bytes or the value is negative.
int IntToText(int value, char* buffer, int size);

// Replaces the first `mark` in `text` by the decimal digits of `value`,
// shifting what follows to the right within the touched range: `length` bytes,
// or the text's own length when `length` is 0. Characters pushed past the
// range are lost; the text keeps its terminator.
void InsertInt(int value, char* text, int length, char mark);

// Upper case for answer comparison: 27 lower/upper pairs of code page 850,
// then ASCII a-z. Every other byte is returned unchanged.
char ToUpperCase(char c);

// The integer at `position`, read as atoi reads at most 16 bytes, negated when
// the byte before `position` is '-'. Values beyond the int range are clamped.
// 0 when no digits stand there.
int GetInt(const char* fileName, int position, FileReading reading = FileReading::Bytes);

// A new zero-filled buffer of exactly `size` bytes (at least 1) holding the
// file's bytes from `position` up to, not including, the first `stop` that
// starts before index size - stopLength. The caller frees it with delete[].
char* GetToStop(const char* fileName, int position, const char* stop, int stopLength, int size,
                FileReading reading = FileReading::Bytes);

// Distance in bytes from `position` to the first occurrence of `stop`, or
// -1000000 when it does not occur before the end of the file.
int CountCharTo(const char* fileName, int position, const char* stop, int stopLength,
                int windowLength, FileReading reading = FileReading::Bytes);
