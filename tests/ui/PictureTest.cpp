#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/qt/TestSeams.h"
#include "questions/PictureSearch.h"
#include "tests/support/TempDir.h"
#include "ui/Controls.h"
#include "ui/Picture.h"
#include "ui/UiState.h"

namespace qt = quillfin::testing;

namespace {

void Put32(std::string& s, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// A 24-bit bottom-up BMP; `colour(x, y)` gives each pixel as RGB().
template <class ColourAt>
std::string Bmp24(int width, int height, ColourAt colour) {
    std::string data;
    for (int y = height - 1; y >= 0; --y) {
        std::string row;
        for (int x = 0; x < width; ++x) {
            COLORREF c = colour(x, y);
            row += {static_cast<char>(GetBValue(c)), static_cast<char>(GetGValue(c)),
                    static_cast<char>(GetRValue(c))};
        }
        while (row.size() % 4 != 0) row.push_back('\0');
        data += row;
    }
    std::string file = "BM";
    Put32(file, 54 + static_cast<std::uint32_t>(data.size()));
    Put32(file, 0);
    Put32(file, 54);
    Put32(file, 40);
    Put32(file, static_cast<std::uint32_t>(width));
    Put32(file, static_cast<std::uint32_t>(height));
    file += {1, 0, 24, 0};
    for (int i = 0; i < 6; ++i) Put32(file, 0);
    return file + data;
}

// A 24-bit BMP of one colour, built a row at a time (for large pictures).
std::string SolidBmp24(int width, int height, COLORREF colour) {
    std::string row;
    for (int x = 0; x < width; ++x)
        row += {static_cast<char>(GetBValue(colour)), static_cast<char>(GetGValue(colour)),
                static_cast<char>(GetRValue(colour))};
    while (row.size() % 4 != 0) row.push_back('\0');
    std::string header = Bmp24(1, 1, [&](int, int) { return colour; }).substr(0, 54);
    std::string file;
    file.reserve(54 + row.size() * height);
    file += header;
    for (int y = 0; y < height; ++y) file += row;
    const std::uint32_t size = static_cast<std::uint32_t>(file.size());
    for (int i = 0; i < 4; ++i) {
        file[2 + i] = static_cast<char>((size >> (8 * i)) & 0xFF);
        file[18 + i] = static_cast<char>((static_cast<std::uint32_t>(width) >> (8 * i)) & 0xFF);
        file[22 + i] = static_cast<char>((static_cast<std::uint32_t>(height) >> (8 * i)) & 0xFF);
    }
    return file;
}

LRESULT CALLBACK PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

constexpr COLORREF kPictureColour = RGB(200, 100, 40);
constexpr COLORREF kZoneColour = RGB(255, 0, 0);

class Picture : public ::testing::Test {
protected:
    void SetUp() override {
        startFolder = std::filesystem::current_path();
        qt::ResetPlatform();
        ResetUiState();
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = PlainProc;
        wc.lpszClassName = "PictureTest";
        ASSERT_NE(RegisterClassExA(&wc), 0);
        hwnd = CreateWindowExA(0, "PictureTest", "Quillfin", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                               CW_USEDEFAULT, 520, 584, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(hwnd, nullptr);
        ShowWindow(hwnd, SW_SHOWDEFAULT);
        Ui().hwndMain = hwnd;
        SetColoursCorrect(0);
        picture = dir.Write("picture.bmp", Bmp24(4, 3, [](int, int) { return kPictureColour; }));
    }
    void TearDown() override {
        std::filesystem::current_path(startFolder);
        ResetUiState();
        qt::ResetPlatform();
    }

    void SetZone(const std::string& bmp) {
        std::string path = dir.Write("zone.bmp", bmp);
        Ui().ZoneName.reset(new char[path.size() + 1]);
        std::copy(path.c_str(), path.c_str() + path.size() + 1, Ui().ZoneName.get());
    }

    COLORREF At(int x, int y) { return GetPixel(Ui().hPictureDC, x, y); }

    void PictureSize(int& width, int& height) {
        BITMAP info{};
        ASSERT_NE(GetObjectA(Ui().hPictureBitmap, sizeof(info), &info), 0);
        width = info.bmWidth;
        height = info.bmHeight;
    }

    std::filesystem::path startFolder;
    HWND hwnd = nullptr;
    HINSTANCE instance = nullptr;
    TempDir dir;
    std::string picture;
};

TEST_F(Picture, ZonePixelsAreLightenedOrDarkenedByTheFlags) {
    // Zone pixels at (1, 1) and (2, 1); (3, 1) is nearly the zone colour.
    SetZone(Bmp24(4, 3, [](int x, int y) {
        if (y == 1 && (x == 1 || x == 2)) return kZoneColour;
        return y == 1 && x == 3 ? RGB(254, 0, 0) : RGB(0, 0, 0);
    }));
    struct Case {
        const char* name;
        std::uint32_t flags;
        COLORREF marked;
    };
    const std::vector<Case> cases = {
        {"red and blue lighter", flagDisplayZoneRed | flagDisplayZoneBlue, RGB(227, 75, 147)},
        {"green lighter", flagDisplayZoneGreen, RGB(150, 177, 30)},
        {"no flag: all darker", 0, RGB(150, 75, 30)},
        {"all lighter", flagDisplayZoneRed | flagDisplayZoneGreen | flagDisplayZoneBlue,
         RGB(227, 177, 147)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Ui().CurrentQuestion.flags = c.flags;
        Ui().bRedrawPicture = false;
        ASSERT_TRUE(LoadNewPicture(picture.c_str(), hwnd, instance, 255, 0, 0));
        EXPECT_TRUE(Ui().bRedrawPicture);
        EXPECT_EQ(At(1, 1), c.marked);
        EXPECT_EQ(At(2, 1), c.marked);
        for (auto [x, y] : {std::pair{0, 0}, {3, 1}, {1, 0}, {2, 2}})
            EXPECT_EQ(At(x, y), kPictureColour);
    }
}

TEST_F(Picture, ZoneColourComponentsOfMinusOneMatchAnything) {
    SetZone(Bmp24(4, 3, [](int x, int) {
        COLORREF row[] = {RGB(255, 7, 9), RGB(255, 0, 0), RGB(254, 0, 0), RGB(0, 0, 0)};
        return row[x];
    }));
    Ui().CurrentQuestion.flags = 0;
    ASSERT_TRUE(LoadNewPicture(picture.c_str(), hwnd, instance, 255, -1, -1));
    const COLORREF darker = RGB(150, 75, 30);
    EXPECT_EQ(At(0, 2), darker);
    EXPECT_EQ(At(1, 2), darker);
    EXPECT_EQ(At(2, 2), kPictureColour);
    EXPECT_EQ(At(3, 2), kPictureColour);

    // All three -1: no zone at all, even with a zone bitmap named.
    Ui().bRedrawPicture = false;
    ASSERT_TRUE(LoadNewPicture(picture.c_str(), hwnd, instance, -1, -1, -1));
    EXPECT_EQ(At(0, 2), kPictureColour);
    EXPECT_FALSE(Ui().bRedrawPicture);
}

TEST_F(Picture, ZoneBitmapsOfOtherSizesMarkTheCommonArea) {
    struct Case {
        const char* name;
        int width, height;
        std::vector<std::pair<int, int>> marked;
    };
    const std::vector<Case> cases = {
        {"smaller", 2, 2, {{0, 0}, {1, 0}, {0, 1}, {1, 1}}},
        {"larger", 9, 7, {{0, 0}, {3, 0}, {0, 2}, {3, 2}, {2, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetZone(Bmp24(c.width, c.height, [](int, int) { return kZoneColour; }));
        ASSERT_TRUE(LoadNewPicture(picture.c_str(), hwnd, instance, 255, 0, 0));
        int marked = 0;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x) marked += At(x, y) != kPictureColour;
        EXPECT_EQ(marked, c.width < 4 ? 4 : 12);
        for (auto [x, y] : c.marked) EXPECT_NE(At(x, y), kPictureColour) << x << "," << y;
    }
}

TEST_F(Picture, UnloadableZoneLeavesThePictureUnmarked) {
    Ui().ZoneName.reset(new char[2]{'x', '\0'});
    EXPECT_TRUE(LoadNewPicture(picture.c_str(), hwnd, instance, 255, 0, 0));
    EXPECT_EQ(At(1, 1), kPictureColour);
}

TEST_F(Picture, BuiltInNamesMatchExactlyAndBadPicturesGiveTheFallback) {
    std::string good = Bmp24(4, 3, [](int, int) { return kPictureColour; });
    SetZone(Bmp24(4, 3, [](int, int) { return kZoneColour; }));
    struct Case {
        const char* name;
        std::string path;
        bool loaded;
        int width, height;
    };
    std::filesystem::create_directory(dir.Path() / "folder.bmp");
    const std::vector<Case> cases = {
        {"welcome", "\\S_WC", true, 480, 360},
        {"congratulations", "\\F_CG", true, 480, 360},
        {"longer than a built-in name", "\\S_WCX", false, 132, 60},
        {"lower case", "\\s_wc", false, 132, 60},
        {"truncated", dir.Write("cut.bmp", good.substr(0, good.size() - 7)), false, 132, 60},
        {"100000 x 100000",
         dir.Write("huge.bmp",
                   [&] {
                       std::string huge = good;
                       huge[18] = huge[22] = static_cast<char>(0xA0);
                       huge[19] = huge[23] = static_cast<char>(0x86);
                       huge[20] = huge[24] = 0x01;
                       return huge;
                   }()),
         false, 132, 60},
        {"folder", dir.File("folder.bmp"), false, 132, 60},
        {"missing", dir.File("missing.bmp"), false, 132, 60},
        {"empty name", "", false, 132, 60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(LoadNewPicture(c.path.c_str(), hwnd, instance, 255, 0, 0), c.loaded);
        int width = 0, height = 0;
        PictureSize(width, height);
        EXPECT_EQ(width, c.width);
        EXPECT_EQ(height, c.height);
    }
    // The fallback is never marked, whatever its colours.
    HANDLE fallback =
        LoadImageA(nullptr, MAKEINTRESOURCEA(1103), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, fallback);
    LoadNewPicture("missing.bmp", hwnd, instance, -1, -1, -1);
    for (int y = 0; y < 60; y += 7)
        for (int x = 0; x < 132; x += 5) ASSERT_EQ(At(x, y), GetPixel(dc, x, y));
    DeleteDC(dc);
}

TEST_F(Picture, DisplayScalesCentresAndFrames) {
    std::string big =
        dir.Write("big.bmp", Bmp24(480, 360, [](int, int) { return kPictureColour; }));
    struct Case {
        int clientWidth, clientHeight;
        int left, width, height;
    };
    for (Case c : {Case{800, 600, 160, 480, 360}, Case{400, 600, 11, 378, 283},
                   Case{502, 600, 11, 480, 360}, Case{700, 400, 195, 310, 233}}) {
        SCOPED_TRACE(std::to_string(c.clientWidth) + "x" + std::to_string(c.clientHeight));
        qt::ResizeClient(hwnd, c.clientWidth, c.clientHeight);
        HDC dc = GetDC(hwnd);
        HBRUSH black = CreateSolidBrush(0);
        RECT all{0, 0, c.clientWidth, c.clientHeight};
        FillRect(dc, &all, black);
        ReleaseDC(hwnd, dc);
        DeleteObject(black);

        ASSERT_TRUE(LoadNewPicture(big.c_str(), hwnd, instance, -1, -1, -1));
        ASSERT_TRUE(DisplayPicture(hwnd, instance, c.clientWidth, c.clientHeight));
        EXPECT_EQ(Ui().iPictureLeft, c.left);
        EXPECT_EQ(Ui().iPictureWidth, c.width);
        EXPECT_EQ(Ui().iPictureHeight, c.height);

        QImage canvas = qt::ClientCanvas(hwnd);
        auto colour = [&](int x, int y) {
            QRgb p = canvas.pixel(x, y);
            return RGB(qRed(p), qGreen(p), qBlue(p));
        };
        const COLORREF frame = RGB(0, 0, 255);
        int right = c.left + c.width - 1, bottom = 10 + c.height - 1;
        for (auto [x, y] : {std::pair{c.left, 10},
                            {right, 10},
                            {c.left, bottom},
                            {right, bottom},
                            {c.left + c.width / 2, 10},
                            {c.left, 10 + c.height / 2}})
            EXPECT_EQ(colour(x, y), frame) << x << "," << y;
        for (auto [x, y] : {std::pair{c.left + 1, 11}, {right - 1, bottom - 1}})
            EXPECT_EQ(colour(x, y), kPictureColour) << x << "," << y;
        for (auto [x, y] :
             {std::pair{c.left - 1, 10}, {right + 1, 10}, {c.left, 9}, {c.left, bottom + 1}})
            EXPECT_EQ(colour(x, y), RGB(0, 0, 0)) << x << "," << y;
    }
}

TEST_F(Picture, BigPictureFitsOnBothAxesAtEveryWindowSize) {
    std::string big = dir.Write("big.bmp", SolidBmp24(4000, 3000, kPictureColour));
    ASSERT_TRUE(LoadNewPicture(big.c_str(), hwnd, instance, -1, -1, -1));
    struct Case {
        int clientWidth, clientHeight;
        int left, width, height;
    };
    const Case cases[] = {
        {1000, 600, 211, 577, 433},  // wide and low: the height decides
        {1000, 3000, 11, 978, 733},  // narrow and tall: the width decides
        {1400, 500, 478, 444, 333},  // both slacks negative, the height tighter
        {422, 467, 11, 400, 300},    // both ratios equal
        {800, 180, 391, 17, 13},     // a few rows left for the picture
        {1000, 167, 499, 1, 1},      // no row left: still one pixel
        {20, 100, 9, 1, 1},          // no room on either axis
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.clientWidth) + "x" + std::to_string(c.clientHeight));
        qt::ResizeClient(hwnd, c.clientWidth, c.clientHeight);
        HDC dc = GetDC(hwnd);
        HBRUSH black = CreateSolidBrush(0);
        RECT all{0, 0, c.clientWidth, c.clientHeight};
        FillRect(dc, &all, black);
        ReleaseDC(hwnd, dc);
        DeleteObject(black);

        EXPECT_TRUE(DisplayPicture(hwnd, instance, c.clientWidth, c.clientHeight));
        EXPECT_EQ(Ui().iPictureLeft, c.left);
        EXPECT_EQ(Ui().iPictureWidth, c.width);
        EXPECT_EQ(Ui().iPictureHeight, c.height);
        EXPECT_LE(Ui().iPictureWidth, std::max(c.clientWidth - 22, 1));
        EXPECT_LE(Ui().iPictureHeight, std::max(c.clientHeight - 167, 1));

        // Nothing is drawn below the picture, where the question goes.
        QImage canvas = qt::ClientCanvas(hwnd);
        const int below = 10 + c.height;
        ASSERT_LT(below, canvas.height());
        for (int x = 0; x < canvas.width(); x += 7)
            ASSERT_EQ(canvas.pixel(x, below) & 0xFFFFFF, 0u) << x;
        EXPECT_NE(canvas.pixel(c.left, 10) & 0xFFFFFF, 0u) << "the picture's corner is drawn";
    }
}

TEST_F(Picture, DisplayWithoutAPictureFails) {
    ResetUiState();
    EXPECT_FALSE(DisplayPicture(hwnd, instance, 800, 600)) << "no picture loaded";
}

TEST_F(Picture, IsWithinRectTestsEdgesOnBothAxes) {
    struct Case {
        const char* name;
        RECT a, b;
        bool expected;
    };
    const RECT picture{100, 9, 200, 100};
    const std::vector<Case> cases = {
        {"corner inside", {150, 50, 300, 300}, picture, true},
        {"edges touch, bounds included", {200, 100, 250, 150}, picture, true},
        {"left of it", {0, 0, 99, 300}, picture, false},
        {"below it", {120, 101, 150, 300}, picture, false},
        {"encloses it on both axes", {0, 0, 500, 500}, picture, false},
        {"encloses it across only", {0, 50, 500, 60}, picture, false},
        {"inside it", {120, 20, 130, 30}, picture, true},
    };
    for (Case c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IsWithinRect(c.a, c.b), c.expected);
    }
    RECT whole{0, 0, 500, 500};
    RECT pic = picture;
    EXPECT_TRUE(IsWithinRect(pic, whole)) << "the reverse test catches the enclosing repaint";
}

TEST_F(Picture, SharesAPixelFindsEveryOverlap) {
    struct Case {
        const char* name;
        RECT a;
        bool expected;
    };
    const RECT picture{100, 9, 200, 100};
    const std::vector<Case> cases = {
        {"a band across it", {0, 50, 500, 60}, true},
        {"a band down through it", {150, 0, 160, 500}, true},
        {"encloses it", {0, 0, 500, 500}, true},
        {"inside it", {120, 20, 130, 30}, true},
        {"one corner pixel", {199, 99, 300, 300}, true},
        {"starts at its exclusive right edge", {200, 50, 300, 60}, false},
        {"ends at its left edge", {0, 50, 100, 60}, false},
        {"starts at its exclusive bottom edge", {0, 100, 500, 200}, false},
        {"empty", {150, 50, 150, 60}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SharesAPixel(c.a, picture), c.expected);
        EXPECT_EQ(SharesAPixel(picture, c.a), c.expected);
    }
}

TEST_F(Picture, BitmapsAreFoundBesideTheQuestionFileFirst) {
    std::filesystem::create_directories(dir.Path() / "quiz" / "pics");
    std::filesystem::create_directory(dir.Path() / "elsewhere");
    const std::string questions = dir.Write("quiz/questions.txt", "\xA4Q\"What?\"\r\n");
    const std::string quiz = (dir.Path() / "quiz").string() + "/";
    auto bmp = [](COLORREF colour) { return Bmp24(2, 2, [=](int, int) { return colour; }); };
    dir.Write("quiz/scene.bmp", bmp(kPictureColour));
    dir.Write("elsewhere/scene.bmp", bmp(kZoneColour));
    dir.Write("elsewhere/only here.bmp", bmp(kZoneColour));
    dir.Write("quiz/pics/Map.BMP", bmp(kPictureColour));
    dir.Write("quiz/Caf\xC3\xA9.bmp", bmp(kPictureColour));
    // A round saved into another folder made that one the current folder.
    std::filesystem::current_path(dir.Path() / "elsewhere");

    struct Case {
        const char* name;
        const char* questionFile;
        std::string found;
    };
    const Case cases[] = {
        {"scene.bmp", questions.c_str(), quiz + "scene.bmp"},
        {"only here.bmp", questions.c_str(), "only here.bmp"},
        {"pics\\map.bmp", questions.c_str(), quiz + "pics/Map.BMP"},
        {"PICS/MAP.bmp", questions.c_str(), quiz + "pics/Map.BMP"},
        {"caf\xC9.BMP", questions.c_str(), quiz + "Caf\xC3\xA9.bmp"},
        {"scene.bmp", nullptr, "scene.bmp"},
        {"scene.bmp", "", "scene.bmp"},
        {"nowhere.bmp", questions.c_str(), "nowhere.bmp"},
        {"/nowhere.bmp", questions.c_str(), "/nowhere.bmp"},
        {"", questions.c_str(), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " in " + (c.questionFile ? c.questionFile : "(null)"));
        EXPECT_EQ(FindBitmapFile(c.name, c.questionFile), c.found);
    }
    EXPECT_EQ(FindBitmapFile(nullptr, questions.c_str()), "");
    // A question file named as Windows would name it has the same folder.
    const std::string windowsName = dir.Path().string() + "/QUIZ\\Questions.TXT";
    EXPECT_EQ(FindBitmapFile("scene.bmp", windowsName.c_str()), quiz + "scene.bmp");

    // The program shows the question file's own picture, not the current folder's.
    ASSERT_EQ(Ui().QuestionOrder.LoadQuestionFile(questions.c_str()), 1);
    ASSERT_TRUE(LoadNewPicture("scene.bmp", hwnd, instance, -1, -1, -1));
    EXPECT_EQ(At(1, 1), kPictureColour);
    ASSERT_TRUE(LoadNewPicture("Pics\\map.bmp", hwnd, instance, -1, -1, -1));
    EXPECT_EQ(At(0, 0), kPictureColour);
}

TEST_F(Picture, ZoneNamesWrittenOnWindowsAreFoundBesideTheQuestionFile) {
    std::filesystem::create_directories(dir.Path() / "quiz" / "zones");
    std::filesystem::create_directory(dir.Path() / "elsewhere");
    const std::string questions = dir.Write("quiz/questions.txt", "\xA4Q\"What?\"\r\n");
    dir.Write("quiz/picture.bmp", Bmp24(4, 3, [](int, int) { return kPictureColour; }));
    dir.Write("quiz/zones/zone.bmp",
              Bmp24(4, 3, [](int x, int) { return x < 2 ? kZoneColour : RGB(0, 0, 0); }));
    ASSERT_EQ(Ui().QuestionOrder.LoadQuestionFile(questions.c_str()), 1);
    std::filesystem::current_path(dir.Path() / "elsewhere");
    const char zoneName[] = "Zones\\ZONE.bmp";
    Ui().ZoneName.reset(new char[sizeof(zoneName)]);
    std::copy(zoneName, zoneName + sizeof(zoneName), Ui().ZoneName.get());

    ASSERT_TRUE(LoadNewPicture("picture.bmp", hwnd, instance, 255, 0, 0));
    EXPECT_NE(At(0, 0), kPictureColour) << "the zone is marked";
    EXPECT_EQ(At(3, 0), kPictureColour) << "outside the zone";
}

}  // namespace

// A shrunk picture is drawn from an area-averaged copy at the drawn size,
// remade when that size changes and when the picture is marked in place.
TEST_F(Picture, ShrunkPictureIsAveragedAndFollowsSizeAndMarking) {
    // Columns of a, b, b: every three columns average to (50, 80, 110).
    const COLORREF a = RGB(30, 60, 90), b = RGB(60, 90, 120);
    std::string wide =
        dir.Write("wide.bmp", Bmp24(1200, 300, [&](int x, int) { return x % 3 == 0 ? a : b; }));
    SetZone(SolidBmp24(1200, 300, kZoneColour));
    auto near = [](COLORREF got, int red, int green, int blue) {
        return std::abs(GetRValue(got) - red) <= 1 && std::abs(GetGValue(got) - green) <= 1 &&
               std::abs(GetBValue(got) - blue) <= 1;
    };
    struct Step {
        int clientWidth;  // the client is 467 high: 300 rows of room
        bool marked;
        int width;
        int red, green, blue;
    };
    ASSERT_TRUE(LoadNewPicture(wide.c_str(), hwnd, instance, -1, -1, -1));
    for (Step s : {Step{422, false, 400, 50, 80, 110}, Step{222, false, 200, 50, 80, 110},
                   Step{222, true, 200, 37, 60, 82}}) {
        SCOPED_TRACE(std::to_string(s.clientWidth) + (s.marked ? " marked" : ""));
        if (s.marked) {
            ASSERT_TRUE(LoadNewPicture(wide.c_str(), hwnd, instance, GetRValue(kZoneColour),
                                       GetGValue(kZoneColour), GetBValue(kZoneColour)));
            EXPECT_EQ(At(0, 0), RGB(22, 45, 67));  // the full picture is marked exactly
        }
        qt::ResizeClient(hwnd, s.clientWidth, 467);
        ASSERT_TRUE(DisplayPicture(hwnd, instance, s.clientWidth, 467));
        ASSERT_EQ(Ui().iPictureWidth, s.width);
        QImage canvas = qt::ClientCanvas(hwnd);
        for (int x : {1, s.width / 2, s.width - 2}) {
            const QRgb p = canvas.pixel(Ui().iPictureLeft + x, 10 + Ui().iPictureHeight / 2);
            EXPECT_TRUE(near(RGB(qRed(p), qGreen(p), qBlue(p)), s.red, s.green, s.blue))
                << x << ": " << qRed(p) << "," << qGreen(p) << "," << qBlue(p);
        }
    }
}

// The feedback's picture made ready while the question waits shows the same
// pixels as marking at the answer does, full size and drawn; a zone file
// changed after it was made ready is read again.
TEST_F(Picture, FeedbackMadeReadyEqualsMarkingAtTheAnswer) {
    std::string wide = dir.Write(
        "wide.bmp", Bmp24(1200, 300, [](int x, int y) { return RGB(x % 256, y % 256, 99); }));
    const std::string half =
        Bmp24(1200, 300, [](int x, int) { return x < 500 ? kZoneColour : RGB(0, 0, 0); });
    const std::string whole = Bmp24(1200, 300, [](int, int) { return kZoneColour; });
    std::string quiz = dir.Write("quiz.txt",
                                 "\xa4Q \"Where?\"\r\n\xa4P \"wide.bmp\"\r\n\xa4"
                                 "A\r\n\xa4Z \"zone.bmp\"\r\n\xa4"
                                 "F zc red\r\n\xa4"
                                 "E\r\n");
    ASSERT_TRUE(Ui().CurrentQuestion.GetQuestion(quiz.c_str(), 1));
    Ui().PictureName.reset(new char[wide.size() + 1]);
    std::copy(wide.c_str(), wide.c_str() + wide.size() + 1, Ui().PictureName.get());
    qt::ResizeClient(hwnd, 422, 467);
    // The question on screen, made ready or not, then the zone click's loads.
    auto answer = [&](bool prepare, const std::string& zoneBefore,
                      const std::string& zoneAtAnswer) {
        SetZone(zoneBefore);
        Ui().QuizState = kQuizAwaitZoneClick;
        EXPECT_TRUE(LoadNewPicture(wide.c_str(), hwnd, instance, -1, -1, -1));
        EXPECT_TRUE(DisplayPicture(hwnd, instance, 422, 467));
        if (prepare) {
            EXPECT_TRUE(PrepareFeedbackPicture());
            EXPECT_FALSE(PrepareFeedbackPicture());  // once per picture
        }
        if (zoneAtAnswer != zoneBefore) SetZone(zoneAtAnswer);
        Ui().hZoneBitmap = LoadZoneBitmap(instance);
        EXPECT_TRUE(LoadNewPicture(wide.c_str(), hwnd, instance, 255, 0, 0));
        DeleteObject(Ui().hZoneBitmap);
        Ui().hZoneBitmap = nullptr;
        EXPECT_TRUE(DisplayPicture(hwnd, instance, 422, 467));
        std::vector<COLORREF> pixels;
        for (int x = 0; x < 1200; x += 7) pixels.push_back(At(x, x % 300));
        QImage canvas = qt::ClientCanvas(hwnd);
        for (int x = 1; x < Ui().iPictureWidth - 1; x += 3)
            pixels.push_back(canvas.pixel(Ui().iPictureLeft + x, 10 + x % 99) & 0xFFFFFFu);
        return pixels;
    };
    Ui().QuizState = kQuizFeedbackCorrect;  // no question waits: nothing to make ready
    ASSERT_TRUE(LoadNewPicture(wide.c_str(), hwnd, instance, -1, -1, -1));
    EXPECT_FALSE(PrepareFeedbackPicture());

    const auto marked = answer(false, half, half);
    EXPECT_EQ(answer(true, half, half), marked);
    const auto markedWhole = answer(false, whole, whole);
    EXPECT_NE(markedWhole, marked);
    EXPECT_EQ(answer(true, half, whole), markedWhole);
}
