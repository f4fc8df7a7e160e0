// Finding a block and parsing it from its offset, against GetQuestion(n).
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "questions/Question.h"
#include "rules/QuestionFileText.h"
#include "tests/support/QuestionFiles.h"
#include "tests/support/TempDir.h"

namespace {

// Every field of the record, with each buffer's stored bytes.
std::string Snapshot(const clQuestion& q) {
    auto item = [](const char* buffer, int size) {
        return buffer && size > 0 ? std::string(buffer, static_cast<std::size_t>(size))
                                  : std::string("<null>");
    };
    std::string s = item(q.question, q.questionLength) + "|" + std::to_string(q.questionLength);
    s += "|" + item(q.qPicture, q.qPictureLength) + "|" + std::to_string(q.qPictureLength);
    s += "|" + item(q.aZone, q.aZoneLength) + "|" + std::to_string(q.aZoneLength);
    s += "|" + item(q.aInfo, q.aInfoLength) + "|" + std::to_string(q.aInfoLength);
    s += "|" + std::to_string(q.answerAntal);
    for (int i = 0; i < q.answerAntal; ++i) {
        s +=
            "|" + item(q.answers[i], q.answerLengths[i]) + "#" + std::to_string(q.answerLengths[i]);
    }
    s += "|" + std::to_string(q.answersNeeded) + "|" + std::to_string(q.flags) + "|" +
         std::to_string(q.zr) + "," + std::to_string(q.zg) + "," + std::to_string(q.zb);
    return s;
}

// The offsets FindQuestionBlock gives for n = 1, 2, ... until it finds none.
std::vector<int> BlocksOneByOne(const std::string& file) {
    std::vector<int> blocks;
    for (int n = 1;; ++n) {
        int at = clQuestion::FindQuestionBlock(file.c_str(), n);
        if (at < 0) return blocks;
        blocks.push_back(at);
    }
}

}  // namespace

TEST(FindQuestionBlocks, AgreesWithTheSearchForEachBlock) {
    std::string acrossBlock(65535, ' ');
    acrossBlock += "\244Q\"q\"\244A\244E";  // the tag byte ends the first 64 KiB read
    const struct {
        const char* name;
        std::string content;
    } cases[] = {
        {"empty", ""},
        {"no tags", "just a note"},
        {"one block", RiverQuestionBlock()},
        {"tag at the very end", "x\244Q"},
        {"tag byte at the end, no letter", "\244Q\244"},
        {"doubled tag byte", "\244\244Q\244\244\244Q"},
        {"lower-case letter", "\244q \244Q"},
        {"zero byte hides later tags", std::string("\244Q \0 \244Q", 7)},
        {"tag split by the read size", acrossBlock},
        {"generated", GeneratedQuestionFile(7, 40, true)},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = dir.Write("blocks.txt", c.content);
        EXPECT_EQ(clQuestion::FindQuestionBlocks(file.c_str()), BlocksOneByOne(file));
    }
    EXPECT_TRUE(clQuestion::FindQuestionBlocks(dir.File("missing.txt").c_str()).empty());
    EXPECT_TRUE(clQuestion::FindQuestionBlocks(dir.Path().string().c_str()).empty());
}

// The line of a block's question tag, as an editor counts lines, also in a
// converted file and past the first block of reading.
TEST(FindQuestionLine, CountsLinesUpToTheBlocksTag) {
    TempDir dir;
    const std::string block = "\244Q \"q\" \244A \"a\" \244E";
    std::string utf16 = "\xFF\xFE";
    for (unsigned char c : std::string("\r\n\r\n\244Q \"q\" \244A \"a\" \244E")) {
        // Windows-1252 0xA4 and ASCII are the same code points in UTF-16.
        utf16 += static_cast<char>(c);
        utf16 += '\0';
    }
    const struct {
        const char* what;
        std::string text;
        int n;
        int line;
    } cases[] = {
        {"first byte", block + "\r\n" + block, 1, 1},
        {"second block, CR LF", block + "\r\n\r\n" + block, 2, 3},
        {"tag mid-line", block + " " + block, 2, 1},
        {"UTF-16", utf16, 1, 3},
        {"after 70,000 lines", std::string(70000, '\n') + block, 1, 70001},
        {"no such block", block, 2, -1},
        {"no block at all", "", 1, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string file = dir.Write("lines.txt", c.text);
        EXPECT_EQ(clQuestion::FindQuestionLine(file.c_str(), c.n), c.line);
    }
}

// What a block without answers or zone is: a card when it has a text or
// information to show, empty otherwise.
TEST(InformationCard, NeedsATextAndNoAnswersOrZone) {
    TempDir dir;
    const struct {
        std::string block;
        bool card;
        bool empty;
    } cases[] = {
        {"\244Q \"Read this.\" \244A \244E", true, false},
        {"\244Q \244A \244I \"Info only.\" \244E", true, false},
        {"\244Q \"\" \244A \244I \"\" \244E", false, true},
        {"\244Q \244P \"p.bmp\" \244A \244E", false, true},
        {"\244Q \"Click.\" \244A \244Z \"z.bmp\" \244E", false, false},
        {"\244Q \"Type.\" \244A \"a\" \244E", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.block);
        clQuestion q;
        ASSERT_TRUE(q.GetQuestion(dir.Write("card.txt", c.block).c_str(), 1));
        EXPECT_EQ(q.IsInformationCard(), c.card);
        EXPECT_EQ(q.IsEmptyBlock(), c.empty);
    }
}

TEST(GetQuestionAt, GivesTheRecordOfGetQuestion) {
    TempDir dir;
    for (unsigned seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const std::string file =
            dir.Write("generated.txt", GeneratedQuestionFile(seed, 30, seed % 3 != 0));
        const std::vector<int> blocks = clQuestion::FindQuestionBlocks(file.c_str());
        ASSERT_EQ(blocks.size(), 30u);
        for (int n = 0; n <= 31; ++n) {
            SCOPED_TRACE("question " + std::to_string(n));
            clQuestion whole;
            clQuestion stepwise;
            // Both records start out holding another question, as the program's does.
            whole.GetQuestion(file.c_str(), 1);
            stepwise.GetQuestion(file.c_str(), 2);
            const bool wholeResult = whole.GetQuestion(file.c_str(), n);
            const int at = clQuestion::FindQuestionBlock(file.c_str(), n);
            const bool stepResult = stepwise.GetQuestionAt(file.c_str(), at);
            EXPECT_EQ(stepResult, wholeResult);
            EXPECT_EQ(Snapshot(stepwise), Snapshot(whole));
            if (n >= 1 && n <= 30) {
                EXPECT_EQ(at, blocks[static_cast<std::size_t>(n - 1)]);
            } else {
                EXPECT_LT(at, 0);
            }
        }
    }
}

TEST(GetQuestionAt, TraceTellsWhereAndWhy) {
    using Failure = QuestionTrace::Failure;
    const struct {
        const char* name;
        std::string content;
        Failure failure;
        int failureAt;
    } cases[] = {
        {"parses",
         "\244Q \"q\" \244P \"p\" \244A \"a\" \"b\" \244Z \"z\" \244I \"i\" \244F cs \244E",
         Failure::None, -1},
        {"no answers tag", "\244Q \"q\" \244E \244A \"a\" \244E", Failure::NoAnswersTag, 2},
        {"unclosed question text", "\244Q \"q \244A", Failure::UnclosedQuote, 3},
        {"unclosed info", "\244Q \"q\" \244A \"a\" \244I \"never", Failure::UnclosedQuote, 17},
        {"odd quote count", "\244Q \"q\" \244A \"a\" \"b\" \" \244E", Failure::OddQuoteCount, 18},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = dir.Write("trace.txt", c.content);
        clQuestion q;
        QuestionTrace trace;
        const bool parsed = q.GetQuestionAt(file.c_str(), 2, &trace);
        EXPECT_EQ(parsed, c.failure == Failure::None);
        EXPECT_EQ(trace.failure, c.failure);
        EXPECT_EQ(trace.failureAt, c.failureAt);
        EXPECT_EQ(trace.questionTag, 2);
    }
    const std::string file = dir.Write("trace.txt", std::string(cases[0].content));
    clQuestion q;
    QuestionTrace trace;
    ASSERT_TRUE(q.GetQuestionAt(file.c_str(), 2, &trace));
    EXPECT_EQ(trace.questionText, 4);
    EXPECT_EQ(trace.picture, 11);
    EXPECT_EQ(trace.answersTag, 16);
    EXPECT_EQ(trace.answerQuotes, (std::vector<int>{17, 19, 21, 23}));
    EXPECT_EQ(trace.answerListEnd, 25);
    EXPECT_EQ(trace.zone, 29);
    EXPECT_EQ(trace.info, 36);
    EXPECT_EQ(trace.flagsTag, 41);
}

TEST(HeldQuestionText, ReadsComeFromTheSnapshotWhileItIsHeld) {
    TempDir dir;
    const std::string file = dir.Write("held.txt", "\244Q \"on disk\" \244A \"a\" \244E");
    auto snapshot = std::make_shared<const QuestionFileText>(
        std::string_view("\244Q \"held\" \244A \"b\" \"c\" \244E"));
    clQuestion q;
    {
        HeldQuestionText hold(file.c_str(), snapshot);
        ASSERT_TRUE(q.GetQuestion(file.c_str(), 1));
        EXPECT_STREQ(q.question, "held");
        EXPECT_EQ(q.ReturnAnswerAntal(), 2);
        // Another spelling of the name is another file for the hold.
        ASSERT_TRUE(q.GetQuestion((dir.Path() / "." / "held.txt").string().c_str(), 1));
        EXPECT_STREQ(q.question, "on disk");
    }
    ASSERT_TRUE(q.GetQuestion(file.c_str(), 1));
    EXPECT_STREQ(q.question, "on disk");
}

// The fingerprints of a file, which hold its text for their own walk, while
// a caller holds another file: the caller's hold stays in force.
TEST(HeldQuestionText, AHoldWithinAHoldPutsTheOuterOneBack) {
    TempDir dir;
    const std::string outer = dir.Write("outer.txt", "\244Q \"on disk\" \244A \"a\" \244E");
    const std::string other = dir.Write("other.txt", "\244Q \"x\" \244A \"y\" \244E");
    auto snapshot = std::make_shared<const QuestionFileText>(
        std::string_view("\244Q \"held\" \244A \"b\" \244E"));
    HeldQuestionText hold(outer.c_str(), snapshot);
    EXPECT_EQ(clQuestion::FingerprintQuestions(other.c_str()).size(), 1u);
    clQuestion q;
    ASSERT_TRUE(q.GetQuestion(outer.c_str(), 1));
    EXPECT_STREQ(q.question, "held");
}

// Searches over a held text remember where nothing can act; every block of
// files full of missing end tags and stray tags must still parse as it does
// from the file.
TEST(HeldQuestionText, GivesTheRecordsOfTheFile) {
    TempDir dir;
    std::mt19937 random(77);
    std::vector<std::string> texts = {
        std::string(40, ' ') + "\244Q\244Q\244Q \"q\" \244Q\244A \"a\" \244I \"i\"",
        "\244Q \"a\" \244A \"x\" \244F zr 5 \244Q \"b\" \244A \244Q \"c\" \244A \"y\" \244F zc red",
    };
    for (unsigned seed = 1; seed <= 40; ++seed) {
        std::string text = GeneratedQuestionFile(seed, 12, true);
        for (int e = 0; e < 6; ++e) {
            const std::size_t at = random() % text.size();
            static const char kBytes[] = "\244\244\"QAEFZI ";
            if (random() % 2) {
                text.insert(at, 1, kBytes[random() % (sizeof kBytes - 1)]);
            } else {
                text.erase(at, 1 + random() % 12);
            }
        }
        texts.push_back(text);
    }
    for (std::size_t t = 0; t < texts.size(); ++t) {
        SCOPED_TRACE("file " + std::to_string(t));
        const std::string file = dir.Write("memo.txt", texts[t]);
        const std::vector<int> blocks = clQuestion::FindQuestionBlocks(file.c_str());
        std::vector<std::string> fromFile;
        for (int at : blocks) {
            clQuestion q;
            const bool parsed = q.GetQuestionAt(file.c_str(), at);
            fromFile.push_back(std::to_string(parsed) + Snapshot(q));
        }
        HeldQuestionText hold(file.c_str(), LoadQuestionText(file.c_str()));
        EXPECT_EQ(clQuestion::FindQuestionBlocks(file.c_str()), blocks);
        for (std::size_t b = 0; b < blocks.size(); ++b) {
            clQuestion q;
            const bool parsed = q.GetQuestionAt(file.c_str(), blocks[b]);
            EXPECT_EQ(std::to_string(parsed) + Snapshot(q), fromFile[b]) << "block " << b + 1;
        }
    }
}
