#include "rules/TextUtils.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cstring>
#include <vector>

namespace {

constexpr int kNotFound = -1000000;
constexpr int kIntScratch = 12;
constexpr int kGetIntBytes = 16;

// Lower/upper pairs of code page 850 that answer comparison folds.
constexpr unsigned char kCp850Pairs[][2] = {
    {0x81, 0x9A}, {0x82, 0x90}, {0x83, 0xB6}, {0x84, 0x8E}, {0x85, 0xB7}, {0x86, 0x8F},
    {0x87, 0x80}, {0x88, 0xD2}, {0x89, 0xD3}, {0x8A, 0xD4}, {0x8B, 0xD8}, {0x8C, 0xD7},
    {0x8D, 0xDE}, {0x91, 0x92}, {0x93, 0xE2}, {0x94, 0x99}, {0x95, 0xE3}, {0x96, 0xEA},
    {0x97, 0xEB}, {0x9B, 0x9D}, {0xA0, 0xB5}, {0xA1, 0xD6}, {0xA2, 0xE0}, {0xA3, 0xE9},
    {0xA4, 0xA5}, {0xC6, 0xC7}, {0xEC, 0xED},
};

std::array<unsigned char, 256> MakeUpperTable() {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c) {
        table[c] = static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    for (const auto& pair : kCp850Pairs) table[pair[0]] = pair[1];
    return table;
}

const std::array<unsigned char, 256> kUpper = MakeUpperTable();

int ClampToInt(long long v) {
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

// atoi over a terminated buffer, computed without overflow; the caller clamps.
long long ParseInt(const char* s) {
    while (*s == ' ' || (*s >= '\t' && *s <= '\r')) ++s;
    bool negative = false;
    if (*s == '+' || *s == '-') negative = *s++ == '-';
    long long v = 0;
    while (*s >= '0' && *s <= '9') {
        if (v < 10000000000LL) v = v * 10 + (*s - '0');
        ++s;
    }
    return negative ? -v : v;
}

// Number of bytes of `stop` that take part in a comparison: CompareTexts
// stops at the pattern's terminator.
int EffectiveLength(const char* stop, int stopLength) {
    if (!stop || stopLength <= 0) return 0;
    int n = 0;
    while (n < stopLength && stop[n] != '\0') ++n;
    return n;
}

}  // namespace

bool CompareTexts(const char* text, const char* pattern, int length) {
    for (int i = 0; i < length; ++i) {
        if (pattern[i] == '\0') return true;
        if (text[i] != pattern[i]) return false;
    }
    return true;
}

int IntToText(int value, char* buffer, int size) {
    if (value < 0 || !buffer) return -1;
    int digits = 1;
    for (int v = value / 10; v > 0; v /= 10) ++digits;
    if (digits >= size) return -1;
    buffer[digits] = '\0';
    int v = value;
    for (int i = digits - 1; i >= 0; --i) {
        buffer[i] = static_cast<char>('0' + v % 10);
        v /= 10;
    }
    return digits;
}

void InsertInt(int value, char* text, int length, char mark) {
    if (!text) return;
    char digits[kIntScratch];
    int n = IntToText(value, digits, kIntScratch);
    if (n < 0) return;
    int range = length > 0 ? length : static_cast<int>(std::strlen(text));
    int j = 0;
    while (j < range && text[j] != '\0' && text[j] != mark) ++j;
    if (j >= range || text[j] != mark) return;
    for (int k = range - 1; k >= j + n; --k) text[k] = text[k - (n - 1)];
    for (int d = 0; d < n && j + d < range; ++d) text[j + d] = digits[d];
}

char ToUpperCase(char c) { return static_cast<char>(kUpper[static_cast<unsigned char>(c)]); }

int GetInt(const char* fileName, int position, FileReading reading) {
    if (position < 0) return 0;
    TextSource f = OpenTextAt(fileName, position > 0 ? position - 1 : 0, reading);
    if (!f) return 0;
    long long offset = position > 0 ? position - 1 : 0;
    char before = '\0';
    if (position > 0 && f.Read(&before, 1, offset) != 1) return 0;
    char buffer[kGetIntBytes + 1] = {};
    f.Read(buffer, kGetIntBytes, offset);
    long long v = ParseInt(buffer);
    return ClampToInt(before == '-' ? -v : v);
}

char* GetToStop(const char* fileName, int position, const char* stop, int stopLength, int size,
                FileReading reading) {
    int n = size > 0 ? size : 1;
    char* buffer = new char[n]();
    if (size <= 0) return buffer;
    if (TextSource f = OpenTextAt(fileName, position, reading)) {
        long long offset = position;
        f.Read(buffer, static_cast<std::size_t>(size), offset);
    }
    if (stopLength <= 0 || !stop) {
        std::memset(buffer, 0, static_cast<std::size_t>(n));
        return buffer;
    }
    for (int i = 0; i < size - stopLength; ++i) {
        if (CompareTexts(buffer + i, stop, stopLength)) {
            std::memset(buffer + i, 0, static_cast<std::size_t>(size - i));
            break;
        }
    }
    buffer[size - 1] = '\0';
    return buffer;
}

int CountCharTo(const char* fileName, int position, const char* stop, int stopLength,
                int windowLength, FileReading reading) {
    TextSource f = OpenTextAt(fileName, position, reading);
    if (!f) return kNotFound;
    const int len = EffectiveLength(stop, stopLength);
    if (len == 0) return 0;
    if (len > windowLength) return kNotFound;

    // Blocks overlap by len - 1 bytes so that a stop text across a block
    // boundary is seen whole.
    // Most stops lie near: read a little first, more while the search goes on.
    constexpr std::size_t kLargestBlock = 1 << 16;
    std::size_t blockSize = 4096;
    std::vector<char> block(blockSize + static_cast<std::size_t>(len));
    long long offset = position;
    std::size_t kept = 0;
    long long blockStart = position;  // file offset of block[0]
    const char first = stop[0];
    for (;;) {
        std::size_t got = f.Read(block.data() + kept, blockSize, offset);
        std::size_t have = kept + got;
        if (have < static_cast<std::size_t>(len)) return kNotFound;
        const char* data = block.data();
        const char* last = data + have - len;  // last start that fits
        for (const char* p = data; p <= last;) {
            p = static_cast<const char*>(
                std::memchr(p, first, static_cast<std::size_t>(last - p + 1)));
            if (!p) break;
            if (std::memcmp(p, stop, static_cast<std::size_t>(len)) == 0) {
                long long d = blockStart + (p - data) - position;
                return d > INT_MAX ? kNotFound : static_cast<int>(d);
            }
            ++p;
        }
        if (got == 0) return kNotFound;
        kept = static_cast<std::size_t>(len - 1);
        std::memmove(block.data(), data + have - kept, kept);
        blockStart += static_cast<long long>(have - kept);
        if (blockSize < kLargestBlock) {
            blockSize = std::min(blockSize * 4, kLargestBlock);
            block.resize(blockSize + static_cast<std::size_t>(len));
        }
    }
}
