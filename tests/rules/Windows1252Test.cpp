#include <gtest/gtest.h>

#include <string>
#include <utility>

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
