#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "questions/Question.h"
#include "tests/support/TempDir.h"

namespace {

// A record parsed from a one-block file `content`.
class Parsed {
public:
    explicit Parsed(const std::string& content) {
        file_ = dir_.Write("question.txt", content);
        ok_ = q_.GetQuestion(file_.c_str(), 1);
    }
    bool ok() const { return ok_; }
    clQuestion& q() { return q_; }

private:
    TempDir dir_;
    std::string file_;
    clQuestion q_;
    bool ok_ = false;
};

const std::string kRiver =
    "\244Q \"Which river flows through this city?\" \244P \"city.bmp\" \244A \"Seine\" \"La "
    "Seine\" \244Z \"cityzone.bmp\" \244I \"It reaches the sea at Le Havre.\" \244F zdg zc "
    "darkgreen \244E";

std::string Listing(const clQuestion& q) {
    testing::internal::CaptureStdout();
    q.DisplayAllInConsole();
    return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(QuestionRecord, FreshRecordIsEmpty) {
    clQuestion q;
    using Give = char* (clQuestion::*)(int*) const;
    const Give gives[] = {&clQuestion::GiveQuestion, &clQuestion::GiveQPicture,
                          &clQuestion::GiveAZone, &clQuestion::GiveAInfo};
    for (Give give : gives) {
        int size = 99;
        EXPECT_EQ((q.*give)(&size), nullptr);
        EXPECT_EQ(size, 0);
        EXPECT_EQ((q.*give)(nullptr), nullptr);
    }
    int size = 99;
    EXPECT_EQ(q.GiveAnswer(0, &size), nullptr);
    EXPECT_EQ(size, 0);
    EXPECT_EQ(q.ReturnAnswerAntal(), 0);
    EXPECT_EQ(q.ReturnAnswerLength(0), 0);
    EXPECT_EQ(q.ReturnQuestionLength(), 0);
    EXPECT_EQ(q.ReturnAnswersNeeded(), 0);
    EXPECT_EQ(q.ReturnZR(), -1);
    EXPECT_EQ(q.ReturnZG(), -1);
    EXPECT_EQ(q.ReturnZB(), -1);
    for (int mask = 1; mask <= 0x3F; ++mask) EXPECT_FALSE(q.HaveFlag(mask)) << mask;
    EXPECT_FALSE(q.HaveFlag(-1));
    EXPECT_EQ(q.TestAnswer("", 256), 0);
    EXPECT_EQ(Listing(q), "\nZone colour: \nR = -1 G = -1 B = -1");
}

TEST(QuestionRecord, CopiesAreOwnedByTheCaller) {
    Parsed p(kRiver);
    ASSERT_TRUE(p.ok());
    clQuestion& q = p.q();
    int size = 0;
    char* first = q.GiveAnswer(0, &size);
    ASSERT_NE(first, nullptr);
    ASSERT_EQ(size, 7);
    EXPECT_EQ(std::string(first, 7), std::string("Seine\0\0", 7));
    EXPECT_NE(first, q.answers[0]);
    first[0] = 'X';
    char* second = q.GiveAnswer(0, nullptr);
    EXPECT_STREQ(second, "Seine");
    delete[] first;
    delete[] second;

    char* text = q.GiveQuestion(nullptr);
    EXPECT_STREQ(text, "Which river flows through this city?");
    EXPECT_NE(text, q.question);
    delete[] text;
}

TEST(QuestionRecord, AnswerIndexOutOfRange) {
    Parsed p(kRiver);
    ASSERT_TRUE(p.ok());
    for (int index : {-1, 2, 3, 1 << 30, -(1 << 30)}) {
        SCOPED_TRACE(index);
        int size = 99;
        EXPECT_EQ(p.q().GiveAnswer(index, &size), nullptr);
        EXPECT_EQ(size, 0);
        EXPECT_EQ(p.q().ReturnAnswerLength(index), 0);
    }
    EXPECT_EQ(p.q().ReturnAnswerLength(1), 10);
}

TEST(QuestionRecord, HaveFlagTestsAnyCommonBit) {
    Parsed p("\244Q \"q\" \244A \"a\" \244F zdr qzone \244E");
    ASSERT_TRUE(p.ok());
    ASSERT_EQ(p.q().flags, flagDisplayZoneRed | flagDisplayZoneInQuestion);
    struct Case {
        int mask;
        bool expected;
    };
    const Case cases[] = {{0x0A, true},  {0x02, true},  {0x10, true},  {0x08, false},
                          {0x01, false}, {0x24, false}, {0x00, false}, {0x12, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mask);
        EXPECT_EQ(p.q().HaveFlag(c.mask), c.expected);
    }
}

TEST(QuestionRecord, ListingTexts) {
    Parsed river(kRiver);
    ASSERT_TRUE(river.ok());
    EXPECT_EQ(Listing(river.q()),
              "\nQuestion: Which river flows through this city?"
              "\nQ picture: city.bmp"
              "\nA zone: cityzone.bmp"
              "\nA info: It reaches the sea at Le Havre."
              "\nAnswer 1: Seine"
              "\nAnswer 2: La Seine"
              "\nFlags: Display zone Green, "
              "\nZone colour: \nR = 0 G = 128 B = 0");

    Parsed all("\244Q\244A \"x\" \"y\" \"z\" \244F cs zdr zdg zdb qzone alla zr9 zb300 \244E");
    ASSERT_TRUE(all.ok());
    EXPECT_EQ(Listing(all.q()),
              "\nAnswer 1: x\nAnswer 2: y\nAnswer 3: z"
              "\nFlags: Case sensitive, Display zone Red, Display zone Green, Display zone Blue, "
              "Display zone in question, Must give 3 answers, "
              "\nZone colour: \nR = 9 G = -1 B = 255");
}

TEST(TestAnswer, WholeTextMatchWithCaseFolding) {
    struct Case {
        const char* given;
        int size;
        int folded;         // without flagCaseSensitive
        int caseSensitive;  // with it
    };
    const Case cases[] = {
        {"PARIS", 256, 1, 0},
        {"paris", 256, 1, 2},
        {"Paris", 256, 1, 1},
        {"Paris ", 256, 0, 0},
        {" Paris", 256, 0, 0},
        {"Pari", 256, 0, 0},
        {"Parisian", 256, 0, 0},
        {"", 256, 0, 0},
        {"Paris", 0, 0, 0},
        {"Paris", 5, 0, 0},
        {"Paris", 6, 1, 1},
        {"paris", -1, 0, 0},
        {"\311T\311", 256, 3, 0},
        {"\311t\351", 256, 3, 0},
        {"\351t\351", 256, 3, 3},
        // The code page 850 spellings of e acute are no letters here.
        {"\202t\202", 256, 0, 0},
        {"\220t\220", 256, 0, 0},
    };
    // The third answer is the Windows-1252 letter e acute around a t.
    Parsed folded("\244Q \"q\" \244A \"Paris\" \"paris\" \"\351t\351\" \244E");
    Parsed exact("\244Q \"q\" \244A \"Paris\" \"paris\" \"\351t\351\" \244F cs \244E");
    ASSERT_TRUE(folded.ok());
    ASSERT_TRUE(exact.ok());
    ASSERT_TRUE(exact.q().HaveFlag(flagCaseSensitive));
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.given) + " size " + std::to_string(c.size));
        EXPECT_EQ(folded.q().TestAnswer(c.given, c.size), c.folded);
        EXPECT_EQ(exact.q().TestAnswer(c.given, c.size), c.caseSensitive);
    }
    EXPECT_EQ(folded.q().TestAnswer(nullptr, 256), 0);
}

TEST(TestAnswer, EmptyAndLongAnswers) {
    const std::string longAnswer(300, 'w');
    Parsed p("\244Q \"q\" \244A \"\" \"" + longAnswer + "\" \244E");
    ASSERT_TRUE(p.ok());
    ASSERT_EQ(p.q().ReturnAnswerLength(0), 2);
    EXPECT_EQ(p.q().TestAnswer("", 256), 1);
    EXPECT_EQ(p.q().TestAnswer(" ", 256), 0);
    EXPECT_EQ(p.q().TestAnswer("", 0), 0);
    EXPECT_EQ(p.q().TestAnswer(longAnswer.c_str(), 256), 0);
    EXPECT_EQ(p.q().TestAnswer(longAnswer.c_str(), 300), 0);
    EXPECT_EQ(p.q().TestAnswer(longAnswer.c_str(), 301), 2);
}

TEST(TestAnswer, ReadsNeitherTextPastItsEnd) {
    Parsed p("\244Q \"q\" \244A \"Paris\" \"Parisian\" \244E");
    ASSERT_TRUE(p.ok());
    // Heap buffers of the exact length let the address sanitizer catch any
    // read beyond the terminator, although `size` allows more.
    std::vector<char> shortGiven = {'P', 'a', 'r', '\0'};
    EXPECT_EQ(p.q().TestAnswer(shortGiven.data(), 256), 0);
    std::vector<char> given = {'p', 'a', 'r', 'i', 's', '\0'};
    EXPECT_EQ(p.q().TestAnswer(given.data(), 256), 1);

    // A stored answer is compared only within its recorded size, and one left
    // with a negative size by a failed read matches nothing.
    clQuestion q;
    q.answerAntal = 3;
    q.answers = new char*[3]();
    q.answerLengths = new std::int32_t[3]();
    q.answers[0] = new char[2]{'a', 'b'};
    q.answerLengths[0] = 2;
    q.answerLengths[1] = -999998;
    q.answers[2] = new char[4]{'a', 'b', '\0', '\0'};
    q.answerLengths[2] = 4;
    EXPECT_EQ(q.TestAnswer("ab", 256), 3);
    EXPECT_EQ(q.TestAnswer("", 256), 0);
}

// Answers compare without case by the letters of Windows-1252, the code page
// of the texts; the code page 850 pairs do not apply.
TEST(TestAnswer, Windows1252LettersFoldAndNothingElse) {
    struct Case {
        const char* stored;
        const char* typed;
        bool folded;
    };
    const Case cases[] = {
        {"\xE9t\xE9", "\xC9T\xC9", true},  // été / ÉTÉ
        {"\xFC"
         "ber",
         "\xDC"
         "ber",
         true},  // über / Über
        {"\x9A"
         "ibenik",
         "\x8A"
         "ibenik",
         true},  // šibenik / Šibenik
        {"\x9C"
         "uvre",
         "\x8C"
         "UVRE",
         true},  // œuvre / ŒUVRE
        {"\x9E"
         "ivot",
         "\x8E"
         "ivot",
         true},                  // život / Život
        {"\xFF", "\x9F", true},  // ÿ / Ÿ
        {"\xE5"
         "sa",
         "\xC5"
         "SA",
         true},                             // åsa / ÅSA
        {"\xFE", "\xDE", true},             // þ / Þ
        {"\xE9t\xE9", "\xA3t\xA3", false},  // £t£ is no été
        {"\x8A"
         "ibenik",
         "\xD4"
         "ibenik",
         false},                  // Ôibenik is no Šibenik
        {"\xF7", "\xD7", false},  // ÷ and × are no pair
        {"\xDF", "SS", false},    // ß has no upper case here
        {"\xE4", "\x84", false},  // „ is no ä
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.stored) + " / " + c.typed);
        const std::string answers = std::string("\"") + c.stored + "\"";
        Parsed folded("\244Q \"q\" \244A " + answers + " \244E");
        Parsed exact("\244Q \"q\" \244A " + answers + " \244F cs \244E");
        ASSERT_TRUE(folded.ok());
        ASSERT_TRUE(exact.ok());
        EXPECT_EQ(folded.q().TestAnswer(c.typed, 256), c.folded ? 1 : 0);
        EXPECT_EQ(folded.q().TestAnswer(c.stored, 256), 1);
        EXPECT_EQ(exact.q().TestAnswer(c.typed, 256), 0);
        EXPECT_EQ(exact.q().TestAnswer(c.stored, 256), 1);
    }
}
