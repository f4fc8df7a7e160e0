#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <random>
#include <string>
#include <vector>

#include "questions/Question.h"
#include "rules/RuleChecker.h"
#include "rules/TextUtils.h"
#include "tests/support/TempDir.h"

using namespace std::string_literals;

namespace {

const std::string kQuestionText = "Which river flows through this city?";
const std::string kInfoText = "It reaches the sea at Le Havre.";

// The river block; `flagsSection` is what follows the flags tag, or no flags
// tag at all when it is null.
std::string RiverBlock(const char* flagsSection) {
    std::string block = "\244Q \"" + kQuestionText +
                        "\" \244P \"city.bmp\" \244A \"Seine\" \"La Seine\" \244Z \"cityzone.bmp\" "
                        "\244I \"" +
                        kInfoText + "\" ";
    if (flagsSection) block += std::string("\244F") + flagsSection;
    return block + "\244E";
}

// The stored form of a text item: its bytes and two zero bytes.
std::string Stored(const std::string& text) { return text + std::string(2, '\0'); }

std::string Copy(char* buffer, int size) {
    std::string s = buffer ? std::string(buffer, static_cast<std::size_t>(size)) : "<null>";
    delete[] buffer;
    return s;
}

using Give = char* (clQuestion::*)(int*) const;

std::string Item(const clQuestion& q, Give give) {
    int size = 0;
    char* c = (q.*give)(&size);
    return Copy(c, size);
}
std::string QuestionOf(const clQuestion& q) { return Item(q, &clQuestion::GiveQuestion); }
std::string AnswerOf(const clQuestion& q, int i) {
    int size = 0;
    char* c = q.GiveAnswer(i, &size);
    return Copy(c, size);
}

struct Sizes {
    int question, picture, zone, info;
};

void ExpectSizes(const clQuestion& q, const Sizes& sizes) {
    EXPECT_EQ(q.questionLength, sizes.question);
    EXPECT_EQ(q.qPictureLength, sizes.picture);
    EXPECT_EQ(q.aZoneLength, sizes.zone);
    EXPECT_EQ(q.aInfoLength, sizes.info);
}

// What holds after every parse that returned true.
void ExpectConsistent(const clQuestion& q) {
    EXPECT_GE(q.answerAntal, 0);
    EXPECT_EQ(q.answers != nullptr, q.answerAntal > 0);
    EXPECT_EQ(q.answerLengths != nullptr, q.answerAntal > 0);
    for (int i = 0; i < q.answerAntal; ++i) {
        ASSERT_NE(q.answers[i], nullptr);
        EXPECT_GE(q.answerLengths[i], 2);
    }
    EXPECT_TRUE(q.answersNeeded == 0 || q.answersNeeded == q.answerAntal);
    for (short c : {q.zr, q.zg, q.zb}) {
        EXPECT_GE(c, -1);
        EXPECT_LE(c, 255);
    }
    EXPECT_EQ(q.flags & ~0x3Fu, 0u);
}

}  // namespace

TEST(GetQuestion, RiverExample) {
    TempDir dir;
    std::string file = dir.Write("river.txt", RiverBlock(" zdg zc darkgreen "));
    clQuestion q;
    ASSERT_TRUE(q.GetQuestion(file.c_str(), 1));
    EXPECT_EQ(q.ReturnQuestionLength(), 38);
    EXPECT_EQ(QuestionOf(q), Stored(kQuestionText));
    EXPECT_EQ(q.qPictureLength, 10);
    EXPECT_EQ(Item(q, &clQuestion::GiveQPicture), Stored("city.bmp"));
    ASSERT_EQ(q.ReturnAnswerAntal(), 2);
    EXPECT_EQ(q.ReturnAnswerLength(0), 7);
    EXPECT_EQ(AnswerOf(q, 0), Stored("Seine"));
    EXPECT_EQ(q.ReturnAnswerLength(1), 10);
    EXPECT_EQ(AnswerOf(q, 1), Stored("La Seine"));
    EXPECT_EQ(q.aZoneLength, 14);
    EXPECT_EQ(Item(q, &clQuestion::GiveAZone), Stored("cityzone.bmp"));
    EXPECT_EQ(q.aInfoLength, 33);
    EXPECT_EQ(Item(q, &clQuestion::GiveAInfo), Stored(kInfoText));
    EXPECT_EQ(q.flags, 0x04u);
    EXPECT_EQ(q.ReturnAnswersNeeded(), 0);
    EXPECT_EQ(q.ReturnZR(), 0);
    EXPECT_EQ(q.ReturnZG(), 128);
    EXPECT_EQ(q.ReturnZB(), 0);
    ExpectConsistent(q);
}

TEST(GetQuestion, FlagsSectionVariants) {
    struct Case {
        const char* name;
        const char* flagsSection;  // null: no flags tag
        unsigned flags;
        int answersNeeded;
        short zr, zg, zb;
    };
    const Case cases[] = {
        {"alla and cs", " alla cs ", 0x2B, 2, -1, -1, -1},
        {"no flags tag", nullptr, 0, 0, -1, -1, -1},
        {"empty section gets the default", " ", 0x0A, 0, -1, -1, -1},
        {"every word", " zdr zdg zdb qzone alla cs ", 0x3F, 2, -1, -1, -1},
        {"qzone alone", " qzone ", 0x1A, 0, -1, -1, -1},
        {"cs inside a longer word", " docs ", 0x0B, 0, -1, -1, -1},
        {"words are case-sensitive", " CS ALLA ZDG ", 0x0A, 0, -1, -1, -1},
        {"clamped components", " zr300 zg-5 zb40 ", 0x0A, 0, 255, -1, 40},
        {"zr alone", " zr7 ", 0x0A, 0, 7, -1, -1},
        {"number further on is taken", " zr zdb 12 ", 0x08, 0, 12, -1, -1},
        {"zr without any digit", " zr zdb ", 0x08, 0, -1, -1, -1},
        {"digit before the word is not taken", " 5 zr ", 0x0A, 0, -1, -1, -1},
        {"twenty digits", " zr99999999999999999999 ", 0x0A, 0, -1, -1, -1},
        {"low 16 bits then clamp", " zr65791 zg65536 zb32768 ", 0x0A, 0, 255, 0, -1},
        {"later table row wins", " zc blue red ", 0x0A, 0, 0, 0, 255},
        {"dark name overwrites light", " zc darkturquoise ", 0x0A, 0, 0, 128, 128},
        {"grey then darkgrey", " zc grey darkgrey ", 0x0A, 0, 128, 128, 128},
        {"yellow then pink", " zc pink yellow ", 0x0A, 0, 255, 0, 128},
        {"orange", " zc orange ", 0x0A, 0, 255, 128, 64},
        {"colour before zc", " red zc ", 0x0A, 0, -1, -1, -1},
        {"colour name overwrites numbers", " zr1 zg2 zb3 zc violet ", 0x0A, 0, 255, 0, 255},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string file = dir.Write("flags.txt", RiverBlock(c.flagsSection));
        clQuestion q;
        ASSERT_TRUE(q.GetQuestion(file.c_str(), 1));
        EXPECT_EQ(q.flags, c.flags);
        EXPECT_EQ(q.ReturnAnswersNeeded(), c.answersNeeded);
        EXPECT_EQ(q.ReturnZR(), c.zr);
        EXPECT_EQ(q.ReturnZG(), c.zg);
        EXPECT_EQ(q.ReturnZB(), c.zb);
        EXPECT_EQ(q.ReturnAnswerAntal(), 2);
        ExpectConsistent(q);
    }
}

TEST(GetQuestion, FlagsSectionEndsAtTheNextTagByte) {
    TempDir dir;
    const std::string file = dir.Write(
        "section.txt", "\244Q \"q\" \244A \"a\" \244F zc \244I \"a red sky, cs, alla\" \244E");
    clQuestion q;
    ASSERT_TRUE(q.GetQuestion(file.c_str(), 1));
    EXPECT_EQ(q.flags, 0x0Au);
    EXPECT_EQ(q.ReturnZR(), -1);
    EXPECT_EQ(q.ReturnZG(), -1);
    EXPECT_EQ(q.ReturnZB(), -1);
    EXPECT_EQ(Item(q, &clQuestion::GiveAInfo), Stored("a red sky, cs, alla"));
}

TEST(GetQuestion, BlockStructure) {
    struct Case {
        const char* name;
        std::string content;
        int n;
        Sizes sizes;
        std::vector<std::string> answers;
        unsigned flags;
    };
    const Case cases[] = {
        {"empty answer list", "\244Q \"q\" \244A\244E", 1, {3, -1, -1, -1}, {}, 0},
        {"empty answer", "\244Q \"q\" \244A \"\" \"x\" \244E", 1, {3, -1, -1, -1}, {"", "x"}, 0},
        {"over lines",
         "\244Q \"q\"\r\n\244A \"one\",\r\n \"two\r\nlines\" \244E",
         1,
         {3, -1, -1, -1},
         {"one", "two\r\nlines"},
         0},
        {"question tag then a tag", "\244Q\244A \"a\" \244E", 1, {-1, -1, -1, -1}, {"a"}, 0},
        {"only tags", "\244Q\244P\244A\244Z\244I\244F\244E", 1, {-1, -1, -1, -1}, {}, 0x0A},
        {"picture after the answers tag",
         "\244Q \"q\" \244A \"a\" \244P \"p.bmp\" \244E",
         1,
         {3, -1, -1, -1},
         {"a"},
         0},
        {"zone and info before the answers tag",
         "\244Q \"q\" \244Z \"z.bmp\" \244I \"i\" \244A \"a\" \244E",
         1,
         {3, -1, -1, -1},
         {"a"},
         0},
        {"second block",
         "\244Q \"q1\" \244A \"a\" \244F cs \244E\r\n\244Q \"q2\" \244P \"p.bmp\" \244A \"b\" "
         "\"c\" \244E",
         2,
         {4, 7, -1, -1},
         {"b", "c"},
         0},
        {"without end tag the searches run into the next block",
         "\244Q \"q1\" \244A \"a\" \244Q \"q2\" \244A \"b\" \244F cs \244E",
         1,
         {4, -1, -1, -1},
         {"a"},
         0x0B},
        {"no end tag at all", "\244Q \"q\" \244A \"a\" \"b\"", 1, {3, -1, -1, -1}, {"a", "b"}, 0},
        {"zero byte ends the answer list",
         "\244Q \"q\" \244A \"a\" \0 \"b\" \244E"s,
         1,
         {3, -1, -1, -1},
         {"a"},
         0},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string file = dir.Write("block.txt", c.content);
        clQuestion q;
        ASSERT_TRUE(q.GetQuestion(file.c_str(), c.n));
        ExpectSizes(q, c.sizes);
        ASSERT_EQ(q.ReturnAnswerAntal(), static_cast<int>(c.answers.size()));
        for (int i = 0; i < q.ReturnAnswerAntal(); ++i) {
            EXPECT_EQ(AnswerOf(q, i), Stored(c.answers[static_cast<std::size_t>(i)]));
        }
        EXPECT_EQ(q.flags, c.flags);
        ExpectConsistent(q);
    }
}

TEST(GetQuestion, FailuresKeepWhatWasReadBefore) {
    // Sizes: 0 not reached, -1 absent, kUnclosed an opening quote never closed.
    constexpr int kUnclosed = -1000000 + 2;
    struct Case {
        const char* name;
        std::string content;
        Sizes sizes;
    };
    const Case cases[] = {
        {"unclosed question text", "\244Q \"abc \244A \244E", {kUnclosed, 0, 0, 0}},
        {"unclosed picture name", "\244Q \"q\" \244P \"p.bmp \244A \244E", {3, kUnclosed, 0, 0}},
        {"unclosed zone name", "\244Q \"q\" \244A \244Z \"z.bmp \244E", {3, -1, kUnclosed, 0}},
        {"unclosed info text", "\244Q \"q\" \244A \244I \"info", {3, -1, -1, kUnclosed}},
        {"odd quote count", "\244Q \"q\" \244A \"a\" \"b\" \" \244E", {3, -1, -1, -1}},
        {"unclosed answer at end of file", "\244Q \"q\" \244A \"a\" \"b", {3, -1, -1, -1}},
        {"zero byte inside an answer", "\244Q \"q\" \244A \"a\0b\" \244E"s, {3, -1, -1, -1}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string file = dir.Write("bad.txt", c.content);
        clQuestion q;
        EXPECT_FALSE(q.GetQuestion(file.c_str(), 1));
        ExpectSizes(q, c.sizes);
        EXPECT_EQ(QuestionOf(q), c.sizes.question == 3 ? Stored("q") : "<null>");
        EXPECT_EQ(q.qPicture, nullptr);
        EXPECT_EQ(q.aZone, nullptr);
        EXPECT_EQ(q.aInfo, nullptr);
        EXPECT_EQ(q.ReturnAnswerAntal(), 0);
        EXPECT_EQ(q.answers, nullptr);
        EXPECT_EQ(q.answerLengths, nullptr);
        EXPECT_EQ(q.flags, 0u);
    }
}

TEST(GetQuestion, AbsentBlocksAndFiles) {
    TempDir dir;
    const std::string two = dir.Write("two.txt", RiverBlock(" cs ") + "\r\n" + RiverBlock(" cs "));
    const std::string empty = dir.Write("empty.txt", "");
    const std::string noAnswers = dir.Write("noanswers.txt", "\244Q \"q\" \244E \244A \"a\"");
    const std::string wrongOrder = dir.Write("order.txt", "\244E \244A \"a\" \244Q \"q\"");
    const std::string zeroInQuestion = dir.Write("zero.txt", "\244Q \"q\0x\" \244A \"a\" \244E"s);
    struct Case {
        const char* name;
        const char* file;
        int n;
    };
    const Case cases[] = {
        {"n beyond the last block", two.c_str(), 3},
        {"n = 0", two.c_str(), 0},
        {"negative n", two.c_str(), -1},
        {"most negative n", two.c_str(), INT_MIN},
        {"largest n", two.c_str(), INT_MAX},
        {"empty file", empty.c_str(), 1},
        {"missing file", "/nonexistent/quillfin/none.txt", 1},
        {"a folder", dir.Path().c_str(), 1},
        {"null file name", nullptr, 1},
        {"answers tag after the end tag", noAnswers.c_str(), 1},
        {"tags in the wrong order", wrongOrder.c_str(), 1},
        {"zero byte before the answers tag", zeroInQuestion.c_str(), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clQuestion q;
        EXPECT_FALSE(q.GetQuestion(c.file, c.n));
        EXPECT_EQ(q.ReturnAnswerAntal(), 0);
        EXPECT_EQ(q.question, nullptr);
    }
    clQuestion q;
    EXPECT_TRUE(q.GetQuestion(two.c_str(), 2));
    EXPECT_EQ(q.ReturnAnswerAntal(), 2);
}

TEST(GetQuestion, ReparseAfterFailureStaysSound) {
    TempDir dir;
    const std::string good = dir.Write("good.txt",
                                       "\244Q \"first\" \244A \"a\" \"b\" \"c\" \"d\" \244E"
                                       "\244Q \"second\" \244A \"x\" \244F alla \244E");
    const std::string bad = dir.Write("bad.txt", "\244Q \"bad\" \244P \"p\" \244A \"a\" \" \244E");
    clQuestion q;
    ASSERT_TRUE(q.GetQuestion(good.c_str(), 1));
    ASSERT_EQ(q.ReturnAnswerAntal(), 4);
    EXPECT_FALSE(q.GetQuestion(bad.c_str(), 1));
    EXPECT_EQ(QuestionOf(q), Stored("bad"));
    EXPECT_EQ(Item(q, &clQuestion::GiveQPicture), Stored("p"));
    EXPECT_EQ(q.ReturnAnswerAntal(), 0);
    EXPECT_EQ(AnswerOf(q, 0), "<null>");
    EXPECT_EQ(q.TestAnswer("a", 256), 0);
    ASSERT_TRUE(q.GetQuestion(good.c_str(), 2));
    EXPECT_EQ(QuestionOf(q), Stored("second"));
    EXPECT_EQ(q.ReturnAnswersNeeded(), 1);
    EXPECT_EQ(q.TestAnswer("X", 256), 1);
    EXPECT_FALSE(q.GetQuestion(good.c_str(), 3));
    EXPECT_EQ(q.ReturnAnswerAntal(), 0);
    EXPECT_EQ(q.flags, 0u);
    // The destructor runs after a failed parse here, and after a full one below.
    clQuestion full;
    ASSERT_TRUE(full.GetQuestion(good.c_str(), 1));
}

TEST(GetTextItem, FoundAbsentAndUnclosed) {
    TempDir dir;
    const std::string file = dir.Write("items.txt", "\244Q \"abc\" \244A \"open");
    const char* rule = "BEFORE'\244'(AFTER'\"'())";
    char* item = nullptr;
    int size = 0;
    ASSERT_TRUE(clQuestion::GetTextItem(file.c_str(), rule, 5, 2, item, size));
    EXPECT_EQ(Copy(item, size), Stored("abc"));

    item = nullptr;
    EXPECT_TRUE(
        clQuestion::GetTextItem(file.c_str(), "BEFORE'\244'(AFTER'\"'())", 5, 8, item, size));
    EXPECT_EQ(item, nullptr);
    EXPECT_EQ(size, -1);

    EXPECT_FALSE(clQuestion::GetTextItem(file.c_str(), rule, 5, 11, item, size));
    EXPECT_EQ(item, nullptr);
    EXPECT_LT(size, 0);
}

// The number of answer-list quotes by the search rule, one search per quote;
// -1 when the block or its answers tag is not found.
int QuotesByRule(const std::string& file, int n) {
    char rule[128] = "TIME#(AFTER'\244Q'())        ";
    InsertInt(n, rule, 0, '#');
    int p = FindPosition(rule, file.c_str(), 5, 0, false);
    if (p >= 0) p = FindPosition("BEFORE'\244E'(AFTER'\244A'())", file.c_str(), 5, p, false);
    if (p < 0) return -1;
    int quotes = 0;
    for (;;) {
        char quoteRule[128] = "BEFORE'\244'(TIME#(BEFORE'\"'))        ";
        InsertInt(quotes + 1, quoteRule, 0, '#');
        if (FindPosition(quoteRule, file.c_str(), 5, p, false) < 0) return quotes;
        ++quotes;
    }
}

// Answer k of block n read with the search rule for its opening quote,
// TIME#(AFTER'"'()) with # := 2k+1, from the answers position.
std::string AnswerByRule(const std::string& file, int n, int k) {
    char rule[128] = "TIME#(AFTER'\244Q'())        ";
    InsertInt(n, rule, 0, '#');
    int p = FindPosition(rule, file.c_str(), 5, 0, false);
    p = FindPosition("BEFORE'\244E'(AFTER'\244A'())", file.c_str(), 5, p, false);
    char answerRule[128] = "TIME#(AFTER'\"'())        ";
    InsertInt(2 * k + 1, answerRule, 0, '#');
    char* item = nullptr;
    int size = 0;
    if (!clQuestion::GetTextItem(file.c_str(), answerRule, 5, p, item, size) || !item)
        return "<none>";
    std::string text(item, static_cast<std::size_t>(size));
    delete[] item;
    return text;
}

TEST(GetQuestion, RandomBytesNeverBreakTheRecord) {
    TempDir dir;
    const char alphabet[] = "\244\244QAEPZIF\"\"\"\"\" az09rc-\0\r\n";
    std::mt19937 random(20240611u);
    std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof alphabet) - 2);
    std::uniform_int_distribution<int> anyByte(0, 255);
    int parsed = 0;
    int withAnswers = 0;
    for (int round = 0; round < 400; ++round) {
        std::string bytes;
        for (int i = 0; i < 200; ++i) {
            bytes += round % 3 == 0 ? static_cast<char>(anyByte(random)) : alphabet[pick(random)];
        }
        if (round % 2 == 0) bytes = "\244Q \"q\" \244A" + bytes;
        std::string file = dir.Write("random.bin", bytes);
        clQuestion q;
        for (int n = 1; n <= 3; ++n) {
            SCOPED_TRACE("round " + std::to_string(round) + " block " + std::to_string(n));
            const bool ok = q.GetQuestion(file.c_str(), n);
            const int quotes = QuotesByRule(file, n);
            if (quotes % 2 != 0) {
                EXPECT_FALSE(ok);
            }
            if (!ok) continue;
            ++parsed;
            ExpectConsistent(q);
            EXPECT_EQ(q.ReturnAnswerAntal() * 2, quotes);
            if (q.ReturnAnswerAntal() > 0) ++withAnswers;
            for (int k = 0; k < q.ReturnAnswerAntal(); ++k) {
                int size = 0;
                char* answer = q.GiveAnswer(k, &size);
                EXPECT_EQ(std::string(answer, static_cast<std::size_t>(size)),
                          AnswerByRule(file, n, k));
                delete[] answer;
            }
        }
    }
    EXPECT_GT(parsed, 50);
    EXPECT_GT(withAnswers, 20);
}

TEST(GetQuestion, ThousandsOfAnswers) {
    constexpr int kAnswers = 5000;
    std::string block = "\244Q \"many\" \244A";
    for (int i = 0; i < kAnswers; ++i) block += " \"answer" + std::to_string(i) + "\"";
    block += " \244F alla \244E";
    TempDir dir;
    const std::string file = dir.Write("many.txt", block);
    clQuestion q;
    const auto begin = std::chrono::steady_clock::now();
    ASSERT_TRUE(q.GetQuestion(file.c_str(), 1));
    const auto elapsed = std::chrono::steady_clock::now() - begin;
    RecordProperty(
        "parseMilliseconds",
        static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()));
    ASSERT_EQ(q.ReturnAnswerAntal(), kAnswers);
    EXPECT_EQ(q.ReturnAnswersNeeded(), kAnswers);
    for (int i : {0, 1, 2499, kAnswers - 1}) {
        SCOPED_TRACE(i);
        EXPECT_EQ(AnswerOf(q, i), Stored("answer" + std::to_string(i)));
    }
    EXPECT_EQ(q.TestAnswer("ANSWER4999", 256), kAnswers);
}

TEST(GetQuestion, FiftyMegabyteItem) {
    const std::size_t kSize = 50u << 20;
    std::string text(kSize, 'x');
    for (std::size_t i = 0; i < kSize; i += 997) text[i] = '\n';
    TempDir dir;
    const std::string file =
        dir.Write("huge.txt", "\244Q \"" + text + "\" \244A \"a\" \244I \"tail\" \244E");
    text.clear();
    text.shrink_to_fit();
    clQuestion q;
    ASSERT_TRUE(q.GetQuestion(file.c_str(), 1));
    ASSERT_EQ(q.ReturnQuestionLength(), static_cast<int>(kSize) + 2);
    EXPECT_EQ(q.question[kSize - 1], 'x');
    EXPECT_EQ(q.question[kSize], '\0');
    EXPECT_EQ(q.question[kSize + 1], '\0');
    EXPECT_EQ(AnswerOf(q, 0), Stored("a"));
    EXPECT_EQ(Item(q, &clQuestion::GiveAInfo), Stored("tail"));
}
