// PNG and JPEG question pictures and zones as the learner sees them: the
// program's canvas after a question, compared with the pictures' pixels.
#include <QImage>
#include <QRandomGenerator>
#include <filesystem>

#include "tests/support/PictureFixtures.h"
#include "tests/ui/MainFixture.h"

namespace {

class PictureFormats : public QuillfinTest {
protected:
    // The open dialog makes the question file's folder current; it goes with the test.
    void SetUp() override {
        startFolder = std::filesystem::current_path();
        QuillfinTest::SetUp();
    }
    void TearDown() override {
        QuillfinTest::TearDown();
        std::filesystem::current_path(startFolder);
    }

    // Starts a round of one question showing `picture` (a file already in
    // the folder); returns the picture's area inside its frame on the canvas.
    QImage ShowQuestion(const std::string& picture, const std::string& extra =
                                                        "\xa4"
                                                        "A \"x\"\r\n") {
        std::string quiz =
            dir.Write("quiz.txt", "\xa4Q \"Look.\"\r\n\xa4P \"" + picture + "\"\r\n" + extra +
                                      "\xa4"
                                      "E\r\n");
        seams::PushFileDialogAnswer(quiz);
        Menu(kCmdNewRound);
        QImage canvas = seams::ClientCanvas(Main());
        return canvas.copy(ui().iPictureLeft + 1, 11, ui().iPictureWidth - 2,
                           ui().iPictureHeight - 2);
    }

    std::filesystem::path startFolder;
};

TEST_F(PictureFormats, PngAndBmpShowPixelForPixelAndJpegAsItsDecoderGives) {
    QRandomGenerator random(99);
    QImage image = fixtures::Gradient(61, 37);
    QImage bmpImage = image;
    struct Case {
        const char* file;
        std::string bytes;
        QImage expected;
    } cases[] = {
        {"picture.bmp", fixtures::Bmp(bmpImage, 24, random), bmpImage},
        {"picture.png", fixtures::Encode(image, "png"), image},
        {"photo.jpg", fixtures::Encode(image, "jpeg"), QImage()},
    };
    cases[2].expected = QImage::fromData(QByteArray::fromStdString(cases[2].bytes), "jpeg")
                            .convertToFormat(QImage::Format_RGB32);
    for (Case& c : cases) {
        SCOPED_TRACE(c.file);
        dir.Write(c.file, c.bytes);
        QImage shown = ShowQuestion(c.file);
        ASSERT_EQ(ui().iPictureWidth, 61) << "drawn at its own size";
        EXPECT_EQ(shown, c.expected.copy(1, 1, 59, 35).convertToFormat(shown.format()));
    }
}

TEST_F(PictureFormats, PhoneJpegIsShownUpright) {
    // Stored lying on its side (a quarter turn anticlockwise) with orientation 6.
    QImage upright = fixtures::Gradient(40, 24);
    QImage stored = upright.transformed(QTransform().rotate(-90));
    std::string bytes = fixtures::WithExifOrientation(fixtures::Encode(stored, "jpeg", 100), 6);
    dir.Write("phone.jpg", bytes);
    QImage shown = ShowQuestion("phone.jpg");
    EXPECT_EQ(ui().iPictureWidth, 40);
    EXPECT_EQ(ui().iPictureHeight, 24);
    // Corners keep their colours within what JPEG loses.
    for (auto [x, y] : {std::pair{2, 2}, {36, 2}, {2, 20}, {36, 20}}) {
        QRgb want = upright.pixel(x + 1, y + 1), got = shown.pixel(x, y);
        EXPECT_LE(std::abs(qRed(want) - qRed(got)) + std::abs(qGreen(want) - qGreen(got)) +
                      std::abs(qBlue(want) - qBlue(got)),
                  30)
            << x << "," << y;
    }
}

TEST_F(PictureFormats, PngZoneAnswersTheClickAndIsMarked) {
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(qRgb(200, 100, 40));
    QImage zone(40, 30, QImage::Format_RGB32);
    zone.fill(qRgb(0, 0, 0));
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 20; ++x) zone.setPixel(x, y, qRgb(0, 255, 0));
    dir.Write("p.png", fixtures::Encode(picture, "png"));
    dir.Write("z.png", fixtures::Encode(zone, "png"));
    for (bool right : {true, false}) {
        SCOPED_TRACE(right ? "click in the zone" : "click outside");
        ShowQuestion("p.png",
                     "\xa4"
                     "A\r\n\xa4Z \"z.png\"\r\n\xa4"
                     "F zc green\r\n");
        ASSERT_EQ(ui().QuizState, kQuizAwaitZoneClick);
        const int x = right ? 5 : 30;
        seams::Click(Main(), ui().iPictureLeft + 1 + x, 11 + 5);
        Pump();
        EXPECT_EQ(ui().QuizState, right ? kQuizFeedbackCorrect : kQuizFeedbackWrong);
        // The zone is marked either way: green lighter (the parse's default flags
        // are red and blue lighter when none is named), so (227, 75, 147).
        QImage canvas = seams::ClientCanvas(Main());
        EXPECT_EQ(canvas.pixel(ui().iPictureLeft + 6, 16), qRgb(227, 75, 147));
        EXPECT_EQ(canvas.pixel(ui().iPictureLeft + 30, 30), qRgb(200, 100, 40));
        PressEnter();
    }
}

}  // namespace
