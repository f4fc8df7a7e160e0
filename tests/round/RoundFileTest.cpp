#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

#include "round/QuestionOrder.h"
#include "rules/FileSystem.h"
#include "tests/round/RoundTestSupport.h"
#include "tests/support/TempDir.h"

namespace {

using round_test::AsPairs;
using round_test::Entries;
using round_test::Pairs;
using round_test::QuestionFile;
using round_test::SetEntries;
using round_test::SetName;

std::string RoundText(const std::string& qfile, const std::string& sfile,
                      const std::vector<OrderEntry>& entries, const std::string& eol = "\r\n") {
    std::string s = "qfile: \"" + qfile + "\"" + eol + "sfile: \"" + sfile + "\"" + eol;
    if (entries.empty()) return s;
    s += "qantal: " + std::to_string(entries.size()) + eol;
    for (const auto& e : entries) {
        s += "Q: " + std::to_string(e.questionNo) + " Stat: " + std::to_string(e.stat) + eol;
    }
    return s;
}

const std::vector<OrderEntry> kExample = {{2, 0}, {3, 2}, {1, 1}};

std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(SaveRoundFile, WritesTheExampleByteForByte) {
    TempDir dir;
    std::string target = dir.File("biology.qfr");
    clQuestionOrder round;
    SetName(round.qfile, "C:\\quiz\\biology.txt");
    SetEntries(round, kExample);
    EXPECT_EQ(round.SaveRoundFile(target.c_str()), 1);
    EXPECT_EQ(ReadWholeFile(target),
              "qfile: \"C:\\quiz\\biology.txt\"\r\n"
              "sfile: \"" +
                  target +
                  "\"\r\n"
                  "qantal: 3\r\n"
                  "Q: 2 Stat: 0\r\n"
                  "Q: 3 Stat: 2\r\n"
                  "Q: 1 Stat: 1\r\n");
    EXPECT_STREQ(round.sfile, target.c_str());
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"biology.qfr"});
}

// Each step that reaches the disk, as the file system reports it.
std::vector<std::string> savedSteps;
void RecordStep(const char* step) { savedSteps.emplace_back(step); }

TEST(SaveRoundFile, DataIsOnTheDiskBeforeTheRename) {
    TempDir dir;
    const std::string target = dir.Write("round.qfr", "the previous round");
    clQuestionOrder round;
    SetName(round.qfile, "q.txt");
    SetEntries(round, kExample);
    savedSteps.clear();
    SetFileSystemTraceForTests(RecordStep);
    const int saved = round.SaveRoundFile(target.c_str());
    SetFileSystemTraceForTests(nullptr);
    EXPECT_EQ(saved, 1);
    EXPECT_EQ(savedSteps, (std::vector<std::string>{"flush", "rename"}));
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"round.qfr"});
}

TEST(SaveRoundFile, WithoutEntriesOrQuestionFile) {
    TempDir dir;
    std::string target = dir.Write("r.qfr", "an older round file\r\n");
    clQuestionOrder noEntries;
    SetName(noEntries.qfile, "q.txt");
    EXPECT_EQ(noEntries.SaveRoundFile(target.c_str()), 0);
    EXPECT_EQ(ReadWholeFile(target), "qfile: \"q.txt\"\r\nsfile: \"" + target + "\"\r\n");

    clQuestionOrder noFile;
    SetEntries(noFile, kExample);
    EXPECT_EQ(noFile.SaveRoundFile(target.c_str()), 0);
    EXPECT_TRUE(std::filesystem::exists(target));
    EXPECT_EQ(ReadWholeFile(target), "");

    EXPECT_EQ(noFile.SaveRoundFile(nullptr), 0);
    EXPECT_EQ(noFile.sfile, nullptr);
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"r.qfr"});
}

TEST(SaveRoundFile, FailedWriteLeavesThePreviousFileWhole) {
    TempDir dir;
    std::filesystem::path folder = dir.Path() / "locked";
    std::filesystem::create_directory(folder);
    std::string target = (folder / "r.qfr").string();
    clQuestionOrder round;
    SetName(round.qfile, "q.txt");
    SetEntries(round, kExample);
    ASSERT_EQ(round.SaveRoundFile(target.c_str()), 1);
    const std::string before = ReadWholeFile(target);

    std::filesystem::permissions(
        folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    {
        std::ofstream probe(folder / "probe");
        if (probe) {
            GTEST_SKIP() << "this user can write into a read-only folder";
        }
    }
    SetEntries(round, {{1, 0}});
    EXPECT_EQ(round.SaveRoundFile(target.c_str()), 0);
    EXPECT_EQ(ReadWholeFile(target), before);
}

#ifndef _WIN32
// The file-size limit makes the write fail part way, for any user.
TEST(SaveRoundFile, WriteFailingPartWayLeavesThePreviousFileWhole) {
    TempDir dir;
    std::string target = dir.File("r.qfr");
    clQuestionOrder round;
    SetName(round.qfile, std::string(3000, 'q'));
    SetEntries(round, kExample);
    ASSERT_EQ(round.SaveRoundFile(target.c_str()), 1);
    const std::string before = ReadWholeFile(target);

    std::vector<OrderEntry> many(5000, OrderEntry{1, 0});
    SetEntries(round, many);
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    int result = round.SaveRoundFile(target.c_str());
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadWholeFile(target), before);
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"r.qfr"});
}
#endif

TEST(SaveRoundFile, TargetThatCannotBeReplacedStaysAsItWas) {
    TempDir dir;
    clQuestionOrder round;
    SetName(round.qfile, "q.txt");
    SetEntries(round, kExample);

    // A folder in the target's place: the finished file cannot be moved there.
    std::filesystem::path folder = dir.Path() / "r.qfr";
    std::filesystem::create_directory(folder);
    std::string inside = dir.Write("r.qfr/keep.txt", "kept");
    EXPECT_EQ(round.SaveRoundFile(folder.string().c_str()), 0);
    EXPECT_EQ(ReadWholeFile(inside), "kept");
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"r.qfr"});

    EXPECT_EQ(round.SaveRoundFile(dir.File("missing/r.qfr").c_str()), 0);
}

TEST(LoadRoundFile, SavedRoundComesBackWhole) {
    TempDir dir;
    std::string qf = dir.Write("biology.txt", QuestionFile(3));
    std::string rf = dir.File("biology.qfr");
    {
        clQuestionOrder round;
        SetName(round.qfile, qf);
        SetEntries(round, kExample);
        ASSERT_EQ(round.SaveRoundFile(rf.c_str()), 1);
    }
    std::string copy = dir.Write("copy.qfr", ReadWholeFile(rf));
    clQuestionOrder loaded;
    EXPECT_EQ(loaded.LoadRoundFile(copy.c_str()), 1);
    EXPECT_STREQ(loaded.qfile, qf.c_str());
    EXPECT_STREQ(loaded.sfile, copy.c_str());  // not what line 2 says
    EXPECT_EQ(AsPairs(loaded), AsPairs(kExample));

    // Reloading through its own name; then the question file grows.
    EXPECT_EQ(loaded.LoadRoundFile(loaded.sfile), 1);
    EXPECT_STREQ(loaded.sfile, copy.c_str());
    // The round file knows its questions again: the fourth comes in
    // unanswered before the answered tail, after the head.
    dir.Write("biology.txt", QuestionFile(4));
    EXPECT_EQ(loaded.LoadRoundFile(copy.c_str()), 1);
    const Pairs grown = AsPairs(loaded);
    EXPECT_TRUE(grown == (Pairs{{2, 0}, {4, 0}, {3, 2}, {1, 1}}) ||
                grown == (Pairs{{2, 0}, {3, 2}, {4, 0}, {1, 1}}))
        << ::testing::PrintToString(grown);
}

TEST(LoadRoundFile, QuestionFileNamesFromAnotherMachine) {
    TempDir dir;
    std::filesystem::create_directories(dir.Path() / "Quiz" / "Biology");
    const std::string onDisk = dir.Write("Quiz/Biology/Cells.txt", QuestionFile(3));
    const std::string folder = dir.Path().string();
    struct Case {
        std::string qfile;     // as line 1 names it
        std::string expected;  // the question file the round then reads
        int result;
    };
    const Case cases[] = {
        {onDisk, onDisk, 1},
        // Written on Windows: `\` and another case become the name found here...
        {folder + "/quiz\\BIOLOGY\\cells.TXT", onDisk, 1},
        // ...and a name from elsewhere by its base name beside the round file.
        {"C:\\quiz\\biology\\CELLS.txt", onDisk, 1},
        {"/home/ana/quiz/Cells.txt", onDisk, 1},
        {"C:\\quiz\\other.txt", "C:\\quiz\\other.txt", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.qfile);
        const std::string rf =
            dir.Write("Quiz/Biology/round.qfr", RoundText(c.qfile, "C:\\x.qfr", kExample));
        clQuestionOrder round;
        EXPECT_EQ(round.LoadRoundFile(rf.c_str()), c.result);
        EXPECT_STREQ(round.qfile, c.expected.c_str());
        EXPECT_EQ(AsPairs(round), AsPairs(kExample));
    }

    // The base name is looked for only beside the round file, and only when
    // the named file is missing.
    const std::string elsewhere =
        dir.Write("elsewhere.qfr", RoundText("C:\\q\\Cells.txt", "", kExample));
    clQuestionOrder round;
    EXPECT_EQ(round.LoadRoundFile(elsewhere.c_str()), 0);
    EXPECT_STREQ(round.qfile, "C:\\q\\Cells.txt");
    const std::string other = dir.Write("Quiz/Biology/Other.txt", QuestionFile(3));
    const std::string named = dir.Write("Quiz/Biology/named.qfr", RoundText(other, "", kExample));
    EXPECT_EQ(round.LoadRoundFile(named.c_str()), 1);
    EXPECT_STREQ(round.qfile, other.c_str());
}

TEST(LoadRoundFile, ToleratedLayouts) {
    TempDir dir;
    std::string qf = dir.Write("q.txt", QuestionFile(3));
    struct Case {
        const char* name;
        std::string text;
        int result;
        Pairs entries;
    };
    const Pairs example = AsPairs(kExample);
    const std::vector<Case> cases = {
        {"LF line ends", RoundText(qf, "x", kExample, "\n"), 1, example},
        {"several spaces",
         "qfile: \"" + qf +
             "\"\r\nsfile: \"x\"\r\nqantal:    3\r\nQ:   2 Stat:    0\r\n"
             "Q:  3  Stat:  2\r\nQ: 1     Stat: 1\r\n",
         1, example},
        {"one line, no line ends",
         "qfile: \"" + qf + "\" qantal: 3 Q: 2 Stat: 0 Q: 3 Stat: 2 Q: 1 Stat: 1", 1, example},
        {"count of 2 with three lines",
         "qfile: \"" + qf + "\"\r\nqantal: 2\r\nQ: 2 Stat: 0\r\nQ: 3 Stat: 2\r\nQ: 1 Stat: 1\r\n",
         0,
         {{2, 0}, {3, 2}}},
        {"Stat taken from the next line",
         "qfile: \"" + qf + "\"\r\nqantal: 3\r\nQ: 2\r\nQ: 3 Stat: 2\r\nQ: 1 Stat: 1\r\n",
         1,
         {{2, 2}, {3, 2}, {1, 1}}},
        {"negative numbers",
         RoundText(qf, "x", {{-4, 0}, {3, -2}, {1, 1}}),
         1,
         {{-4, 0}, {3, -2}, {1, 1}}},
        {"numbers past the int range",
         "qfile: \"" + qf +
             "\"\r\nqantal: 3\r\nQ: 99999999999 Stat: 0\r\n"
             "Q: -99999999999 Stat: 1\r\nQ: 1 Stat: 12345678901234567890\r\n",
         1,
         {{INT_MAX, 0}, {INT_MIN, 1}, {1, INT_MAX}}},
        {"out of range and repeated numbers kept",
         RoundText(qf, "x", {{9, 0}, {9, 7}, {0, 1}}),
         1,
         {{9, 0}, {9, 7}, {0, 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string rf = dir.Write("r.qfr", c.text);
        clQuestionOrder round;
        EXPECT_EQ(round.LoadRoundFile(rf.c_str()), c.result);
        EXPECT_STREQ(round.qfile, qf.c_str());
        EXPECT_EQ(AsPairs(round), c.entries);
    }
}

// A name holding "Q:" once made the first question line be read from inside
// line 1 or 2; question lines are now looked for after the count only.
TEST(LoadRoundFile, NamesOnDriveQDoNotShiftTheOrder) {
    TempDir dir;
    struct Case {
        const char* name;
        std::string qfile, sfile;
    };
    const std::vector<Case> cases = {
        {"question file on drive Q", "Q:\\quiz\\biology.txt", "C:\\r.qfr"},
        {"round file on drive Q", "C:\\quiz\\biology.txt", "Q:\\r.qfr"},
        {"both, and digits after Q:", "Q:7\\Q:8.txt", "Q:\\Q:9 Stat: 5.qfr"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string rf = dir.Write("r.qfr", RoundText(c.qfile, c.sfile, kExample));
        clQuestionOrder round;
        EXPECT_EQ(round.LoadRoundFile(rf.c_str()), 0);  // the question file is not there
        EXPECT_STREQ(round.qfile, c.qfile.c_str());
        EXPECT_EQ(AsPairs(round), AsPairs(kExample));
    }
}

TEST(LoadRoundFile, BadFilesLeaveAReportableRound) {
    TempDir dir;
    std::string qf = dir.Write("q.txt", QuestionFile(3));
    const std::string head = "qfile: \"" + qf + "\"\r\nsfile: \"x\"\r\n";
    const std::string threeLines = "Q: 2 Stat: 0\r\nQ: 3 Stat: 2\r\nQ: 1 Stat: 1\r\n";
    std::string binary;
    std::mt19937 gen(4);
    for (int i = 0; i < 4096; ++i) binary += static_cast<char>(gen());
    struct Case {
        const char* name;
        std::string text;
        bool hasQFile;
    };
    // Each of these gives result 0 and a round without entries.
    const std::vector<Case> cases = {
        {"empty file", "", false},
        {"binary bytes", binary, false},
        {"binary after a good head", head + "qantal: 3\r\n" + binary, true},
        {"second space inside the qfile label",
         "qfile:  \"" + qf + "\"\r\nqantal: 3\r\n" + threeLines, false},
        {"qfile never closed", "qfile: \"" + qf + "\r\nqantal: 3\r\n", false},
        {"no count", head + threeLines, true},
        {"count without digits", head + "qantal: none\r\n", true},
        {"negative count", head + "qantal: -3\r\n" + threeLines, true},
        {"count larger than the lines", head + "qantal: 4\r\n" + threeLines, true},
        {"count of two billion", head + "qantal: 2000000000\r\n" + threeLines, true},
        {"count past the int range", head + "qantal: 99999999999999\r\n" + threeLines, true},
        {"Stat missing", head + "qantal: 3\r\nQ: 2 Stat: 0\r\nQ: 3 Stat: 2\r\nQ: 1\r\n", true},
        {"question number missing", head + "qantal: 1\r\nQ: Stat: x\r\n", true},
        {"zero byte before the lines", head + "qantal: 3\r\n" + std::string(1, '\0') + threeLines,
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string rf = dir.Write("r.qfr", c.text);
        clQuestionOrder round;
        SetName(round.qfile, "old.txt");
        SetEntries(round, {{1, 1}});
        EXPECT_EQ(round.LoadRoundFile(rf.c_str()), 0);
        EXPECT_EQ(round.qantal, 0);
        EXPECT_EQ(round.order, nullptr);
        EXPECT_EQ(round.ReturnQuestionNo(0), -1);
        EXPECT_STREQ(round.sfile, rf.c_str());
        if (c.hasQFile) {
            EXPECT_STREQ(round.qfile, qf.c_str());
        } else {
            EXPECT_EQ(round.qfile, nullptr);
        }
    }

    clQuestionOrder missing;
    EXPECT_EQ(missing.LoadRoundFile(dir.File("none.qfr").c_str()), 0);
    EXPECT_EQ(missing.qfile, nullptr);
    EXPECT_EQ(missing.LoadRoundFile(dir.Path().string().c_str()), 0);
    EXPECT_EQ(missing.LoadRoundFile(nullptr), 0);
    EXPECT_EQ(missing.sfile, nullptr);
}

TEST(RoundFile, LongNamesAreKeptWhole) {
    TempDir dir;
    for (std::size_t length : {255u, 256u, 257u, 300u, 5000u}) {
        SCOPED_TRACE(std::to_string(length) + " characters");
        std::string qf(length, 'n');
        std::string rf = dir.File("r.qfr");
        clQuestionOrder round;
        SetName(round.qfile, qf);
        SetEntries(round, kExample);
        ASSERT_EQ(round.SaveRoundFile(rf.c_str()), 1);
        clQuestionOrder loaded;
        loaded.LoadRoundFile(rf.c_str());
        EXPECT_STREQ(loaded.qfile, qf.c_str());
        EXPECT_EQ(AsPairs(loaded), AsPairs(kExample));
    }
}

TEST(RoundFile, RandomRoundsSurviveSaveAndLoad) {
    TempDir dir;
    std::string qf = dir.Write("q.txt", QuestionFile(5));
    std::mt19937 gen(2024);
    std::uniform_int_distribution<int> size(1, 60);
    std::uniform_int_distribution<int> anyInt(INT_MIN, INT_MAX);
    std::uniform_int_distribution<int> small(-3, 20);
    for (int trial = 0; trial < 60; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        std::vector<OrderEntry> entries(static_cast<std::size_t>(size(gen)));
        for (auto& e : entries) {
            bool wide = gen() % 4 == 0;
            e.questionNo = wide ? anyInt(gen) : small(gen);
            e.stat = wide ? anyInt(gen) : small(gen) % 3;
        }
        std::string rf = dir.File(std::to_string(trial % 3) + ".qfr");
        clQuestionOrder round;
        SetName(round.qfile, qf);
        SetEntries(round, entries);
        ASSERT_EQ(round.SaveRoundFile(rf.c_str()), 1);
        clQuestionOrder loaded;
        EXPECT_EQ(loaded.LoadRoundFile(rf.c_str()), entries.size() == 5 ? 1 : 0);
        EXPECT_EQ(AsPairs(loaded), AsPairs(entries));
    }
}

TEST(IsRoundFile, TellsRoundFilesFromEverythingElse) {
    TempDir dir;
    dir.Write("q.txt", QuestionFile(2));
    clQuestionOrder saved;
    ASSERT_EQ(1, saved.LoadQuestionFile(dir.File("q.txt").c_str()));
    ASSERT_EQ(1, saved.SaveRoundFile(dir.File("saved.qfr").c_str()));

    struct Case {
        const char* what;
        std::string path;
        bool isRound;
    } cases[] = {
        {"a round file as saved", dir.File("saved.qfr"), true},
        {"only the opening bytes", dir.Write("bare.qfr", "qfile: \""), true},
        {"a question file", dir.File("q.txt"), false},
        {"one byte short", dir.Write("short.qfr", "qfile: "), false},
        {"other case", dir.Write("case.qfr", "QFILE: \"x\"\r\n"), false},
        {"a blank before", dir.Write("blank.qfr", " qfile: \"x\"\r\n"), false},
        {"empty", dir.Write("empty.qfr", ""), false},
        {"missing", dir.File("missing.qfr"), false},
        {"a folder", dir.Path().string(), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.isRound, IsRoundFile(c.path.c_str()));
    }
    EXPECT_FALSE(IsRoundFile(nullptr));
}

// A round saved on Linux names its question file in UTF-8, so the round file
// is valid UTF-8 with multi-byte sequences: it is read byte for byte all the
// same, and the question file, itself UTF-8, is counted through its text.
TEST(LoadRoundFile, QuestionFileInAFolderWithAccentsSavedAsUtf8) {
    TempDir dir;
    const std::filesystem::path folder = dir.Path() / "G\xC3\xA4vle \xC3\x98rsted \xC5\xA0ibenik";
    std::filesystem::create_directories(folder);
    const std::string qf = (folder / "fr\xC3\xA5gor.txt").string();
    {
        std::ofstream out(qf, std::ios::binary);
        out << "\xC2\xA4Q \"Which town is in Sweden?\" \xC2\xA4"
               "A \"G\xC3\xA4vle\" \"Malm\xC3\xB6\" "
               "\xC2\xA4"
               "E\r\n\xC2\xA4Q \"\xC3\x84pfel?\" \xC2\xA4"
               "A \"\xC3\xA4\" \xC2\xA4"
               "E\r\n"
               "\xC2\xA4Q \"x\" \xC2\xA4"
               "A \"y\" \xC2\xA4"
               "E\r\n";
    }
    const std::string rf = (folder / "runde.qfr").string();
    Pairs saved;
    {
        clQuestionOrder round;
        ASSERT_EQ(round.LoadQuestionFile(qf.c_str()), 1);
        ASSERT_EQ(round.qantal, 3);
        round.ShuffelQuestions(7);
        round.SetQuestionStat(0, 2);
        round.MoveQForReask(13);
        saved = AsPairs(round);
        ASSERT_EQ(round.SaveRoundFile(rf.c_str()), 1);
    }
    const std::string text = ReadWholeFile(rf);
    ASSERT_NE(text.find("qfile: \"" + qf + "\""), std::string::npos);

    clQuestionOrder loaded;
    EXPECT_EQ(loaded.LoadRoundFile(rf.c_str()), 1);
    EXPECT_STREQ(loaded.qfile, qf.c_str());
    EXPECT_STREQ(loaded.sfile, rf.c_str());
    EXPECT_EQ(AsPairs(loaded), saved);
    EXPECT_EQ(ReadWholeFile(rf), text);
}
