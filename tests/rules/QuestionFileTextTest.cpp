#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "rules/QuestionFileText.h"
#include "rules/RuleChecker.h"
#include "rules/TextUtils.h"
#include "tests/support/TempDir.h"

namespace {

const std::string kMark8 = "\xEF\xBB\xBF";

std::string Le(std::u16string_view units) {
    std::string out = "\xFF\xFE";
    for (char16_t u : units) {
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>(u >> 8));
    }
    return out;
}

std::string Be(std::u16string_view units) {
    std::string out = "\xFE\xFF";
    for (char16_t u : units) {
        out.push_back(static_cast<char>(u >> 8));
        out.push_back(static_cast<char>(u & 0xFF));
    }
    return out;
}

const char* Name(TextEncoding e) {
    switch (e) {
        case TextEncoding::Windows1252:
            return "Windows-1252";
        case TextEncoding::Utf8:
            return "UTF-8";
        case TextEncoding::Utf8WithMark:
            return "UTF-8 with mark";
        case TextEncoding::Utf16Le:
            return "UTF-16 LE";
        case TextEncoding::Utf16Be:
            return "UTF-16 BE";
    }
    return "?";
}

// A clock far after every file's times: every kept text counts as settled.
long long FarFuture() { return 4102444800LL * 1000000000LL; }  // 2100-01-01

class CacheTest : public testing::Test {
protected:
    void SetUp() override { ClearQuestionTextCache(); }
    void TearDown() override {
        SetQuestionTextClockForTests(nullptr);
        SetQuestionTextCacheCapForTests(kQuestionTextCacheBytes);
        ClearQuestionTextCache();
    }
    static std::string ReadQuestionText(const std::string& path, int size = 64) {
        char* text = GetToStop(path.c_str(), 0, "\n", 1, size, FileReading::QuestionFile);
        std::string out(text);
        delete[] text;
        return out;
    }
    TempDir dir_;
};

}  // namespace

TEST(DetectEncoding, MarksAndValidUtf8) {
    struct Case {
        std::string raw;
        TextEncoding expected;
    };
    const Case cases[] = {
        {"", TextEncoding::Windows1252},
        {"\xA4Q \"plain ASCII\"", TextEncoding::Windows1252},
        {"\xA4Q \"G\xE4vle\"", TextEncoding::Windows1252},  // E4 then 'v': no sequence
        {"\xC2\xA4Q \"G\xC3\xA4vle\"", TextEncoding::Utf8},
        {"\xC2\xA4Q \"G\xC3\xA4vle\" \xE4", TextEncoding::Windows1252},  // UTF-8 up to the middle
        {"\xC3", TextEncoding::Windows1252},                             // cut sequence
        {"\xC0\x80", TextEncoding::Windows1252},                         // overlong
        {"\xED\xA0\x80", TextEncoding::Windows1252},                     // encoded surrogate
        {"\xF4\x90\x80\x80", TextEncoding::Windows1252},                 // past U+10FFFF
        {"\xF0\x9F\x98\x80", TextEncoding::Utf8},                        // an emoji
        {kMark8, TextEncoding::Utf8WithMark},
        {kMark8 + "\xE4", TextEncoding::Utf8WithMark},
        {"\xFF\xFE", TextEncoding::Utf16Le},
        {"\xFE\xFF\x00", TextEncoding::Utf16Be},
        {"\xEF\xBB", TextEncoding::Windows1252},  // half a mark
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.raw));
        EXPECT_STREQ(Name(DetectEncoding(c.raw)), Name(c.expected));
    }
}

TEST(QuestionFileText, ConvertsToWindows1252) {
    struct Case {
        const char* what;
        std::string raw;
        std::string expected;
        TextEncoding encoding;
    };
    const Case cases[] = {
        {"utf-8", "\xC2\xA4Q \"G\xC3\xA4vle\" \xE2\x82\xAC\xC5\xA0\xC5\xB8",
         "\xA4Q \"G\xE4vle\" \x80\x8A\x9F", TextEncoding::Utf8},
        {"utf-8 mark dropped", kMark8 + "\xC2\xA4Q", "\xA4Q", TextEncoding::Utf8WithMark},
        {"utf-8 lacking characters", "\xCE\x94 \xD0\xA4 \xE4\xB8\xAD \xF0\x9F\x98\x80 \xC3\xA9",
         "? ? ? ? \xE9", TextEncoding::Utf8},
        {"utf-16 le", Le(u"\u00A4Q \"G\u00E4vle\" \u20AC"), "\xA4Q \"G\xE4vle\" \x80",
         TextEncoding::Utf16Le},
        {"utf-16 be", Be(u"\u00A4Q \"Malm\u00F6\" \u0178"), "\xA4Q \"Malm\xF6\" \x9F",
         TextEncoding::Utf16Be},
        {"utf-16 pair is one character", Le(u"a\U0001F600b"), "a?b", TextEncoding::Utf16Le},
        {"only a mark", kMark8, "", TextEncoding::Utf8WithMark},
        {"zero byte kept", kMark8 + std::string("a\0b", 3), std::string("a\0b", 3),
         TextEncoding::Utf8WithMark},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QuestionFileText text(c.raw);
        EXPECT_EQ(text.Bytes(), c.expected);
        EXPECT_STREQ(Name(text.Encoding()), Name(c.encoding));
        EXPECT_EQ(text.SourceSize(), static_cast<std::int64_t>(c.raw.size()));
    }
}

TEST(QuestionFileText, BadUnitsReadAsQuestionMarks) {
    struct Case {
        const char* what;
        std::string raw;
        std::string expected;
        // Where each '?' stands in the file, and how many bytes.
        std::vector<std::pair<std::int64_t, int>> sources;
    };
    const Case cases[] = {
        {"cut sequence inside a marked file",
         kMark8 + "a\xE2\x82"
                  "b",
         "a?b",
         {{4, 2}}},
        {"each byte that cannot start or continue",
         kMark8 + "\xC0\xAF\xFF",
         "???",
         {{3, 1}, {4, 1}, {5, 1}}},
        {"F0 then a byte outside 90..BF", kMark8 + "\xF0\x80x", "??x", {{3, 1}, {4, 1}}},
        {"encoded surrogate", kMark8 + "\xED\xA0\x80", "???", {{3, 1}, {4, 1}, {5, 1}}},
        {"cut at the end", kMark8 + "ok\xF0\x9F\x98", "ok?", {{5, 3}}},
        {"odd byte count", Le(u"ab") + "c", "ab?", {{6, 1}}},
        {"lone high surrogate",
         Le(u"a\xD800"
            u"b"),
         "a?b",
         {{4, 2}}},
        {"lone low surrogate", Be(u"a\xDC00"), "a?", {{4, 2}}},
        {"high surrogate at the end", Be(u"a\xDBFF"), "a?", {{4, 2}}},
        {"high surrogate then odd byte", Le(u"\xD83D") + "x", "??", {{2, 2}, {4, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QuestionFileText text(c.raw);
        EXPECT_EQ(text.Bytes(), c.expected);
        ASSERT_EQ(text.Replacements().size(), c.sources.size());
        std::size_t k = 0;
        for (const Replacement& r : text.Replacements()) {
            EXPECT_EQ(text.Bytes()[static_cast<std::size_t>(r.offset)], '?');
            EXPECT_EQ(r.code, Replacement::kBadUnit);
            EXPECT_EQ(r.sourceOffset, c.sources[k].first);
            EXPECT_EQ(r.sourceLength, c.sources[k].second);
            EXPECT_EQ(text.SourceOffset(r.offset), r.sourceOffset);
            ++k;
        }
    }
}

TEST(QuestionFileText, ReplacementsNameTheCharacter) {
    QuestionFileText text(Le(u"\u03A6 x \U0001F600"));
    ASSERT_EQ(text.Bytes(), "? x ?");
    ASSERT_EQ(text.Replacements().size(), 2u);
    EXPECT_EQ(text.Replacements()[0].code, U'\u03A6');
    EXPECT_EQ(text.Replacements()[0].sourceOffset, 2);
    EXPECT_EQ(text.Replacements()[0].sourceLength, 2);
    EXPECT_EQ(text.Replacements()[1].code, U'\U0001F600');
    EXPECT_EQ(text.Replacements()[1].offset, 4);
    EXPECT_EQ(text.Replacements()[1].sourceOffset, 10);
    EXPECT_EQ(text.Replacements()[1].sourceLength, 4);
}

TEST(TextLocator, LinesAndColumnsOfTheFileAsWritten) {
    // Line 2 holds a two-byte and a four-byte character before 'x'.
    const std::string utf8 = kMark8 + "ab\r\n\xC3\xA4\xF0\x9F\x98\x80x\nlast";
    QuestionFileText text(utf8);
    ASSERT_EQ(text.Bytes(), "ab\r\n\xE4?x\nlast");
    TextLocator at(text);
    struct Case {
        std::int64_t offset, line, column, source;
    };
    const Case cases[] = {
        {0, 1, 1, 3},  {2, 1, 3, 5},  {3, 1, 4, 6},   {4, 2, 1, 7},   {5, 2, 2, 9},   {6, 2, 3, 13},
        {7, 2, 4, 14}, {8, 3, 1, 15}, {11, 3, 4, 18}, {12, 3, 5, 19}, {99, 3, 5, 19},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        const TextPosition p = at.Locate(c.offset);
        EXPECT_EQ(p.line, c.line);
        EXPECT_EQ(p.column, c.column);
        EXPECT_EQ(p.sourceOffset, c.source);
    }

    QuestionFileText wide(Be(u"a\nb\U0001F600c"));
    TextLocator wideAt(wide);
    EXPECT_EQ(wideAt.Locate(2).line, 2);
    EXPECT_EQ(wideAt.Locate(4).column, 3);
    EXPECT_EQ(wideAt.Locate(4).sourceOffset, 12);  // 'c' after the pair
    EXPECT_EQ(wideAt.Locate(3).sourceOffset, 8);

    QuestionFileText plain("x\n\xE4y");
    TextLocator plainAt(plain);
    EXPECT_EQ(plainAt.Locate(3).column, 2);
    EXPECT_EQ(plainAt.Locate(3).sourceOffset, 3);
}

TEST(FileReading, QuestionReadersSeeTheConvertedText) {
    TempDir dir;
    const std::string path = dir.Write("q.txt", kMark8 + "\xC3\xA4\xC3\xA4 \xC2\xA4Q \"x\"");
    ClearQuestionTextCache();
    const char* rule = "AFTER'\244Q'()";
    EXPECT_EQ(FindPosition(rule, path.c_str(), 5, 0, false, FileReading::QuestionFile), 5);
    // Byte for byte: the offsets of the file as written.
    EXPECT_EQ(FindPosition(rule, path.c_str(), 5, 0, false), 11);
    EXPECT_EQ(CountCharTo(path.c_str(), 0, "\"", 1, 32, FileReading::QuestionFile), 6);
    EXPECT_EQ(CountCharTo(path.c_str(), 0, "\"", 1, 32), 12);
    char* item = GetToStop(path.c_str(), 0, " ", 1, 8, FileReading::QuestionFile);
    EXPECT_STREQ(item, "\xE4\xE4");
    delete[] item;
    EXPECT_EQ(FindPosition(rule, path.c_str(), 5, 99, false, FileReading::QuestionFile),
              NO_POSITION);
    const std::string number = dir.Write("n.txt", kMark8 + "\xC3\xA4-42");
    EXPECT_EQ(GetInt(number.c_str(), 2, FileReading::QuestionFile), -42);
    EXPECT_EQ(GetInt(number.c_str(), 6), -42);
    ClearQuestionTextCache();
}

TEST_F(CacheTest, ConvertedTextIsKeptUntilTheFileChanges) {
    SetQuestionTextClockForTests(FarFuture);
    const std::string path = dir_.Write("q.txt", "\xC3\xA4 one\n");
    EXPECT_EQ(ReadQuestionText(path), "\xE4 one");
    EXPECT_EQ(GetQuestionTextCacheStats().wholeReads, 1);
    EXPECT_EQ(GetQuestionTextCacheStats().bytesHeld, 6u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(ReadQuestionText(path), "\xE4 one");
    EXPECT_EQ(GetQuestionTextCacheStats().wholeReads, 1);

    ClearQuestionTextCache();
    EXPECT_EQ(GetQuestionTextCacheStats().entries, 0);
    EXPECT_EQ(ReadQuestionText(path), "\xE4 one");
    EXPECT_EQ(GetQuestionTextCacheStats().wholeReads, 1);
}

TEST_F(CacheTest, Windows1252FileIsNotCopied) {
    SetQuestionTextClockForTests(FarFuture);
    const std::string path = dir_.Write("q.txt", "\xE4 one\n");
    EXPECT_EQ(ReadQuestionText(path), "\xE4 one");
    EXPECT_EQ(ReadQuestionText(path), "\xE4 one");
    const QuestionTextCacheStats stats = GetQuestionTextCacheStats();
    EXPECT_EQ(stats.entries, 1);
    EXPECT_EQ(stats.bytesHeld, 0u);
    EXPECT_EQ(stats.wholeReads, 1);  // examined once, then read as it is
}

// A file rewritten at once with the same size may keep its times: the kept
// text is compared with the file until its times lie in the past.
TEST_F(CacheTest, SameSizeRewriteAtOnceIsSeen) {
    const std::string path = dir_.File("q.txt");
    const char* versions[] = {"\xC3\xA4 one\n", "\xC3\xB6 two\n", "\xE4 one\n", "\xC3\xA9 ABC\n"};
    const char* expected[] = {"\xE4 one", "\xF6 two", "\xE4 one", "\xE9 ABC"};
    for (int round = 0; round < 3; ++round) {
        for (int v = 0; v < 4; ++v) {
            SCOPED_TRACE(v);
            dir_.Write("q.txt", versions[v]);
            EXPECT_EQ(ReadQuestionText(path), expected[v]);
            EXPECT_EQ(ReadQuestionText(path), expected[v]);
        }
    }
}

#ifndef _WIN32
TEST_F(CacheTest, EveryPartOfTheKeyCounts) {
    SetQuestionTextClockForTests(FarFuture);
    const std::string path = dir_.Write("q.txt", "\xC3\xA4 one\n");
    EXPECT_EQ(ReadQuestionText(path), "\xE4 one");
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);

    // Same size, the modification time put back: only the change time differs.
    auto rewriteKeepingMtime = [&](const char* content) {
        struct stat now {};
        do {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            dir_.Write("q.txt", content);
            const timespec times[2] = {before.st_atim, before.st_mtim};
            ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
            ASSERT_EQ(::stat(path.c_str(), &now), 0);
        } while (now.st_ctim.tv_sec == before.st_ctim.tv_sec &&
                 now.st_ctim.tv_nsec == before.st_ctim.tv_nsec);
        before = now;
    };
    rewriteKeepingMtime("\xC3\xB6 two\n");
    EXPECT_EQ(ReadQuestionText(path), "\xF6 two");

    // Another file of the same size and times moved in its place: a new inode.
    const std::string other = dir_.Write("other.txt", "\xC3\xBC uno\n");
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, other.c_str(), times, 0), 0);
    ASSERT_EQ(std::rename(other.c_str(), path.c_str()), 0);
    EXPECT_EQ(ReadQuestionText(path), "\xFC uno");

    // A longer file.
    dir_.Write("q.txt", "\xC3\xA4 longer\n");
    EXPECT_EQ(ReadQuestionText(path), "\xE4 longer");
}
#endif

TEST_F(CacheTest, NamesAreKeptApart) {
    SetQuestionTextClockForTests(FarFuture);
    std::vector<std::string> paths;
    for (int i = 0; i < 12; ++i) {
        paths.push_back(
            dir_.Write("q" + std::to_string(i) + ".txt", "\xC3\xA4" + std::to_string(i) + "\n"));
    }
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 12; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(ReadQuestionText(paths[i]), "\xE4" + std::to_string(i));
        }
    }
    EXPECT_LE(GetQuestionTextCacheStats().entries, 8);
    EXPECT_EQ(ReadQuestionText(dir_.File("missing.txt")), "");
}

TEST_F(CacheTest, ByteCapKeepsTheNewestTextAndDropsTheOldest) {
    SetQuestionTextClockForTests(FarFuture);
    SetQuestionTextCacheCapForTests(1000);
    // Converted texts of 400 bytes: two fit under the cap, a third does not.
    std::vector<std::string> paths;
    for (int i = 0; i < 3; ++i) {
        paths.push_back(dir_.Write("q" + std::to_string(i) + ".txt",
                                   std::string(398, static_cast<char>('a' + i)) + "\xC3\xA4\n"));
        EXPECT_EQ(ReadQuestionText(paths[i], 500).size(), 399u);
    }
    QuestionTextCacheStats stats = GetQuestionTextCacheStats();
    EXPECT_EQ(stats.entries, 2);
    EXPECT_EQ(stats.bytesHeld, 800u);
    EXPECT_EQ(stats.wholeReads, 3);
    // The newest is kept, the oldest was dropped and is read again.
    ReadQuestionText(paths[2], 500);
    EXPECT_EQ(GetQuestionTextCacheStats().wholeReads, 3);
    ReadQuestionText(paths[0], 500);
    EXPECT_EQ(GetQuestionTextCacheStats().wholeReads, 4);
    // A text over the cap by itself is still kept while it is the newest.
    const std::string large = dir_.Write("large.txt", std::string(1500, 'x') + "\xC3\xA4\n");
    ReadQuestionText(large, 8);
    ReadQuestionText(large, 8);
    stats = GetQuestionTextCacheStats();
    EXPECT_EQ(stats.entries, 1);
    EXPECT_EQ(stats.bytesHeld, 1502u);
    EXPECT_EQ(stats.wholeReads, 5);
}

TEST_F(CacheTest, LoadQuestionTextForEveryKindOfFile) {
    const std::string utf8 = dir_.Write("u.txt", "\xC3\xA4\n");
    const std::string cp = dir_.Write("c.txt", "\xE4\n");
    auto a = LoadQuestionText(utf8.c_str());
    auto b = LoadQuestionText(cp.c_str());
    ASSERT_TRUE(a);
    ASSERT_TRUE(b);
    EXPECT_EQ(a->Bytes(), "\xE4\n");
    EXPECT_EQ(b->Bytes(), "\xE4\n");
    EXPECT_STREQ(Name(a->Encoding()), "UTF-8");
    EXPECT_STREQ(Name(b->Encoding()), "Windows-1252");
    EXPECT_EQ(LoadQuestionText(dir_.File("missing.txt").c_str()), nullptr);
    EXPECT_EQ(LoadQuestionText(dir_.Path().string().c_str()), nullptr);
    EXPECT_EQ(LoadQuestionText(nullptr), nullptr);
}

// Over many checkpoints: every byte of a long converted text maps back to
// where its character stood, whatever mix of widths came before it.
TEST(QuestionFileText, SourceOffsetOfEveryByteOfALongText) {
    struct Piece {
        std::string utf8;
        std::u16string utf16;
        char converted;
    };
    const Piece pieces[] = {
        {"a", u"a", 'a'},
        {"\xC3\xA4", u"\u00E4", '\xE4'},
        {"\xE2\x82\xAC", u"\u20AC", '\x80'},
        {"\xF0\x9F\x98\x80", u"\U0001F600", '?'},
        {"?", u"?", '?'},
        {"\n", u"\n", '\n'},
        {"\xCE\x94", u"\u0394", '?'},
    };
    std::mt19937 random(7);
    std::string utf8 = kMark8, expected;
    std::u16string utf16;
    std::vector<std::int64_t> sources8, sources16;
    for (int i = 0; i < 30000; ++i) {
        const Piece& p = pieces[random() % std::size(pieces)];
        sources8.push_back(static_cast<std::int64_t>(utf8.size()));
        sources16.push_back(2 + 2 * static_cast<std::int64_t>(utf16.size()));
        utf8 += p.utf8;
        utf16 += p.utf16;
        expected.push_back(p.converted);
    }
    const QuestionFileText text8(utf8);
    const QuestionFileText text16(Le(utf16));
    ASSERT_EQ(text8.Bytes(), expected);
    ASSERT_EQ(text16.Bytes(), expected);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (text8.SourceOffset(static_cast<std::int64_t>(i)) != sources8[i] ||
            text16.SourceOffset(static_cast<std::int64_t>(i)) != sources16[i]) {
            ADD_FAILURE() << "byte " << i;
            break;
        }
    }
    EXPECT_EQ(text8.SourceOffset(static_cast<std::int64_t>(expected.size())),
              static_cast<std::int64_t>(utf8.size()));
}
