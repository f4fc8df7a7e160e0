// Checks the block-reading, position-skipping search against a reference
// that steps every position with a window that slides one byte at a time.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "rules/RuleChecker.h"
#include "tests/support/TempDir.h"

namespace {

// The literal search: a window of `windowSize` bytes refilled one byte per
// step, and every position handed to the chain.
int ReferenceFindPosition(const std::string& rule, const std::string& file, int windowSize,
                          int start) {
    char ruleCopy[128] = {};
    std::strncpy(ruleCopy, rule.c_str(), 127);
    std::vector<char> window(static_cast<std::size_t>(windowSize) + 1, '\0');
    clRuleChecker chain(ruleCopy, window.data(), windowSize);
    std::size_t next = static_cast<std::size_t>(start);
    bool eof = false;
    auto readByte = [&](char& out) {
        if (next >= file.size()) {
            eof = true;
            out = '\0';
            return;
        }
        out = file[next++];
    };
    for (int i = 0; i < windowSize; ++i) {
        readByte(window[static_cast<std::size_t>(i)]);
        if (eof) break;
    }
    long long p = start;
    while (window[0] != '\0') {
        int r = chain.CheckPosition();
        for (int i = 0; i + 1 < windowSize; ++i) {
            window[static_cast<std::size_t>(i)] = window[static_cast<std::size_t>(i) + 1];
            if (window[static_cast<std::size_t>(i)] == '\0') break;
        }
        if (!eof) readByte(window[static_cast<std::size_t>(windowSize) - 1]);
        if (windowSize == 1 && eof) window[0] = '\0';
        if (r != NO_POSITION) return r == STOP_REACHED ? STOP_REACHED : static_cast<int>(p + r);
        ++p;
    }
    return NO_POSITION;
}

class Generator {
public:
    explicit Generator(unsigned seed) : rng_(seed) {}

    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

    std::string Literal(int maxLength) {
        static const char kBytes[] = {'\244', 'Q', 'A', 'E', '"', '1', ' ', ':', 'a', '-'};
        int length = 1 + Pick(maxLength);
        std::string s;
        for (int i = 0; i < length; ++i) s += kBytes[Pick(sizeof kBytes)];
        return s;
    }

    std::string Construct() {
        switch (Pick(7)) {
            case 0:
                return "AFTER'" + Literal(3) + "'";
            case 1:
                return "AFTERnum";
            case 2:
                return "BEFORE'" + Literal(3) + "'";
            case 3:
                return "BEFOREnum";
            case 4:
                return "TIME" + std::to_string(Pick(5));
            case 5:
                return "AFT/BEF'" + Literal(2) + "''" + Literal(2) + "'";
            default:
                return "BEFORE'\244'";
        }
    }

    std::string Rule() {
        int depth = 1 + Pick(4);
        std::string rule;
        std::string closing;
        for (int i = 0; i < depth; ++i) {
            rule += Construct() + "(";
            closing += ")";
        }
        return rule + closing + (Pick(3) == 0 ? "        " : "");
    }

    std::string Text() {
        static const char kBytes[] = {'\244', '\244', 'Q', 'A', 'E', '"', '"',  '0', '1',
                                      '7',    '9',    '-', ' ', 'a', ':', '\n', '\0'};
        int length = Pick(120);
        std::string s;
        for (int i = 0; i < length; ++i) {
            char c = kBytes[Pick(sizeof kBytes)];
            if (c == '\0' && Pick(4) != 0) c = 'x';  // zero bytes, but not too many
            s += c;
        }
        return s;
    }

private:
    std::mt19937 rng_;
};

}  // namespace

TEST(FindPositionDifferential, MatchesTheSteppingReference) {
    TempDir dir;
    Generator gen(20261207);
    int compared = 0;
    int found = 0;
    for (int round = 0; round < 600; ++round) {
        std::string text = gen.Text();
        std::string file = dir.Write("t.txt", text);
        for (int r = 0; r < 12; ++r) {
            std::string rule = gen.Rule();
            int window = 5 + gen.Pick(28);
            if (gen.Pick(8) == 0) window = 1 + gen.Pick(4);
            for (int start :
                 {0, gen.Pick(static_cast<int>(text.size()) + 3), static_cast<int>(text.size())}) {
                int expected = ReferenceFindPosition(rule, text, window, start);
                int actual = FindPosition(rule.c_str(), file.c_str(), window, start, false);
                if (expected != actual) {
                    ADD_FAILURE() << "rule " << rule << " window " << window << " start " << start
                                  << " text size " << text.size() << ": expected " << expected
                                  << ", got " << actual;
                    return;
                }
                ++compared;
                if (expected >= 0) ++found;
            }
        }
    }
    // The generated cases must exercise real matches, not only failures.
    EXPECT_GT(found, compared / 10);
}

TEST(FindPositionDifferential, StoredRulesOnGeneratedQuestionFiles) {
    TempDir dir;
    Generator gen(7);
    const std::vector<std::pair<std::string, int>> rules = {
        {"TIME3(AFTER'\244Q'())", 5},
        {"BEFORE'\244E'(AFTER'\244A'())", 5},
        {"BEFORE'\244'(AFTER'\"'())", 5},
        {"BEFORE'\244A'(AFTER'\244P'(AFTER'\"'()))", 5},
        {"BEFORE'\244E'(AFTER'\244Z'(AFTER'\"')))", 5},
        {"BEFORE'\244'(TIME2(BEFORE'\"'))        ", 5},
        {"TIME5(AFTER'\"'())        ", 5},
        {"BEFORE'\244E'(BEFORE'\244'(AFTER'zr'(BEFOREnum())))", 5},
        {"BEFORE'\244E'(BEFORE'\244'(BEFORE'qzone'()))", 10},
        {"AFTER'qantal:'(BEFOREnum())  ", 32},
        {"AFTER'Stat:'(BEFOREnum())", 5},
        {"TIME2(AFTER'Q:'())", 32},
    };
    static const char* kPieces[] = {"\244Q", "\244A", "\244E",    "\244P", "\244Z", "\244F",
                                    "\"",    "zr",    "-",        "12",    " ",     "qzone",
                                    "Stat:", "Q:",    "qantal: ", "\r\n",  "x"};
    for (int round = 0; round < 400; ++round) {
        std::string text;
        int pieces = gen.Pick(60);
        for (int i = 0; i < pieces; ++i)
            text += kPieces[gen.Pick(sizeof kPieces / sizeof *kPieces)];
        std::string file = dir.Write("q.txt", text);
        for (const auto& [rule, window] : rules) {
            int start = gen.Pick(static_cast<int>(text.size()) + 1);
            SCOPED_TRACE(rule + " from " + std::to_string(start) + " on " + text);
            ASSERT_EQ(FindPosition(rule.c_str(), file.c_str(), window, start, false),
                      ReferenceFindPosition(rule, text, window, start));
        }
    }
}
