#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "rules/Windows1252.h"

TEST(Windows1252, NothingElseMapsIntoTheCodePage) {
    int mapped = 0;
    for (char32_t code = 0; code < 0x30000; ++code) {
        const int b = UnicodeToWindows1252(code);
        if (b < 0) continue;
        ++mapped;
        EXPECT_EQ(Windows1252ToUnicode(static_cast<unsigned char>(b)), code);
    }
    EXPECT_EQ(mapped, 256);
}

TEST(Windows1252, KnownCharacters) {
    const std::pair<unsigned char, char32_t> cases[] = {
        {0x41, U'A'},      {0x80, U'\u20AC'}, {0x8A, U'\u0160'}, {0x9F, U'\u0178'},
        {0xA4, U'\u00A4'}, {0xE4, U'\u00E4'}, {0x81, U'\u0081'}, {0x9D, U'\u009D'},
        {0x96, U'\u2013'}, {0xFF, U'\u00FF'},
    };
    for (const auto& [byte, code] : cases) {
        SCOPED_TRACE(static_cast<int>(byte));
        EXPECT_EQ(Windows1252ToUnicode(byte), code);
    }
    EXPECT_EQ(UnicodeToWindows1252(U'\u0394'), -1);      // Greek Delta
    EXPECT_EQ(UnicodeToWindows1252(U'\u0080'), -1);      // a C1 control the page redefines
    EXPECT_EQ(UnicodeToWindows1252(U'\U0001F600'), -1);  // an emoji
}

TEST(Windows1252, ToUtf8) {
    EXPECT_EQ(Windows1252ToUtf8("G\xE4vle \x80 \x8A \xA4Q"),
              "G\xC3\xA4vle \xE2\x82\xAC \xC5\xA0 \xC2\xA4Q");
    EXPECT_EQ(Windows1252ToUtf8(""), "");
    EXPECT_EQ(Windows1252ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Windows1252, FoldJoinsExactlyTheCasePairs) {
    std::vector<std::pair<int, int>> pairs;
    for (int c = 'A'; c <= 'Z'; ++c) pairs.emplace_back(c, c + 0x20);
    for (int c = 0xC0; c <= 0xDE; ++c) {
        if (c != 0xD7) pairs.emplace_back(c, c + 0x20);
    }
    pairs.insert(pairs.end(), {{0x8A, 0x9A}, {0x8C, 0x9C}, {0x8E, 0x9E}, {0x9F, 0xFF}});
    auto paired = [&](int a, int b) {
        for (auto [upper, lower] : pairs) {
            if ((a == upper && b == lower) || (a == lower && b == upper)) return true;
        }
        return false;
    };
    for (int a = 0; a < 256; ++a) {
        for (int b = a + 1; b < 256; ++b) {
            const bool same = FoldWindows1252Case(static_cast<unsigned char>(a)) ==
                              FoldWindows1252Case(static_cast<unsigned char>(b));
            if (same != paired(a, b)) ADD_FAILURE() << "bytes " << a << " and " << b;
        }
    }
}

TEST(Windows1252, FromUtf8AtTheEdgesOfTheEncoding) {
    struct Case {
        const char* what;
        std::string utf8;
        bool ok;
        std::string text;
    } cases[] = {
        {"ASCII", "abc", true, "abc"},
        {"two bytes, U+0080 is a control the page lacks", "\xC2\x80", false, ""},
        {"two bytes, the last of the page", "\xC3\xBF", true, "\xFF"},
        {"three bytes", "\xE2\x82\xAC", true, "\x80"},
        {"overlong two bytes", "\xC1\xBF", false, ""},
        {"overlong three bytes", "\xE0\x9F\xBF", false, ""},
        {"a surrogate", "\xED\xA0\x80", false, ""},
        {"past U+10FFFF", "\xF4\x90\x80\x80", false, ""},
        {"cut short", "a\xE2\x82", false, ""},
        {"a Windows-1252 letter", "G\xE4vle", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string out;
        EXPECT_EQ(Utf8ToWindows1252(c.utf8, out), c.ok);
        if (c.ok) {
            EXPECT_EQ(out, c.text);
        }
    }
    std::string out;
    EXPECT_TRUE(Utf8ToWindows1252("\xCE\xA9 \xF0\x9F\x98\x80 \xC3\xA9", out, '?'));
    EXPECT_EQ(out, "? ? \xE9");
}
