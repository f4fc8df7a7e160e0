// The checker against the program's own parse and answer test, and its
// report: the cap on problems, the summary lines and the exit codes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "check/Checker.h"
#include "check/Output.h"
#include "check/Pictures.h"
#include "check/Report.h"
#include "questions/Question.h"
#include "tests/support/QuestionFiles.h"
#include "tests/support/TempDir.h"

namespace {

constexpr std::uint32_t kRed = 0xFF0000;
constexpr std::uint32_t kWhite = 0xFFFFFF;

// Pictures by name, without files: a 4 x 4 picture and a zone bitmap whose
// left half is red and right half white.
class FakePictures : public PictureLibrary {
public:
    explicit FakePictures(bool withZone) : withZone_(withZone) {}

protected:
    std::string Find(const std::string&, const std::string& name) override {
        if (name == "picture.bmp" || (withZone_ && name == "zone.bmp")) return name;
        return std::string();
    }
    bool Decode(const std::string&, PictureInfo& info) override {
        info.width = 4;
        info.height = 4;
        return true;
    }
    bool ReadRows(const std::string& path, int width, int height,
                  const std::function<bool(const std::uint32_t*, int)>& visit) override {
        std::vector<std::uint32_t> row;
        for (int x = 0; x < std::min(width, 4); ++x)
            row.push_back(path == "zone.bmp" && x < 2 ? kRed : kWhite);
        for (int y = 0; y < std::min(height, 4); ++y) {
            if (!visit(row.data(), static_cast<int>(row.size()))) break;
        }
        return true;
    }

private:
    bool withZone_;
};

bool Matches(int wanted, std::uint32_t component) {
    return wanted == -1 || static_cast<std::uint32_t>(wanted) == component;
}

// Whether question n of `file` is one the program cannot take up, or one
// that cannot be answered or completed, found with GetQuestion and
// TestAnswer alone.
bool ProgramFails(const std::string& file, int n, bool withZone) {
    clQuestion q;
    if (!q.GetQuestion(file.c_str(), n)) return true;
    const int answers = q.ReturnAnswerAntal();
    // Without answers or a zone, a block with a text or information is an
    // information card; one with neither cannot be shown.
    const bool hasText = (q.question && q.question[0]) || (q.aInfo && q.aInfo[0]);
    if (answers == 0 && !q.aZone) return !hasText;
    for (int i = 0; i < answers; ++i) {
        const std::string answer(q.answers[i]);
        if (answer.find_first_of("\r\n") != std::string::npos) return true;
        const int matched = q.TestAnswer(answer.c_str(), kAnswerCompareLimit);
        if (matched == 0) return true;
        if (q.HaveFlag(0x20) && matched != i + 1) return true;
    }
    if (answers == 0) {
        if (!withZone || std::string(q.aZone) != "zone.bmp") return true;
        const int zr = q.ReturnZR(), zg = q.ReturnZG(), zb = q.ReturnZB();
        if (zr == -1 && zg == -1 && zb == -1) return false;
        for (std::uint32_t pixel : {kRed, kWhite}) {
            if (Matches(zr, pixel >> 16 & 0xFF) && Matches(zg, pixel >> 8 & 0xFF) &&
                Matches(zb, pixel & 0xFF))
                return false;
        }
        return true;
    }
    return false;
}

std::set<int> QuestionsWithErrors(const FileCheck& check) {
    return std::set<int>(check.errorQuestions.begin(), check.errorQuestions.end());
}

// Random edits with the bytes that carry meaning in a question file.
std::string Mutated(std::string text, std::mt19937& random) {
    static const char kBytes[] = "\244\244\"\"QAEFZIP \r\nax0-";
    const int edits = 1 + static_cast<int>(random() % 6);
    for (int e = 0; e < edits && !text.empty(); ++e) {
        const std::size_t at = random() % text.size();
        const char c = kBytes[random() % (sizeof kBytes - 1)];
        switch (random() % 3) {
            case 0:
                text.insert(at, 1, c);
                break;
            case 1:
                text.erase(at, 1 + random() % 8);
                break;
            default:
                text[at] = c;
                break;
        }
    }
    return text;
}

void ExpectAgreement(const std::string& file, bool withZone) {
    FakePictures pictures(withZone);
    const FileCheck check = CheckQuestionFile(file, pictures);
    ASSERT_TRUE(check.readable);
    std::set<int> expected;
    for (int n = 1; n <= check.questions; ++n) {
        if (ProgramFails(file, n, withZone)) expected.insert(n);
    }
    std::string errors;
    for (const Problem& p : check.problems) {
        if (p.severity == Severity::Error) {
            errors += std::to_string(p.question) + ": " + p.message + " [" + p.check + "]\n";
        }
    }
    EXPECT_EQ(QuestionsWithErrors(check), expected) << errors;
    clQuestion beyond;
    EXPECT_FALSE(beyond.GetQuestion(file.c_str(), check.questions + 1));
}

// Blocks at the edges the generated files do not reach: answers of 254 to
// 257 characters around the answer box's limit, and a picture that is also
// the zone bitmap, asked for a colour it holds and for one it does not.
std::string EdgeBlocks(unsigned seed) {
    std::mt19937 random(seed);
    std::string text;
    for (int length : {254, 255, 256, 257}) {
        const char letter = static_cast<char>('a' + random() % 26);
        text += "\244Q \"Long " + std::to_string(length) + "?\" \244A \"" +
                std::string(static_cast<std::size_t>(length), letter) + "\"" +
                (random() % 2 == 0 ? " \"short\"" : "") + " \244E\r\n";
    }
    for (const char* colour : {"zc red", "zc blue", "zr 255 zg 255"}) {
        text += "\244Q \"Click it (" + std::string(colour) +
                ")\" \244P \"zone.bmp\" \244A \244Z \"zone.bmp\" \244F " + colour + " \244E\r\n";
    }
    return text;
}

std::string RunWith(const std::vector<std::string>& args, int& code) {
    std::vector<const char*> argv{"quillfin-check"};
    for (const std::string& a : args) argv.push_back(a.c_str());
    std::ostringstream out, err;
    code = RunChecker(static_cast<int>(argv.size()), argv.data(), out, err);
    return out.str() + err.str();
}

}  // namespace

TEST(CheckerAgreesWithTheProgram, GeneratedFiles) {
    TempDir dir;
    for (unsigned seed = 1; seed <= 16; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const std::string file = dir.Write("generated.txt", GeneratedQuestionFile(seed, 30, true));
        ExpectAgreement(file, seed % 4 != 0);
    }
}

TEST(CheckerAgreesWithTheProgram, LongAnswersAndAPictureThatIsAlsoTheZone) {
    TempDir dir;
    for (unsigned seed = 1; seed <= 4; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const std::string file =
            dir.Write("edges.txt", GeneratedQuestionFile(seed, 6, true) + EdgeBlocks(seed));
        ExpectAgreement(file, true);
    }
}

TEST(CheckerAgreesWithTheProgram, MutatedFiles) {
    TempDir dir;
    std::mt19937 random(2024);
    for (int round = 0; round < 150; ++round) {
        SCOPED_TRACE("mutation " + std::to_string(round));
        const std::string text =
            Mutated(GeneratedQuestionFile(static_cast<unsigned>(round), 8, round % 2 == 0), random);
        const std::string file = dir.Write("mutated.txt", text);
        ExpectAgreement(file, round % 3 != 0);
    }
}

TEST(CheckerReport, CapsProblemsPerFileAndCountsTheRest) {
    TempDir dir;
    std::string flags;
    for (int i = 0; i < 1100; ++i) flags += " bold";
    const std::string file =
        dir.Write("many.txt", "\244Q \"q\" \244A \"a\" \244F cs" + flags + " \244E");
    int code = -1;
    const std::string report = RunWith({file}, code);
    EXPECT_EQ(code, 0);
    std::istringstream lines(report);
    std::string line;
    int problems = 0;
    std::vector<std::string> rest;
    while (std::getline(lines, line)) {
        if (line.find("[ignored-flag]") != std::string::npos) {
            ++problems;
        } else {
            rest.push_back(line);
        }
    }
    EXPECT_EQ(problems, 1000);
    EXPECT_EQ(rest, (std::vector<std::string>{file + ": 100 more problems not shown",
                                              file + ": 1 question, 0 errors, 1100 warnings"}));
}

TEST(CheckerReport, ExitCodes) {
    TempDir dir;
    const std::string good = dir.Write("good.txt", "\244Q \"q\" \244A \"a\" \244E");
    const std::string warned = dir.Write("warned.txt", "\244Q \"q\" \244A \"a\" \244F bold \244E");
    const std::string broken = dir.Write("broken.txt", "\244Q \"q\" \244A \"a\" \" \244E");
    const std::string missing = dir.File("missing.txt");
    const struct {
        const char* name;
        std::vector<std::string> args;
        int code;
    } cases[] = {
        {"good", {good}, 0},
        {"warnings only", {warned}, 0},
        {"an error", {good, broken}, 1},
        {"unreadable", {missing}, 2},
        {"unreadable beats an error", {broken, missing}, 2},
        {"folder", {dir.Path().string()}, 2},
        {"no file", {}, 2},
        {"unknown option", {"--fast", good}, 2},
        {"help", {"--help"}, 0},
        {"file named like an option after --", {"--", good}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int code = -1;
        RunWith(c.args, code);
        EXPECT_EQ(code, c.code);
    }
}

TEST(CheckerReport, SummaryAndTotal) {
    TempDir dir;
    const std::string one = dir.Write("one.txt", "\244Q \"q\" \244A \"a\" \244E");
    const std::string two = dir.Write(
        "two.txt", "\244Q \"q\" \244A \"a\" \244F bold \244E\r\n\244Q \"r\" \244A \"b\" \" \244E");
    int code = -1;
    const std::string report = RunWith({one, two, dir.File("gone.txt")}, code);
    EXPECT_EQ(code, 2);
    EXPECT_EQ(report,
              one + ": 1 question, 0 errors, 0 warnings\n" + two +
                  ":1:18: warning: flag word \"bold\" means nothing to the program and is "
                  "ignored [ignored-flag]\n" +
                  two +
                  ":2:8: error: question 2: the answer list after \u00A4A holds 3 double quotes, "
                  "an odd number, so its answers cannot be paired: the learner sees \"Error in "
                  "file\" [odd-quote-count]\n" +
                  two + ": 2 questions, 1 error, 1 warning\n" + dir.File("gone.txt") +
                  ": error: cannot read it: No such file or directory\n"
                  "total: 3 files, 3 questions, 1 error, 1 warning, 1 not readable\n");
}

TEST(CheckerRoundFiles, QuestionFilesAreFoundAsTheProgramFindsThem) {
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "Quiz");
    const std::string questions = dir.Write("Quiz/Bio.txt", "\244Q \"q\" \244A \"a\" \244E");
    const std::string folder = dir.Path().string();
    const struct {
        std::string qfile;
        std::string opened;
    } cases[] = {
        {folder + "/quiz\\BIO.TXT", questions},
        {"C:\\Quiz\\bio.txt", questions},  // saved elsewhere, beside the round file here
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.qfile);
        const std::string round = dir.Write(
            "Quiz/round.qfr", "qfile: \"" + c.qfile + "\"\r\nqantal: 1\r\nQ: 1 Stat: 0\r\n");
        const FileCheck check = CheckRoundFile(round);
        EXPECT_EQ(check.questionFile, c.opened);
        for (const Problem& problem : check.problems) ADD_FAILURE() << problem.message;
    }
}

TEST(CheckerPictures, EachDistinctFileIsDecodedOnce) {
    TempDir dir;
    std::string text;
    for (int i = 0; i < 20; ++i) {
        text += "\244Q \"q" + std::to_string(i) +
                "\" \244P \"picture.bmp\" \244A \244Z \"zone.bmp\" \244F zc red \244E\r\n";
    }
    const std::string file = dir.Write("pictures.txt", text);
    FakePictures pictures(true);
    const FileCheck check = CheckQuestionFile(file, pictures);
    EXPECT_EQ(check.Count(Severity::Error), 0);
    // Each file once for its size, and the zone once more for its colours.
    EXPECT_EQ(pictures.Decodes(), 3);
}

TEST(CheckerReport, KeepsTheFirstProblemsOfTheFileWhateverTheOrderFound) {
    TempDir dir;
    std::string text;
    // One block per line: an unknown tag (found in a first pass over the
    // whole file) and nothing to show or answer (found block by block).
    for (int i = 0; i < 600; ++i) text += "\244Q \244X \244A \244E\n";
    const std::string file = dir.Write("order.txt", text);
    FakePictures pictures(false);
    const FileCheck check = CheckQuestionFile(file, pictures);
    EXPECT_EQ(check.Count(Severity::Error), 600);
    EXPECT_EQ(check.Count(Severity::Warning), 600);
    ASSERT_EQ(check.problems.size(), 1000u);
    for (std::size_t i = 0; i < check.problems.size(); ++i) {
        SCOPED_TRACE("problem " + std::to_string(i));
        EXPECT_EQ(check.problems[i].line, static_cast<std::int64_t>(i / 2 + 1));
        EXPECT_EQ(check.problems[i].check, i % 2 == 0 ? "no-answer" : "unknown-tag");
    }
    EXPECT_EQ(check.errorQuestions.size(), 600u);
}

TEST(CheckerReport, BlocksReadingFarOnStopTheCheckWithAnError) {
    TempDir dir;
    struct Case {
        const char* what;
        std::string text;
        bool stops;
    };
    // 1,000 blocks without answers or end tag before one answer list of
    // 50,000 answers: every block's parse reads the whole list.
    std::string far;
    for (int i = 0; i < 1000; ++i) far += "\244Q \"q" + std::to_string(i) + "\"\n";
    far += "\244A";
    for (int i = 0; i < 50000; ++i) far += " \"a" + std::to_string(i) + "\"";
    far += "\n\244E\n";
    // As many blocks without end tag whose answers are their own.
    std::string local;
    for (int i = 0; i < 1000; ++i) {
        local += "\244Q \"q" + std::to_string(i) + "\" \244A \"a" + std::to_string(i) + "\"\n";
    }
    const Case cases[] = {{"answers far on", far, true}, {"answers in each block", local, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string file = dir.Write("blocks.txt", c.text);
        int code = -1;
        const std::string report = RunWith({file}, code);
        const std::size_t stopped = report.find("[check-incomplete]");
        EXPECT_EQ(stopped != std::string::npos, c.stops) << report.substr(0, 2000);
        EXPECT_EQ(code, c.stops ? 1 : 0);
        EXPECT_NE(report.find(file + ": 1000 questions,"), std::string::npos);
        if (c.stops) {
            const std::size_t line = report.rfind('\n', stopped) + 1;
            EXPECT_NE(
                report.substr(line, stopped - line).find("error: checking stopped at question"),
                std::string::npos);
        }
    }
}

namespace {

// A console or a file, recording what each call received.
class RecordingSink : public ReportSink {
public:
    explicit RecordingSink(bool console) : console_(console) {}
    bool IsConsole() const override { return console_; }
    void WriteConsoleLine(std::string_view utf8) override { consoleLines.emplace_back(utf8); }
    void WriteBytes(std::string_view bytes) override { this->bytes.append(bytes); }

    std::vector<std::string> consoleLines;
    std::string bytes;

private:
    bool console_;
};

}  // namespace

TEST(CheckerOutput, AConsoleGetsWholeLinesAndAFileTheBytes) {
    const std::string report =
        "quiz.txt:1:1: warning: unknown tag \"\u00A4X\": x [unknown-tag]\n"
        "quiz.txt: 1 question, 0 errors, 1 warning\n";
    for (bool console : {true, false}) {
        SCOPED_TRACE(console ? "console" : "file or pipe");
        RecordingSink sink(console);
        {
            ReportBuffer buffer(sink);
            std::ostream out(&buffer);
            // Written in pieces that split a line and a two-byte character.
            out << report.substr(0, 37) << report.substr(37, 30) << report.substr(67) << "tail";
        }
        if (console) {
            EXPECT_EQ(sink.bytes, "");
            ASSERT_EQ(sink.consoleLines.size(), 3u);
            EXPECT_EQ(sink.consoleLines[0] + sink.consoleLines[1], report);
            EXPECT_EQ(sink.consoleLines[2], "tail");
        } else {
            EXPECT_TRUE(sink.consoleLines.empty());
            EXPECT_EQ(sink.bytes, report + "tail");
        }
    }
}

namespace {

// A 100 x 100 picture over a zone of as many colours: 0x00RRGGBB = y * 100 + x,
// more than the library keeps a list of.
class ManyColourPictures : public FakePictures {
public:
    ManyColourPictures() : FakePictures(true) {}

protected:
    bool Decode(const std::string&, PictureInfo& info) override {
        info.width = 100;
        info.height = 100;
        return true;
    }
    bool ReadRows(const std::string&, int width, int height,
                  const std::function<bool(const std::uint32_t*, int)>& visit) override {
        std::vector<std::uint32_t> row(static_cast<std::size_t>(std::min(width, 100)));
        for (int y = 0; y < std::min(height, 100); ++y) {
            for (std::size_t x = 0; x < row.size(); ++x)
                row[x] = static_cast<std::uint32_t>(y * 100 + x);
            if (!visit(row.data(), static_cast<int>(row.size()))) break;
        }
        return true;
    }
};

}  // namespace

TEST(CheckerPictures, AZoneOfManyColoursIsReadAgainForEachNewColour) {
    static_assert(100 * 100 > PictureLibrary::kMaxKeptColours);
    TempDir dir;
    // 9999 = 0x00270F: the last pixel; 0x000001 only in the first row.
    const std::string file = dir.Write(
        "many.txt",
        "\244Q \"a\" \244P \"picture.bmp\" \244A \244Z \"zone.bmp\" \244F zr 0 zg 39 zb 15 "
        "\244E\r\n"
        "\244Q \"b\" \244P \"picture.bmp\" \244A \244Z \"zone.bmp\" \244F zr 1 \244E\r\n"
        "\244Q \"c\" \244P \"picture.bmp\" \244A \244Z \"zone.bmp\" \244F zr 0 zg 39 zb 15 "
        "\244E\r\n"
        "\244Q \"d\" \244P \"picture.bmp\" \244A \244Z \"zone.bmp\" \244F zg 0 zb 1 \244E\r\n");
    ManyColourPictures pictures;
    const FileCheck check = CheckQuestionFile(file, pictures);
    EXPECT_EQ(QuestionsWithErrors(check), std::set<int>{2});
    ASSERT_EQ(check.problems.size(), 1u);
    EXPECT_NE(check.problems[0].message.find("and other colours"), std::string::npos);
    // Sizes of both files, then one pass per distinct colour asked.
    EXPECT_EQ(pictures.Decodes(), 2 + 3);
}
