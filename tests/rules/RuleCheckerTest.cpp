#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "rules/RuleChecker.h"
#include "rules/TextUtils.h"
#include "tests/support/TempDir.h"

namespace {

// The 56-byte sample: tags at 0, 8, 22, 25, 33, 44, 54; quotes at 11, 13, 15,
// 20, 36, 42, 47, 52.
const std::string kSample =
    "\244Q Sum? \244A \"4\" \"four\" \244E \244Q Map? \244P \"m.bmp\" \244A \"Oslo\" \244E";

// A stored rule with its mark replaced by `count`.
std::string WithCount(std::string rule, int count) {
    std::vector<char> buffer(rule.begin(), rule.end());
    buffer.push_back('\0');
    InsertInt(count, buffer.data(), 0, '#');
    return buffer.data();
}

struct SearchCase {
    std::string rule;
    int start;
    int window;
    int expected;
};

void RunCases(const std::string& file, const std::vector<SearchCase>& cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rule + " from " + std::to_string(c.start));
        EXPECT_EQ(FindPosition(c.rule.c_str(), file.c_str(), c.window, c.start, false), c.expected);
    }
}

}  // namespace

TEST(FindPosition, WorkedExamplesOnTheSampleText) {
    ASSERT_EQ(kSample.size(), 56u);
    TempDir dir;
    std::string file = dir.Write("sample.txt", kSample);
    const std::string qTag = "TIME#(AFTER'\244Q'())        ";
    const std::string nthQuote = "BEFORE'\244'(TIME#(BEFORE'\"'))        ";
    const std::string afterQuote = "TIME#(AFTER'\"'())        ";
    std::vector<SearchCase> cases = {
        {WithCount(qTag, 1), 0, 5, 2},
        {WithCount(qTag, 2), 0, 5, 27},
        {WithCount(qTag, 3), 0, 5, NO_POSITION},
        {"BEFORE'\244E'(AFTER'\244A'())", 0, 5, 10},
        {"BEFORE'\244E'(AFTER'\244A'())", 24, 5, 46},
        {"BEFORE'\244E'(AFTER'\244A'())", 11, 5, STOP_REACHED},
        {"BEFORE'\244E'(AFTER'\244P'())", 0, 5, STOP_REACHED},
        {"BEFORE'\244E'(AFTER'\244P'())", 24, 5, 35},
        {WithCount(nthQuote, 1), 10, 5, 11},
        {WithCount(nthQuote, 2), 10, 5, 13},
        {WithCount(nthQuote, 3), 10, 5, 15},
        {WithCount(nthQuote, 4), 10, 5, 20},
        {WithCount(nthQuote, 5), 10, 5, STOP_REACHED},
        {WithCount(nthQuote, 1), 0, 5, STOP_REACHED},
        {"BEFORE'\244A'(AFTER'\244P'(AFTER'\"'()))", 24, 5, 37},
        {"BEFORE'\244A'(AFTER'\244P'(AFTER'\"'()))", 0, 5, STOP_REACHED},
        {"AFTER'\244A'(BEFORE'\"'())", 0, 5, 11},
        {"AFTER'\244Q'(BEFORE'\244E'(AFTER'\244P'()))", 0, 5, STOP_REACHED},
        {"AFTER'\244Q'(BEFORE'\244E'(AFTER'\244P'()))", 24, 5, 35},
    };
    const int quoteEnds[] = {12, 14, 16, 21, 37, 43, 48, 53};
    for (int k = 1; k <= 8; ++k)
        cases.push_back({WithCount(afterQuote, k), 0, 5, quoteEnds[k - 1]});
    cases.push_back({WithCount(afterQuote, 9), 0, 5, NO_POSITION});
    RunCases(file, cases);
}

TEST(FindPosition, NumbersAndShortTexts) {
    TempDir dir;
    struct Case {
        std::string text;
        SearchCase search;
    };
    const std::vector<Case> cases = {
        {"qantal: 12", {"AFTER'qantal:'(BEFOREnum())  ", 0, 32, 8}},
        {"\244F cs zr-30 \244E", {"BEFORE'\244E'(BEFORE'\244'(AFTER'zr'(BEFOREnum())))", 2, 5, 9}},
        {"\244F cs zr3 \244E", {"BEFORE'\244E'(BEFORE'\244'(BEFORE'cs'()))", 2, 5, 3}},
        {"\244F zr3 \244E cs", {"BEFORE'\244E'(BEFORE'\244'(BEFORE'cs'()))", 2, 5, STOP_REACHED}},
        {"a12 34", {"TIME2(BEFOREnum())", 0, 5, 4}},
        {"a12 34 ", {"TIME2(AFTERnum())", 0, 5, 6}},
        {"ab", {"AFTER'ab'(AFTER'b'())", 0, 5, 2}},
        {"\244F darkred \244E", {"BEFORE'\244E'(BEFORE'\244'(BEFORE'red'()))", 2, 12, 7}},
        {"x 123", {"AFTERnum()", 0, 5, NO_POSITION}},
        {"abc xyz", {"AFTER'xyz'()", 0, 5, 7}},
        {"Stat: 4", {"AFTER'Stat:'(BEFOREnum())", 0, 5, 6}},
        {"abcdef", {"TIME#(AFTER'x'())", 3, 5, 3}},
        {std::string("ab\0cd", 5), {"AFTER'cd'()", 0, 5, NO_POSITION}},
        {"one two", {"TIME0(AFTER'o'())", 0, 5, NO_POSITION}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::string file = dir.Write("t.txt", c.text);
        RunCases(file, {c.search});
    }
}
