// Windows-1252, the 8-bit code page of question and round files: each byte as
// a Unicode character and back, and the case pairs of its letters. The five
// bytes the code page leaves undefined stand for the C1 control of the same
// value, as Windows maps them, so every byte has a character.
#pragma once

#include <string>
#include <string_view>

// The Unicode character of a byte.
char32_t Windows1252ToUnicode(unsigned char byte);

// The byte of a Unicode character, or -1 when the code page has none.
int UnicodeToWindows1252(char32_t code);

// The text in UTF-8.
std::string Windows1252ToUtf8(std::string_view bytes);

// The lower-case partner of a letter: A-Z, À-Þ (but not ×), Š, Œ, Ž and Ÿ
// give a-z, à-þ, š, œ, ž and ÿ. Every other byte is returned unchanged, so
// no two different letters fold together.
unsigned char FoldWindows1252Case(unsigned char byte);
