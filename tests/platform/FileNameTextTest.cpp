#include <gtest/gtest.h>

#include <string>

#include "platform/FileNameText.h"

TEST(FileNameAsText, LinuxNamesShowAsWindows1252) {
    struct Case {
        const char* what;
        const char* name;
        std::string text;
    } cases[] = {
        {"plain ASCII", "/home/anna/quiz.qfr", "/home/anna/quiz.qfr"},
        {"UTF-8 letters of the code page", "/home/Jos\xC3\xA9/\xC5\xA0ibenik \xE2\x82\xAC.qfr",
         "/home/Jos\xE9/\x8Aibenik \x80.qfr"},
        {"a character the code page lacks", "/tmp/\xCE\xA9mega/r.qfr", "/tmp/?mega/r.qfr"},
        {"Windows-1252 bytes stay", "/tmp/Jos\xE9/r.qfr", "/tmp/Jos\xE9/r.qfr"},
        {"empty", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(FileNameAsText(c.name), c.text);
    }
    EXPECT_EQ(FileNameAsText(nullptr), "");
}
