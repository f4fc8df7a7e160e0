// Where the file dialogs start, Save round on the welcome screen, and the
// Help box that finds the help page and offers to open it.
#include <filesystem>
#include <string>
#include <vector>

#include "tests/ui/MainFixture.h"
#include "ui/Dialogs.h"

namespace {

namespace fs = std::filesystem;
using Dialogs = QuillfinTest;

constexpr const char* kQuestion = "\244Q \"Capital of Sweden?\" \244A \"Stockholm\" \244E\r\n";
constexpr const char* kHelpFixedText =
    "Help documetntation is included in the \"help\" directory.\n"
    "Open the file \"Quillfin_help_v.1.00 beta.html\"";

std::string FolderOf(const std::string& path) {
    return fs::path(path).parent_path().string() + "/";
}

TEST_F(Dialogs, StartBesideTheQuestionFileElseInTheFolderLastChosen) {
    fs::create_directories(dir.Path() / "quiz");
    fs::create_directories(dir.Path() / "other");
    const std::string questions = dir.Write("quiz/capitals.v2.txt", kQuestion);
    const std::string notARound = dir.Write("other/notes.qfr", "nothing here\r\n");

    // Nothing chosen yet: the system's default folder.
    Menu(kCmdNewRound);
    // A refused file still tells where the learner looks for files.
    seams::PushFileDialogAnswer(notARound);
    Menu(kCmdLoadRound);
    ASSERT_EQ(ui().QuizState, kQuizWelcome);
    Menu(kCmdNewRound);
    // A round on a file in another folder: every dialog starts beside it.
    seams::PushFileDialogAnswer(questions);
    Menu(kCmdNewRound);
    ASSERT_EQ(ui().QuizState, kQuizAwaitTypedAnswer);
    Menu(kCmdSaveRound);
    Menu(kCmdLoadRound);
    Menu(kCmdNewRound);

    struct Expected {
        bool save;
        std::string folder;
        std::string file;
    };
    const std::string quiz = FolderOf(questions);
    const std::string other = FolderOf(notARound);
    const Expected expected[] = {
        {false, "", ""},
        {false, "", ""},
        {false, other, ""},
        {false, other, ""},
        {true, quiz, "capitals.v2.qfr"},
        {false, quiz, ""},
        {false, quiz, ""},
    };
    const auto& shown = seams::ShownFileDialogs();
    ASSERT_EQ(shown.size(), std::size(expected));
    for (std::size_t i = 0; i < shown.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(shown[i].save, expected[i].save);
        EXPECT_EQ(shown[i].initialDir, expected[i].folder);
        EXPECT_EQ(shown[i].initialFile, expected[i].file);
    }
}

TEST_F(Dialogs, SaveRoundProposesTheQuestionFilesNameWithQfr) {
    struct Case {
        const char* questionFile;
        const char* proposed;
    };
    const Case cases[] = {
        {"capitals.txt", "capitals.qfr"},
        {"no extension", "no extension.qfr"},
        {".hidden", ".hidden.qfr"},
        {"round.qfr.txt", "round.qfr.qfr"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.questionFile);
        seams::ClearRecords();
        seams::PushFileDialogAnswer(dir.Write(c.questionFile, kQuestion));
        Menu(kCmdNewRound);
        ASSERT_EQ(ui().QuizState, kQuizAwaitTypedAnswer);
        Menu(kCmdSaveRound);
        ASSERT_EQ(seams::ShownFileDialogs().size(), 2u);
        EXPECT_EQ(seams::ShownFileDialogs()[1].initialFile, c.proposed);
    }
}

TEST_F(Dialogs, SaveRoundOnTheWelcomeScreenSaysThereIsNothingToSave) {
    Menu(kCmdSaveRound);
    EXPECT_TRUE(seams::ShownFileDialogs().empty());
    ASSERT_EQ(seams::ShownMessageBoxes().size(), 1u);
    EXPECT_EQ(seams::ShownMessageBoxes()[0].text,
              "There is no round to save yet.\n"
              "New round starts a round; Load round continues a saved one.");
    EXPECT_EQ(seams::ShownMessageBoxes()[0].type, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(ui().QuizState, kQuizWelcome);

    // On the congratulation screen the command still does nothing.
    seams::ClearRecords();
    seams::PushFileDialogAnswer(dir.Write("one.txt", kQuestion));
    Menu(kCmdNewRound);
    Answer("Stockholm");
    PressEnter();
    ASSERT_EQ(ui().QuizState, kQuizRoundFinished);
    Menu(kCmdSaveRound);
    EXPECT_EQ(seams::ShownFileDialogs().size(), 1u);
    EXPECT_TRUE(seams::ShownMessageBoxes().empty());
}

class HelpBox : public QuillfinTest {
protected:
    void TearDown() override {
        seams::SetModuleFileName(std::nullopt);
        QuillfinTest::TearDown();
    }

    // A program at `program` (relative to the test folder), with the help
    // page in each of `pages` (folders relative to the test folder).
    void Install(const std::string& program, const std::vector<std::string>& pages) {
        fs::create_directories((dir.Path() / program).parent_path());
        dir.Write(program, "program");
        for (const std::string& folder : pages) {
            fs::create_directories(dir.Path() / folder);
            dir.Write(folder + "/" + kHelpPageName, "<html></html>");
        }
        seams::SetModuleFileName(dir.File(program));
    }
};

TEST_F(HelpBox, FindsThePageWhereEachLayoutPutsIt) {
    struct Case {
        const char* layout;
        std::string program;
        std::vector<std::string> pages;
        std::string found;  // empty: nowhere
    };
    const Case cases[] = {
        {"zip: a help folder beside the program", "zip/quillfin.exe", {"zip/help"}, "zip/help"},
        {"the page beside the program", "flat/quillfin", {"flat"}, "flat"},
        {"package",
         "usr/bin/quillfin",
         {"usr/share/doc/quillfin/help"},
         "usr/share/doc/quillfin/help"},
        {"build folder in the source tree", "src/build/quillfin", {"src/help"}, "src/help"},
        {"beside wins over the package",
         "both/bin/quillfin",
         {"both/bin/help", "both/share/doc/quillfin/help"},
         "both/bin/help"},
        {"a help folder two levels up is not looked at", "deep/a/b/quillfin", {"deep/help"}, ""},
        {"nowhere", "none/quillfin", {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.layout);
        Install(c.program, c.pages);
        const std::string expected = c.found.empty() ? "" : dir.File(c.found + "/" + kHelpPageName);
        EXPECT_EQ(FindHelpPage(), expected);
    }
}

TEST_F(HelpBox, GivesTheFullPathAndOpensThePageOnlyOnYes) {
    Install("usr/bin/quillfin", {"usr/share/doc/quillfin/help"});
    const std::string page = dir.File(std::string("usr/share/doc/quillfin/help/") + kHelpPageName);
    for (int answer : {IDNO, IDYES}) {
        SCOPED_TRACE(answer);
        seams::ClearRecords();
        seams::PushMessageBoxResult(answer);
        Menu(kCmdHelp);
        ASSERT_EQ(seams::ShownMessageBoxes().size(), 1u);
        const seams::ShownMessageBox& box = seams::ShownMessageBoxes()[0];
        EXPECT_EQ(box.caption, "Quillfin Help");
        EXPECT_EQ(box.type, static_cast<UINT>(MB_YESNO | MB_DEFBUTTON2));
        EXPECT_EQ(box.text, std::string(kHelpFixedText) + "\n\nThe help page is\n" + page +
                                "\n\nOpen it in the browser now?");
        if (answer == IDYES) {
            ASSERT_EQ(seams::ShellRequests().size(), 1u);
            EXPECT_EQ(seams::ShellRequests()[0].operation, "open");
            EXPECT_EQ(seams::ShellRequests()[0].file, page);
        } else {
            EXPECT_TRUE(seams::ShellRequests().empty());
        }
    }
}

TEST_F(HelpBox, WithoutThePageKeepsTheFixedTextAndSaysItIsMissing) {
    Install("none/quillfin", {});
    Menu(kCmdHelp);
    ASSERT_EQ(seams::ShownMessageBoxes().size(), 1u);
    const seams::ShownMessageBox& box = seams::ShownMessageBoxes()[0];
    EXPECT_EQ(box.type, static_cast<UINT>(MB_OK));
    EXPECT_EQ(box.text.rfind(std::string(kHelpFixedText) + "\n\n", 0), 0u) << box.text;
    EXPECT_NE(box.text.find("not found"), std::string::npos);
    EXPECT_TRUE(seams::ShellRequests().empty());
}

}  // namespace
