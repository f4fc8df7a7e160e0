// File > Save answer report...: the answers of every round of the run, the
// proposed name, the question before replacing and the box when nothing can
// be reported or written.
#include <filesystem>
#include <string>
#include <vector>

#include "round/AnswerReport.h"
#include "tests/ui/MainFixture.h"
#include "ui/AnswerReport.h"

namespace {

class AnswerReportMenu : public QuillfinTest {
protected:
    void SetUp() override {
        QuillfinTest::SetUp();
        ForgetReportedAnswers();
    }

    std::string Questions() {
        return dir.Write(
            "capitals.txt",
            "\244Q \"Capital of Sweden?\" \244A \"Stockholm\" \244E\r\n"
            "\r\n"
            "\244Q \"Capital of Finland, =the north\" \244A \"Helsinki\" \244F typo \244E\r\n");
    }

    ReadReport Saved(const std::string& path) {
        seams::PushFileDialogAnswer(path);
        Menu(kCmdSaveAnswerReport);
        return ParseAnswerReport(ReadWholeFile(path));
    }
};

}  // namespace

TEST_F(AnswerReportMenu, BeforeAnyAnswerABoxSaysSo) {
    Menu(kCmdSaveAnswerReport);
    ASSERT_EQ(seams::ShownMessageBoxes().size(), 1u);
    EXPECT_EQ(seams::ShownMessageBoxes()[0].caption, "No answers yet");
    EXPECT_TRUE(seams::ShownFileDialogs().empty());
    // A round started but not answered has nothing to report either.
    LoadRound(Questions(), {1, 2});
    Menu(kCmdSaveAnswerReport);
    EXPECT_EQ(seams::ShownMessageBoxes().size(), 2u);
}

TEST_F(AnswerReportMenu, ReportsEveryRoundOfTheRun) {
    const std::string file = Questions();
    LoadRound(file, {1, 2});
    Answer("Stokholm");  // a near miss
    PressEnter();        // question 1 goes to the back
    Answer("Helsnki");   // accepted by typo
    PressEnter();
    Answer("Stockholm");
    PressEnter();
    ASSERT_EQ(ui().QuizState, kQuizRoundFinished);
    PressEnter();
    LoadRound(file, {2});  // the memory of the round starts afresh; the report keeps all
    Answer("Bergen");

    const ReadReport report = Saved(dir.File("mine.csv"));
    ASSERT_EQ(report.error, "");
    const std::vector<std::vector<std::string>> expected = {
        {"capitals.txt", "1", "1", "Capital of Sweden?", "Stokholm", "near-typo"},
        {"capitals.txt", "2", "3", "Capital of Finland, =the north", "Helsnki", "right-typo"},
        {"capitals.txt", "1", "1", "Capital of Sweden?", "Stockholm", "right"},
        {"capitals.txt", "2", "3", "Capital of Finland, =the north", "Bergen", "wrong"},
    };
    ASSERT_EQ(report.rows.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        const std::vector<std::string>& row = report.rows[i];
        EXPECT_EQ(std::vector<std::string>(row.begin() + 1, row.begin() + 7), expected[i]);
        EXPECT_EQ(row[0].size(), 19u) << row[0];
        EXPECT_NE(row[7].find('.'), std::string::npos) << row[7];
    }

    const seams::ShownFileDialog& shown = seams::ShownFileDialogs().back();
    EXPECT_TRUE(shown.save);
    EXPECT_EQ(shown.initialFile, dir.File("capitals-answers.csv"));
    EXPECT_EQ(shown.defaultExtension, "csv");
    EXPECT_NE(shown.flags & OFN_OVERWRITEPROMPT, 0u);
    EXPECT_TRUE(seams::ShownMessageBoxes().empty());
}

TEST_F(AnswerReportMenu, AsksBeforeReplacingAndSaysWhenTheWriteFails) {
    LoadRound(Questions(), {1});
    Answer("Stockholm");
    const std::string earlier = dir.Write("capitals-answers.csv", "earlier");

    seams::PushFileDialogAnswer(earlier);  // No: the dialog stays open, then cancelled
    seams::PushMessageBoxResult(IDNO);
    Menu(kCmdSaveAnswerReport);
    EXPECT_EQ(ReadWholeFile(earlier), "earlier");
    ASSERT_EQ(seams::ShownMessageBoxes().size(), 1u);
    EXPECT_EQ(seams::ShownMessageBoxes()[0].caption, "Confirm Save As");

    seams::PushMessageBoxResult(IDYES);
    EXPECT_EQ(Saved(earlier).rows.size(), 1u);

    // A folder of the name cannot be written over.
    const std::string folder = dir.File("taken.csv");
    std::filesystem::create_directory(folder);
    seams::PushFileDialogAnswer(folder);
    Menu(kCmdSaveAnswerReport);
    ASSERT_EQ(seams::ShownMessageBoxes().size(), 3u);
    EXPECT_EQ(seams::ShownMessageBoxes()[2].caption, "Answer report not saved");
    EXPECT_NE(seams::ShownMessageBoxes()[2].text.find("taken.csv"), std::string::npos);
}

TEST(AnswerReportName, ProposedBesideTheQuestionFile) {
    const struct {
        const char* questionFile;
        const char* proposed;
    } cases[] = {
        {"/home/t/quiz.txt", "/home/t/quiz-answers.csv"},
        {"C:\\quiz\\capitals.v2.txt", "C:\\quiz\\capitals.v2-answers.csv"},
        {"noextension", "noextension-answers.csv"},
        {"/home/t.d/.hidden", "/home/t.d/.hidden-answers.csv"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.questionFile);
        EXPECT_EQ(ProposedReportName(c.questionFile), c.proposed);
    }
}
