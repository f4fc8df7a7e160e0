// Windows-1252, the 8-bit code page of question and round files: each byte as
// a Unicode character and back, and the case pairs of its letters. The five
// bytes the code page leaves undefined stand for the C1 control of the same
// value, as Windows maps them, so every byte has a character.
#pragma once

#include <cstddef>
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

// The UTF-8 sequence at s[i] (i < n): its length and character, or, for an
// ill-formed one, minus the length of its maximal invalid part (at least 1):
// the lead byte and the continuation bytes that could still have belonged
// to a valid sequence. Overlong forms, surrogates and characters past
// U+10FFFF are ill-formed. An ASCII byte is no sequence here (-1): callers
// take those before they decode.
inline int DecodeUtf8(const unsigned char* s, std::size_t n, std::size_t i, char32_t& code) {
    const unsigned char b0 = s[i];
    int length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
        code = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        code = b0 & 0x0F;
        if (b0 == 0xE0) low = 0xA0;   // no overlong forms
        if (b0 == 0xED) high = 0x9F;  // no surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        code = b0 & 0x07;
        if (b0 == 0xF0) low = 0x90;   // no overlong forms
        if (b0 == 0xF4) high = 0x8F;  // nothing past U+10FFFF
    } else {
        return -1;
    }
    for (int k = 1; k < length; ++k) {
        if (i + k >= n) return -k;
        const unsigned char b = s[i + k];
        if (b < low || b > high) return -k;
        low = 0x80;
        high = 0xBF;
        code = (code << 6) | (b & 0x3F);
    }
    return length;
}

// The characters of `utf8` as Windows-1252 bytes, appended to `out`. False
// when `utf8` is not UTF-8 throughout, or holds a character the code page
// lacks while `missing` is '\0'; otherwise such a character becomes `missing`.
bool Utf8ToWindows1252(std::string_view utf8, std::string& out, char missing = '\0');
