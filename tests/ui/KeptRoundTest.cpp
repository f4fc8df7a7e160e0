// The round kept when the program ends in the middle of it, and the offer to
// continue it at the next start.
#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/qt/Termination.h"
#include "round/QuestionOrder.h"
#include "tests/ui/MainFixture.h"
#include "ui/KeptRound.h"

namespace {

namespace fs = std::filesystem;

class KeptRound : public QuillfinTest {
protected:
    std::string Questions(const std::string& name = "capitals.txt") {
        return dir.Write(name,
                         "\244Q \"Capital of Sweden?\" \244A \"Stockholm\" \244E\r\n"
                         "\244Q \"Capital of Norway?\" \244A \"Oslo\" \244E\r\n"
                         "\244Q \"Capital of France?\" \244A \"Paris\" \244E\r\n");
    }
    std::string Kept() { return (dir.Path() / "state" / "quillfin" / "last-round.qfr").string(); }

    // The kept round on `questionFile` with the given question lines ("Q: 1 Stat: 0\r\n"...).
    void WriteKept(const std::string& questionFile, int count, const std::string& lines) {
        fs::create_directories(fs::path(Kept()).parent_path());
        dir.Write(fs::relative(Kept(), dir.Path()).string(),
                  "qfile: \"" + questionFile + "\"\r\nsfile: \"x.qfr\"\r\nqantal: " +
                      std::to_string(count) + "\r\n" + lines);
    }

    // The order a round file holds, as "no:stat no:stat ..."; "" when it cannot be read.
    static std::string OrderIn(const std::string& roundFile) {
        clQuestionOrder round;
        round.LoadRoundFile(roundFile.c_str());
        std::string order;
        for (int i = 0; i < round.qantal && round.order != nullptr; ++i) {
            if (!order.empty()) order += ' ';
            order += std::to_string(round.ReturnQuestionNo(i)) + ":" +
                     std::to_string(round.ReturnQuestionStat(i));
        }
        return order;
    }

    // The program started afresh, as after the end of the last one; as in
    // WinMain, the loop has not run yet.
    void Restart() {
        seams::ResetPlatform();
        ResetUiState();
        seams::ScriptDialogs(true);
        seams::ClearRecords();
        quit = false;
        ASSERT_TRUE(StartQuillfin(nullptr, SW_SHOWNORMAL));
    }
};

TEST_F(KeptRound, EveryWayOfClosingKeepsTheRoundAsTheContinueStepLeavesIt) {
    const std::string file = Questions();
    enum Close { kExit, kCloseBox, kEndSession, kSignal };
    struct Case {
        const char* name;
        Close close;
        const char* answer;  // nullptr: none given
        const char* kept;
    };
    const Case cases[] = {
        {"Exit, waiting for an answer", kExit, nullptr, "1:0 2:0 3:0"},
        {"Exit, right", kExit, "Stockholm", "2:0 3:0 1:1"},
        {"Exit, wrong", kExit, "Rome", "2:0 3:0 1:2"},
        {"close box, right", kCloseBox, "Stockholm", "2:0 3:0 1:1"},
        {"end of session, wrong", kEndSession, "Rome", "2:0 3:0 1:2"},
        {"termination signal, waiting", kSignal, nullptr, "1:0 2:0 3:0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Restart();
        Pump();
        LoadRound(file, {1, 2, 3});
        if (c.answer != nullptr) Answer(c.answer);
        seams::ClearRecords();
        switch (c.close) {
            case kExit:
                Menu(kCmdExit);
                break;
            case kCloseBox:
                PostMessageA(Main(), WM_CLOSE, 0, 0);
                break;
            case kEndSession:
                PostMessageA(Main(), WM_ENDSESSION, TRUE, 0);
                break;
            case kSignal:
                quillfin::platform::EndInOrder();
                break;
        }
        Pump();
        EXPECT_TRUE(quit) << "the program did not end";
        EXPECT_TRUE(seams::ShownMessageBoxes().empty()) << "something was asked at exit";
        EXPECT_EQ(OrderIn(Kept()), c.kept);
        fs::remove(Kept());
    }
}

TEST_F(KeptRound, NothingIsKeptOutsideARoundAndAFinishedRoundRemovesItsKeptRound) {
    const std::string file = Questions();
    const std::string other = Questions("other.txt");
    Menu(kCmdExit);
    EXPECT_TRUE(quit);
    EXPECT_FALSE(fs::exists(Kept())) << "kept at the welcome screen";

    // Another program kept a round on another file: finishing this one leaves it.
    for (const auto& [keptOn, stays] : {std::pair{other, true}, std::pair{file, false}}) {
        SCOPED_TRACE(keptOn);
        Restart();
        Pump();
        WriteKept(keptOn, 2, "Q: 2 Stat: 0\r\nQ: 1 Stat: 1\r\n");
        LoadRound(file, {2});
        Answer("Oslo");
        PressEnter();
        ASSERT_EQ(ui().QuizState, kQuizRoundFinished);
        EXPECT_EQ(fs::exists(Kept()), stays);
        Menu(kCmdExit);
        EXPECT_EQ(fs::exists(Kept()), stays) << "the finished round was kept at exit";
    }
}

TEST_F(KeptRound, TheNextStartOffersItOnce) {
    const std::string file = Questions();
    struct Case {
        const char* name;
        int answer;
        int state;
        bool keptAfter;
    };
    const Case cases[] = {
        {"Yes continues it", IDYES, kQuizAwaitTypedAnswer, false},
        {"No discards it", IDNO, kQuizWelcome, false},
        {"no answer (the program is being ended) keeps it", 0, kQuizWelcome, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Restart();
        WriteKept(file, 3, "Q: 3 Stat: 2\r\nQ: 1 Stat: 0\r\nQ: 2 Stat: 1\r\n");
        seams::PushMessageBoxResult(c.answer);
        EXPECT_EQ(OfferKeptRound(Main()), c.answer == IDYES);
        Pump();
        ASSERT_EQ(seams::ShownMessageBoxes().size(), 1u);
        const seams::ShownMessageBox& box = seams::ShownMessageBoxes()[0];
        EXPECT_EQ(box.text, "Quillfin was closed in the middle of a round on\n" + file +
                                "\n\nQuestions still to answer: 2\n\n"
                                "Do you want to continue this round?\nNo discards it.");
        EXPECT_EQ(box.type & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
        EXPECT_EQ(ui().QuizState, c.state);
        if (c.state == kQuizAwaitTypedAnswer) {
            EXPECT_EQ(Shown(), "Capital of France?");
        }
        EXPECT_EQ(fs::exists(Kept()), c.keptAfter);
    }
}

TEST_F(KeptRound, OnlyARoundThatCanGoOnIsOffered) {
    const std::string file = Questions();
    struct Case {
        const char* name;
        std::string questionFile;
        int count;
        std::string lines;
        bool keptAfter;
    };
    const Case cases[] = {
        {"question file gone: kept for later", dir.File("gone.txt"), 1, "Q: 1 Stat: 0\r\n", true},
        {"every question answered", file, 2, "Q: 1 Stat: 1\r\nQ: 2 Stat: 1\r\n", false},
        {"no question lines", file, 2, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Restart();
        WriteKept(c.questionFile, c.count, c.lines);
        EXPECT_FALSE(OfferKeptRound(Main()));
        EXPECT_TRUE(seams::ShownMessageBoxes().empty());
        EXPECT_EQ(ui().QuizState, kQuizWelcome);
        EXPECT_EQ(fs::exists(Kept()), c.keptAfter);
    }
}

// The kept file in two roles: loaded with Load round, then kept again at exit.
TEST_F(KeptRound, ARoundLoadedFromTheKeptFileIsKeptAgainAtExit) {
    const std::string file = Questions();
    WriteKept(file, 2, "Q: 2 Stat: 0\r\nQ: 1 Stat: 0\r\n");
    seams::PushFileDialogAnswer(Kept());
    Menu(kCmdLoadRound);
    ASSERT_EQ(Shown(), "Capital of Norway?");
    Answer("Oslo");
    Menu(kCmdExit);
    EXPECT_TRUE(quit);
    EXPECT_EQ(OrderIn(Kept()), "1:0 2:1");
}

// Two programs ending at once write the kept file together: a reader only
// ever sees one of the two rounds whole, and the last writer's stays.
TEST_F(KeptRound, TwoWritersAtOnceLeaveOneWholeRound) {
    const std::string path = KeptRoundFile();
    ASSERT_FALSE(path.empty());
    clQuestionOrder first;
    clQuestionOrder second;
    first.LoadQuestionFile(Questions("first.txt").c_str());
    second.LoadQuestionFile(Questions("second.txt").c_str());
    ASSERT_EQ(first.SaveRoundFile(path.c_str()), 1);
    const std::string firstText = ReadWholeFile(path);
    ASSERT_EQ(second.SaveRoundFile(path.c_str()), 1);
    const std::string secondText = ReadWholeFile(path);
    ASSERT_NE(firstText, secondText);

    std::atomic<bool> writing{true};
    std::atomic<int> torn{0};
    std::thread reader([&] {
        while (writing) {
            const std::string seen = ReadWholeFile(path);
            if (seen != firstText && seen != secondText) ++torn;
        }
    });
    std::thread writer([&] {
        for (int i = 0; i < 200; ++i) first.SaveRoundFile(path.c_str());
    });
    for (int i = 0; i < 200; ++i) second.SaveRoundFile(path.c_str());
    writer.join();
    first.SaveRoundFile(path.c_str());
    writing = false;
    reader.join();
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(ReadWholeFile(path), firstText);
    // No temporary file is left beside it.
    int files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(fs::path(path).parent_path()))
        ++files;
    EXPECT_EQ(files, 1);
}

}  // namespace
