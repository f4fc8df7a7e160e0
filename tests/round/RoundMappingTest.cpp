// Rounds that survive edits to their question file: the alignment of saved
// and current fingerprints, the entries it gives, and the round file that
// carries the fingerprints, read by the program and by the literal rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "questions/Question.h"
#include "round/QuestionOrder.h"
#include "round/RoundMapping.h"
#include "tests/round/RoundReference.h"
#include "tests/round/RoundTestSupport.h"
#include "tests/support/TempDir.h"

namespace {

using round_test::AsPairs;
using round_test::Entries;
using round_test::Pairs;
using round_test::SetEntries;
using round_test::SetName;
using F = EntryFate;

// One block per text, answer "a" + text.
std::string Blocks(const std::vector<std::string>& texts) {
    std::string s;
    for (const std::string& t : texts)
        s += "\244Q \"" + t + "\"\r\n\244A \"a" + t + "\"\r\n\244E\r\n";
    return s;
}

std::vector<std::uint64_t> Ids(const std::string& letters) {
    std::vector<std::uint64_t> ids;
    for (char c : letters) ids.push_back(static_cast<unsigned char>(c));
    return ids;
}

}  // namespace

TEST(AlignFingerprints, EditsOfTheQuestionFile) {
    struct Case {
        const char* name;
        const char* saved;
        const char* current;
        std::vector<F> fate;
        std::vector<int> currentNo;
        std::vector<int> added;
    };
    const std::vector<Case> cases = {
        {"inserted at the top",
         "ABCD",
         "xABCD",
         {F::Moved, F::Moved, F::Moved, F::Moved},
         {2, 3, 4, 5},
         {1}},
        {"removed in the middle",
         "ABCDE",
         "ABDE",
         {F::Same, F::Same, F::Dropped, F::Moved, F::Moved},
         {1, 2, 0, 3, 4},
         {}},
        {"text corrected",
         "ABCD",
         "ABcD",
         {F::Same, F::Same, F::Changed, F::Same},
         {1, 2, 3, 4},
         {}},
        {"two blocks swapped",
         "ABCDEF",
         "ADEBCF",
         {F::Same, F::Moved, F::Moved, F::Moved, F::Moved, F::Same},
         {1, 4, 5, 2, 3, 6},
         {}},
        {"two questions swapped", "AB", "BA", {F::Moved, F::Moved}, {2, 1}, {}},
        // Equal blocks pair one to one, the first with the first.
        {"two identical blocks",
         "AXBX",
         "AXBX",
         {F::Same, F::Same, F::Same, F::Same},
         {1, 2, 3, 4},
         {}},
        {"one of two identical blocks removed",
         "XAX",
         "XA",
         {F::Same, F::Same, F::Dropped},
         {1, 2, 0},
         {}},
        {"identical block added", "XA", "XAX", {F::Same, F::Same}, {1, 2}, {3}},
        {"all new", "ABC", "xyz", {F::Changed, F::Changed, F::Changed}, {1, 2, 3}, {}},
        {"all new, four",
         "ABCD",
         "wxyz",
         {F::Dropped, F::Dropped, F::Dropped, F::Dropped},
         {0, 0, 0, 0},
         {1, 2, 3, 4}},
        // Three edited in place between two kept questions pair; four do not.
        {"three edited in place",
         "AbcdE",
         "AxyzE",
         {F::Same, F::Changed, F::Changed, F::Changed, F::Same},
         {1, 2, 3, 4, 5},
         {}},
        {"four edited in place",
         "AbcdeF",
         "AwxyzF",
         {F::Same, F::Dropped, F::Dropped, F::Dropped, F::Dropped, F::Same},
         {1, 0, 0, 0, 0, 6},
         {2, 3, 4, 5}},
        {"unequal stretch", "AbC", "AxyC", {F::Same, F::Dropped, F::Moved}, {1, 0, 4}, {2, 3}},
        {"edit beside an insertion",
         "ABC",
         "AxBc",
         {F::Same, F::Moved, F::Changed},
         {1, 3, 4},
         {2}},
        {"empty file now", "AB", "", {F::Dropped, F::Dropped}, {0, 0}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RoundMapping m = AlignFingerprints(Ids(c.saved), Ids(c.current));
        EXPECT_EQ(m.fate, c.fate);
        EXPECT_EQ(m.currentNo, c.currentNo);
        EXPECT_EQ(m.added, c.added);
        // Every current question is taken exactly once.
        std::multiset<int> taken(m.added.begin(), m.added.end());
        for (int n : m.currentNo) {
            if (n > 0) taken.insert(n);
        }
        std::multiset<int> all;
        for (int n = 1; n <= static_cast<int>(std::string(c.current).size()); ++n) all.insert(n);
        EXPECT_EQ(taken, all);
    }
}

TEST(AlignFingerprints, ShiftedFileOfManyQuestionsPairsEveryOne) {
    std::vector<std::uint64_t> saved;
    for (std::uint64_t i = 0; i < 5000; ++i) saved.push_back(i * 2654435761u + 7);
    std::vector<std::uint64_t> current = saved;
    std::reverse(current.begin(), current.end());  // every question moved
    const RoundMapping m = AlignFingerprints(saved, current);
    EXPECT_TRUE(m.added.empty());
    for (int i = 0; i < 5000; ++i) ASSERT_EQ(m.currentNo[static_cast<std::size_t>(i)], 5000 - i);

    // Thousands of equal blocks between two that swapped places: too many
    // equal pairs to weigh, yet every question is found again, in order.
    std::vector<std::uint64_t> same(2100, 42);
    saved = same;
    saved.insert(saved.begin(), 1);
    saved.push_back(2);
    current = same;
    current.insert(current.begin(), 2);
    current.push_back(1);
    const RoundMapping many = AlignFingerprints(saved, current);
    EXPECT_TRUE(many.added.empty());
    EXPECT_EQ(many.Count(EntryFate::Dropped), 0);
    EXPECT_EQ(many.currentNo.front(), 2102);
    EXPECT_EQ(many.currentNo.back(), 1);
    EXPECT_TRUE(std::is_sorted(many.currentNo.begin() + 1, many.currentNo.end() - 1));
}

TEST(MapEntries, KeepsStatusesHeadAndAnsweredTail) {
    // Saved: 1 on screen, 2 and 4 waiting, 3 and 5 answered.
    const std::vector<OrderEntry> entries = {{1, 0}, {2, 2}, {4, 0}, {3, 1}, {5, 1}};
    RoundMapping m;
    m.fate = {F::Moved, F::Dropped, F::Moved, F::Moved, F::Changed};
    m.currentNo = {2, 0, 4, 3, 5};
    m.added = {1, 6};
    for (std::uint32_t seed = 0; seed < 40; ++seed) {
        SCOPED_TRACE(seed);
        const Pairs got = AsPairs(MapEntries(entries, m, seed));
        ASSERT_EQ(got.size(), 6u);
        EXPECT_EQ(got[0], std::make_pair(2, 0));  // the head stays first
        EXPECT_EQ(got[4], std::make_pair(4, 1));  // the answered tail stays last
        EXPECT_EQ(got[5], std::make_pair(5, 1));
        Pairs middle(got.begin() + 1, got.begin() + 4);
        std::sort(middle.begin(), middle.end());
        EXPECT_EQ(middle, (Pairs{{1, 0}, {3, 0}, {6, 0}}));
        EXPECT_EQ(got, AsPairs(MapEntries(entries, m, seed)));
    }
    // A finished round gets its new questions at the front.
    RoundMapping one;
    one.fate = {F::Same};
    one.currentNo = {1};
    one.added = {2};
    EXPECT_EQ(AsPairs(MapEntries({{1, 1}}, one, 3)), (Pairs{{2, 0}, {1, 1}}));
}

TEST(DescribeMapping, SaysWhatHappened) {
    RoundMapping m;
    m.fate = {F::Same, F::Moved, F::Dropped, F::Changed};
    m.currentNo = {1, 3, 0, 4};
    m.added = {2, 5};
    EXPECT_EQ(DescribeMapping(m),
              "The question file has changed since this round was saved: 2 questions are new, 1 "
              "was removed, 1 was changed. Your progress on the other 2 is kept.");
    m.fate = {F::Moved, F::Moved};
    m.currentNo = {2, 1};
    m.added = {};
    EXPECT_EQ(DescribeMapping(m),
              "The question file has changed since this round was saved: its questions stand in "
              "another order. Your progress on all 2 is kept.");
    m.fate = {F::Dropped};
    m.currentNo = {0};
    m.added = {1};
    EXPECT_EQ(DescribeMapping(m),
              "The question file has changed since this round was saved: 1 question is new, 1 was "
              "removed. The round starts afresh.");
}

TEST(Fingerprint, FollowsTheItemsNotTheirLayout) {
    TempDir dir;
    const std::string block = "\244Q \"Capital?\" \244A \"Paris\" \"paris\" \244F cs \244E";
    const std::vector<std::pair<const char*, std::string>> same = {
        {"line ends between items",
         "\244Q\r\n\"Capital?\"\r\n\244A \"Paris\",\r\n\"paris\"\r\n\244F cs\r\n\244E\r\n"},
        {"blanks and commentary",
         "note \244Q  \"Capital?\" x \244A\t\"Paris\" or \"paris\" \244F "
         "cs cs \244E trailing"},
    };
    const std::vector<std::pair<const char*, std::string>> different = {
        {"a letter inside quotes", "\244Q \"Capital!\" \244A \"Paris\" \"paris\" \244F cs \244E"},
        {"a line end inside quotes",
         "\244Q \"Capital\r\n?\" \244A \"Paris\" \"paris\" \244F cs \244E"},
        {"answers in another order", "\244Q \"Capital?\" \244A \"paris\" \"Paris\" \244F cs \244E"},
        {"another flag", "\244Q \"Capital?\" \244A \"Paris\" \"paris\" \244F cs qzone \244E"},
        {"an empty picture name",
         "\244Q \"Capital?\" \244P \"\" \244A \"Paris\" \"paris\" \244F cs \244E"},
        {"an odd quote count (a parse that fails)",
         "\244Q \"Capital?\" \244A \"Paris\" \"paris\" \" \244F cs \244E"},
    };
    const auto reference = clQuestion::FingerprintQuestions(dir.Write("r.txt", block).c_str());
    ASSERT_EQ(reference.size(), 1u);
    // FNV-1a of the items: text, answers, picture, zone, info (absent: -1),
    // flags 0x0B (cs and the default red and blue), the colour unset.
    std::uint64_t expected = 0xcbf29ce484222325ULL;
    for (char c : std::string("8:Capital?5:Paris5:paris-1:-1:-1:2:112:-12:-12:-1")) {
        expected = (expected ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
    }
    EXPECT_EQ(reference[0], expected);
    for (const auto& [name, text] : same) {
        SCOPED_TRACE(name);
        EXPECT_EQ(clQuestion::FingerprintQuestions(dir.Write("s.txt", text).c_str()), reference);
    }
    for (const auto& [name, text] : different) {
        SCOPED_TRACE(name);
        const auto got = clQuestion::FingerprintQuestions(dir.Write("d.txt", text).c_str());
        ASSERT_EQ(got.size(), 1u);
        EXPECT_NE(got[0], reference[0]);
    }
    EXPECT_TRUE(clQuestion::FingerprintQuestions(dir.File("missing.txt").c_str()).empty());
}

TEST(ReadFingerprint, SixteenHexDigits) {
    EXPECT_EQ(FingerprintText(0x3f9a0c12d4e5b6a7ULL), "3f9a0c12d4e5b6a7");
    EXPECT_EQ(FingerprintText(1), "0000000000000001");
    EXPECT_EQ(ReadFingerprint("3F9A0C12D4E5B6A7 rest"), 0x3f9a0c12d4e5b6a7ULL);
    EXPECT_FALSE(ReadFingerprint("3f9a0c12d4e5b6a"));   // fifteen
    EXPECT_FALSE(ReadFingerprint("3f9a0c12d4e5b6ag"));  // not hex
}

// A question file, a round saved on it, the file edited, the round loaded.
class EditedQuestionFile : public ::testing::Test {
protected:
    // Saves a round on `before` with the given entries, then writes `after`.
    void SaveThenEdit(const std::string& before, const std::vector<OrderEntry>& entries,
                      const std::string& after) {
        qf_ = dir_.Write("quiz.txt", before);
        rf_ = dir_.File("quiz.qfr");
        clQuestionOrder round;
        SetName(round.qfile, qf_);
        SetEntries(round, entries);
        ASSERT_EQ(round.SaveRoundFile(rf_.c_str()), 1);
        dir_.Write("quiz.txt", after);
    }
    TempDir dir_;
    std::string qf_;
    std::string rf_;
};

TEST_F(EditedQuestionFile, QuestionInsertedAtTheTop) {
    SaveThenEdit(Blocks({"A", "B", "C", "D"}), {{3, 0}, {1, 2}, {4, 1}, {2, 1}},
                 Blocks({"new", "A", "B", "C", "D"}));
    clQuestionOrder loaded;
    RoundFileTrace trace;
    EXPECT_EQ(loaded.LoadRoundFile(rf_.c_str(), &trace), 1);
    EXPECT_TRUE(trace.mapped);
    const Pairs got = AsPairs(loaded);
    // The head, the kept statuses, the new question among the unanswered.
    ASSERT_EQ(got.size(), 5u);
    EXPECT_EQ(got[0], std::make_pair(4, 0));
    EXPECT_EQ(Pairs(got.begin() + 3, got.end()), (Pairs{{5, 1}, {3, 1}}));
    Pairs middle(got.begin() + 1, got.begin() + 3);
    std::sort(middle.begin(), middle.end());
    EXPECT_EQ(middle, (Pairs{{1, 0}, {2, 2}}));
    EXPECT_EQ(DescribeMapping(trace.mapping),
              "The question file has changed since this round was saved: 1 question is new. Your "
              "progress on the other 4 is kept.");

    // Saved again, the round is on the file as it is: nothing more to map.
    ASSERT_EQ(loaded.SaveRoundFile(rf_.c_str()), 1);
    clQuestionOrder again;
    EXPECT_EQ(again.LoadRoundFile(rf_.c_str(), &trace), 1);
    EXPECT_FALSE(trace.mapped);
    EXPECT_EQ(AsPairs(again), got);
}

TEST_F(EditedQuestionFile, QuestionRemovedInTheMiddleAndTextCorrected) {
    SaveThenEdit(Blocks({"A", "B", "C", "D", "E"}), {{5, 0}, {3, 2}, {2, 0}, {1, 1}, {4, 1}},
                 Blocks({"A", "B", "D", "E (corrected)"}));
    clQuestionOrder loaded;
    RoundFileTrace trace;
    EXPECT_EQ(loaded.LoadRoundFile(rf_.c_str(), &trace), 1);
    EXPECT_EQ(AsPairs(loaded), (Pairs{{4, 0}, {2, 0}, {1, 1}, {3, 1}}));
    EXPECT_EQ(trace.mapping.Count(F::Dropped), 1);
    EXPECT_EQ(trace.mapping.Count(F::Changed), 1);
}

TEST_F(EditedQuestionFile, AllNewFileStartsEveryQuestionAfresh) {
    SaveThenEdit(Blocks({"A", "B", "C", "D"}), {{1, 2}, {2, 0}, {3, 1}, {4, 1}},
                 Blocks({"w", "x", "y", "z", "v"}));
    clQuestionOrder loaded;
    RoundFileTrace trace;
    EXPECT_EQ(loaded.LoadRoundFile(rf_.c_str(), &trace), 1);
    EXPECT_EQ(trace.mapping.Count(F::Dropped), 4);
    EXPECT_EQ(trace.mapping.added.size(), 5u);
    Pairs got = AsPairs(loaded);
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, (Pairs{{1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}}));
}

TEST_F(EditedQuestionFile, FileSavedAgainAsUtf8IsUnchanged) {
    // "Café" in Windows-1252, then in UTF-8 with CR LF turned into LF.
    SaveThenEdit(Blocks({"Caf\xe9", "B"}), {{2, 2}, {1, 0}},
                 "\xef\xbb\xbf\xc2\xa4Q \"Caf\xc3\xa9\"\n\xc2\xa4"
                 "A \"aCaf\xc3\xa9\"\n\xc2\xa4"
                 "E\n"
                 "\xc2\xa4Q \"B\"\n\xc2\xa4"
                 "A \"aB\"\n\xc2\xa4"
                 "E\n");
    clQuestionOrder loaded;
    RoundFileTrace trace;
    EXPECT_EQ(loaded.LoadRoundFile(rf_.c_str(), &trace), 1);
    EXPECT_TRUE(trace.fingerprinted);
    EXPECT_FALSE(trace.mapped);
    EXPECT_EQ(AsPairs(loaded), (Pairs{{2, 2}, {1, 0}}));
}

TEST_F(EditedQuestionFile, RoundFileWithoutFingerprintsLoadsAsItStands) {
    SaveThenEdit(Blocks({"A", "B", "C"}), {{2, 0}, {3, 2}, {1, 1}}, Blocks({"new", "A", "B", "C"}));
    // The same round as written before fingerprints were kept.
    dir_.Write("quiz.qfr",
               "qfile: \"" + qf_ + "\"\r\nsfile: \"" + rf_ +
                   "\"\r\nqantal: 3\r\nQ: 2 Stat: 0\r\nQ: 3 Stat: 2\r\nQ: 1 Stat: 1\r\n");
    clQuestionOrder loaded;
    RoundFileTrace trace;
    EXPECT_EQ(loaded.LoadRoundFile(rf_.c_str(), &trace), 0);
    EXPECT_FALSE(trace.fingerprinted);
    EXPECT_EQ(AsPairs(loaded), (Pairs{{2, 0}, {3, 2}, {1, 1}}));
    // One line without its fingerprint makes the file read the same way.
    SaveThenEdit(Blocks({"A", "B", "C"}), {{2, 0}, {3, 2}, {1, 1}}, Blocks({"new", "A", "B", "C"}));
    std::string text = ReadWholeFile(rf_);
    const auto id = text.find(" Id: ", text.find("Q: 3"));
    text.erase(id, 5 + kFingerprintDigits);
    dir_.Write("quiz.qfr", text);
    EXPECT_EQ(loaded.LoadRoundFile(rf_.c_str(), &trace), 0);
    EXPECT_FALSE(trace.fingerprinted);
    EXPECT_EQ(AsPairs(loaded), (Pairs{{2, 0}, {3, 2}, {1, 1}}));
}

TEST_F(EditedQuestionFile, FingerprintedFileReadsTheSameByTheLiteralRules) {
    SaveThenEdit(Blocks({"A", "B", "C"}), {{2, 0}, {3, 2}, {1, 1}}, Blocks({"A", "B", "C"}));
    const std::string text = ReadWholeFile(rf_);
    EXPECT_NE(text.find("\r\nqsum: "), std::string::npos);
    EXPECT_NE(text.find("Q: 3 Stat: 2 Id: "), std::string::npos);
    const round_test::LoadedRound literal = round_test::LiteralLoadRound(rf_.c_str());
    EXPECT_EQ(literal.result, 1);
    EXPECT_EQ(literal.entries, (Pairs{{2, 0}, {3, 2}, {1, 1}}));
    clQuestionOrder loaded;
    EXPECT_EQ(loaded.LoadRoundFile(rf_.c_str()), 1);
    EXPECT_EQ(AsPairs(loaded), literal.entries);
}

TEST_F(EditedQuestionFile, RoundThatIsNotTheWholeFileGetsNoFingerprints) {
    // A round loaded from a count that differed names fewer questions.
    SaveThenEdit(Blocks({"A", "B", "C"}), {{2, 0}, {3, 2}}, Blocks({"A", "B", "C"}));
    const std::string text = ReadWholeFile(rf_);
    EXPECT_EQ(text.find("Id:"), std::string::npos);
    EXPECT_EQ(text.find("qsum:"), std::string::npos);
}

TEST(RoundMemory, FollowsTheMapping) {
    clRoundMemory memory;
    memory.Start(false);
    for (int q : {1, 2, 3, 2}) {
        AnswerRecord a;
        a.questionNo = q;
        a.verdict = AnswerVerdict::Wrong;
        memory.Record(a);
    }
    memory.Renumber({3, 0, 1});  // 1 became 3, 2 went, 3 became 1
    EXPECT_EQ(memory.Tries(3), 1);
    EXPECT_EQ(memory.Tries(1), 1);
    EXPECT_EQ(memory.Tries(2), 0);
    ASSERT_EQ(memory.Answers().size(), 2u);
    EXPECT_EQ(memory.Answers()[0].questionNo, 3);
}
