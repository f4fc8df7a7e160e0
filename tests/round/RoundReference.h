// The round's file reading done the slow, literal way, as the reference the
// one-pass readers are compared with: every question count is one rule search
// from the start of the file, every question line of a round file three
// searches and two number reads, each opening the file again.
#pragma once

#include <climits>
#include <string>
#include <vector>

#include "rules/RuleChecker.h"
#include "rules/TextUtils.h"
#include "tests/round/RoundTestSupport.h"

namespace round_test {

inline std::string RuleWithCount(const char* stored, int count) {
    std::vector<char> rule(stored, stored + std::char_traits<char>::length(stored) + 1);
    InsertInt(count, rule.data(), 0, '#');
    return rule.data();
}

// Searches for the n-th question tag for n = 1, 2, ... until one fails.
inline int LiteralCountQuestions(const char* questionFile) {
    if (!questionFile) return 0;
    int n = 1;
    while (FindPosition(RuleWithCount("TIME#(AFTER'\244Q'())        ", n).c_str(), questionFile, 32,
                        0, false) >= 0) {
        ++n;
    }
    return n - 1;
}

struct LoadedRound {
    int result = 0;
    bool hasQFile = false;
    std::string qfile;
    Pairs entries;
};

// A round file read step by step with rule searches. Question line j is the
// j-th "Q:" after the count; an entry that cannot be read empties the round.
inline LoadedRound LiteralLoadRound(const char* roundFile) {
    LoadedRound out;
    const int nameStart = FindPosition("AFTER'qfile: \"'()  ", roundFile, 32, 0, false);
    if (nameStart < 0) return out;
    const int nameLength = CountCharTo(roundFile, nameStart, "\"", 1, 32);
    if (nameLength < 0 || nameLength > INT_MAX - 2) return out;
    char* name = GetToStop(roundFile, nameStart, "\"", 1, nameLength + 2);
    out.hasQFile = true;
    out.qfile = name;
    delete[] name;

    const int countAt = FindPosition("AFTER'qantal:'(BEFOREnum())  ", roundFile, 32, 0, false);
    if (countAt < 0) return out;
    const int count = GetInt(roundFile, countAt);
    if (count < 0) return out;
    Pairs entries;
    for (int j = 1; j <= count; ++j) {
        // Ten spaces give the digits of any count room.
        const std::string rule = RuleWithCount("TIME#(AFTER'Q:'())          ", j);
        const int line = FindPosition(rule.c_str(), roundFile, 32, countAt, false);
        if (line < 0) return out;
        const int numberAt = FindPosition("BEFOREnum()  ", roundFile, 5, line, false);
        if (numberAt < 0) return out;
        const int statAt = FindPosition("AFTER'Stat:'(BEFOREnum())", roundFile, 5, line, false);
        if (statAt < 0) return out;
        entries.emplace_back(GetInt(roundFile, numberAt), GetInt(roundFile, statAt));
    }
    out.entries = entries;
    out.result = LiteralCountQuestions(out.qfile.c_str()) == count ? 1 : 0;
    return out;
}

}  // namespace round_test
