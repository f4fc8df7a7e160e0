#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "questions/NearMiss.h"
#include "questions/Question.h"
#include "questions/Tolerance.h"
#include "tests/support/TempDir.h"

namespace {

using K = NearMissKind;

// A question of one block with these answers and this flags section text
// (no flags tag at all when `flags` is null).
struct Block {
    Block(const std::vector<std::string>& answers, const char* flags) {
        std::string content = "\244Q \"q\" \244A";
        for (const std::string& a : answers) content += " \"" + a + "\"";
        if (flags) content += std::string(" \244F") + flags;
        content += " \244E";
        ok = q.GetQuestion(dir.Write("q.txt", content).c_str(), 1);
    }
    TempDir dir;
    clQuestion q;
    bool ok = false;
};

}  // namespace

// Letters in octal, Windows-1252: \344 ä, \351 é, \361 ñ, \370 ø, \212 Š,
// \237 Ÿ, \377 ÿ, \337 ß, \306 Æ, \355 í, \374 ü, \341 á.
TEST(NearMiss, KindsOrderAndTies) {
    struct Case {
        std::vector<std::string_view> answers;
        const char* typed;
        bool caseSensitive;
        K kind;
        int answer;
    };
    const Case cases[] = {
        // Each kind.
        {{"Paris"}, "paris", true, K::Case, 1},
        {{"Paris"}, "paris", false, K::None, 0},  // equal: TestAnswer's business
        {{"G\344vle"}, "GAVLE", false, K::Accent, 1},
        {{"Espa\361a", "K\370benhavn"}, "Kobenhavn", true, K::Accent, 2},
        {{"\212ibenik"}, "Sibenik", true, K::Accent, 1},
        {{"\237"}, "y", false, K::Accent, 1},
        {{"\377"}, "Y", true, K::None, 0},  // ÿ → y, but case is strict
        {{"New York"}, "new-york", false, K::Punctuation, 1},
        {{"St. Louis!"}, "St Louis", true, K::Punctuation, 1},
        {{"Berlin"}, "Berln", true, K::Typo, 1},
        {{"Berlin"}, "Berlinn", true, K::Typo, 1},
        {{"Berlin"}, "Berlim", true, K::Typo, 1},
        {{"Berlin"}, "Brelin", true, K::Typo, 1},
        {{"Z\374rich"}, "Zurcih", false, K::Typo, 1},  // swap after the accent rule
        {{"G\344vle"}, "gavle", true, K::Typo, 1},     // case strict: g is one typo
        {{"G\344vle"}, "gavle!", true, K::None, 0},    // and one more is too many
        {{"Roma"}, "Rima", false, K::Typo, 1},         // four letters name a typo
        // The order of kinds beats the order of answers.
        {{"Par\355s", "PARIS"}, "Paris", true, K::Case, 2},
        {{"Pariss", "P\341ris"}, "Paris", false, K::Accent, 2},
        {{"Pari", "Par-is"}, "Paris", false, K::Punctuation, 2},
        // Ties: the first answer of the winning kind.
        {{"Bern", "Born"}, "Barn", false, K::Typo, 1},
        {{"S\351te", "S\350te"}, "Sete", false, K::Accent, 1},
        // What must not count.
        {{"Rom"}, "Rim", false, K::None, 0},                   // three letters
        {{"Rom."}, "Rome.", false, K::None, 0},                // the mark is no letter
        {{"Berlin"}, "Brelim", false, K::None, 0},             // two typos
        {{"New York"}, "NeY work", false, K::None, 0},         // letters swapped across the blank
        {{"New York"}, "Ne wYork", false, K::Punctuation, 1},  // a blank moved is no typo
        {{"G\344vle."}, "Gavl.e", false, K::None, 0},          // a letter swapped with a mark
        {{"Stra\337e"}, "Strasse", false, K::None, 0},         // ß has no base letter
        {{"\306gir"}, "Aegir", false, K::None, 0},             // nor has Æ
        {{"-"}, "", false, K::None, 0},                        // no letter to be near
        {{"Berlin"}, "", false, K::None, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + " near " + std::string(c.answers[0]) +
                     (c.caseSensitive ? " cs" : ""));
        const NearMiss miss = FindNearMiss(c.typed, c.answers, c.caseSensitive);
        EXPECT_EQ(miss.kind, c.kind);
        EXPECT_EQ(miss.answer, c.answer);
    }
}

// The accent table and no other: sixty letters lose an accent, upper case to
// upper and lower to lower; letters without a base letter stay as they are.
TEST(NearMiss, AccentTableOnly) {
    int changed = 0;
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        if (AccentBase(byte) == byte) continue;
        ++changed;
        const unsigned char base = AccentBase(byte);
        EXPECT_TRUE((base >= 'A' && base <= 'Z') || (base >= 'a' && base <= 'z')) << b;
        EXPECT_EQ(base >= 'a', byte == 0xFF || (byte >= 0x9A && byte <= 0x9E) || byte >= 0xE0) << b;
    }
    EXPECT_EQ(changed, 60);
    for (unsigned char kept : {0xC6, 0xE6, 0x8C, 0x9C, 0xDF, 0xD0, 0xF0, 0xDE, 0xFE, 0xD7, 0xF7}) {
        EXPECT_EQ(AccentBase(kept), kept) << int(kept);
    }
}

// The stored-question form keeps TestAnswer's limits: a typed text must end
// within `size` bytes and an answer must be one TestAnswer could match.
TEST(NearMiss, StoredAnswersWithinTheCompareLimit) {
    const std::string long254(254, 'w');
    const std::string long255(255, 'w');
    Block b({long255, long254 + "x"}, nullptr);
    ASSERT_TRUE(b.ok);
    // 255 letters fit a 256-byte compare; one more does not.
    const std::string typed = long254 + "y";
    EXPECT_EQ(FindNearMiss(b.q, typed.c_str(), 256).answer, 1);
    EXPECT_EQ(FindNearMiss(b.q, typed.c_str(), 255).answer, 0);
    const std::string longer = long255 + "w";
    EXPECT_EQ(b.q.TestAnswer(longer.c_str(), 256), 0);
    EXPECT_EQ(FindNearMiss(b.q, longer.c_str(), 256).kind, K::None);
    EXPECT_EQ(FindNearMiss(b.q, longer.c_str(), 257).kind, K::Typo);
    EXPECT_EQ(FindNearMiss(b.q, nullptr, 256).kind, K::None);
}

TEST(Tolerance, FlagWordsAndJudgement) {
    struct Case {
        const char* flags;  // null: no flags section
        std::vector<std::string> answers;
        const char* typed;
        Judgement expected;
    };
    const Case cases[] = {
        // Exact matches are TestAnswer's, tolerance or not.
        {" acc typo", {"G\344vle", "Gavle"}, "gavle", {true, K::None, 2}},
        {" acc", {"G\344vle"}, "Gavle", {true, K::Accent, 1}},
        {" acc", {"Paris"}, "Parsi", {false, K::Typo, 1}},
        {" typo", {"Paris"}, "Parsi", {true, K::Typo, 1}},
        {" typo", {"Rome"}, "Rone", {false, K::Typo, 1}},  // named at four, accepted at five
        {" typo", {"G\344vle"}, "Gavle", {false, K::Accent, 1}},
        {" cs acc", {"G\344vle"}, "gavle", {false, K::Typo, 1}},
        {" cs typo", {"Paris"}, "paris", {false, K::Case, 1}},
        {" cs typo", {"Paris"}, "Parsi", {true, K::Typo, 1}},
        {" cs typo", {"London"}, "l\363ndon", {false, K::Typo, 1}},  // ó is free, l is not
        {" typo", {"London"}, "L\363ndn", {true, K::Typo, 1}},
        // An accent beats a typo of an earlier answer.
        {" acc typo", {"Pariss", "P\341ris"}, "Paris", {true, K::Accent, 2}},
        // Whole words only; the older words are still found anywhere.
        {" accept typos", {"G\344vle"}, "Gavle", {false, K::Accent, 1}},
        {" xacc,typoo", {"Paris"}, "Parsi", {false, K::Typo, 1}},
        {"acc,typo", {"G\344vle"}, "Gavle", {true, K::Accent, 1}},
        {" \351acc", {"G\344vle"}, "Gavle", {false, K::Accent, 1}},
        {" (typo)", {"Paris"}, "Parsi", {true, K::Typo, 1}},
        {" xcsx", {"Paris"}, "paris", {false, K::Case, 1}},
        {nullptr, {"G\344vle"}, "Gavle", {false, K::Accent, 1}},
        {nullptr, {"Paris"}, "Lyon", {false, K::None, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.flags ? c.flags : "(no flags)") + ": " + c.typed);
        Block b(c.answers, c.flags);
        ASSERT_TRUE(b.ok);
        const Judgement j = JudgeAnswer(b.q, c.typed, 256);
        EXPECT_EQ(j.correct, c.expected.correct);
        EXPECT_EQ(j.kind, c.expected.kind);
        EXPECT_EQ(j.answer, c.expected.answer);
    }
}

// Flags sections without the new words read to the same bits as before and
// the judgement is TestAnswer's own.
TEST(Tolerance, FilesWithoutTheNewWordsGradeAsBefore) {
    const char* sections[] = {nullptr, " accept typos cs", " zdg qzone alla", " typography"};
    const char* typed[] = {"Paris", "paris", "Parsi", "Pari", "P\341ris", "Lyon", ""};
    for (const char* flags : sections) {
        SCOPED_TRACE(flags ? flags : "(no flags)");
        Block b({"Paris", "Lyon"}, flags);
        ASSERT_TRUE(b.ok);
        EXPECT_EQ(b.q.flags & (flagAcceptAccents | flagAcceptTypos), 0u);
        for (const char* t : typed) {
            const int exact = b.q.TestAnswer(t, 256);
            const Judgement j = JudgeAnswer(b.q, t, 256);
            EXPECT_EQ(j.correct, exact > 0) << t;
            EXPECT_EQ(j.correct ? j.answer : 0, exact) << t;
        }
    }
    Block cs({"Paris"}, " accept typos cs");
    EXPECT_EQ(cs.q.flags, flagCaseSensitive | flagDisplayZoneRed | flagDisplayZoneBlue);
}

// The section is read in blocks: words cut by a block's end, at the very end
// of the file, and behind the next tag byte.
TEST(Tolerance, WholeWordsAcrossTheSection) {
    TempDir dir;
    struct Case {
        std::string section;
        std::uint32_t bits;
    };
    const std::string pad(4094, ' ');
    const Case cases[] = {
        {pad + "typo", flagAcceptTypos},        // cut after "ty" by the first block
        {pad + "xtypo", 0},                     // the letter before is in the first block
        {std::string(4092, ' ') + "typos", 0},  // the first block ends just after "typo"
        {std::string(4092, ' ') + "typo", flagAcceptTypos},
        {std::string(4093, ' ') + "acc", flagAcceptAccents},  // ends the file
        {" acc \244I \"typo\"", flagAcceptAccents},           // typo lies behind a tag byte
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.section.size());
        const std::string file = dir.Write("f.txt", "\244F" + c.section);
        EXPECT_EQ(ReadWholeFlagWords(file.c_str(), 2), c.bits);
    }
    EXPECT_EQ(ReadWholeFlagWords(dir.File("missing.txt").c_str(), 0), 0u);
    EXPECT_TRUE(HasWholeWord("typo", "typo"));
    EXPECT_FALSE(HasWholeWord("typo\344", "typo"));
}
