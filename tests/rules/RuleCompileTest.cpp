#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "rules/RuleChecker.h"
#include "tests/support/TempDir.h"

namespace {

// One compiled construct, flattened for comparison.
struct Construct {
    int type;
    int value;
    std::string text;  // "" when the object has no text
    bool operator==(const Construct&) const = default;
};

std::vector<Construct> Compile(const std::string& rule, int window) {
    char buffer[128] = {};
    std::strncpy(buffer, rule.c_str(), 127);
    std::vector<char> win(static_cast<std::size_t>(window) + 1);
    clRuleChecker chain(buffer, win.data(), window);
    std::vector<Construct> out;
    for (const clRuleChecker* c = &chain; c; c = c->RC) {
        std::string text;
        if (c->text && c->type == 1) {
            text = std::string(c->text, static_cast<std::size_t>(c->value)) + "|" +
                   (c->text + c->value);
        } else if (c->text) {
            text = c->text;
        }
        out.push_back({c->type, c->value, text});
    }
    return out;
}

void PrintTo(const Construct& c, std::ostream* os) {
    *os << "{" << c.type << ", " << c.value << ", \"" << c.text << "\"}";
}

}  // namespace

TEST(ReadRules, CompilesEveryConstruct) {
    struct Case {
        std::string rule;
        int window;
        std::vector<Construct> expected;
    };
    const std::vector<Case> cases = {
        {"BEFORE'\244E'(AFTER'\244A'())", 5, {{4, 2, "\244E"}, {2, 2, "\244A"}}},
        {"BEFORE'\244E'(BEFORE'\244'(AFTER'zr'(BEFOREnum())))",
         5,
         {{4, 2, "\244E"}, {4, 1, "\244"}, {2, 2, "zr"}, {4, -100, "num"}}},
        {"TIME3(AFTER'\244Q'())", 5, {{3, 3, ""}, {2, 2, "\244Q"}}},
        {"TIME12(AFTER'\244Q'())        ", 5, {{3, 12, ""}, {2, 2, "\244Q"}}},
        // A literal followed by two closing brackets is a leaf.
        {"BEFORE'\244'(TIME4(BEFORE'\"'))", 5, {{4, 1, "\244"}, {3, 4, ""}, {4, 1, "\""}}},
        // One opening bracket fewer compiles like the balanced form.
        {"BEFORE'\244E'(AFTER'\244Z'(AFTER'\"')))",
         5,
         {{4, 2, "\244E"}, {2, 2, "\244Z"}, {2, 1, "\""}}},
        {"AFTER'x'", 5, {{2, 1, "x"}}},
        {"AFTER'x'()", 5, {{2, 1, "x"}}},
        {"AFTERnum()", 5, {{2, -100, "num"}}},
        {"BEFOREnum()  ", 5, {{4, -100, "num"}}},
        {"AFT/BEF'ab''c'(AFTER'd'())", 5, {{1, 2, "ab|c"}, {2, 1, "d"}}},
        // Whatever character follows a literal is skipped, bracket or not.
        {"AFTER'a'xAFTER'b'", 5, {{2, 1, "a"}, {2, 1, "b"}}},
        {"AFTER'a'(nonsense", 5, {{2, 1, "a"}}},
        {"nothing at all", 5, {{0, 0, ""}}},
        {"", 5, {{0, 0, ""}}},
        {"TIME#(AFTER'\244Q'())", 5, {{3, 0, ""}}},
        {"TIME99999999999(AFTER'x'())", 5, {{3, INT_MAX, ""}, {2, 1, "x"}}},
        // Malformed rules compile into constructs that never report.
        {"AFTER'unclosed", 5, {{0, 0, ""}}},
        {"BEFOREx", 5, {{0, 0, ""}}},
        {"AFT/BEF'x'y'", 5, {{0, 0, ""}}},
        {"TIME2(AFTER'open", 5, {{3, 2, ""}, {0, 0, ""}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rule);
        EXPECT_EQ(Compile(c.rule, c.window), c.expected);
    }
}

TEST(ReadRules, ReportsATimeWithoutCount) {
    char rule[] = "TIME(AFTER'x'())";
    char window[6] = {};
    clRuleChecker checker;
    EXPECT_EQ(checker.SetRuleChecker(rule, window, 5), 0);
    EXPECT_EQ(checker.type, 3);
    EXPECT_EQ(checker.RC, nullptr);
    char good[] = "TIME2(AFTER'x'())";
    clRuleChecker other;
    EXPECT_EQ(other.SetRuleChecker(good, window, 5), 1);
}

TEST(ReadRules, ResetArmsBeforeInStateTwo) {
    char rule[] = "TIME2(BEFORE'a'(AFTER'b'()))";
    char window[6] = {};
    clRuleChecker chain(rule, window, 5);
    chain.nextstat = 1;
    chain.RC->RC->nextstat = 1;
    chain.Reset();
    EXPECT_EQ(chain.nextstat, 0);
    EXPECT_EQ(chain.RC->nextstat, 2);
    EXPECT_EQ(chain.RC->RC->nextstat, 0);
}

TEST(DisplayObject, ListsTheChain) {
    char rule[] = "BEFORE'\244E'(AFTER'\244A'())";
    char window[6] = {};
    clRuleChecker chain(rule, window, 5);
    testing::internal::CaptureStdout();
    chain.DisplayObject();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "\nvalue = 2\ntype = 4\nbufsize = 5\nnextstat = 0\ntext = \244E"
              "\nRC = \n"
              "\nvalue = 2\ntype = 2\nbufsize = 5\nnextstat = 0\ntext = \244A");

    char time[] = "TIME3(AFTER'x'())";
    clRuleChecker timeChain(time, window, 5);
    testing::internal::CaptureStdout();
    timeChain.DisplayObject();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "\nvalue = 3\ntype = 3\nbufsize = 5\nnextstat = 0"
              "\nRC = \n"
              "\nvalue = 1\ntype = 2\nbufsize = 5\nnextstat = 0\ntext = x");
}

TEST(FindPosition, ShowsTheChainAndKeepsTheCallersRule) {
    TempDir dir;
    std::string file = dir.Write("f.txt", "xxab");
    const char rule[] = "AFTER'ab'()";
    testing::internal::CaptureStdout();
    EXPECT_EQ(FindPosition(rule, file.c_str(), 5, 0, true), 4);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "\nvalue = 2\ntype = 2\nbufsize = 5\nnextstat = 0\ntext = ab");
    EXPECT_STREQ(rule, "AFTER'ab'()");
}

TEST(FindPosition, BadInputsGiveHarmlessResults) {
    TempDir dir;
    std::string file = dir.Write("f.txt", "abc \244Q def \"x\" 12");
    const std::string longRule = "AFTER'" + std::string(200, 'a') + "'()";
    struct Case {
        std::string name;
        std::string rule;
        std::string file;
        int window;
        int start;
        int expected;
    };
    const std::vector<Case> cases = {
        {"missing file", "AFTER'a'()", dir.File("nope"), 5, 0, NO_POSITION},
        {"folder", "AFTER'a'()", dir.Path().string(), 5, 0, NO_POSITION},
        {"device", "AFTER'a'()", "/dev/zero", 5, 0, NO_POSITION},
        {"random device", "AFTER'a'()", "/dev/urandom", 5, 0, NO_POSITION},
        {"negative start", "AFTER'a'()", file, 5, -4, NO_POSITION},
        {"start past the end", "TIME#(AFTER'a'())", file, 5, 1000, NO_POSITION},
        {"zero window", "AFTER'a'()", file, 0, 0, NO_POSITION},
        {"negative window", "AFTER'a'()", file, -7, 0, NO_POSITION},
        {"literal longer than the window", "AFTER'abc'()", file, 2, 0, NO_POSITION},
        {"literal as long as the window", "AFTER'abc'()", file, 3, 0, 3},
        {"huge window", "AFTER'def'()", file, INT_MAX, 0, 10},
        {"rule longer than 127 characters", longRule, file, 5, 0, NO_POSITION},
        {"unclosed literal", "AFTER'abc", file, 5, 0, NO_POSITION},
        {"neither quote nor num", "AFTERabc()", file, 5, 0, NO_POSITION},
        {"AFT/BEF without two literals", "AFT/BEF'a'()", file, 5, 0, NO_POSITION},
        {"AFT/BEF", "AFT/BEF'a''\"'()", file, 5, 0, 11},
        {"TIME without count", "TIME#(AFTER'a'())", file, 5, 2, 2},
        {"empty literal", "AFTER''()", file, 5, 3, 3},
        {"empty rule", "", file, 5, 0, NO_POSITION},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FindPosition(c.rule.c_str(), c.file.c_str(), c.window, c.start, false),
                  c.expected);
    }
    EXPECT_EQ(FindPosition(nullptr, file.c_str(), 5, 0, false), NO_POSITION);
    EXPECT_EQ(FindPosition("AFTER'a'()", nullptr, 5, 0, false), NO_POSITION);
}

TEST(FindPosition, LiteralAtTheVeryEndAndAcrossBlocks) {
    TempDir dir;
    std::string text(300000, '.');
    text += "\244E";
    std::string file = dir.Write("end.txt", text);
    EXPECT_EQ(FindPosition("AFTER'\244E'()", file.c_str(), 5, 0, false), 300002);
    EXPECT_EQ(FindPosition("BEFORE'\244E'()", file.c_str(), 5, 299990, false), 300000);
    // A literal that straddles the reader's 64 KiB blocks.
    std::string straddle(65534, 'y');
    straddle += "\244Q tail";
    std::string file2 = dir.Write("straddle.txt", straddle);
    EXPECT_EQ(FindPosition("TIME1(AFTER'\244Q'())", file2.c_str(), 5, 0, false), 65536);
    // A zero byte ends the text, even far into the file.
    std::string zero(100000, 'z');
    zero[70000] = '\0';
    zero += "\244Q";
    std::string file3 = dir.Write("zero.txt", zero);
    EXPECT_EQ(FindPosition("AFTER'\244Q'()", file3.c_str(), 5, 0, false), NO_POSITION);
    EXPECT_EQ(FindPosition("AFTER'\244Q'()", file3.c_str(), 5, 70001, false), 100002);
}
