#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include "round/QuestionOrder.h"
#include "tests/round/RoundTestSupport.h"
#include "tests/support/TempDir.h"

namespace {

using round_test::Entries;
using round_test::QuestionFile;
using round_test::SetEntries;

// Letters A, B, C, ... stand for question numbers 1, 2, 3, ...
std::string Letters(const clQuestionOrder& round) {
    std::string s;
    for (int i = 0; i < round.qantal; ++i)
        s += static_cast<char>('A' + round.order[i].questionNo - 1);
    return s;
}

void SetLetters(clQuestionOrder& round, const std::string& letters) {
    std::vector<OrderEntry> entries;
    for (char c : letters) entries.push_back({c - 'A' + 1, 0});
    SetEntries(round, entries);
}

// The result of MoveQ as its three cases read, built by cutting and joining
// instead of walking the array.
std::vector<int> MovedByCases(std::vector<int> v, int from, int to) {
    const int c = static_cast<int>(v.size());
    if (to == -1) to = c - 1;
    if (from == to) return v;
    const int taken = v[from];
    if (to == 0 || from < to) {
        v.erase(v.begin() + from);
        v.insert(v.begin() + to, taken);
        return v;
    }
    std::vector<int> out(v.begin() + 1, v.begin() + to + 1);
    out.push_back(taken);
    out.insert(out.end(), v.begin() + to + 1, v.begin() + from);
    out.insert(out.end(), v.begin() + from + 1, v.end());
    out.push_back(v[0]);
    return out;
}

}  // namespace

TEST(MoveQ, ExamplesOnFiveEntries) {
    struct Case {
        int from, to;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {1, 3, "ACDBE"},
        {0, -1, "BCDEA"},
        {3, 0, "DABCE"},
        {3, 1, "BDCEA"},
        {2, 2, "ABCDE"},
        {4, -1, "ABCDE"},
        {4, 0, "EABCD"},
        {4, 1, "BECDA"},
        // Outside the order: nothing moves.
        {5, 0, "ABCDE"},
        {-1, 2, "ABCDE"},
        {0, 5, "ABCDE"},
        {0, -2, "ABCDE"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("MoveQ(" + std::to_string(c.from) + ", " + std::to_string(c.to) + ")");
        clQuestionOrder round;
        SetLetters(round, "ABCDE");
        round.MoveQ(c.from, c.to);
        EXPECT_EQ(Letters(round), c.expected);
    }
}

TEST(MoveQ, EveryMoveOnSmallRoundsFollowsTheThreeCases) {
    for (int c = 1; c <= 7; ++c) {
        for (int from = 0; from < c; ++from) {
            for (int to = -1; to < c; ++to) {
                SCOPED_TRACE(std::to_string(c) + " entries, MoveQ(" + std::to_string(from) + ", " +
                             std::to_string(to) + ")");
                std::vector<int> numbers(static_cast<std::size_t>(c));
                std::iota(numbers.begin(), numbers.end(), 1);
                std::vector<OrderEntry> entries;
                for (int n : numbers) entries.push_back({n, n % 3});
                clQuestionOrder round;
                SetEntries(round, entries);
                round.MoveQ(from, to);
                std::vector<int> got;
                for (const auto& e : Entries(round)) {
                    got.push_back(e.questionNo);
                    EXPECT_EQ(e.stat, e.questionNo % 3);  // entries move whole
                }
                EXPECT_EQ(got, MovedByCases(numbers, from, to));
            }
        }
    }
}

TEST(MoveQForReask, StopsBeforeTheAnsweredTail) {
    struct Case {
        const char* name;
        int size;
        int answeredFrom;  // positions from here on have status 1
        int expected;
    };
    const std::vector<Case> cases = {
        {"20 entries, none answered", 20, 20, 13},
        {"20 entries, 10..19 answered", 20, 10, 9},
        {"5 entries, none answered", 5, 5, 4},
        {"only the head unanswered", 5, 1, 0},
        {"one entry", 1, 1, 0},
        {"tail starts right after the distance", 20, 14, 13},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<OrderEntry> entries;
        for (int i = 0; i < c.size; ++i) entries.push_back({i + 1, i >= c.answeredFrom ? 1 : 0});
        entries[0].stat = 2;
        clQuestionOrder round;
        SetEntries(round, entries);
        EXPECT_EQ(round.MoveQForReask(13), c.expected);
        auto got = Entries(round);
        EXPECT_EQ(got[static_cast<std::size_t>(c.expected)].questionNo, 1);
        EXPECT_EQ(got[static_cast<std::size_t>(c.expected)].stat, 2);
        for (int i = 0; i < c.size; ++i) {
            if (i == c.expected) continue;
            int from = i < c.expected ? i + 1 : i;  // the others keep their order
            EXPECT_EQ(got[static_cast<std::size_t>(i)].questionNo, from + 1) << "position " << i;
        }
    }
}

TEST(QuestionOrder, AccessorsOutsideTheOrder) {
    clQuestionOrder empty;
    EXPECT_EQ(empty.ReturnQuestionNo(0), -1);
    EXPECT_EQ(empty.ReturnQuestionStat(0), -1);
    EXPECT_EQ(empty.SetQuestionStat(0, 1), 0);
    EXPECT_EQ(empty.MoveQForReask(13), -1);
    EXPECT_EQ(empty.ReturnQFile(), nullptr);

    clQuestionOrder round;
    SetEntries(round, {{7, 0}, {8, 2}});
    EXPECT_EQ(round.SetQuestionStat(2, 1), 0);
    EXPECT_EQ(round.SetQuestionStat(-1, 1), 0);
    EXPECT_EQ(round.ReturnQuestionNo(2), -1);
    EXPECT_EQ(round.ReturnQuestionStat(-1), -1);
    EXPECT_EQ(round.SetQuestionStat(1, 1), 1);
    EXPECT_EQ(round.ReturnQuestionStat(1), 1);
    EXPECT_EQ(round.ReturnQuestionNo(1), 8);
    EXPECT_EQ(Entries(round)[0].stat, 0);
}

TEST(LoadQuestionFile, CountsTheQuestionTags) {
    TempDir dir;
    struct Case {
        const char* name;
        std::string content;
        int result;
        int count;
    };
    const std::vector<Case> cases = {
        {"three questions", QuestionFile(3), 1, 3},
        {"no tag", "just text \244A \"x\" \244E", 0, 0},
        {"empty", "", 0, 0},
        {"tag at the very end", "\244Q a \244Q b \244Q", 1, 3},
        {"tag byte twice", "\244\244Q \244\244\244Q", 1, 2},
        {"zero byte ends the text", std::string("\244Q a \244Q", 7) + std::string("\0\244Q", 3), 1,
         2},
        {"tag split by a zero", std::string("\244Q \244\0Q", 6), 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string file = dir.Write("q.txt", c.content);
        clQuestionOrder round;
        EXPECT_EQ(round.LoadQuestionFile(file.c_str()), c.result);
        EXPECT_EQ(round.qantal, c.count);
        EXPECT_STREQ(round.ReturnQFile(), file.c_str());
        if (c.count == 0) {
            EXPECT_EQ(round.order, nullptr);
            EXPECT_EQ(round.ReturnQuestionNo(0), -1);
        }
        for (int i = 0; i < c.count; ++i) {
            EXPECT_EQ(round.ReturnQuestionNo(i), i + 1);
            EXPECT_EQ(round.ReturnQuestionStat(i), 0);
        }
    }
}

TEST(LoadQuestionFile, NullNameRecountsAndKeepsBothNames) {
    TempDir dir;
    std::string qf = dir.Write("q.txt", QuestionFile(2));
    std::string rf = dir.File("r.qfr");
    clQuestionOrder round;
    ASSERT_EQ(round.LoadQuestionFile(qf.c_str()), 1);
    round.SetQuestionStat(0, 1);
    ASSERT_EQ(round.SaveRoundFile(rf.c_str()), 1);

    dir.Write("q.txt", QuestionFile(4));
    EXPECT_EQ(round.LoadQuestionFile(nullptr), 1);
    EXPECT_EQ(round.qantal, 4);
    EXPECT_EQ(round.ReturnQuestionStat(0), 0);
    EXPECT_STREQ(round.qfile, qf.c_str());
    EXPECT_STREQ(round.sfile, rf.c_str());

    // Its own name given back, and a new name that forgets the round file.
    EXPECT_EQ(round.LoadQuestionFile(round.ReturnQFile()), 1);
    EXPECT_STREQ(round.qfile, qf.c_str());
    EXPECT_EQ(round.sfile, nullptr);

    clQuestionOrder fresh;
    EXPECT_EQ(fresh.LoadQuestionFile(nullptr), 0);
    EXPECT_EQ(fresh.LoadQuestionFile(dir.File("missing.txt").c_str()), 0);
    EXPECT_EQ(fresh.LoadQuestionFile(dir.Path().string().c_str()), 0);  // a folder
    EXPECT_EQ(fresh.qantal, 0);
}

TEST(ShuffelQuestions, EqualSeedsGiveEqualPermutations) {
    TempDir dir;
    std::string qf = dir.Write("q.txt", QuestionFile(30));
    for (int seed : {0, 1, 12345, -7, 2147483647}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        clQuestionOrder a, b;
        a.LoadQuestionFile(qf.c_str());
        b.LoadQuestionFile(qf.c_str());
        EXPECT_EQ(a.ShuffelQuestions(seed), 1);
        b.ShuffelQuestions(seed);
        auto ea = Entries(a), eb = Entries(b);
        std::vector<int> numbers;
        for (std::size_t i = 0; i < ea.size(); ++i) {
            EXPECT_EQ(ea[i].questionNo, eb[i].questionNo);
            EXPECT_EQ(ea[i].stat, 0);
            numbers.push_back(ea[i].questionNo);
        }
        std::sort(numbers.begin(), numbers.end());
        std::vector<int> all(30);
        std::iota(all.begin(), all.end(), 1);
        EXPECT_EQ(numbers, all);
    }
    clQuestionOrder one, none;
    SetEntries(one, {{5, 2}});
    EXPECT_EQ(one.ShuffelQuestions(99), 1);
    EXPECT_EQ(one.ReturnQuestionNo(0), 5);
    EXPECT_EQ(none.ShuffelQuestions(99), 1);
    EXPECT_EQ(none.qantal, 0);
}

// Every order of the questions is equally likely: over many seeds each
// question's mean place is the middle of the round, and the file's first
// questions keep their file order about as often as chance allows (1 in 5!).
TEST(ShuffelQuestions, IsEven) {
    constexpr int kQuestions = 20;
    constexpr int kSeeds = 6000;
    std::vector<double> placeSum(kQuestions + 1, 0.0);
    int firstFiveInOrder = 0;
    for (int seed = 0; seed < kSeeds; ++seed) {
        clQuestionOrder round;
        std::vector<OrderEntry> entries;
        for (int no = 1; no <= kQuestions; ++no) entries.push_back({no, 0});
        SetEntries(round, entries);
        round.ShuffelQuestions(seed);
        std::vector<int> place(kQuestions + 1, -1);
        for (int p = 0; p < kQuestions; ++p) place[round.ReturnQuestionNo(p)] = p;
        for (int no = 1; no <= kQuestions; ++no) placeSum[no] += place[no];
        bool inOrder = true;
        for (int no = 1; no < 5; ++no) inOrder = inOrder && place[no] < place[no + 1];
        if (inOrder) ++firstFiveInOrder;
    }
    for (int no = 1; no <= kQuestions; ++no) {
        SCOPED_TRACE("question " + std::to_string(no));
        EXPECT_NEAR(placeSum[no] / kSeeds, 9.5, 0.5);
    }
    EXPECT_LT(firstFiveInOrder, kSeeds * 2 / 100);
}

// One seed's order, so that a change of generator or of the way positions
// are drawn is noticed: round files made by tests and bug reports name orders.
TEST(ShuffelQuestions, KeepsTheOrderOfAKnownSeed) {
    clQuestionOrder round;
    SetLetters(round, "ABCDEFGHIJ");
    round.order[3].stat = 2;
    round.ShuffelQuestions(20261210);
    EXPECT_EQ(Letters(round), "FEAHBGCDIJ");
    // A status travels with its question.
    for (int p = 0; p < round.qantal; ++p)
        EXPECT_EQ(round.ReturnQuestionStat(p), round.ReturnQuestionNo(p) == 4 ? 2 : 0);
}

TEST(DisplayAllQInConsole, ListsTheQuestionsInRoundOrder) {
    TempDir dir;
    std::string qf = dir.Write("q.txt", QuestionFile(3));
    clQuestionOrder round;
    round.LoadQuestionFile(qf.c_str());
    round.MoveQ(0, -1);  // 2 3 1
    testing::internal::CaptureStdout();
    round.DisplayAllQInConsole();
    std::string out = testing::internal::GetCapturedStdout();
    std::size_t q2 = out.find("Question 2?"), q3 = out.find("Question 3?"),
                q1 = out.find("Question 1?");
    ASSERT_NE(q1, std::string::npos);
    EXPECT_LT(q2, q3);
    EXPECT_LT(q3, q1);
    EXPECT_EQ(out.back(), '\n');

    clQuestionOrder empty;
    testing::internal::CaptureStdout();
    empty.DisplayAllQInConsole();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}
