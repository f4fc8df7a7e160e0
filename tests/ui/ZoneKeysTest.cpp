// Zone questions answered from the keyboard: the crosshair's steps and
// bounds, how far any part of a picture is in key presses, Enter and Space
// answering as a click at the crosshair, and the one line per round that
// names the keys.
#include <QKeyEvent>
#include <algorithm>
#include <map>
#include <queue>
#include <string>
#include <vector>

#include "tests/ui/MainFixture.h"
#include "ui/AnswerReport.h"
#include "ui/Crosshair.h"

namespace {

constexpr const char* kHint = "Arrow keys move the cross on the picture; Enter answers.";

TEST(Crosshair, StepsAndBounds) {
    struct Case {
        const char* what;
        double from;
        int direction;
        int pixels;
        CrosshairStep step;
        double to;
    };
    const Case cases[] = {
        {"a sixteenth right", 0.5, 1, 318, CrosshairStep::Coarse, 0.5625},
        {"eight sixteenths reach the edge", 0.9375, 1, 318, CrosshairStep::Coarse, 1.0},
        {"no step beyond the right edge", 1.0, 1, 318, CrosshairStep::Coarse, 1.0},
        {"no step beyond the left edge", 0.03, -1, 318, CrosshairStep::Coarse, 0.0},
        {"a 128th up", 0.5, -1, 238, CrosshairStep::Fine, 0.5 - 1.0 / 128},
        {"one pixel from the centre pixel 159 of 318", 0.5, 1, 318, CrosshairStep::OnePixel,
         160.0 / 317},
        {"one pixel left of the first pixel", 0.0, -1, 318, CrosshairStep::OnePixel, 0.0},
        {"one pixel right of the last pixel", 1.0, 1, 318, CrosshairStep::OnePixel, 1.0},
        {"a picture one pixel wide keeps its centre", 0.5, 1, 1, CrosshairStep::OnePixel, 0.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_DOUBLE_EQ(StepCrosshair(c.from, c.direction, c.pixels, c.step), c.to);
    }
    EXPECT_EQ(CrosshairPixel(0.0, 318), 0);
    EXPECT_EQ(CrosshairPixel(1.0, 318), 317);
    EXPECT_EQ(CrosshairPixel(StepCrosshair(0.5, 1, 318, CrosshairStep::OnePixel), 318),
              CrosshairPixel(0.5, 318) + 1);
    EXPECT_EQ(CrosshairPixel(0.7, 0), 0);
}

// The fewest presses that bring the crosshair from the centre to each pixel
// of an inner extent of `pixels`, with the three steps both ways.
std::vector<int> PressesToEachPixel(int pixels) {
    std::vector<int> best(static_cast<std::size_t>(pixels), 1000);
    std::map<double, int> seen{{0.5, 0}};
    std::queue<double> todo;
    todo.push(0.5);
    while (!todo.empty()) {
        const double at = todo.front();
        todo.pop();
        const int presses = seen[at];
        int& here = best[static_cast<std::size_t>(CrosshairPixel(at, pixels))];
        here = std::min(here, presses);
        if (presses == 12) continue;
        for (CrosshairStep step :
             {CrosshairStep::Coarse, CrosshairStep::Fine, CrosshairStep::OnePixel}) {
            for (int direction : {-1, 1}) {
                const double next = StepCrosshair(at, direction, pixels, step);
                if (seen.emplace(next, presses + 1).second) todo.push(next);
            }
        }
    }
    return best;
}

// The fewest presses that reach some pixel of every run of `size` pixels.
int WorstRun(const std::vector<int>& presses, int size) {
    int worst = 0;
    for (std::size_t start = 0; start + static_cast<std::size_t>(size) <= presses.size(); ++start) {
        worst =
            std::max(worst, *std::min_element(presses.begin() + static_cast<long>(start),
                                              presses.begin() + static_cast<long>(start) + size));
    }
    return worst;
}

class ZoneKeys : public QuillfinTest {
protected:
    // A 640 x 480 grey picture; question 1's zone is a 5 x 5 square at
    // (20, 40) of the picture, question 2's all right of x = 300;
    // question 3 is typed.
    std::string QuizFile() {
        dir.Write("grey.bmp", MakeBmp(640, 480, [](int, int) { return RGB(100, 100, 100); }));
        dir.Write("small.bmp", MakeBmp(640, 480, [](int x, int y) {
                      return std::abs(x - 20) <= 2 && std::abs(y - 40) <= 2 ? RGB(255, 0, 0)
                                                                            : RGB(0, 0, 0);
                  }));
        dir.Write("right.bmp", MakeBmp(640, 480, [](int x, int) {
                      return x >= 300 ? RGB(255, 0, 0) : RGB(0, 0, 0);
                  }));
        return dir.Write(
            "zones.txt",
            "\244Q \"Small square\" \244P \"grey.bmp\" \244A \244Z \"small.bmp\" \244F zr 255 "
            "\244E\r\n"
            "\244Q \"Right half\" \244P \"grey.bmp\" \244A \244Z \"right.bmp\" \244F zr 255 "
            "\244E\r\n"
            "\244Q \"Typed\" \244A \"Yes\" \244E\r\n");
    }

    void Press(int key, int modifier = 0) {
        if (modifier != 0) seams::KeyDown(modifier);
        seams::KeyDown(key);
        seams::KeyUp(key);
        if (modifier != 0) seams::KeyUp(modifier);
        Pump();
    }

    void Presses(int count, int key, int modifier = 0) {
        for (int i = 0; i < count; ++i) Press(key, modifier);
    }
};

TEST_F(ZoneKeys, AnySquareOf24PixelsIsAtMost20PressesAwayAtTheDefaultSize) {
    LoadRound(QuizFile(), {2});
    ASSERT_EQ(ui().QuizState, kQuizAwaitZoneClick);
    const int width = ui().iPictureWidth - 2;
    const int height = ui().iPictureHeight - 2;
    ASSERT_GT(width, 300);
    const int across = WorstRun(PressesToEachPixel(width), 24);
    const int down = WorstRun(PressesToEachPixel(height), 24);
    EXPECT_LE(across + down, 20) << across << " across, " << down << " down";
}

TEST_F(ZoneKeys, EnterAnswersAtTheCrosshairWronglyThenRightly) {
    seams::ResizeClient(Main(), 342, 600);  // the picture at half size, 320 x 240
    Pump();
    LoadRound(QuizFile(), {1, 1});
    ASSERT_EQ(ui().QuizState, kQuizAwaitZoneClick);
    ASSERT_EQ(ui().iPictureWidth, 320);
    EXPECT_EQ(seams::FocusedWindow(), Main());
    EXPECT_EQ(Shown(), std::string("Small square\n") + kHint);

    PressEnter();  // at the centre: wrong, the zone is marked as after a click
    EXPECT_EQ(ui().QuizState, kQuizFeedbackWrong);
    EXPECT_EQ(Shown(), "Sorry, correct area is now shown.");
    EXPECT_EQ(Background(), kWrongBackground);

    PressEnter();  // continues, as after a click
    ASSERT_EQ(ui().QuizState, kQuizAwaitZoneClick);
    EXPECT_EQ(Shown(), "Small square") << "the keys are named once per round";
    // To picture point (10, 20), which tests zone pixel (20, 40).
    Presses(8, VK_LEFT);
    Presses(10, VK_RIGHT, VK_CONTROL);
    Presses(8, VK_UP);
    Presses(20, VK_DOWN, VK_CONTROL);
    int x = -1;
    int y = -1;
    CrosshairPoint(x, y);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 20);
    EXPECT_EQ(CrosshairValue(), "column 1 of 16, row 2 of 16");
    PressEnter();
    EXPECT_EQ(ui().QuizState, kQuizFeedbackCorrect);
    EXPECT_EQ(Background(), kCorrectBackground);

    // The answer report has both as keyboard answers, at the zone bitmap's
    // pixels: the picture is drawn at half size.
    const std::vector<AnswerReportRow>& rows = ReportedAnswers();
    ASSERT_GE(rows.size(), 2u);
    const AnswerRecord& wrong = rows[rows.size() - 2].answer;
    const AnswerRecord& right = rows.back().answer;
    EXPECT_TRUE(wrong.click && wrong.key);
    EXPECT_EQ(wrong.verdict, AnswerVerdict::Wrong);
    EXPECT_TRUE(right.click && right.key);
    EXPECT_EQ(right.verdict, AnswerVerdict::Right);
    EXPECT_EQ(right.x, 20);
    EXPECT_EQ(right.y, 40);
}

TEST_F(ZoneKeys, SpaceAnswersAndHomeCentres) {
    LoadRound(QuizFile(), {2, 2});
    EXPECT_EQ(CrosshairValue(), "column 9 of 16, row 9 of 16");
    Presses(3, VK_LEFT);
    Press(VK_UP, VK_SHIFT);
    EXPECT_EQ(CrosshairValue(), "column 6 of 16, row 8 of 16");
    Press(VK_HOME);
    EXPECT_EQ(CrosshairValue(), "column 9 of 16, row 9 of 16");
    Press(VK_SPACE);  // the centre lies in the zone
    EXPECT_EQ(ui().QuizState, kQuizFeedbackCorrect);
    Press(VK_SPACE);
    EXPECT_EQ(ui().QuizState, kQuizFeedbackCorrect) << "Space does not continue";
}

TEST_F(ZoneKeys, EnterHeldSinceTheFeedbackDoesNotAnswerTheNextZoneQuestion) {
    LoadRound(QuizFile(), {3, 2});
    Answer("Yes");
    ASSERT_EQ(ui().QuizState, kQuizFeedbackCorrect);
    // Enter goes down on the feedback and stays down: the window system
    // repeats it while the next question comes up.
    seams::KeyDown(VK_RETURN);
    Pump();
    for (int repeat = 0; repeat < 5; ++repeat) {
        seams::KeyDown(VK_RETURN);
        Pump();
    }
    EXPECT_EQ(ui().QuizState, kQuizAwaitZoneClick);
    seams::KeyUp(VK_RETURN);
    Pump();
    EXPECT_EQ(ui().QuizState, kQuizAwaitZoneClick);
    PressEnter();
    EXPECT_EQ(ui().QuizState, kQuizFeedbackCorrect) << "a fresh press answers";
}

TEST_F(ZoneKeys, ArrowsMoveTheCrosshairOnlyWhileAZoneAnswerIsAwaited) {
    LoadRound(QuizFile(), {3, 2});
    Press(VK_LEFT);
    Answer("Yes");
    Press(VK_LEFT);
    PressEnter();
    ASSERT_EQ(ui().QuizState, kQuizAwaitZoneClick);
    EXPECT_EQ(CrosshairValue(), "column 9 of 16, row 9 of 16");
}

TEST_F(ZoneKeys, CrosshairIsDrawnWhereItStandsAndLeavesNoTrace) {
    LoadRound(QuizFile(), {2});
    const int cx0 = ui().iPictureLeft + 1 + CrosshairPixel(0.5, ui().iPictureWidth - 2);
    const int cy0 = 11 + CrosshairPixel(0.5, ui().iPictureHeight - 2);
    const std::string grey = "#646464";
    // The black ring between two white ones, on the grey picture.
    EXPECT_EQ(Pixel(cx0 + 7, cy0 + 3), "#000000");
    EXPECT_EQ(Pixel(cx0 + 8, cy0 + 3), "#ffffff");
    EXPECT_EQ(Pixel(cx0 + 6, cy0 + 3), "#ffffff");
    EXPECT_EQ(Pixel(cx0 + 10, cy0), "#000000") << "an arm";
    EXPECT_EQ(Pixel(cx0, cy0), grey) << "the aimed pixel itself stays visible";
    Press(VK_DOWN);
    EXPECT_EQ(Pixel(cx0 + 7, cy0), grey) << "the old crosshair is gone";
    int x = 0;
    int y = 0;
    CrosshairPoint(x, y);
    EXPECT_EQ(Pixel(ui().iPictureLeft + 1 + x + 7, 11 + y), "#000000");
    // Resizing keeps it on the same place of the picture.
    const std::string before = CrosshairValue();
    seams::ResizeClient(Main(), 342, 400);
    Pump();
    EXPECT_EQ(CrosshairValue(), before);
    CrosshairPoint(x, y);
    const int cx = ui().iPictureLeft + 1 + x;
    const int cy = 11 + y;
    EXPECT_EQ(Pixel(cx + 7, cy), "#000000");
    PressEnter();
    ASSERT_EQ(ui().QuizState, kQuizFeedbackCorrect);
    EXPECT_NE(Pixel(cx + 7, cy), "#000000") << "no crosshair on the feedback";
    EXPECT_EQ(Pixel(cx + 7, cy), Pixel(cx + 7, cy + 20));
}

TEST_F(ZoneKeys, TheKeysAreNamedAgainInANewRound) {
    const std::string file = QuizFile();
    LoadRound(file, {2, 1});
    EXPECT_EQ(Shown(), std::string("Right half\n") + kHint);
    LoadRound(file, {1, 2});
    EXPECT_EQ(Shown(), std::string("Small square\n") + kHint);
}

}  // namespace
