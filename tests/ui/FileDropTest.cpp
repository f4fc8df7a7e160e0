// Files dropped on the main window, through the layer's drop events.
#include <string>
#include <vector>

#include "tests/ui/MainFixture.h"

namespace {

using FileDrop = QuillfinTest;

constexpr const char* kSweden = "\244Q \"Capital of Sweden?\" \244A \"Stockholm\" \244E\r\n";
constexpr const char* kNorway = "\244Q \"Capital of Norway?\" \244A \"Oslo\" \244E\r\n";

TEST_F(FileDrop, TheFirstFileOpensAsFromTheCommandLineInAnyState) {
    const std::string sweden = dir.Write("sweden.txt", kSweden);
    const std::string norway = dir.Write("norway.txt", kNorway);
    const std::string round =
        dir.Write("norway.qfr",
                  "qfile: \"" + norway + "\"\r\nsfile: \"x.qfr\"\r\nqantal: 1\r\nQ: 1 Stat: 0\r\n");
    struct Case {
        const char* what;
        std::function<void()> before;
        std::vector<std::string> dropped;
        const char* shown;
    };
    const Case cases[] = {
        {"a question file on the welcome screen", [] {}, {sweden}, "Capital of Sweden?"},
        {"a round file while a question waits", [] {}, {round}, "Capital of Norway?"},
        {"a question file on the wrong-answer feedback",
         [&] { Answer("Bergen"); },
         {sweden},
         "Capital of Sweden?"},
        {"two files: the first", [] {}, {norway, sweden}, "Capital of Norway?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.before();
        ASSERT_TRUE(seams::DropFiles(Main(), c.dropped));
        Pump();
        EXPECT_EQ(ui().QuizState, kQuizAwaitTypedAnswer);
        EXPECT_EQ(Shown(), c.shown);
        EXPECT_TRUE(seams::ShownMessageBoxes().empty());
        EXPECT_EQ(seams::OpenDrops(), 0u) << "every drop is freed";
    }
}

TEST_F(FileDrop, AWrongFileSaysSoAndTheRoundGoesOn) {
    seams::PushFileDialogAnswer(dir.Write("sweden.txt", kSweden));
    Menu(kCmdNewRound);
    ASSERT_EQ(Shown(), "Capital of Sweden?");
    const std::string picture = dir.Write("picture.bmp", MakeBmp(4, 4, [](int, int) { return 0; }));
    ASSERT_TRUE(seams::DropFiles(Main(), {picture}));
    Pump();
    ASSERT_EQ(seams::ShownMessageBoxes().size(), 1u);
    EXPECT_EQ(seams::ShownMessageBoxes()[0].caption, "Round not started");
    EXPECT_NE(seams::ShownMessageBoxes()[0].text.find(picture), std::string::npos);
    EXPECT_EQ(ui().QuizState, kQuizAwaitTypedAnswer);
    EXPECT_EQ(Shown(), "Capital of Sweden?");
    EXPECT_EQ(seams::OpenDrops(), 0u);
}

TEST_F(FileDrop, OnlyLocalFilesAreTaken) {
    EXPECT_FALSE(seams::DropFiles(Main(), {}));
    Pump();
    EXPECT_EQ(ui().QuizState, kQuizWelcome);
    EXPECT_EQ(seams::OpenDrops(), 0u);
}

}  // namespace
