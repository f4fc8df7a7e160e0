// quillfin-check --preview: its pictures against the program's own zone
// marking, the 1600-pixel limit, shared pictures, the pages' escaping and
// reasons, and the folder it writes into.
#include <gtest/gtest.h>

#include <QImage>
#include <QRandomGenerator>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "check/Pictures.h"
#include "check/Preview.h"
#include "check/PreviewPage.h"
#include "check/Report.h"
#include "platform/DibRows.h"
#include "platform/PictureFile.h"
#include "platform/ZoneMarking.h"
#include "tests/support/PictureFixtures.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;

struct CheckRun {
    int code = 0;
    std::string out;
    std::string err;
};

CheckRun Check(std::vector<std::string> args) {
    args.insert(args.begin(), "quillfin-check");
    std::vector<const char*> argv;
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    std::ostringstream out, err;
    CheckRun run;
    run.code = RunChecker(static_cast<int>(argv.size()), argv.data(), out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

// The pixels of a bitmap as 0x00RRGGBB, row by row from the top.
std::vector<std::uint32_t> PixelsOf(HBITMAP& bitmap) {
    std::vector<std::uint32_t> pixels;
    ReadZoneRows(bitmap, 1 << 20, 1 << 20, [&](const std::uint32_t* row, int count) {
        pixels.insert(pixels.end(), row, row + count);
        return true;
    });
    return pixels;
}

std::vector<std::uint32_t> PixelsOf(const QImage& image) {
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) pixels.push_back(image.pixel(x, y) & 0xFFFFFFu);
    }
    return pixels;
}

// The text of the page between the blocks of question n and the next.
std::string QuestionBlock(const std::string& page, int n) {
    const std::size_t from = page.find("id=\"q" + std::to_string(n) + "\"");
    if (from == std::string::npos) return std::string();
    return page.substr(from, page.find("id=\"q" + std::to_string(n + 1) + "\"") - from);
}

std::string SourceOf(const std::string& block) {
    const std::size_t at = block.find("src=\"");
    if (at == std::string::npos) return std::string();
    return block.substr(at + 5, block.find('"', at + 5) - at - 5);
}

}  // namespace

TEST(PreviewPage, ShowsTextsAsTheLearnerSeesThemAndEscaped) {
    const struct {
        std::string bytes;
        std::string html;
    } cases[] = {
        {"<b>&\"'", "&lt;b&gt;&amp;&quot;&#39;"},
        {"\244Q", "\u00A4Q"},
        {"\xC4pfel \x80 5", "\u00C4pfel \u20AC 5"},
        {"one\r\ntwo\tthree", "one\r\ntwo\tthree"},
        {std::string("a\x01\x7F\x81\x9D", 5), "a\uFFFD\uFFFD\uFFFD\uFFFD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(LearnerHtml(c.bytes), c.html);
    }
}

TEST(PreviewPage, ListsEveryQuestionWithItsReasonAndMessages) {
    FileCheck check;
    check.path = "quiz.txt";
    check.readable = true;
    check.questions = 4;
    const PreviewImage::Kind kinds[] = {PreviewImage::Kind::NoPicture, PreviewImage::Kind::Missing,
                                        PreviewImage::Kind::Undecodable,
                                        PreviewImage::Kind::Written};
    std::vector<PreviewImage> images;
    for (int n = 1; n <= 4; ++n) {
        QuestionContent q;
        q.number = n;
        q.line = n * 10;
        q.parsed = true;
        q.text = n == 1 ? std::string("<b>&\"") : "question " + std::to_string(n);
        if (n > 1) q.picture = "p<" + std::to_string(n) + ">.bmp";
        check.contents.push_back(q);
        PreviewImage image;
        image.kind = kinds[n - 1];
        if (image.kind == PreviewImage::Kind::Written) {
            image.file = "quiz-q4.png";
            image.width = 1600;
            image.height = 900;
            image.sourceWidth = 3200;
            image.sourceHeight = 1800;
        }
        images.push_back(image);
    }
    Problem problem;
    problem.severity = Severity::Warning;
    problem.line = 20;
    problem.column = 3;
    problem.question = 2;
    problem.message = "picture \"p<2>.bmp\" cannot be found";
    problem.check = "picture-missing";
    check.Add(problem);
    check.Finish();

    const std::string page = QuestionFilePage(check, images, "");
    EXPECT_NE(QuestionBlock(page, 1).find("&lt;b&gt;&amp;&quot;"), std::string::npos);
    EXPECT_EQ(page.find("<b>&"), std::string::npos);
    EXPECT_NE(QuestionBlock(page, 1).find("No picture"), std::string::npos);
    EXPECT_NE(QuestionBlock(page, 2).find("&quot;p&lt;2&gt;.bmp&quot; cannot be found"),
              std::string::npos);
    EXPECT_NE(QuestionBlock(page, 2).find("line 20, column 3"), std::string::npos);
    EXPECT_EQ(QuestionBlock(page, 3).find("line 20, column 3"), std::string::npos);
    EXPECT_NE(QuestionBlock(page, 3).find("cannot be decoded"), std::string::npos);
    EXPECT_NE(QuestionBlock(page, 4).find("src=\"quiz-q4.png\" width=\"1600\" height=\"900\""),
              std::string::npos);
    EXPECT_NE(QuestionBlock(page, 4).find("scaled down from 3200"), std::string::npos);
    EXPECT_EQ(page.find("<script"), std::string::npos);
}

TEST(PreviewPictures, EqualTheProgramsMarkingPixelForPixel) {
    TempDir dir;
    QRandomGenerator random(24);
    const QImage gradient = fixtures::Gradient(37, 23);
    // Pictures of several depths and formats.
    struct Picture {
        const char* name;
        int bits;  // 0: PNG
    } pictures[] = {{"p8.bmp", 8}, {"p16.bmp", 16}, {"p24.bmp", 24}, {"p32.bmp", 32}, {"p.png", 0}};
    for (const Picture& p : pictures) {
        QImage image = gradient;
        dir.Write(p.name,
                  p.bits ? fixtures::Bmp(image, p.bits, random) : fixtures::Encode(image, "png"));
    }
    // Zones smaller (1 bit, two colours at random), larger (24 bits) and as
    // large as the picture (PNG), each with the colour its zone pixels have.
    QImage small(17, 9, QImage::Format_RGB32);
    small.fill(Qt::black);
    dir.Write("z1.bmp", fixtures::Bmp(small, 1, random));
    const QRgb smallColour = small.pixel(0, 0);
    QImage large(41, 25, QImage::Format_RGB32);
    large.fill(Qt::black);
    for (int y = 3; y < 20; ++y)
        for (int x = 5; x < 30; ++x) large.setPixel(x, y, qRgb(0, 255, 0));
    dir.Write("z24.bmp", fixtures::Bmp(large, 24, random));
    QImage same = large.copy(0, 0, 37, 23);
    dir.Write("z.png", fixtures::Encode(same, "png"));
    struct Zone {
        const char* name;
        int colour[3];
        bool lighten[3];
    } zones[] = {
        {"z1.bmp", {qRed(smallColour), qGreen(smallColour), qBlue(smallColour)}, {1, 0, 1}},
        {"z24.bmp", {-1, 255, -1}, {0, 1, 0}},
        {"z.png", {0, 255, 0}, {1, 1, 1}},
    };
    for (const Picture& p : pictures) {
        for (const Zone& z : zones) {
            SCOPED_TRACE(std::string(p.name) + " " + z.name);
            PreviewKey key;
            key.picture = dir.File(p.name);
            key.zone = dir.File(z.name);
            std::copy(z.colour, z.colour + 3, key.colour);
            std::copy(z.lighten, z.lighten + 3, key.lighten);
            const std::string out = dir.File("out.png");
            PreviewImage image;
            std::string error;
            ASSERT_TRUE(RenderPreview(key, out, image, error)) << error;
            EXPECT_TRUE(image.marked);

            HBITMAP expected = LoadPictureFile(nullptr, key.picture.c_str());
            HBITMAP zone = LoadPictureFile(nullptr, key.zone.c_str());
            ASSERT_TRUE(expected && zone);
            const std::vector<std::uint32_t> unmarked = PixelsOf(expected);
            ASSERT_TRUE(MarkZone(expected, zone, ZoneColour(z.colour[0], z.colour[1], z.colour[2]),
                                 ZoneLight{z.lighten[0], z.lighten[1], z.lighten[2]}));
            const std::vector<std::uint32_t> marked = PixelsOf(expected);
            DeleteObject(expected);
            DeleteObject(zone);
            EXPECT_NE(marked, unmarked);
            const QImage written(QString::fromStdString(out));
            ASSERT_EQ(written.width(), 37);
            ASSERT_EQ(written.height(), 23);
            EXPECT_EQ(PixelsOf(written), marked);
        }
    }
}

TEST(PreviewPictures, AreScaledDownOnlyBeyond1600PixelsWide) {
    const struct {
        int width, height, previewWidth, previewHeight;
    } sizes[] = {{1599, 20, 1599, 20},
                 {1600, 20, 1600, 20},
                 {1601, 20, 1600, 20},
                 {2400, 1000, 1600, 667},
                 {4000, 1, 1600, 1}};
    for (const auto& s : sizes) {
        SCOPED_TRACE(std::to_string(s.width) + " x " + std::to_string(s.height));
        int width = 0, height = 0;
        PreviewSize(s.width, s.height, width, height);
        EXPECT_EQ(width, s.previewWidth);
        EXPECT_EQ(height, s.previewHeight);
    }
    TempDir dir;
    for (int width : {1599, 1600, 1601}) {
        SCOPED_TRACE(width);
        const QImage picture = fixtures::Gradient(width, 20);
        PreviewKey key;
        key.picture = dir.Write("wide.png", fixtures::Encode(picture, "png"));
        PreviewImage image;
        std::string error;
        ASSERT_TRUE(RenderPreview(key, dir.File("wide-preview.png"), image, error)) << error;
        const QImage written(QString::fromStdString(dir.File("wide-preview.png")));
        EXPECT_EQ(written.width(), std::min(width, 1600));
        EXPECT_EQ(written.height(), 20);
        EXPECT_EQ(image.width, written.width());
        EXPECT_EQ(image.sourceWidth, width);
        // At its own size a picture is written exactly; scaled, by the
        // program's own resampler.
        HBITMAP loaded = LoadPictureFile(nullptr, key.picture.c_str());
        HBITMAP expected = width > 1600 ? ScaledCopy(loaded, 1600, 20) : loaded;
        EXPECT_EQ(PixelsOf(written), PixelsOf(expected));
        if (expected != loaded) DeleteObject(expected);
        DeleteObject(loaded);
    }
}

TEST(PreviewRun, SharesPicturesWritesTheFolderAndKeepsTheReport) {
    TempDir dir;
    QRandomGenerator random(7);
    QImage picture = fixtures::Gradient(30, 20);
    dir.Write("pic.bmp", fixtures::Bmp(picture, 24, random));
    QImage zone(30, 20, QImage::Format_RGB32);
    zone.fill(Qt::white);
    zone.setPixel(3, 3, qRgb(255, 0, 0));
    zone.setPixel(4, 4, qRgb(0, 0, 255));
    dir.Write("zone.bmp", fixtures::Bmp(zone, 24, random));
    dir.Write("broken.bmp", "BM not a bitmap");
    const std::string quiz = dir.Write(
        "quiz.txt",
        "\244Q \"<b>&amp;\" \244A \"a\" \244E\r\n"
        "\244Q \"missing\" \244P \"nowhere.bmp\" \244A \"a\" \244E\r\n"
        "\244Q \"broken\" \244P \"broken.bmp\" \244A \"a\" \244E\r\n"
        "\244Q \"red one\" \244P \"pic.bmp\" \244A \244Z \"zone.bmp\" \244F zc red \244E\r\n"
        "\244Q \"red two\" \244P \"pic.bmp\" \244A \244Z \"zone.bmp\" \244F zc red \244E\r\n"
        "\244Q \"blue\" \244P \"pic.bmp\" \244A \244Z \"zone.bmp\" \244F zc blue \244E\r\n"
        "\244Q \"red, green lit\" \244P \"pic.bmp\" \244A \244Z \"zone.bmp\" \244F zc red zdg "
        "\244E\r\n"
        "\244Q \"plain\" \244P \"pic.bmp\" \244A \"a\" \244E\r\n");
    const fs::path folder = dir.Path() / "out" / "deeper";
    fs::create_directories(folder);
    std::ofstream(folder / "notes.txt") << "mine";
    std::ofstream(folder / "index.html") << "old";

    const CheckRun plain = Check({quiz});
    const CheckRun preview = Check({"--preview", folder.string(), quiz});
    EXPECT_EQ(preview.out, plain.out);
    EXPECT_EQ(preview.code, plain.code);
    EXPECT_EQ(preview.err, "");

    EXPECT_EQ(ReadWholeFile((folder / "notes.txt").string()), "mine");
    const std::string page = ReadWholeFile((folder / "index.html").string());
    EXPECT_NE(page.find("&lt;b&gt;&amp;amp;"), std::string::npos);
    EXPECT_NE(QuestionBlock(page, 2).find("cannot be found"), std::string::npos);
    EXPECT_NE(QuestionBlock(page, 2).find("[picture-missing]"), std::string::npos);
    EXPECT_NE(QuestionBlock(page, 3).find("cannot be decoded"), std::string::npos);
    // The two red questions share a picture; blue, another marking and no zone do not.
    std::vector<std::string> sources;
    for (int n = 4; n <= 8; ++n) sources.push_back(SourceOf(QuestionBlock(page, n)));
    EXPECT_EQ(sources[0], "quiz-q4.png");
    EXPECT_EQ(sources[1], "quiz-q4.png");
    EXPECT_EQ(sources[2], "quiz-q6.png");
    EXPECT_EQ(sources[3], "quiz-q7.png");
    EXPECT_EQ(sources[4], "quiz-q8.png");
    int pngs = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        pngs += entry.path().extension() == ".png" ? 1 : 0;
    EXPECT_EQ(pngs, 4);
    EXPECT_NE(QImage(QString::fromStdString((folder / "quiz-q4.png").string())).pixel(3, 3),
              QImage(QString::fromStdString((folder / "quiz-q8.png").string())).pixel(3, 3));
}

TEST(PreviewRun, LinksThePagesOfSeveralFilesFromAnIndex) {
    TempDir dir;
    fs::create_directories(dir.Path() / "one");
    fs::create_directories(dir.Path() / "two");
    const std::string first = dir.Write("one/quiz.txt", "\244Q \"first\" \244A \"a\" \244E\r\n");
    const std::string second = dir.Write("two/quiz.txt", "\244Q \"second\" \244A \"a\" \244E\r\n");
    const std::string folder = dir.File("out");
    const CheckRun run = Check({"--preview=" + folder, first, second, dir.File("absent.txt")});
    EXPECT_EQ(run.code, 2);  // the absent file, as without --preview
    const std::string index = ReadWholeFile(folder + "/index.html");
    EXPECT_NE(index.find("<a href=\"quiz.html\">"), std::string::npos);
    EXPECT_NE(index.find("<a href=\"quiz-2.html\">"), std::string::npos);
    EXPECT_NE(index.find("absent.txt: cannot read it"), std::string::npos);
    EXPECT_NE(ReadWholeFile(folder + "/quiz.html").find("first"), std::string::npos);
    const std::string page = ReadWholeFile(folder + "/quiz-2.html");
    EXPECT_NE(page.find("second"), std::string::npos);
    EXPECT_NE(page.find("<a href=\"index.html\">"), std::string::npos);
}

TEST(PreviewRun, AFolderThatCannotBeMadeFailsWithItsReason) {
    TempDir dir;
    const std::string quiz = dir.Write("quiz.txt", "\244Q \"q\" \244A \"a\" \244E\r\n");
    const std::string blocker = dir.Write("taken", "a file where the folder should be");
    const CheckRun plain = Check({quiz});
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--preview", blocker, quiz},
          std::vector<std::string>{"--preview", blocker + "/sub", quiz}}) {
        SCOPED_TRACE(args[1]);
        const CheckRun run = Check(args);
        EXPECT_EQ(run.out, plain.out);
        EXPECT_EQ(run.code, 2);
        EXPECT_NE(run.err.find("the preview is incomplete: cannot make the folder"),
                  std::string::npos)
            << run.err;
    }
    const CheckRun missing = Check({quiz, "--preview"});
    EXPECT_EQ(missing.code, 2);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.err.find("--preview needs a folder"), std::string::npos);
}

TEST(PreviewRun, NeverReplacesAFileOfTheQuizItself) {
    TempDir dir;
    // Written into the quiz's own folder, question 1's preview would take
    // the name of the picture it shows.
    const std::string picture = fixtures::Encode(fixtures::Gradient(8, 6), "png");
    dir.Write("quiz-q1.png", picture);
    const std::string quiz =
        dir.Write("quiz.txt", "\244Q \"q\" \244P \"quiz-q1.png\" \244A \"a\" \244E\r\n");
    const CheckRun plain = Check({quiz});
    const CheckRun run = Check({"--preview", dir.Path().string(), quiz});
    EXPECT_EQ(run.out, plain.out);
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.err.find("quiz-q1.png, a file of the quiz itself"), std::string::npos) << run.err;
    EXPECT_EQ(ReadWholeFile(dir.File("quiz-q1.png")), picture);
    EXPECT_NE(ReadWholeFile(dir.File("index.html")).find("could not be written"),
              std::string::npos);
}

TEST(PreviewRun, WritesEachDistinctPreviewOnce) {
    TempDir dir;
    dir.Write("pic.png", fixtures::Encode(fixtures::Gradient(5, 4), "png"));
    const std::string quiz = dir.Write("quiz.txt", "");
    std::unique_ptr<PictureLibrary> pictures = ProgramPictures();
    PreviewSet previews(dir.Path().string(), {});
    QuestionContent q;
    q.parsed = true;
    q.picture = "pic.png";
    for (int n = 1; n <= 3; ++n) {
        q.number = n;
        const PreviewImage image =
            previews.ImageFor(quiz, q, *pictures, "q" + std::to_string(n) + ".png");
        EXPECT_EQ(image.file, "q1.png");
    }
    EXPECT_EQ(previews.Written(), 1);
    EXPECT_FALSE(fs::exists(dir.Path() / "q2.png"));
}
