#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "rules/TextUtils.h"
#include "tests/support/TempDir.h"

namespace {
constexpr int kNotFound = -1000000;
}

TEST(CompareTexts, PrefixSemantics) {
    struct Case {
        const char* text;
        const char* pattern;
        int length;
        bool expected;
    };
    const Case cases[] = {
        {"abc", "ab", 5, true},   {"ab", "abc", 5, false}, {"xyz", "abc", 0, true},
        {"xyz", "abc", -3, true}, {"xyz", "", 5, true},    {"abd", "abc", 2, true},
        {"abd", "abc", 3, false}, {"", "a", 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.pattern + " / " + std::to_string(c.length));
        EXPECT_EQ(CompareTexts(c.text, c.pattern, c.length), c.expected);
    }
}

TEST(IntToText, WritesDigitsOrRefuses) {
    char buffer[12];
    EXPECT_EQ(IntToText(0, buffer, 12), 1);
    EXPECT_STREQ(buffer, "0");
    EXPECT_EQ(IntToText(INT_MAX, buffer, 12), 10);
    EXPECT_STREQ(buffer, "2147483647");

    char small[5] = {'x', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(IntToText(12345, small, 5), -1);
    EXPECT_EQ(std::string(small, 5), "xxxxx");
    EXPECT_EQ(IntToText(1234, small, 5), 4);
    EXPECT_STREQ(small, "1234");
    EXPECT_EQ(IntToText(-5, small, 5), -1);
}

TEST(InsertInt, ReplacesTheFirstMarkWithinTheText) {
    const std::string stored = "TIME#(AFTER'\244Q'())        ";
    ASSERT_EQ(stored.size(), 26u);
    struct Case {
        int value;
        std::string expected;
    };
    const Case cases[] = {
        {12, "TIME12(AFTER'\244Q'())       "},
        {7, "TIME7(AFTER'\244Q'())        "},
        {123456789, "TIME123456789(AFTER'\244Q'())"},
        // Ten digits push one closing bracket out of the text.
        {1234567890, "TIME1234567890(AFTER'\244Q'()"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        std::vector<char> text(stored.begin(), stored.end());
        text.push_back('\0');
        text.push_back('Z');  // a byte beyond the terminator must stay untouched
        InsertInt(c.value, text.data(), 0, '#');
        EXPECT_EQ(std::string(text.data()), c.expected);
        EXPECT_EQ(text[26], '\0');
        EXPECT_EQ(text[27], 'Z');
    }

    char plain[] = "AFTER'x'()";
    InsertInt(42, plain, 0, '#');
    EXPECT_STREQ(plain, "AFTER'x'()");

    char twoMarks[] = "a#b#c   ";
    InsertInt(99, twoMarks, 0, '#');
    EXPECT_STREQ(twoMarks, "a99b#c  ");

    // An explicit length bounds the bytes touched.
    char bounded[] = "##xyz";
    InsertInt(4567, bounded, 3, '#');
    EXPECT_STREQ(bounded, "456yz");
}

TEST(ToUpperCase, FoldsAsciiAndTheCodePage850Pairs) {
    EXPECT_EQ(ToUpperCase('a'), 'A');
    EXPECT_EQ(ToUpperCase('z'), 'Z');
    EXPECT_EQ(ToUpperCase('A'), 'A');
    EXPECT_EQ(ToUpperCase('1'), '1');
    EXPECT_EQ(ToUpperCase('\206'), '\217');  // 0x86 -> 0x8F
    EXPECT_EQ(ToUpperCase('\244'), '\245');  // 0xA4 -> 0xA5
    EXPECT_EQ(ToUpperCase('\354'), '\355');  // 0xEC -> 0xED
    EXPECT_EQ(ToUpperCase('\345'), '\345');  // Windows-1252 a-ring stays
    EXPECT_EQ(ToUpperCase('\320'), '\320');  // 0xD0 is not in the table
    int changed = 0;
    for (int c = 0; c < 256; ++c) {
        if (ToUpperCase(static_cast<char>(c)) != static_cast<char>(c)) ++changed;
    }
    EXPECT_EQ(changed, 26 + 27);
}

TEST(GetInt, ReadsSignedNumbersAtAnOffset) {
    TempDir dir;
    std::string zr = dir.Write("zr.txt", "zr-30 ");
    EXPECT_EQ(GetInt(zr.c_str(), 3), -30);  // the digit: the minus before it counts
    EXPECT_EQ(GetInt(zr.c_str(), 2), -30);  // the sign: read by the conversion itself
    EXPECT_EQ(GetInt(zr.c_str(), 0), 0);
    std::string twelve = dir.Write("12.txt", "12 and more");
    EXPECT_EQ(GetInt(twelve.c_str(), 0), 12);
    std::string spaced = dir.Write("spaced.txt", "x:   \r\n 77z");
    EXPECT_EQ(GetInt(spaced.c_str(), 2), 77);
    // Sixteen bytes are read: digits beyond them do not count.
    std::string longer = dir.Write("long.txt", "              1234");
    EXPECT_EQ(GetInt(longer.c_str(), 0), 12);
    std::string huge = dir.Write("huge.txt", "a99999999999999999999 -99999999999999999999");
    EXPECT_EQ(GetInt(huge.c_str(), 1), INT_MAX);
    EXPECT_EQ(GetInt(huge.c_str(), 23), INT_MIN);
    EXPECT_EQ(GetInt(huge.c_str(), 22), INT_MIN);
    EXPECT_EQ(GetInt(huge.c_str(), 1000), 0);
    EXPECT_EQ(GetInt(huge.c_str(), -1), 0);
    EXPECT_EQ(GetInt(dir.File("missing").c_str(), 0), 0);
}

TEST(GetToStop, CutsAtTheStopText) {
    TempDir dir;
    std::string file = dir.Write("q.txt", "\244P \"abc.bmp\" \244A");
    // Just after the opening quote of a seven-letter name, size CountCharTo + 2.
    int count = CountCharTo(file.c_str(), 4, "\"", 1, 32);
    ASSERT_EQ(count, 7);
    std::unique_ptr<char[]> text(GetToStop(file.c_str(), 4, "\"", 1, count + 2));
    EXPECT_EQ(std::string(text.get(), 9), std::string("abc.bmp\0\0", 9));

    std::unique_ptr<char[]> past(GetToStop(file.c_str(), 100, "\"", 1, 6));
    EXPECT_EQ(std::string(past.get(), 6), std::string(6, '\0'));
    std::unique_ptr<char[]> missing(GetToStop(dir.File("none").c_str(), 0, "\"", 1, 4));
    EXPECT_EQ(std::string(missing.get(), 4), std::string(4, '\0'));
    std::unique_ptr<char[]> empty(GetToStop(file.c_str(), 0, "\"", 1, 0));
    EXPECT_EQ(empty[0], '\0');
    // Without a stop in range the text is still terminated.
    std::unique_ptr<char[]> noStop(GetToStop(file.c_str(), 5, "#", 1, 4));
    EXPECT_EQ(std::string(noStop.get()), "bc.");
}

TEST(CountCharTo, DistanceToTheStopText) {
    TempDir dir;
    std::string file = dir.Write("c.txt", std::string("ab\"cd\0ef\"g", 10));
    struct Case {
        int position;
        const char* stop;
        int length;
        int expected;
    };
    const Case cases[] = {
        {0, "\"", 1, 2},          {2, "\"", 1, 0},
        {3, "\"", 1, 5},  // a zero byte does not stop the count
        {9, "\"", 1, kNotFound},  {0, "g", 1, 9},
        {0, "cd", 2, 3},          {0, "zz", 2, kNotFound},
        {0, "\"", 0, 0},          {-1, "\"", 1, kNotFound},
        {50, "\"", 1, kNotFound},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.stop) + " from " + std::to_string(c.position));
        EXPECT_EQ(CountCharTo(file.c_str(), c.position, c.stop, c.length, 32), c.expected);
    }
    EXPECT_EQ(CountCharTo(dir.File("missing").c_str(), 0, "\"", 1, 32), kNotFound);

    // A stop text across the reader's internal block boundary is found.
    std::string big(200000, 'x');
    big[65535] = 'A';
    big[65536] = 'B';
    std::string bigFile = dir.Write("big.txt", big);
    EXPECT_EQ(CountCharTo(bigFile.c_str(), 10, "AB", 2, 32), 65525);
}

TEST(FileReaders, NonRegularFilesReadAsEmpty) {
    TempDir dir;
    const std::string folder = dir.Path().string();
    for (const std::string& name :
         {folder, std::string("/dev/zero"), std::string("/dev/urandom"), std::string("")}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(GetInt(name.c_str(), 0), 0);
        EXPECT_EQ(CountCharTo(name.c_str(), 0, "\"", 1, 32), kNotFound);
        std::unique_ptr<char[]> text(GetToStop(name.c_str(), 0, "\"", 1, 8));
        EXPECT_EQ(std::string(text.get(), 8), std::string(8, '\0'));
    }
    EXPECT_EQ(GetInt(nullptr, 0), 0);
}
