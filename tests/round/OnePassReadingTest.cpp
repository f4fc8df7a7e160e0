// The one-pass question count and round file reader against the literal
// searches, on generated files.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "round/QuestionOrder.h"
#include "tests/round/RoundReference.h"
#include "tests/support/TempDir.h"

namespace {

using round_test::AsPairs;
using round_test::LiteralCountQuestions;
using round_test::LiteralLoadRound;
using round_test::LoadedRound;

std::string Pick(std::mt19937& gen, const std::vector<std::string>& pieces) {
    return pieces[gen() % pieces.size()];
}

std::string QuestionText(std::mt19937& gen) {
    static const std::vector<std::string> pieces = {
        "\244Q",     "\244Q", "\244", "Q",          "\244\244Q", "\244A \"x\" ",
        "\244E\r\n", "text ", "\r\n", "\244Q\244Q", "\244q",     std::string(1, '\0'),
    };
    std::string s;
    const int length = static_cast<int>(gen() % 60);
    for (int i = 0; i < length; ++i) {
        std::string piece = Pick(gen, pieces);
        if (piece[0] == '\0' && gen() % 3 != 0) continue;  // zero bytes stay rare
        s += piece;
    }
    return s;
}

std::string RoundBody(std::mt19937& gen) {
    static const std::vector<std::string> pieces = {
        "Q: ",
        "Q:",
        "Q",
        ":",
        "Stat: ",
        "Stat:",
        "Sta",
        "t: ",
        "St",
        "7",
        "42",
        "-",
        "-3",
        " ",
        "\r\n",
        "\n",
        "x",
        "Q:Q:",
        "qantal: 2",
        "99999999999",
        "00000000000000000012",
        std::string(1, '\0'),
    };
    std::string s;
    const int length = static_cast<int>(gen() % 80);
    for (int i = 0; i < length; ++i) {
        std::string piece = Pick(gen, pieces);
        if (piece[0] == '\0' && gen() % 4 != 0) continue;
        s += piece;
    }
    return s;
}

void ExpectSameLoad(const clQuestionOrder& round, int result, const LoadedRound& expected) {
    EXPECT_EQ(result, expected.result);
    EXPECT_EQ(round.qfile != nullptr, expected.hasQFile);
    if (round.qfile && expected.hasQFile) {
        EXPECT_EQ(std::string(round.qfile), expected.qfile);
    }
    EXPECT_EQ(AsPairs(round), expected.entries);
    EXPECT_EQ(round.qantal, static_cast<int>(expected.entries.size()));
}

}  // namespace

TEST(OnePassReading, QuestionCountMatchesTheLiteralSearches) {
    TempDir dir;
    std::mt19937 gen(77);
    for (int trial = 0; trial < 300; ++trial) {
        std::string text = QuestionText(gen);
        if (trial % 5 == 0) text += "\244Q";  // a tag as the very last bytes
        SCOPED_TRACE("trial " + std::to_string(trial));
        std::string file = dir.Write("q.txt", text);
        clQuestionOrder round;
        round.LoadQuestionFile(file.c_str());
        EXPECT_EQ(round.qantal, LiteralCountQuestions(file.c_str()));
    }
}

TEST(OnePassReading, QuestionCountAcrossBlockBoundaries) {
    TempDir dir;
    for (std::size_t tagAt : {4094u, 4095u, 65534u, 65535u, 65536u, 131071u}) {
        SCOPED_TRACE("tag byte at " + std::to_string(tagAt));
        std::string text(tagAt, 'x');
        text += "\244Q tail \244Q";
        std::string endsInTag(tagAt, 'x');
        endsInTag += "\244";
        std::string zeroAfterTag(tagAt, 'x');
        zeroAfterTag += std::string("\244\0Q \244Q", 6);
        for (const auto& content : {text, endsInTag, zeroAfterTag}) {
            std::string file = dir.Write("q.txt", content);
            clQuestionOrder round;
            round.LoadQuestionFile(file.c_str());
            EXPECT_EQ(round.qantal, LiteralCountQuestions(file.c_str()));
        }
    }
}

TEST(OnePassReading, RoundFileMatchesTheLiteralSearches) {
    TempDir dir;
    std::string qf = dir.Write("q.txt", round_test::QuestionFile(3));
    std::mt19937 gen(5);
    int withEntries = 0;
    for (int trial = 0; trial < 400; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        std::string text;
        if (gen() % 8 != 0) text += "qfile: \"" + (gen() % 2 ? qf : "Q:\\x") + "\"\r\n";
        text += RoundBody(gen);
        if (gen() % 8 != 0) {
            int count = static_cast<int>(gen() % 6) - 1;
            text += "qantal: " + std::to_string(count) + "\r\n";
        }
        text += RoundBody(gen);
        std::string file = dir.Write("r.qfr", text);
        clQuestionOrder round;
        int result = round.LoadRoundFile(file.c_str());
        ExpectSameLoad(round, result, LiteralLoadRound(file.c_str()));
        if (round.qantal > 0) ++withEntries;
    }
    EXPECT_GT(withEntries, 40);  // the generator reaches the question lines
}

// Items far apart: the readers' blocks end inside lines, and a number found
// far ahead answers the lines before it.
TEST(OnePassReading, RoundFileWithItemsFarApart) {
    TempDir dir;
    std::string qf = dir.Write("q.txt", round_test::QuestionFile(3));
    const std::string head = "qfile: \"" + qf + "\"\r\nqantal: 3\r\n";
    const std::string far(70000, 'x');
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"filler before every line",
         head + far + "Q: 2 Stat: 0\r\n" + far + "Q: 3 Stat: 2\r\n" + far + "Q: 1 Stat: 1\r\n"},
        {"numbers far after the lines", head + "Q: Q: Q: " + far + "5 " + far + "Stat: 1"},
        {"Stat far after the lines", head + "Q: 1 Q: 2 Q: 3 " + far + "Stat:" + far + "-4"},
        {"number split by a block end", head + std::string(65536 - head.size() - 4, 'x') +
                                            "Q: 123456 Stat: 2 Q: 1 Stat: 0 Q: 9 Stat: 9"},
        {"lines across a block end", head + std::string(65530 - head.size(), 'x') +
                                         "Q: 8 Stat: 1\r\nQ: 9 Stat: 2\r\nQ: 7 Stat: 0"},
    };
    for (const auto& [name, text] : cases) {
        SCOPED_TRACE(name);
        std::string file = dir.Write("r.qfr", text);
        clQuestionOrder round;
        int result = round.LoadRoundFile(file.c_str());
        ExpectSameLoad(round, result, LiteralLoadRound(file.c_str()));
    }
}
