// The command line: splitting with the Windows quoting rules, the quoting the
// Qt layer's main() applies, and the file it names opened as the menu would.
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/qt/CommandLine.h"
#include "tests/ui/MainFixture.h"
#include "ui/CommandLine.h"

namespace {

namespace fs = std::filesystem;
using quillfin::platform::JoinCommandLine;
using quillfin::platform::QuoteCommandLineArgument;
using Strings = std::vector<std::string>;

TEST(SplitCommandLine, FollowsTheWindowsQuotingRules) {
    struct Case {
        const char* line;
        Strings arguments;
    };
    const Case cases[] = {
        {"", {}},
        {" \t ", {}},
        {"round.qfr", {"round.qfr"}},
        {"  a \t b  ", {"a", "b"}},
        {"\"my round.qfr\" second", {"my round.qfr", "second"}},
        {"a\"b c\"d", {"ab cd"}},
        {"\"unclosed quote", {"unclosed quote"}},
        {"\"\"", {""}},
        {"\"\" x", {"", "x"}},
        // Backslashes are literal unless a quote follows them.
        {"C:\\dir\\file.txt", {"C:\\dir\\file.txt"}},
        {"\\\\server\\share\\q.txt", {"\\\\server\\share\\q.txt"}},
        {"a\\\\b c", {"a\\\\b", "c"}},
        // 2n backslashes before a quote: n backslashes, the quote delimits.
        {"\"C:\\dir\\\\\" next", {"C:\\dir\\", "next"}},
        {"a\\\\\\\\\"b c\"", {"a\\\\b c"}},
        // 2n + 1 backslashes before a quote: n backslashes and a literal quote.
        {"a\\\"b", {"a\"b"}},
        {"a\\\\\\\"b", {"a\\\"b"}},
        {"\"C:\\dir\\\" next", {"C:\\dir\" next"}},
        // Two quotes inside a quoted part: one literal quote, still quoted.
        {"\"a\"\"b c\"", {"a\"b c"}},
        // Bytes of the 8-bit code page pass unchanged.
        {"\"\xc4pfel und Birnen.txt\"", {"\xc4pfel und Birnen.txt"}},
        {"\xc3\xa9t\xc3\xa9.txt", {"\xc3\xa9t\xc3\xa9.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(SplitCommandLine(c.line), c.arguments);
    }
    EXPECT_EQ(SplitCommandLine(nullptr), Strings{});
}

TEST(QuoteCommandLineArgument, QuotesOnlyWhatNeedsIt) {
    struct Case {
        const char* argument;
        const char* quoted;
    };
    const Case cases[] = {
        {"plain.qfr", "plain.qfr"},
        {"C:\\dir\\a.txt", "C:\\dir\\a.txt"},
        {"", "\"\""},
        {"two words", "\"two words\""},
        {"tab\there", "\"tab\there\""},
        {"trailing\\ space\\", "\"trailing\\ space\\\\\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"back\\\"slash", "\"back\\\\\\\"slash\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.argument);
        EXPECT_EQ(QuoteCommandLineArgument(c.argument), c.quoted);
    }
}

// What main() hands WinMain must split back into exactly the arguments given.
TEST(JoinCommandLine, SplitsBackIntoTheSameArguments) {
    const Strings tables[] = {
        {"round.qfr"},
        {"/home/learner/My Rounds/first try.qfr", "second"},
        {"", "after an empty one", ""},
        {"ends in backslash\\", "\\\\server\\share"},
        {"quote\"inside", "\"quoted\"", "\\\"", "\\\\\""},
        {"tab\tand\nline", "  spaces  ", "\xc4\xd6\xdc\xe4", "\xff\x80 bytes"},
    };
    for (const Strings& arguments : tables) {
        std::vector<const char*> argv{"quillfin"};
        for (const std::string& a : arguments) argv.push_back(a.c_str());
        const std::string line = JoinCommandLine(static_cast<int>(argv.size()), argv.data());
        SCOPED_TRACE(line);
        EXPECT_EQ(SplitCommandLine(line.c_str()), arguments);
    }
    const char* onlyProgram[] = {"quillfin"};
    EXPECT_EQ(JoinCommandLine(1, onlyProgram), "");
}

// Many arguments of random bytes, backslashes, quotes and blanks made likely:
// joined and split again they come back unchanged, and any line, split,
// joined and split again, gives the same arguments.
TEST(JoinCommandLine, RoundTripsRandomArguments) {
    std::mt19937 random(20261208);
    const std::string likely = "\\\"\" \t\na";
    const auto byte = [&]() -> char {
        if (random() % 2 == 0) return likely[random() % likely.size()];
        return static_cast<char>(1 + random() % 255);  // never the terminating zero
    };
    for (int round = 0; round < 2000; ++round) {
        Strings arguments(random() % 4);
        for (std::string& a : arguments) {
            a.resize(random() % 8);
            for (char& c : a) c = byte();
        }
        std::vector<const char*> argv{"quillfin"};
        for (const std::string& a : arguments) argv.push_back(a.c_str());
        const std::string line = JoinCommandLine(static_cast<int>(argv.size()), argv.data());
        ASSERT_EQ(SplitCommandLine(line.c_str()), arguments) << "joined: " << line;

        std::string anyLine(random() % 12, '\0');
        for (char& c : anyLine) c = byte();
        const Strings split = SplitCommandLine(anyLine.c_str());
        std::vector<const char*> again{"quillfin"};
        for (const std::string& a : split) again.push_back(a.c_str());
        const std::string rejoined = JoinCommandLine(static_cast<int>(again.size()), again.data());
        ASSERT_EQ(SplitCommandLine(rejoined.c_str()), split) << "line: " << anyLine;
    }
}

// The program started with a file: the same fixture as the menu tests, with
// the command line handled right after start-up as WinMain does.
class CommandLineFile : public QuillfinTest {
protected:
    void SetUp() override {
        QuillfinTest::SetUp();
        startFolder = fs::current_path();
        fs::current_path(dir.Path());
    }
    void TearDown() override {
        fs::current_path(startFolder);
        QuillfinTest::TearDown();
    }

    // Starts the program afresh with `commandLine`, in WinMain's order: the
    // window, then the file, then the loop.
    bool Open(const std::string& commandLine) {
        seams::ResetPlatform();
        ResetUiState();
        seams::ScriptDialogs(true);
        seams::ClearRecords();
        EXPECT_TRUE(StartQuillfin(nullptr, SW_SHOWNORMAL));
        const bool opened = OpenCommandLineFile(Main(), commandLine.c_str());
        Pump();
        return opened;
    }

    std::string QuestionFile() {
        fs::create_directories(dir.Path() / "my quizzes");
        return dir.Write("my quizzes/capitals.txt",
                         "\244Q \"Capital of France?\" \244A \"Paris\" \244E\r\n"
                         "\244Q \"Capital of Italy?\" \244A \"Rome\" \244E\r\n");
    }

    std::string RoundFile(const std::string& questionFile, const std::string& name) {
        return dir.Write(name, "qfile: \"" + questionFile +
                                   "\"\r\nsfile: \"old.qfr\"\r\nqantal: 2\r\n"
                                   "Q: 2 Stat: 0\r\nQ: 1 Stat: 1\r\n");
    }

    std::string CurrentFolder() { return fs::current_path().string(); }

    void ExpectWelcome() {
        EXPECT_EQ(ui().QuizState, kQuizWelcome);
        EXPECT_EQ(Shown(), "Welcome to Quillfin v.0.02 (beta)");
    }

    fs::path startFolder;
};

TEST_F(CommandLineFile, NoArgumentStartsAtTheWelcomeScreen) {
    for (const char* line : {"", "   "}) {
        SCOPED_TRACE(line);
        EXPECT_FALSE(Open(line));
        ExpectWelcome();
        EXPECT_EQ(ui().QuestionOrder.ReturnQFile(), nullptr);
        EXPECT_TRUE(seams::ShownMessageBoxes().empty());
        EXPECT_TRUE(seams::ShownFileDialogs().empty());
        EXPECT_EQ(CurrentFolder(), dir.Path().string());
    }
}

TEST_F(CommandLineFile, RoundFileIsResumedWhereItStood) {
    const std::string round = RoundFile(QuestionFile(), "saved round.qfr");
    fs::current_path(dir.Path() / "my quizzes");
    ASSERT_TRUE(Open("\"" + round + "\""));

    EXPECT_EQ(ui().QuizState, kQuizAwaitTypedAnswer);
    EXPECT_EQ(Shown(), "Capital of Italy?");  // the head of the saved order, unshuffled
    EXPECT_EQ(std::string(ui().QuestionOrder.sfile), round);
    EXPECT_EQ(CurrentFolder(), dir.Path().string());
    EXPECT_TRUE(seams::ShownMessageBoxes().empty());
    EXPECT_TRUE(seams::ShownFileDialogs().empty());
    EXPECT_EQ(seams::FocusedWindow(), ui().hwndTextBox);
}

TEST_F(CommandLineFile, QuestionFileStartsANewRoundUnderItsAbsoluteName) {
    const std::string questions = QuestionFile();
    // Relative to the current folder, with "." parts, as a shell passes it.
    ASSERT_TRUE(Open("\"./my quizzes/./capitals.txt\""));

    ASSERT_NE(ui().QuestionOrder.ReturnQFile(), nullptr);
    EXPECT_EQ(std::string(ui().QuestionOrder.ReturnQFile()), questions);
    EXPECT_EQ(ui().QuestionOrder.qantal, 2);
    EXPECT_EQ(ui().QuizState, kQuizAwaitTypedAnswer);
    EXPECT_TRUE(Shown() == "Capital of France?" || Shown() == "Capital of Italy?") << Shown();
    EXPECT_EQ(CurrentFolder(), (dir.Path() / "my quizzes").string());
    EXPECT_TRUE(seams::ShownMessageBoxes().empty());

    // A later save stores the absolute question file name, wherever it goes.
    fs::create_directories(dir.Path() / "elsewhere");
    const std::string saved = dir.File("elsewhere/later.qfr");
    seams::PushFileDialogAnswer(saved);
    Menu(kCmdSaveRound);
    EXPECT_EQ(ReadWholeFile(saved).rfind("qfile: \"" + questions + "\"\r\n", 0), 0u)
        << ReadWholeFile(saved);
}

TEST_F(CommandLineFile, ContentDecidesNotTheExtension) {
    const std::string questions = QuestionFile();
    // A round saved under a .txt name, and questions under a .qfr name.
    const std::string round = RoundFile(questions, "round.txt");
    ASSERT_TRUE(Open(round));
    EXPECT_EQ(Shown(), "Capital of Italy?");
    EXPECT_EQ(std::string(ui().QuestionOrder.sfile), round);

    const std::string misnamed = dir.Write("questions.qfr", ReadWholeFile(questions));
    ASSERT_TRUE(Open(misnamed));
    EXPECT_EQ(std::string(ui().QuestionOrder.ReturnQFile()), misnamed);
    EXPECT_EQ(ui().QuestionOrder.qantal, 2);
    EXPECT_EQ(ui().QuizState, kQuizAwaitTypedAnswer);
}

TEST_F(CommandLineFile, OnlyTheFirstArgumentCounts) {
    const std::string round = RoundFile(QuestionFile(), "first.qfr");
    ASSERT_TRUE(Open("first.qfr missing.qfr \"my quizzes\""));
    EXPECT_EQ(std::string(ui().QuestionOrder.sfile), round);
    EXPECT_EQ(Shown(), "Capital of Italy?");
    EXPECT_TRUE(seams::ShownMessageBoxes().empty());
}

TEST_F(CommandLineFile, NameThatCannotBeOpenedIsReportedAndChangesNothing) {
    fs::create_directories(dir.Path() / "a folder");
    struct Case {
        const char* what;
        std::string line;
        std::string named;  // the name the message gives
    };
    const Case cases[] = {
        {"missing file", "\"no such round.qfr\"", dir.File("no such round.qfr")},
        {"folder", "\"a folder\"", dir.File("a folder")},
        {"folder with a separator", "\"a folder/\"", dir.File("a folder") + "/"},
        {"empty argument", "\"\"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        seams::ClearRecords();
        EXPECT_FALSE(Open(c.line));
        ASSERT_EQ(seams::ShownMessageBoxes().size(), 1u);
        const seams::ShownMessageBox& box = seams::ShownMessageBoxes()[0];
        EXPECT_EQ(box.text, "Could not open the file\n" + c.named);
        EXPECT_EQ(box.caption, "Could not open file");
        EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONWARNING));
        EXPECT_EQ(box.owner, Main());
        ExpectWelcome();
        EXPECT_EQ(ui().QuestionOrder.ReturnQFile(), nullptr);
        EXPECT_EQ(CurrentFolder(), dir.Path().string());
    }
}

// Opened as from the File menu: a file that cannot start a round is refused
// with the menu's box, which names it, and the welcome screen stays.
TEST_F(CommandLineFile, FileWithoutAPlayableRoundIsRefusedByName) {
    const struct {
        const char* what;
        std::string file;
        const char* caption;
        const char* fault;
    } cases[] = {
        {"empty file", dir.Write("empty.qfr", ""), "Round not started",
         "This file holds no questions, so no round can start from it."},
        {"binary bytes", dir.Write("picture.bmp", std::string("BM\0\0\xff\xfe", 6)),
         "Round not started", "This file holds no questions, so no round can start from it."},
        {"round with a broken question line",
         dir.Write("broken.qfr", "qfile: \"" + QuestionFile() + "\"\r\nqantal: 2\r\nQ: 1\r\n"),
         "Round not loaded", "The list of questions in this round file cannot be read."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(Open(c.file));
        ASSERT_EQ(seams::ShownMessageBoxes().size(), 1u);
        const seams::ShownMessageBox& box = seams::ShownMessageBoxes()[0];
        EXPECT_EQ(box.caption, c.caption);
        EXPECT_EQ(box.text, std::string(c.fault) + "\nFile: " + c.file);
        EXPECT_EQ(box.owner, Main());
        ExpectWelcome();
        EXPECT_EQ(ui().QuestionOrder.ReturnQFile(), nullptr);
    }
}

}  // namespace
