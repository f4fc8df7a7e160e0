// Menu commands with their dialogs and boxes, zone answers by clicking,
// continuing by clicking, and closing the program.
#include <sys/resource.h>

#include <QImage>
#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>

#include "tests/ui/MainFixture.h"
#include "ui/Controls.h"

namespace {

using WindowProcedure = QuillfinTest;

constexpr DWORD kOpenFlags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
constexpr DWORD kSaveFlags =
    OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;

std::string TwentyQuestions(const TempDir& dir) {
    std::string blocks;
    for (int i = 1; i <= 20; ++i) {
        blocks += "\244Q \"Question " + std::to_string(i) + "\" \244A \"a" + std::to_string(i) +
                  "\" \244E\r\n";
    }
    return dir.Write("twenty.txt", blocks);
}

std::vector<int> OneToTwenty() {
    std::vector<int> order;
    for (int i = 1; i <= 20; ++i) order.push_back(i);
    return order;
}

TEST_F(WindowProcedure, MenuHoldsTheCommands) {
    const std::vector<seams::MenuEntry> expected = {
        {0, "&File", 0},
        {1, "&New round", 1002},
        {1, "&Restart round", 1003},
        {1, "", 0},
        {1, "&Save round", 1004},
        {1, "Save &answer report...", 1009},
        {1, "&Load round", 1005},
        {1, "", 0},
        {1, "&Exit", 1011},
        {0, "&Help", 0},
        {1, "&Help", 1006},
        {1, "", 0},
        {1, "&Terms", 1007},
        {1, "&About", 1008},
    };
    const std::vector<seams::MenuEntry> menu = seams::WindowMenu(Main());
    ASSERT_EQ(menu.size(), expected.size());
    for (size_t i = 0; i < menu.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(menu[i].depth, expected[i].depth);
        EXPECT_EQ(menu[i].text, expected[i].text);
        EXPECT_EQ(menu[i].id, expected[i].id);
    }
}

TEST_F(WindowProcedure, FileDialogsAskAfreshWithTheirFiltersAndFlags) {
    const std::string questions = TwentyQuestions(dir);
    seams::PushFileDialogAnswer(questions);
    Menu(kCmdNewRound);
    ASSERT_EQ(ui().QuizState, kQuizAwaitTypedAnswer);
    Menu(kCmdNewRound);  // cancelled: the round goes on
    Menu(kCmdLoadRound);
    Menu(kCmdSaveRound);
    EXPECT_EQ(ui().QuizState, kQuizAwaitTypedAnswer);

    struct Expected {
        bool save;
        std::vector<std::string> filter;
        const char* extension;
        DWORD flags;
    };
    const Expected expected[] = {
        {false, {"Text Files (.txt)", "*.txt", "All Files", "*.*"}, "txt", kOpenFlags},
        {false, {"Text Files (.txt)", "*.txt", "All Files", "*.*"}, "txt", kOpenFlags},
        {false, {"Text Files (.qfr)", "*.qfr", "All Files", "*.*"}, "qfr", kOpenFlags},
        {true, {"Text Files (.qfr)", "*.qfr"}, "qfr", kSaveFlags},
    };
    const auto& shown = seams::ShownFileDialogs();
    ASSERT_EQ(shown.size(), 4u);
    for (size_t i = 0; i < shown.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(shown[i].save, expected[i].save);
        EXPECT_EQ(shown[i].filter, expected[i].filter);
        EXPECT_EQ(shown[i].defaultExtension, expected[i].extension);
        EXPECT_EQ(shown[i].flags, expected[i].flags);
        EXPECT_EQ(shown[i].structSize, 76u);
        EXPECT_EQ(shown[i].owner, Main());
        EXPECT_EQ(shown[i].filterIndex, 1u);
        EXPECT_EQ(shown[i].maxFile, 260u);
        // No name is remembered; Save round proposes one from the question file.
        EXPECT_EQ(shown[i].initialFile, expected[i].save ? "twenty.qfr" : "");
    }
}

TEST_F(WindowProcedure, RestartRoundNeedsARound) {
    Menu(kCmdRestartRound);
    ASSERT_EQ(seams::ShownMessageBoxes().size(), 1u);
    EXPECT_EQ(seams::ShownMessageBoxes()[0].text, "There is no active round to restart!");
    EXPECT_EQ(seams::ShownMessageBoxes()[0].caption, "Can not comly");
    EXPECT_EQ(seams::ShownMessageBoxes()[0].type, static_cast<UINT>(MB_OK | MB_ICONWARNING));
    EXPECT_EQ(ui().QuizState, kQuizWelcome);
    EXPECT_EQ(Shown(), "Welcome to Quillfin v.0.02 (beta)");

    // After a finished round the same file starts again.
    const std::string file = dir.Write("one.txt", "\244Q \"Only question\" \244A \"yes\" \244E");
    seams::PushFileDialogAnswer(file);
    Menu(kCmdNewRound);
    Answer("yes");
    PressEnter();
    ASSERT_EQ(ui().QuizState, kQuizRoundFinished);
    Menu(kCmdRestartRound);
    EXPECT_EQ(ui().QuizState, kQuizAwaitTypedAnswer);
    EXPECT_EQ(Shown(), "Only question");
    EXPECT_EQ(seams::ShownMessageBoxes().size(), 1u);
}

TEST_F(WindowProcedure, SaveRoundInWrongFeedbackPutsTheQuestionThirteenPlacesBack) {
    Menu(kCmdSaveRound);
    EXPECT_TRUE(seams::ShownFileDialogs().empty()) << "nothing to save at the welcome screen";

    LoadRound(TwentyQuestions(dir), OneToTwenty());
    Answer("wrong");
    ASSERT_EQ(ui().QuizState, kQuizFeedbackWrong);
    Menu(kCmdSaveRound);  // cancelled: the feedback stays
    EXPECT_EQ(ui().QuizState, kQuizFeedbackWrong);
    EXPECT_EQ(Background(), kWrongBackground);

    const std::string saved = dir.File("saved.qfr");
    seams::PushFileDialogAnswer(saved);
    Menu(kCmdSaveRound);
    EXPECT_EQ(ui().QuizState, kQuizAwaitTypedAnswer);
    EXPECT_EQ(Shown(), "Question 2");
    // The order and statuses, without the questions' fingerprints.
    const std::string text = std::regex_replace(
        ReadWholeFile(saved), std::regex("qsum: [0-9a-f]{16}\r\n| Id: [0-9a-f]{16}"), "");
    std::string order;
    for (int i = 2; i <= 14; ++i) order += "Q: " + std::to_string(i) + " Stat: 0\r\n";
    order += "Q: 1 Stat: 2\r\nQ: 15 Stat: 0\r\n";
    EXPECT_NE(text.find("qantal: 20\r\n" + order), std::string::npos) << text;
}

// Runs `action` with files limited to `limit` bytes; a write past the limit
// then fails with an error instead of ending the process.
void WithFileSizeLimit(rlim_t limit, const std::function<void()>& action) {
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    struct rlimit small = old;
    small.rlim_cur = limit;
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    action();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
}

TEST_F(WindowProcedure, FailedSaveSaysSoNamesTheFileAndTheQuizGoesOn) {
    const std::string questions = TwentyQuestions(dir);
    struct Case {
        const char* name;
        std::string target;
        bool fileSizeLimit;
    };
    std::filesystem::create_directory(dir.Path() / "folder.qfr");
    const std::string kept = dir.Write("folder.qfr/kept.txt", "kept");
    const Case cases[] = {
        {"onto a folder's name", dir.File("folder.qfr"), false},
        {"a write that fails part way", dir.File("previous.qfr"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        seams::ClearRecords();
        LoadRound(questions, OneToTwenty());
        ASSERT_EQ(Shown(), "Question 1");
        // An earlier round in the target's place, larger than the limit below.
        if (c.fileSizeLimit) {
            seams::PushFileDialogAnswer(c.target);
            Menu(kCmdSaveRound);
            ASSERT_TRUE(seams::ShownMessageBoxes().empty());
        }
        const std::string before = c.fileSizeLimit ? ReadWholeFile(c.target) : "";
        if (c.fileSizeLimit) {
            ASSERT_GT(before.size(), 64u);
        }

        Answer("wrong");
        ASSERT_EQ(ui().QuizState, kQuizFeedbackWrong);
        seams::PushFileDialogAnswer(c.target);
        if (c.fileSizeLimit) {
            seams::PushMessageBoxResult(IDYES);  // replace the earlier round
            WithFileSizeLimit(64, [&] { Menu(kCmdSaveRound); });
        } else {
            Menu(kCmdSaveRound);
        }

        // After the dialog's question whether to replace the earlier round.
        const auto& shown = seams::ShownMessageBoxes();
        ASSERT_EQ(shown.size(), c.fileSizeLimit ? 2u : 1u);
        const std::vector<seams::ShownMessageBox> boxes(shown.end() - 1, shown.end());
        EXPECT_EQ(boxes[0].owner, Main());
        EXPECT_EQ(boxes[0].caption, "Round not saved");
        EXPECT_EQ(boxes[0].text,
                  "The round could not be saved to the file\n" + c.target +
                      "\n\nAn earlier file of that name has not been changed. The quiz goes on;\n"
                      "choose Save round again to save it under another name or in another "
                      "folder.");
        EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONWARNING));
        if (c.fileSizeLimit) {
            EXPECT_EQ(ReadWholeFile(c.target), before);
        } else {
            EXPECT_EQ(ReadWholeFile(kept), "kept");
        }
        // The answered question moved on as Enter would have moved it.
        EXPECT_EQ(ui().QuizState, kQuizAwaitTypedAnswer);
        EXPECT_EQ(Shown(), "Question 2");
        Answer("a2");
        EXPECT_EQ(ui().QuizState, kQuizFeedbackCorrect);
    }

    // A Linux folder name in UTF-8 shows with its own letters, not as Windows-1252 bytes.
    seams::ClearRecords();
    const std::string accented = dir.File("Jos\xC3\xA9 \xE2\x82\xAC.qfr");
    std::filesystem::create_directory(accented);
    LoadRound(questions, OneToTwenty());
    seams::PushFileDialogAnswer(accented);
    Menu(kCmdSaveRound);
    ASSERT_EQ(seams::ShownMessageBoxes().size(), 1u);
    const std::string& shown = seams::ShownMessageBoxes()[0].text;
    EXPECT_NE(shown.find("Jos\xE9 \x80.qfr\n"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("\xC3"), std::string::npos) << shown;

    // A save that succeeds says nothing.
    seams::ClearRecords();
    seams::PushFileDialogAnswer(dir.File("good.qfr"));
    Menu(kCmdSaveRound);
    EXPECT_TRUE(seams::ShownMessageBoxes().empty());
    EXPECT_NE(ReadWholeFile(dir.File("good.qfr")).find("qantal: 20"), std::string::npos);
}

TEST_F(WindowProcedure, InformationBoxes) {
    Menu(kCmdHelp);
    Menu(kCmdTerms);
    Menu(kCmdAbout);
    Menu(1010);  // no such command
    const auto& boxes = seams::ShownMessageBoxes();
    ASSERT_EQ(boxes.size(), 3u);
    // The fixed text first; where the page is (here: nowhere) follows it.
    EXPECT_EQ(boxes[0].text.rfind("Help documetntation is included in the \"help\" directory.\n"
                                  "Open the file \"Quillfin_help_v.1.00 beta.html\"\n\n",
                                  0),
              0u);
    EXPECT_EQ(boxes[0].caption, "Quillfin Help");
    EXPECT_EQ(boxes[1].caption, "Quillfin Terms");
    EXPECT_GE(std::count(boxes[1].text.begin(), boxes[1].text.end(), '\n'), 2);
    EXPECT_EQ(boxes[2].caption, "About Quillfin");
    EXPECT_EQ(boxes[2].text.rfind("Quillfin v.0.02 (beta)\n", 0), 0u);
    for (const auto& box : boxes) {
        EXPECT_EQ(box.type, static_cast<UINT>(MB_OK));
        EXPECT_EQ(box.owner, Main());
    }
    EXPECT_EQ(ui().QuizState, kQuizWelcome);
}

TEST_F(WindowProcedure, RepaintOfAnyPartLeavesTheWindowAsItWas) {
    const QImage before = seams::ClientCanvas(Main());
    const int left = ui().iPictureLeft;
    const int right = left + ui().iPictureWidth;
    const int bottom = 10 + ui().iPictureHeight;
    ASSERT_GT(ui().iPictureWidth, 100);
    ASSERT_LT(right + 2, before.width());
    struct Case {
        const char* name;
        RECT area;
    };
    const Case cases[] = {
        {"a band across the picture, wider and lower", {0, 100, before.width(), 120}},
        {"a band down through the picture", {left + 40, 0, left + 60, before.height()}},
        {"inside the picture", {left + 20, 30, left + 40, 50}},
        {"the whole client area", {0, 0, before.width(), before.height()}},
        {"over the frame's right edge", {right - 1, 50, right + 2, 60}},
        {"below the picture", {0, bottom + 1, before.width(), bottom + 40}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        seams::ExposeClientPart(Main(), c.area);
        Pump();
        const QImage after = seams::ClientCanvas(Main());
        ASSERT_EQ(after.size(), before.size());
        int changed = 0;
        for (int y = c.area.top; y < c.area.bottom; ++y)
            for (int x = c.area.left; x < c.area.right; ++x)
                changed += after.pixel(x, y) != before.pixel(x, y);
        EXPECT_EQ(changed, 0);
    }
}

TEST_F(WindowProcedure, HelpBoxNamesAPageThatDescribesTheVersionAboutShows) {
    Menu(kCmdHelp);
    Menu(kCmdAbout);
    const auto& boxes = seams::ShownMessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    const std::string& help = boxes[0].text;
    const std::size_t open = help.find("Open the file \"");
    ASSERT_NE(open, std::string::npos);
    const std::size_t nameStart = open + std::string("Open the file \"").size();
    const std::string name = help.substr(nameStart, help.find('"', nameStart) - nameStart);
    const std::string page = ReadWholeFile(std::string(QUILLFIN_HELP_FOLDER) + "/" + name);
    ASSERT_FALSE(page.empty()) << name;

    const std::string& about = boxes[1].text;
    const std::string version = about.substr(0, about.find('\n'));
    ASSERT_EQ(version.rfind("Quillfin v.", 0), 0u) << about;
    EXPECT_NE(page.find("describes " + version), std::string::npos) << version;
}

TEST_F(WindowProcedure, ExitEndsTheProgramWithCodeZero) {
    Menu(kCmdExit);
    EXPECT_TRUE(quit);
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(ui().TextAreaText, nullptr);
}

// Zone questions on a 640 x 480 picture shown at half size (a client 342
// pixels wide): a click at picture point (10, 20) tests zone pixel (20, 40).
class ZoneClick : public QuillfinTest {
protected:
    void SetUp() override {
        QuillfinTest::SetUp();
        dir.Write("grey.bmp", MakeBmp(640, 480, [](int, int) { return RGB(100, 100, 100); }));
        auto square = [](int cx, int cy) {
            return [=](int x, int y) {
                return std::abs(x - cx) <= 2 && std::abs(y - cy) <= 2 ? RGB(255, 7, 9)
                                                                      : RGB(0, 0, 0);
            };
        };
        dir.Write("at-20-40.bmp", MakeBmp(640, 480, square(20, 40)));
        dir.Write("at-10-20.bmp", MakeBmp(640, 480, square(10, 20)));
        // Relative names: found next to the question file.
        file = dir.Write(
            "zones.txt",
            "\244Q \"Hit\" \244P \"grey.bmp\" \244A \244Z \"at-20-40.bmp\" \244I \"Well.\" \244F "
            "zr 255 \244E\r\n"
            "\244Q \"Miss\" \244P \"grey.bmp\" \244A \244Z \"at-10-20.bmp\" \244F zr 255 \244E\r\n"
            "\244Q \"No zone file\" \244P \"grey.bmp\" \244A \244Z \"none.bmp\" \244F zr 255 "
            "\244E\r\n");
        seams::ResizeClient(Main(), 342, 600);
        Pump();
    }

    void ClickPicture(int x, int y) {
        seams::Click(Main(), ui().iPictureLeft + 1 + x, 11 + y);
        Pump();
    }

    std::string file;
};

TEST_F(ZoneClick, ClickOnTheZoneIsRightAndOffItWrong) {
    LoadRound(file, {1, 2, 3});
    ASSERT_EQ(ui().QuizState, kQuizAwaitZoneClick);
    EXPECT_FALSE(seams::IsVisible(ui().hwndTextBox));
    ASSERT_EQ(ui().iPictureWidth, 320);
    ASSERT_EQ(ui().iPictureHeight, 240);
    ClickPicture(-1, 20);  // on the frame
    EXPECT_EQ(ui().QuizState, kQuizAwaitZoneClick);
    ClickPicture(10, 20);
    EXPECT_EQ(ui().QuizState, kQuizFeedbackCorrect);
    EXPECT_EQ(Shown(), "Correct!\nAdditional info:\nWell.");
    EXPECT_EQ(Background(), kCorrectBackground);

    // A click on the picture now continues instead of answering.
    ClickPicture(10, 20);
    ASSERT_EQ(Shown(), "Miss");
    ClickPicture(10, 20);
    EXPECT_EQ(ui().QuizState, kQuizFeedbackWrong);
    EXPECT_EQ(Shown(), "Sorry, correct area is now shown.");
    EXPECT_EQ(Background(), kWrongBackground);

    seams::Click(Main(), 5, 590);  // anywhere in the window continues
    Pump();
    ASSERT_EQ(Shown(), "No zone file");
    ClickPicture(10, 20);
    EXPECT_EQ(ui().QuizState, kQuizFeedbackWrong);
}

TEST_F(ZoneClick, BigPictureFittedToALowWindowMapsClicksThroughTheDrawnSize) {
    // 1200 x 600 in a client 1000 wide is drawn 866 x 433 when the texts
    // below it (the question and the line that names the keys, two lines of
    // the font) leave it 433 rows: the height decides, though the width has
    // less slack in pixels.
    dir.Write("big.bmp", MakeBmp(1200, 600, [](int, int) { return RGB(100, 100, 100); }));
    dir.Write("big-zone.bmp", MakeBmp(1200, 600, [](int, int y) {
                  return y >= 550 ? RGB(255, 7, 9) : RGB(0, 0, 0);
              }));
    const std::string big = dir.Write(
        "big.txt",
        "\244Q \"Lower part\" \244P \"big.bmp\" \244A \244Z \"big-zone.bmp\" \244F zr 255 "
        "\244E\r\n");
    seams::ResizeClient(Main(), 1000, 433 + 21 + 2 * TextLineHeight() + 4 + 7);
    Pump();
    LoadRound(big, {1, 1});
    ASSERT_EQ(ui().QuizState, kQuizAwaitZoneClick);
    EXPECT_EQ(ui().iPictureLeft, 67);
    EXPECT_EQ(ui().iPictureWidth, 866);
    EXPECT_EQ(ui().iPictureHeight, 433);

    for (int y : {431, 460}) {  // on the bottom frame; below the picture
        ClickPicture(300, y);
        EXPECT_EQ(ui().QuizState, kQuizAwaitZoneClick) << y;
    }
    ClickPicture(300, 420);  // zone row 420 * 1200 / 866 = 581
    EXPECT_EQ(ui().QuizState, kQuizFeedbackCorrect);

    PressEnter();
    ASSERT_EQ(ui().QuizState, kQuizAwaitZoneClick);
    // Asked again without the keys' line, the picture is drawn larger; a
    // click that maps to zone row 547 is just above the zone.
    ClickPicture(300, 547 * ui().iPictureWidth / 1200);
    EXPECT_EQ(ui().QuizState, kQuizFeedbackWrong);
}

TEST_F(ZoneClick, ClicksWhileInactiveAreIgnored) {
    LoadRound(file, {1});
    seams::SetActive(Main(), false);
    Pump();
    ClickPicture(10, 20);
    EXPECT_EQ(ui().QuizState, kQuizAwaitZoneClick);
    seams::SetActive(Main(), true);
    Pump();
    ClickPicture(10, 20);
    EXPECT_EQ(ui().QuizState, kQuizFeedbackCorrect);
}

}  // namespace
