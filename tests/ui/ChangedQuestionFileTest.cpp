// Load round on a question file edited since the round was saved: the round
// is taken up on the file as it is, and a box tells the learner what changed.
#include <string>
#include <vector>

#include "tests/ui/MainFixture.h"

namespace {

class ChangedQuestionFile : public QuillfinTest {
protected:
    std::string Blocks(const std::vector<std::string>& names) {
        std::string s;
        for (const std::string& n : names) {
            s += "\244Q \"Question " + n + "\" \244A \"" + n + "\" \244E\r\n";
        }
        return s;
    }

    // A round on A, B, C: A answered right, B wrongly, saved with C on screen.
    std::string SaveRound() {
        questions = dir.Write("abc.txt", Blocks({"A", "B", "C"}));
        LoadRound(questions, {1, 2, 3});
        Answer("A");
        PressEnter();
        Answer("wrong");
        PressEnter();
        EXPECT_EQ(Shown(), "Question C");
        const std::string saved = dir.File("saved.qfr");
        seams::PushFileDialogAnswer(saved);
        Menu(kCmdSaveRound);
        seams::ClearRecords();
        return saved;
    }

    std::string questions;
};

}  // namespace

TEST_F(ChangedQuestionFile, LoadTellsWhatChangedAndKeepsTheProgress) {
    const std::string saved = SaveRound();
    dir.Write("abc.txt", Blocks({"New", "A", "B", "C"}));
    seams::PushFileDialogAnswer(saved);
    Menu(kCmdLoadRound);

    const auto& boxes = seams::ShownMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Question file changed");
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(boxes[0].text,
              "The question file has changed since this round was saved: 1 question is new. Your "
              "progress on the other 3 is kept.");
    // The question on screen when saved comes first, under its number now.
    EXPECT_EQ(Shown(), "Question C");
    EXPECT_EQ(ui().QuestionOrder.ReturnQuestionNo(0), 4);
    EXPECT_EQ(ui().QuestionOrder.qantal, 4);
    EXPECT_EQ(ui().QuestionOrder.ReturnQuestionStat(3), 1);  // A, answered right, stays last
    EXPECT_EQ(ui().QuestionOrder.ReturnQuestionNo(3), 2);
}

TEST_F(ChangedQuestionFile, UnchangedFileLoadsWithoutABox) {
    const std::string saved = SaveRound();
    seams::PushFileDialogAnswer(saved);
    Menu(kCmdLoadRound);
    EXPECT_TRUE(seams::ShownMessageBoxes().empty());
    EXPECT_EQ(Shown(), "Question C");
    EXPECT_EQ(ui().QuestionOrder.ReturnQuestionNo(0), 3);
}
