// A question file saved as UTF-8, UTF-8 with a mark, UTF-16 LE or UTF-16 BE
// reads exactly as the same file saved in Windows-1252: the same count, the
// same parse results, the same items byte for byte and the same answer tests.
// The copies are made here with the C library's own converter.
#include <gtest/gtest.h>
#include <iconv.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "questions/Question.h"
#include "round/QuestionOrder.h"
#include "rules/QuestionFileText.h"
#include "tests/support/TempDir.h"

namespace {

// `bytes` (Windows-1252) in `encoding`, as iconv names it; empty on failure.
std::string Convert(const std::string& bytes, const char* encoding) {
    iconv_t cd = iconv_open(encoding, "WINDOWS-1252");
    if (cd == reinterpret_cast<iconv_t>(-1)) return {};
    std::string out(bytes.size() * 4 + 8, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* to = out.data();
    std::size_t outLeft = out.size();
    const std::size_t r = iconv(cd, &in, &inLeft, &to, &outLeft);
    iconv_close(cd);
    if (r == static_cast<std::size_t>(-1) || inLeft != 0) return {};
    out.resize(out.size() - outLeft);
    return out;
}

struct Copy {
    const char* name;
    std::string bytes;
};

// The four copies; each must hold something, or the converter failed.
std::vector<Copy> Copies(const std::string& windows1252) {
    const std::string utf8 = Convert(windows1252, "UTF-8");
    const std::string le = Convert(windows1252, "UTF-16LE");
    const std::string be = Convert(windows1252, "UTF-16BE");
    return {{"utf-8", utf8},
            {"utf-8 with mark", "\xEF\xBB\xBF" + utf8},
            {"utf-16 le", "\xFF\xFE" + le},
            {"utf-16 be", "\xFE\xFF" + be}};
}

// An item handed out by `give`, with its size, byte for byte.
template <typename Give>
std::string Item(Give give) {
    int size = -5;
    std::unique_ptr<char[]> item(give(&size));
    if (!item) return "<null " + std::to_string(size) + ">";
    return std::string(item.get(), static_cast<std::size_t>(size));
}

// Everything a caller can learn of question n, and the answer tests.
std::vector<std::string> Reading(const std::string& path, int n,
                                 const std::vector<std::string>& typed) {
    clQuestion q;
    std::vector<std::string> out;
    out.push_back(q.GetQuestion(path.c_str(), n) ? "parsed" : "failed");
    out.push_back(Item([&q](int* size) { return q.GiveQuestion(size); }));
    out.push_back(Item([&q](int* size) { return q.GiveQPicture(size); }));
    out.push_back(Item([&q](int* size) { return q.GiveAZone(size); }));
    out.push_back(Item([&q](int* size) { return q.GiveAInfo(size); }));
    out.push_back(std::to_string(q.ReturnAnswerAntal()) + " answers, " +
                  std::to_string(q.ReturnAnswersNeeded()) + " needed, length " +
                  std::to_string(q.ReturnQuestionLength()));
    for (int k = 0; k < q.ReturnAnswerAntal(); ++k) {
        out.push_back(Item([&q, k](int* size) { return q.GiveAnswer(k, size); }) + " " +
                      std::to_string(q.ReturnAnswerLength(k)));
    }
    out.push_back("flags " + std::to_string(q.flags) + " zone " + std::to_string(q.ReturnZR()) +
                  "," + std::to_string(q.ReturnZG()) + "," + std::to_string(q.ReturnZB()));
    for (const std::string& t : typed) {
        out.push_back(t + " -> " + std::to_string(q.TestAnswer(t.c_str(), 256)));
    }
    return out;
}

// Typed texts: every answer of the Windows-1252 file as given, with its
// letters' case turned round, and cut short by one byte.
std::vector<std::string> TypedTexts(const std::string& path, int count) {
    std::vector<std::string> typed{"", "?", "no such answer"};
    for (int n = 1; n <= count; ++n) {
        clQuestion q;
        if (!q.GetQuestion(path.c_str(), n)) continue;
        for (int k = 0; k < q.ReturnAnswerAntal(); ++k) {
            const std::string answer = q.answers[k];
            typed.push_back(answer);
            std::string swapped = answer;
            for (char& c : swapped) {
                const auto b = static_cast<unsigned char>(c);
                if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b >= 0xC0) c ^= 0x20;
                if (b == 0x8A || b == 0x8C || b == 0x8E || b == 0x9A || b == 0x9C || b == 0x9E)
                    c ^= 0x10;
            }
            typed.push_back(swapped);
            if (!answer.empty()) typed.push_back(answer.substr(0, answer.size() - 1));
        }
    }
    return typed;
}

int Count(const std::string& path) {
    clQuestionOrder round;
    round.LoadQuestionFile(path.c_str());
    return round.qantal;
}

void ExpectSameReading(const std::string& windows1252, const std::string& what) {
    SCOPED_TRACE(what);
    TempDir dir;
    ClearQuestionTextCache();
    const std::string original = dir.Write("original.txt", windows1252);
    ASSERT_EQ(DetectEncoding(windows1252), TextEncoding::Windows1252);
    const int count = Count(original);
    ASSERT_GT(count, 0);
    const std::vector<std::string> typed = TypedTexts(original, count);
    std::vector<std::vector<std::string>> expected;
    for (int n = 0; n <= count + 1; ++n) expected.push_back(Reading(original, n, typed));

    int parsed = 0;
    for (int n = 1; n <= count; ++n) parsed += expected[n][0] == "parsed";
    EXPECT_GT(parsed, 0);

    for (const Copy& copy : Copies(windows1252)) {
        SCOPED_TRACE(copy.name);
        ASSERT_GT(copy.bytes.size(), 4u);
        const std::string path = dir.Write(std::string(copy.name) + ".txt", copy.bytes);
        EXPECT_EQ(Count(path), count);
        for (int n = 0; n <= count + 1; ++n) {
            SCOPED_TRACE("question " + std::to_string(n));
            EXPECT_EQ(Reading(path, n, typed), expected[n]);
        }
    }
}

// The printable characters of Windows-1252 that may stand in a text: all
// but the tag byte, the double quote and the five bytes the page leaves
// undefined.
std::string EveryCharacter() {
    std::string text;
    for (int b = 0x20; b < 0x100; ++b) {
        if (b == 0x22 || b == 0xA4 || b == 0x7F || b == 0x81 || b == 0x8D || b == 0x8F ||
            b == 0x90 || b == 0x9D) {
            continue;
        }
        text.push_back(static_cast<char>(b));
    }
    return text;
}

std::string GeneratedFile() {
    const std::string all = EveryCharacter();
    std::string file = "Notes before the first block: \xC4\xD6\xDC \xE4\xF6\xFC \x80 \x8A\x9A\r\n";
    // One block per letter: the letter as its own answer, with its partner.
    for (int b = 0x80; b < 0x100; ++b) {
        const char c = static_cast<char>(b);
        if (all.find(c) == std::string::npos) continue;
        file += "\xA4Q \"Letter " + std::string(1, c) + " in a text: x" + std::string(1, c) +
                "y\"\r\n\xA4"
                "A \"" +
                std::string(1, c) + "\" \"" + std::string(3, c) +
                "x\"\r\n\xA4"
                "E\r\n";
    }
    // Every character in one text, an answer and the information.
    file += "\xA4Q \"" + all +
            "\" \xA4P \"Bild \xC4\xE9\xF8\x80.bmp\" \xA4"
            "A \"" +
            all + "\" \"\xC9T\xC9\" \"\x8Aibenik\" \xA4Z \"Zon \xE5\x9F.bmp\" \xA4I \"" + all +
            "\" \xA4"
            "F alla \xA4"
            "E\r\n";
    const char* flags[] = {"cs",
                           "zdr",
                           "zdg",
                           "zdb",
                           "qzone",
                           "alla",
                           "zr 300 zg -5 zb 40",
                           "zr\xE4"
                           "12",
                           "cs\xFC zdg\xF6"};
    for (const char* f : flags) {
        file += "\xA4Q \"Flags " + std::string(f) +
                " \xE4\" \xA4"
                "A \"\xC5sa\" \"\xE5sa\" \xA4"
                "F " +
                f +
                " \xA4"
                "E\r\n";
    }
    const char* colours[] = {"red",        "blue",      "green",      "yellow",     "violet",
                             "turquoise",  "orange",    "grey",       "pink",       "darkred",
                             "darkblue",   "darkgreen", "darkyellow", "darkviolet", "darkturquoise",
                             "darkorange", "darkgrey"};
    for (const char* colour : colours) {
        file += "\xA4Q \"Zone " + std::string(colour) +
                "\" \xA4P \"p\xE4.bmp\" \xA4"
                "A \xA4Z \"z\xF6.bmp\" \xA4"
                "F zc \xE9" +
                colour +
                " \xA4"
                "E\r\n";
    }
    // Broken blocks read alike too: an odd quote count, no answers tag, no end.
    file +=
        "\xA4Q \"Odd \xE4\" \xA4"
        "A \"a\" \"\xF6 \xA4"
        "E\r\n";
    file +=
        "\xA4Q \"No answers \xE4\" \xA4"
        "E\r\n";
    file +=
        "\xA4Q \"Last, no end \xDF\" \xA4"
        "A \"\xDF\"";
    return file;
}

}  // namespace

TEST(EncodingDifferential, ExampleFile) {
    const std::string path = std::string(QUILLFIN_SOURCE_DIR) + "/examples/first-quiz.txt";
    const std::string bytes = ReadWholeFile(path);
    ASSERT_FALSE(bytes.empty());
    ExpectSameReading(bytes, "examples/first-quiz.txt");
}

TEST(EncodingDifferential, EveryLetterFlagAndColour) {
    ExpectSameReading(GeneratedFile(), "generated");
}

TEST(EncodingDifferential, ExampleTwinReadsAsTheOriginal) {
    const std::string dir = std::string(QUILLFIN_SOURCE_DIR) + "/examples/";
    const std::string twin = ReadWholeFile(dir + "first-quiz-utf8.txt");
    ASSERT_EQ(DetectEncoding(twin), TextEncoding::Utf8);
    const int count = Count(dir + "first-quiz.txt");
    ASSERT_GT(count, 5);
    EXPECT_EQ(Count(dir + "first-quiz-utf8.txt"), count);
    const std::vector<std::string> typed = TypedTexts(dir + "first-quiz.txt", count);
    for (int n = 1; n <= count; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(Reading(dir + "first-quiz-utf8.txt", n, typed),
                  Reading(dir + "first-quiz.txt", n, typed));
    }
}

// Files saved in Windows-1252 keep their reading: none is taken for UTF-8.
TEST(EncodingDifferential, Windows1252FilesKeepTheirReading) {
    namespace fs = std::filesystem;
    const fs::path root(QUILLFIN_SOURCE_DIR);
    std::vector<fs::path> files;
    for (const char* folder : {"examples", "fuzz/corpus/questions"}) {
        for (const auto& entry : fs::directory_iterator(root / folder)) {
            const std::string name = entry.path().filename().string();
            // Seeds named big-* are instructions to the fuzz harness, not files.
            if (!entry.is_regular_file() || name.find("utf") != std::string::npos ||
                name.rfind("big-", 0) == 0) {
                continue;
            }
            if (folder == std::string("examples") && entry.path().extension() != ".txt") continue;
            files.push_back(entry.path());
        }
    }
    ASSERT_GE(files.size(), 7u);
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        const std::string bytes = ReadWholeFile(file.string());
        EXPECT_EQ(DetectEncoding(bytes), TextEncoding::Windows1252);
        auto text = LoadQuestionText(file.string().c_str());
        ASSERT_TRUE(text);
        EXPECT_TRUE(text->Bytes() == bytes);
    }
}

// Bad units read as '?' in a file with a mark; a file that is UTF-8 only up
// to its middle reads byte for byte. Nothing is read outside the file.
TEST(EncodingDifferential, BadInputsReadInADefinedWay) {
    struct Case {
        const char* what;
        std::string bytes;
        int count;
        std::string question;  // of block 1, as the record holds it
        std::string answer;    // the first answer of block 1
    };
    auto le = [](std::u16string_view units, std::string tail = "") {
        std::string out = "\xFF\xFE";
        for (char16_t u : units) {
            out.push_back(static_cast<char>(u & 0xFF));
            out.push_back(static_cast<char>(u >> 8));
        }
        return out + tail;
    };
    const Case cases[] = {
        {"invalid sequences after a mark",
         "\xEF\xBB\xBF\xC2\xA4Q \"a\xC0\xAF"
         "b\" \xC2\xA4"
         "A \"\xE2\x82\" \xC2\xA4"
         "E",
         1, "a??b", "?"},
        {"odd byte count",
         le(u"\u00A4Q \"q\" \u00A4"
            u"A \"x\" \u00A4"
            u"E",
            "\x41"),
         1, "q", "x"},
        {"lone surrogates",
         le(u"\u00A4Q \"\xD800"
            u"q\xDC00\" \u00A4"
            u"A \"\xDBFF\" \u00A4"
            u"E"),
         1, "?q?", "?"},
        {"UTF-8 only up to its middle",
         "\xC2\xA4Q \"G\xC3\xA4vle\" \xC2\xA4"
         "A \"x\" \xC2\xA4"
         "E \xA4Q \"\xE4v\" \xA4"
         "A \"y\" \xA4"
         "E",
         // Byte for byte: C2 A4 holds the tag byte, so both blocks count.
         2, "G\xC3\xA4vle", "x"},
        {"a mark and nothing else", "\xFE\xFF", 0, "", ""},
        {"cut in the middle of a pair",
         le(u"\u00A4Q \"q\" \u00A4"
            u"A \"\xD83D"),
         1, "q", ""},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.Write("bad.txt", c.bytes);
        ClearQuestionTextCache();
        EXPECT_EQ(Count(path), c.count);
        clQuestion q;
        const bool parsed = q.GetQuestion(path.c_str(), 1);
        if (c.count == 0) {
            EXPECT_FALSE(parsed);
            continue;
        }
        if (c.answer.empty()) {
            // The answer list runs to the end of the text: one quote, odd.
            EXPECT_FALSE(parsed);
            ASSERT_NE(q.question, nullptr);
            EXPECT_EQ(std::string(q.question), c.question);
            continue;
        }
        ASSERT_TRUE(parsed);
        EXPECT_EQ(std::string(q.question), c.question);
        ASSERT_GE(q.ReturnAnswerAntal(), 1);
        EXPECT_EQ(std::string(q.answers[0]), c.answer);
        EXPECT_FALSE(q.GetQuestion(path.c_str(), c.count + 1));
    }
}
